// The history window on the offscreen platform, on a data directory written
// by a simulated run: rows, values, the choice of time, channels and field
// in the table and the plot, following the file, and the export equal to
// the command line's.

#include "history/qt/history_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>

#include "faults/fault_run.h"
#include "history/qt/set_plot.h"
#include "history/qt/set_table_model.h"
#include "history/history_sets.h"
#include "link/qt/event_loop.h"

namespace tally::history {
namespace {

// Long enough for a loaded machine.
bool WaitFor(const std::function<bool()>& done) { return testing::WaitFor(done, 20000); }

constexpr int kSets = 12;

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "history_window_test";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) new QApplication(argc, argv);
  }
};

class HistoryWindowTest : public WindowTest {
 protected:

  void SetUp() override {
    directory = dir.dataPath() + testing::kDataDirectoryName;
    std::filesystem::create_directory(directory);
    run = std::make_unique<testing::FaultRun>(directory);
    run->Start("1000");
    for (int set = 1; set <= kSets; ++set) WriteSet(set);
    // Channel 3's limit as the run had it: high above 20.
    std::ofstream(directory + "/ct.dat", std::ios::binary) << testing::TableWithChannel3Limits("0020");
    std::ofstream(directory + "/fl.db1", std::ios::binary | std::ios::app) << "cut short\r\n";
    window.OpenDirectory(QString::fromStdString(directory));
    ASSERT_TRUE(WaitFor([this] { return !window.busy(); }));
  }

  // Set n is stamped 14:(30 + n):15, its lines arriving two seconds apart.
  void WriteSet(int set) {
    run->time.SetClock({2026, 12, 6, 14, 29 + set, 43});
    run->Set(set);
  }
  // The plot's series once its points are gathered.
  std::string Series() {
    EXPECT_TRUE(WaitFor([this] { return !window.busy(); }));
    return window.plot().SeriesNames().join(",").toStdString();
  }
  QString Cell(int row, int column) {
    return window.model().data(window.model().index(row, column), Qt::DisplayRole).toString();
  }
  static int ChannelColumn(int channel) { return SetTableModel::kFirstChannelColumn + channel - 1; }

  testing::TempDir dir;
  std::string directory;
  std::unique_ptr<testing::FaultRun> run;
  HistoryWindow window{ZoneRules(0)};
};

TEST_F(HistoryWindowTest, ShowsEverySetAndTheDamagedLine) {
  ASSERT_EQ(window.model().rowCount(), kSets + 1);
  EXPECT_EQ(window.StatusText(), "12 sets, 1 damaged lines, 13 shown");
  EXPECT_EQ(Cell(0, SetTableModel::kTimeColumn), "2026-12-06 14:31:15");
  EXPECT_EQ(Cell(0, SetTableModel::kTypeColumn), "fLI");
  EXPECT_EQ(Cell(0, ChannelColumn(3)), "13");   // field 2 of channel 3 in set 1
  EXPECT_EQ(Cell(1, ChannelColumn(16)), "36");  // set 2
  EXPECT_EQ(Cell(kSets, SetTableModel::kTypeColumn), "damaged");
  EXPECT_EQ(Cell(kSets, SetTableModel::kRecordColumn),
            "wrong length: 9 characters, not 324 (fLI) or 676 (fLII)");
  EXPECT_EQ(window.model().headerData(kSets, Qt::Vertical, Qt::DisplayRole).toInt(), 13);
  const std::string sets = run->Read("fl.db1");
  EXPECT_EQ(Cell(0, SetTableModel::kRecordColumn).toStdString(), sets.substr(0, sets.find('\r')));
  window.SetField(4);
  EXPECT_EQ(Cell(0, ChannelColumn(3)), "300");
}

TEST_F(HistoryWindowTest, TheChoiceOfTimeChannelsAndFieldReachesTableAndPlot) {
  // Sets 3 to 5 and the undated damaged line.
  window.SetRange(LocalStamp{2026, 12, 6, 14, 33, 15}, LocalStamp{2026, 12, 6, 14, 35, 15});
  EXPECT_EQ(window.model().rowCount(), 4);
  EXPECT_EQ(window.StatusText(),
            "12 sets, 1 damaged lines, 4 shown from 2026-12-06 14:33:15 to 2026-12-06 14:35:15");
  window.model().sort(SetTableModel::kTimeColumn, Qt::DescendingOrder);
  EXPECT_EQ(Cell(0, ChannelColumn(3)), "53");

  window.SetChannels(std::bitset<17>().set(3).set(5));
  EXPECT_TRUE(window.table().isColumnHidden(ChannelColumn(1)));
  EXPECT_FALSE(window.table().isColumnHidden(ChannelColumn(5)));
  EXPECT_EQ(Series(), "Channel 3,Channel 3 high,Channel 5,Alarms");
  EXPECT_TRUE(WaitFor([this] { return !window.busy(); }));
  EXPECT_EQ(window.plot().PointsDrawn(), 3 + 2 + 3);  // three sets, the limit line, three sets
  window.SetField(3);
  EXPECT_EQ(Series(), "Channel 3,Channel 5");
}

// Channel 3 went over its limit of 20 from set 2 on (23, 33, ... 123): each
// alarm is marked at that reading's value, shortly before its set's stamp.
// The values of channels 1 to 4 (11 to 124) are marked at round steps.
TEST_F(HistoryWindowTest, AlarmsAreMarkedAtTheirReadingsOnRoundValueMarks) {
  ASSERT_EQ(Series(), "Channel 1,Channel 2,Channel 3,Channel 3 high,Channel 4,Alarms");
  std::vector<double> marked;
  for (const QPointF& mark : window.plot().AlarmMarks()) marked.push_back(mark.y());
  std::vector<double> readings;
  for (int set = 2; set <= kSets; ++set) readings.push_back(set * 10 + 3);
  EXPECT_EQ(marked, readings);
  EXPECT_EQ(window.plot().ValueLabels().join(",").toStdString(), "0,20,40,60,80,100,120,140");
}

// A channel that raised an alarm is shown when the directory opens, with
// channels 1 to 4.
TEST_F(HistoryWindowTest, ChannelsWithAlarmsAreShownAtStart) {
  std::ofstream(directory + "/alarmlog.txt", std::ios::binary | std::ios::app) << "09 low  fL0120261206143500\r\n";
  HistoryWindow opened{ZoneRules(0)};
  opened.OpenDirectory(QString::fromStdString(directory));
  EXPECT_EQ(opened.Choice().channels, std::bitset<17>().set(1).set(2).set(3).set(4).set(9));
  EXPECT_FALSE(opened.table().isColumnHidden(ChannelColumn(9)));
}

// Sets 1 to 12 are stamped 14:31:15 to 14:42:15. Read in UTC or at +09:00,
// the time axis shows the stamps as written, as the table does.
TEST_F(HistoryWindowTest, ThePlotsTimeAxisReadsTheChosenZonesClock) {
  HistoryWindow tokyo(ZoneRules(9 * 3600));
  tokyo.OpenDirectory(QString::fromStdString(directory));
  ASSERT_TRUE(WaitFor([&tokyo] { return !tokyo.busy(); }));
  for (HistoryWindow* shown : {&window, &tokyo}) {
    EXPECT_EQ(shown->plot().TimeLabels().join(",").toStdString(), "2026-12-06 14:35,2026-12-06 14:40");
  }
}

// The time header clicked while a file larger than one slice of indexing is
// still being read: every slice taken in comes in order, and once indexing
// ends all rows stand sorted. The sets' stamps are scattered over the file.
using HistoryWindowSortTest = WindowTest;

TEST_F(HistoryWindowSortTest, SortingWhileIndexingKeepsTheRowsInOrder) {
  constexpr int kLines = 30000;  // 9.8 MB: more than one slice of indexing
  testing::CaptureRun rig;
  testing::WriteSet(rig, 1, "20261206143015");
  const std::string line = rig.dir.Read("fl.db1");
  std::string file;
  file.reserve(line.size() * kLines);
  const std::int64_t first = LocalStamp{2026, 12, 1, 0, 0, 0}.Seconds();
  for (int i = 0; i < kLines; ++i) {
    const LocalStamp stamp = LocalStamp::FromSeconds(first + (i * 7919LL) % kLines);
    std::string iso = stamp.Iso();
    std::erase_if(iso, [](char c) { return c == '-' || c == ':' || c == 'T'; });
    file += line.substr(0, 4) + iso + line.substr(18);
  }
  const std::string directory = rig.dir.dataPath();
  std::ofstream(directory + "fl.db1", std::ios::binary | std::ios::trunc) << file;

  HistoryWindow window{ZoneRules(0)};
  window.OpenDirectory(QString::fromStdString(directory));
  ASSERT_TRUE(window.indexing());
  window.table().horizontalHeader()->setSortIndicator(SetTableModel::kTimeColumn, Qt::AscendingOrder);
  const auto times = [&window] {
    std::vector<std::string> shown;
    for (int row = 0; row < window.model().rowCount(); ++row) {
      shown.push_back(window.model()
                          .data(window.model().index(row, SetTableModel::kTimeColumn), Qt::DisplayRole)
                          .toString()
                          .toStdString());
    }
    return shown;
  };
  std::set<int> rowCountsSeen;
  ASSERT_TRUE(WaitFor([&] {
    if (rowCountsSeen.insert(window.model().rowCount()).second) {
      const std::vector<std::string> shown = times();
      EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end())) << "with " << shown.size() << " rows";
    }
    return !window.busy();
  }));
  EXPECT_GT(rowCountsSeen.size(), 1u);
  const std::vector<std::string> shown = times();
  ASSERT_EQ(shown.size(), static_cast<std::size_t>(kLines));
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
  EXPECT_EQ(shown.front(), "2026-12-01 00:00:00");
  EXPECT_EQ(shown.back(), "2026-12-01 08:19:59");
  EXPECT_EQ(window.StatusText(), "30000 sets, 0 damaged lines, 30000 shown");
}

// A set file that opens but cannot be read: the window says so rather than
// show no sets as if there were none.
TEST_F(WindowTest, AReadErrorIsShown) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.dataPath() + "fl.db1/inside");
  HistoryWindow window{ZoneRules(0)};
  window.OpenDirectory(QString::fromStdString(dir.path()));
  ASSERT_TRUE(WaitFor([&window] { return !window.busy(); }));
  EXPECT_EQ(window.Message().toStdString(),
            "cannot read " + dir.dataPath() + "fl.db1 at byte 0: Is a directory; the sets after it are not shown");
}

TEST_F(HistoryWindowTest, NewSetsAppearWhileTheCaptureAppends) {
  WriteSet(kSets + 1);
  EXPECT_TRUE(WaitFor([this] { return window.model().rowCount() == kSets + 2; }));
}

TEST_F(HistoryWindowTest, TheExportEqualsTheCommandLineExport) {
  window.SetRange(LocalStamp{2026, 12, 6, 14, 34, 0}, std::nullopt);
  window.SetChannels(std::bitset<17>().set(1).set(2).set(3).set(4).set(7));
  QTemporaryDir out;
  for (const auto& [format, name] :
       {std::pair{ExportFormat::Csv, "csv"}, std::pair{ExportFormat::JsonLines, "json"}}) {
    SCOPED_TRACE(name);
    const QString path = out.filePath(QString::fromLatin1(name));
    ASSERT_TRUE(window.ExportTo(path, format));
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    QProcess cli;
    cli.start(QStringLiteral(TALLY77_HISTORY_PATH),
              {"--export", name, "--from", "2026-12-06T14:34", "--channels", "1-4,7", "--tz", "UTC",
               QString::fromStdString(directory)});
    ASSERT_TRUE(cli.waitForFinished(20000));
    EXPECT_EQ(cli.exitCode(), 0);
    const QByteArray expected = cli.readAllStandardOutput();
    EXPECT_EQ(expected.count('\n'), format == ExportFormat::Csv ? 1 + 9 * 5 : 9 + 1);
    EXPECT_EQ(written.readAll(), expected);
  }
}

}  // namespace
}  // namespace tally::history
