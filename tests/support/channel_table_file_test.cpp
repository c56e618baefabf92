#include "support/channel_table_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/positional_text.h"
#include "doubles/capture_run.h"

namespace tally {
namespace {

using testing::CaptureRun;

const std::string kFirstDefaultLine =
    "  1 -                    ,0020,1.00,120,000,999                       .";
const std::string kLastDefaultLine =
    " 16 -                    ,0020,1.00,120,000,999                       .";

// The default line of channel n without its line end.
std::string DefaultLine(int channel) {
  const std::string table = DefaultChannelTable();
  return table.substr(static_cast<std::size_t>(channel - 1) * 73, 71);
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string file;
  for (const std::string& line : lines) file += line + "\r\n";
  return file;
}

// A row no load would produce, to see which rows a load leaves alone.
const ChannelEntry kMarkedRow{"earlier", 7, 7, 7, 7, 7};

void ExpectSameRow(const ChannelEntry& actual, const ChannelEntry& expected, int row) {
  SCOPED_TRACE("row " + std::to_string(row));
  EXPECT_EQ(actual.label, expected.label);
  EXPECT_EQ(actual.ctRating, expected.ctRating);
  EXPECT_EQ(actual.multiplier, expected.multiplier);
  EXPECT_EQ(actual.voltage, expected.voltage);
  EXPECT_EQ(actual.highLimit, expected.highLimit);
  EXPECT_EQ(actual.lowLimit, expected.lowLimit);
}

TEST(DefaultChannelTable, IsSixteenLinesOf71CharactersWithCrLf) {
  const std::string table = DefaultChannelTable();
  EXPECT_EQ(table.size(), 16u * 73u);
  std::vector<std::string> lines;
  for (int channel = 1; channel <= 16; ++channel) {
    lines.push_back((channel < 10 ? "  " : " ") + std::to_string(channel) + kFirstDefaultLine.substr(3));
  }
  EXPECT_EQ(testing::LinesOf(table), lines);
  EXPECT_EQ(lines.back(), kLastDefaultLine);
}

TEST(ChannelTableFile, DefaultWrittenThenLoadedGivesDocumentedRowsAndNoMessage) {
  CaptureRun rig;
  rig.context.state.channels[0] = kMarkedRow;
  rig.context.state.channels[17] = kMarkedRow;
  WriteDefaultChannelTable(rig.context);
  EXPECT_EQ(rig.dir.Read("ct.dat"), DefaultChannelTable());
  LoadChannelTable(rig.context);

  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "");
  for (int row = 1; row <= 16; ++row) {
    ExpectSameRow(rig.context.state.channels[row], {Left(DefaultLine(row), 25), 20, 1, 120, 0, 999}, row);
  }
  EXPECT_EQ(rig.context.state.channels[1].label, "  1 -" + std::string(20, ' '));
  ExpectSameRow(rig.context.state.channels[0], kMarkedRow, 0);
  ExpectSameRow(rig.context.state.channels[17], kMarkedRow, 17);
}

struct ColumnCase {
  const char* name;
  std::string line;
  ChannelEntry expected;
};

// The default line with text written over it from a column.
std::string DefaultWith(std::size_t position, const std::string& text) {
  std::string line = kFirstDefaultLine;
  Overwrite(line, position, text);
  return line;
}

ChannelEntry Row(const std::string& label, double ctRating, double multiplier, float voltage,
                 double highLimit, float lowLimit) {
  return ChannelEntry{label, ctRating, multiplier, voltage, highLimit, lowLimit};
}

TEST(ChannelTableFile, ReadsEachFixedColumn) {
  const std::string defaultLabel = Left(kFirstDefaultLine, 25);
  const std::vector<ColumnCase> cases = {
      {"voltage 000", DefaultWith(37, "000"), Row(defaultLabel, 20, 1, 120, 0, 999)},
      {"voltage 0.0", DefaultWith(37, "0.0"), Row(defaultLabel, 20, 1, 120, 0, 999)},
      {"voltage blank", DefaultWith(37, "   "), Row(defaultLabel, 20, 1, 120, 0, 999)},
      {"voltage -5", DefaultWith(37, "-5 "), Row(defaultLabel, 20, 1, -5, 0, 999)},
      {"voltage 240", DefaultWith(37, "240"), Row(defaultLabel, 20, 1, 240, 0, 999)},
      {"four-digit high limit", DefaultWith(41, "1234"), Row(defaultLabel, 20, 1, 120, 1234, 999)},
      {"high and low limits", DefaultWith(41, "150,090"), Row(defaultLabel, 20, 1, 120, 150, 90)},
      {"fractional low limit", DefaultWith(45, "0.1"),
       Row(defaultLabel, 20, 1, 120, 0, 0.1F)},
      {"settings", DefaultWith(27, "0200,2.50"), Row(defaultLabel, 200, 2.5, 120, 0, 999)},
      {"label only", "Main feeder", Row("Main feeder", 0, 0, 120, 0, 0)},
      {"label cut at 25", std::string(30, 'x'), Row(std::string(25, 'x'), 0, 0, 120, 0, 0)},
      {"empty line", "", Row("", 0, 0, 120, 0, 0)},
  };
  for (const ColumnCase& test : cases) {
    SCOPED_TRACE(test.name);
    CaptureRun rig;
    std::vector<std::string> lines(16, kLastDefaultLine);
    lines[0] = test.line;
    rig.dir.Write("ct.dat", Lines(lines));
    LoadChannelTable(rig.context);
    ExpectSameRow(rig.context.state.channels[1], test.expected, 1);
    EXPECT_EQ(rig.surface.Text(TextBox::Text2), "");
  }
}

TEST(ChannelTableFile, TwentyLinesLoadTheFirstSixteenWithoutMessage) {
  CaptureRun rig;
  std::vector<std::string> lines;
  for (int n = 1; n <= 20; ++n) lines.push_back(DefaultWith(41, std::to_string(1000 + n)));
  rig.dir.Write("ct.dat", Lines(lines));
  LoadChannelTable(rig.context);
  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "");
  for (int row = 1; row <= 16; ++row) EXPECT_EQ(rig.context.state.channels[row].highLimit, 1000 + row);
  EXPECT_EQ(rig.context.state.channels[17].highLimit, 0);
}

// Failures: the message, and rows never half updated.
struct LoadFailureCase {
  const char* name;
  bool fileExists;
  int lines;            // lines in the file
  int rowsLoaded;       // rows that take the file's values
};

TEST(ChannelTableFile, FailedLoadKeepsUnreachedRowsAndShowsProblem) {
  const std::vector<LoadFailureCase> cases = {
      {"missing file", false, 0, 0},
      {"empty file", true, 0, 0},
      {"ten lines", true, 10, 10},
      {"fifteen lines", true, 15, 15},
  };
  for (const LoadFailureCase& test : cases) {
    SCOPED_TRACE(test.name);
    CaptureRun rig;
    for (ChannelEntry& row : rig.context.state.channels) row = kMarkedRow;
    if (test.fileExists) {
      rig.dir.Write("ct.dat", Lines(std::vector<std::string>(test.lines, kFirstDefaultLine)));
    }
    LoadChannelTable(rig.context);
    EXPECT_EQ(rig.surface.Text(TextBox::Text2), "Problem with file ct.dat");
    for (int row = 1; row <= 16; ++row) {
      const bool loaded = row <= test.rowsLoaded;
      EXPECT_EQ(rig.context.state.channels[row].lowLimit, loaded ? 999 : 7) << "row " << row;
      EXPECT_EQ(rig.context.state.channels[row].label, loaded ? Left(kFirstDefaultLine, 25)
                                                              : "earlier") << "row " << row;
    }
  }
}

}  // namespace
}  // namespace tally
