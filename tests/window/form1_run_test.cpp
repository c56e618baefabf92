// The capture window at work on a scripted port and simulated time: the
// directory choice, Init, a run with its status indicator, and closing.

#include <QComboBox>
#include <QDir>
#include <filesystem>
#include <gtest/gtest.h>

#include "window/directory_list.h"
#include "window/drive_list.h"
#include "window/entry_list_view.h"
#include "window/indicator_shape.h"
#include "window_helpers.h"

namespace tally::testing {
namespace {

class Form1RunTest : public ::testing::Test {
 protected:
  // The data directory "P017" inside the test's directory, opened in Dir1
  // with a double click as the operator would.
  void OpenDataDirectory() {
    std::filesystem::create_directory(dir.path() + "/P017");
    auto* dir1 = rig.Find<DirectoryList>("Dir1");
    ASSERT_TRUE(dir1->SetPath(QString::fromStdString(dir.path())));
    const auto rows = dir1->findItems(QStringLiteral("P017"), Qt::MatchEndsWith);
    ASSERT_EQ(rows.size(), 1);
    DoubleClickRow(dir1, dir1->row(rows.front()));
  }

  std::string DataFile(const std::string& name) const { return dir.path() + "/P017/" + name; }

  QStringList List(const char* name) {
    const auto& entries = rig.Find<EntryListView>(name)->entries();
    QStringList shown;
    for (std::size_t i = 0; i < entries.EntryCount(); ++i) shown << QString::fromStdString(entries.Entry(i));
    return shown;
  }

  std::optional<QColor> Indicator() { return rig.Find<IndicatorShape>("Shape1")->colour(); }
  QString Status() { return rig.Label(1)->text(); }

  WindowRig rig;
  TempDir& dir = rig.dir;
};

TEST_F(Form1RunTest, OpeningADirectoryEnablesThePortButtons) {
  auto* dir1 = rig.Find<DirectoryList>("Dir1");
  ASSERT_TRUE(dir1->SetPath(QString::fromStdString(dir.path())));
  for (int number = 1; number <= 4; ++number) EXPECT_TRUE(rig.Button(number)->isEnabled()) << number;
}

TEST_F(Form1RunTest, DoubleClickOpensTheFolderAndEnablesThePortButtons) {
  OpenDataDirectory();
  EXPECT_EQ(rig.window.DirectoryPath(), dir.path() + "/P017");
  for (int number = 1; number <= 4; ++number) EXPECT_TRUE(rig.Button(number)->isEnabled()) << number;
}

TEST_F(Form1RunTest, ChoosingADriveMovesTheDirectoryListAndEnablesThePorts) {
  auto* drive1 = rig.Find<DriveList>("Drive1");
  auto* dir1 = rig.Find<DirectoryList>("Dir1");
  ASSERT_TRUE(dir1->SetPath(QString::fromStdString(dir.path())));
  rig.Button(1)->setEnabled(false);
  const int other = drive1->findText(drive1->DriveOf(QDir::homePath())) == drive1->currentIndex()
                        ? drive1->findText(QStringLiteral("/"))
                        : drive1->findText(drive1->DriveOf(QDir::homePath()));
  if (other < 0 || other == drive1->currentIndex()) GTEST_SKIP() << "only one drive offered";
  drive1->setCurrentIndex(other);
  EXPECT_EQ(dir1->Path(), drive1->itemText(other));
  EXPECT_TRUE(rig.Button(1)->isEnabled());
}

TEST_F(Form1RunTest, InitWithObsClearedWritesTheSupportFiles) {
  OpenDataDirectory();
  rig.Button(6)->click();
  EXPECT_EQ(List("List2"), QStringList{"invalid operation"});
  EXPECT_FALSE(std::filesystem::exists(DataFile("ct.dat")));

  rig.Box(3)->clear();
  rig.Button(6)->click();
  EXPECT_EQ(List("List2").back(), QStringLiteral("files created"));
  EXPECT_EQ(rig.window.Text(TextBox::Text1), "P017");
  for (const char* name : {"ct.dat", "ferro.dat", "ferro.txt"}) {
    EXPECT_TRUE(std::filesystem::exists(DataFile(name))) << name;
  }
}

TEST_F(Form1RunTest, IndicatorFollowsARunToItsEnd) {
  OpenDataDirectory();
  rig.Box(3)->clear();
  rig.Button(6)->click();
  rig.Box(3)->setText(QStringLiteral("1"));
  rig.window.show();

  rig.Button(1)->click();
  EXPECT_TRUE(rig.port.open);
  EXPECT_EQ(rig.port.portNumber, 1);
  EXPECT_EQ(Indicator(), QColor(255, 0, 0));
  EXPECT_EQ(Status(), QStringLiteral("Please wait 3 minutes"));

  rig.Burst("noise");
  EXPECT_EQ(List("List1"), QStringList{"sync "});
  EXPECT_EQ(Indicator(), QColor(255, 255, 0));
  EXPECT_EQ(Status(), QStringLiteral("Please wait 3 minutes"));

  for (int channel = 1; channel <= 14; ++channel) rig.Burst(CaptureRun::BurstFor(channel));
  EXPECT_EQ(Indicator(), QColor(255, 255, 0));
  EXPECT_EQ(rig.window.Text(TextBox::Text2), "14");
  EXPECT_EQ(rig.Label(3)->text(), QStringLiteral("fLI"));

  rig.Burst(CaptureRun::BurstFor(15));
  EXPECT_EQ(Indicator(), QColor(0, 255, 0));
  EXPECT_EQ(Status(), QStringLiteral(" Update pending ... "));
  EXPECT_TRUE(rig.Label(4)->text().isEmpty());

  rig.Burst(CaptureRun::BurstFor(16));
  EXPECT_EQ(Indicator(), QColor(0, 255, 0));
  EXPECT_EQ(Status(), QStringLiteral("We have a good reading "));
  EXPECT_EQ(rig.Label(4)->text(), QStringLiteral("1"));
  EXPECT_EQ(rig.window.Text(TextBox::Text2), "16");
  EXPECT_EQ(List("List1").size(), 17);
  EXPECT_EQ(List("List1").back(), QStringLiteral("16,005,00020,00300"));
  EXPECT_TRUE(std::filesystem::exists(DataFile("fl.db1")));

  // No sets remain: the end command went out, the port is closed and the
  // program has ended, its window gone.
  EXPECT_NE(rig.port.written.find("AT TALLY77:"), std::string::npos);
  EXPECT_FALSE(rig.port.open);
  EXPECT_TRUE(rig.context.ended);
  EXPECT_FALSE(rig.window.isVisible());
  rig.Button(1)->click();
  EXPECT_FALSE(rig.port.open) << "a button ran after the program ended";
}

TEST_F(Form1RunTest, ClosingTheWindowMidSetSendsAndWritesNothing) {
  OpenDataDirectory();
  rig.Box(3)->clear();
  rig.Button(6)->click();
  rig.Box(3)->setText(QStringLiteral("1"));
  rig.window.show();
  rig.Button(2)->click();
  rig.Burst("noise");
  for (int channel = 1; channel <= 15; ++channel) rig.Burst(CaptureRun::BurstFor(channel));
  const std::string sent = rig.port.written;

  rig.window.close();
  EXPECT_TRUE(rig.context.ended);
  EXPECT_FALSE(rig.port.open);
  EXPECT_FALSE(rig.time.armed);
  EXPECT_EQ(rig.port.written, sent);

  // Whatever still arrives is not handled.
  rig.Burst(CaptureRun::BurstFor(16));
  EXPECT_EQ(List("List1").size(), 16);
  EXPECT_FALSE(std::filesystem::exists(DataFile("fl.db1")));
  EXPECT_EQ(rig.port.written, sent);
}

}  // namespace
}  // namespace tally::testing
