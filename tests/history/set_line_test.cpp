// Lines of "fl.db1": whole sets as the capture writes them, and every kind of
// damaged line kept with its reason.

#include "records/set_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/set_index.h"
#include "history_sets.h"

namespace tally::history {
namespace {

using testing::SetFields;
using testing::CaptureRun;
using testing::WriteSet;

TEST(SetLineTest, ReadsTheSetsTheCaptureWrote) {
  CaptureRun rig;
  WriteSet(rig, 1, "20261206143015", false, "AB12");
  WriteSet(rig, 2, "20261206143120", true, "\xE9t\xE9 ");
  // Field 3 of every line six digits wide: an over-wide set, every reading kept.
  constexpr int kWideSet = 100000;
  WriteSet(rig, kWideSet, "20261206143225", false, "AB12");
  SetIndex index(rig.dir.dataPath() + "fl.db1");
  EXPECT_EQ(index.IndexAll(), FileChange::Opened);
  ASSERT_EQ(index.size(), 3u);
  EXPECT_EQ(index.damagedCount(), 0u);
  EXPECT_EQ(index.Offset(1), 326u);
  EXPECT_EQ(index.Length(0), 326u);
  EXPECT_EQ(index.Length(1), 678u);

  struct Expected {
    int set;
    std::string marker;
    LocalStamp stamp;
    SetType type;
  };
  const std::vector<Expected> rows = {{1, "AB12", {2026, 12, 6, 14, 30, 15}, SetType::fLI},
                                      {2, "\xE9t\xE9 ", {2026, 12, 6, 14, 31, 20}, SetType::fLII},
                                      {kWideSet, "AB12", {2026, 12, 6, 14, 32, 25}, SetType::fLI}};
  for (std::size_t row = 0; row < rows.size(); ++row) {
    SCOPED_TRACE(row);
    const SetLine set = index.Parse(row);
    EXPECT_FALSE(set.damaged());
    EXPECT_EQ(set.overWide, rows[row].set == kWideSet);
    EXPECT_EQ(set.marker, rows[row].marker);
    EXPECT_EQ(set.stamp, rows[row].stamp);
    EXPECT_EQ(set.type, rows[row].type);
    for (int slot = 1; slot <= kChannelSlots; ++slot) {
      const std::vector<int> fields = SetFields(rows[row].set, slot, set.type == SetType::fLII);
      ASSERT_EQ(set.slots[slot - 1].fieldCount, static_cast<int>(fields.size()));
      for (std::size_t field = 1; field <= fields.size(); ++field) {
        EXPECT_EQ(set.Value(slot, static_cast<int>(field)), fields[field - 1]);
        EXPECT_EQ(set.PlainNumber(slot, static_cast<int>(field)), std::to_string(fields[field - 1]));
      }
    }
  }
}

// A whole fLI line; slot 5 field 3 starts at character 18 + 4 * 19 + 8.
std::string WholeLine() {
  std::string line = "AB1220261206143015";
  for (int channel = 1; channel <= 16; ++channel)
    line += "," + testing::PaddedLine(SetFields(3, channel, false));
  return line + "  ";
}

std::string With(std::size_t position, const std::string& text) {
  return WholeLine().replace(position, text.size(), text);
}

std::string MixedLine() {
  std::string line = "AB1220261206143015";
  for (int channel = 1; channel <= 16; ++channel) {
    line += "," + testing::PaddedLine(SetFields(3, channel, channel != 9));
  }
  return line + "  ";
}

// A line with digits put in front of slot's field (both 1-based).
std::string Widened(std::string line, int slot, int field, std::size_t digits = 1) {
  std::size_t at = 18;
  for (int seen = 0; seen < (slot - 1) * 4 + field; ++seen) at = line.find(',', at) + 1;
  return line.insert(at, digits, '1');
}

struct LineCase {
  const char* what;
  std::string line;
  std::string reason;  // "" for a whole set, or what says it is over-wide
};

bool SaysDamaged(const std::string& reason) { return !reason.empty() && reason.rfind("over-wide", 0) != 0; }

const std::vector<LineCase> kLineCases = {
    {"whole", WholeLine(), ""},
    {"decimal point", With(18 + 4 * 19 + 8, "001.5"), ""},
    {"ends in comma and blank", With(322, ", "), ""},
    {"cut short", WholeLine().substr(0, 300),
     "wrong length: 300 characters, not 324 (fLI) or 676 (fLII)"},
    {"empty", "", "wrong length: 0 characters, not 324 (fLI) or 676 (fLII)"},
    {"mixed", MixedLine(), "a set of fLI and fLII lines mixed: 654 characters"},
    {"month 13", With(8, "13"), "stamp is no date: \"20261306143015\""},
    {"30 February", With(8, "0230"), "stamp is no date: \"20260230143015\""},
    {"hour 24", With(12, "24"), "stamp is no date: \"20261206243015\""},
    {"letter in stamp", With(11, "x"), "stamp is not digits: \"2026120x143015\""},
    {"letter in field", With(18 + 4 * 19 + 8, "00x20"), "slot 5 field 3 is not a number: \"00x20\""},
    {"two points", With(18 + 4 * 19 + 8, "0.1.2"), "slot 5 field 3 is not a number: \"0.1.2\""},
    {"no comma", With(18 + 19, ";"), "no comma at character 38"},
    {"bad end", With(322, "xx"), "ends in \"xx\", not two blanks or a comma and a blank"},
    {"a set ended by LF alone runs on into the next", WholeLine() + "\n" + WholeLine(), "line ends in LF without CR"},
    {"a value wider than its field", Widened(WholeLine(), 5, 2),
     "over-wide: 325 characters, a value wider than its field; every reading kept"},
    {"22 characters wider, as long as a mixed set", Widened(WholeLine(), 16, 3, 22),
     "over-wide: 346 characters, a value wider than its field; every reading kept"},
    {"over-wide and mixed", Widened(MixedLine(), 3, 1), "a set of fLI and fLII lines mixed: 655 characters"},
    {"over-wide with a bad end", Widened(With(322, "xx"), 2, 4),
     "ends in \"xx\", not two blanks or a comma and a blank"},
    {"a field narrower than its width", WholeLine().erase(18 + 4 * 19 + 8, 1),
     "wrong length: 323 characters, not 324 (fLI) or 676 (fLII)"},
};

TEST(SetLineTest, DamagedLinesCarryTheirReason) {
  for (const LineCase& c : kLineCases) {
    SCOPED_TRACE(c.what);
    const SetLine set = ParseSetLine(c.line);
    EXPECT_EQ(set.reason, c.reason);
    EXPECT_EQ(set.damaged(), SaysDamaged(c.reason));
    // The quick check while indexing gives the same verdict.
    EXPECT_EQ(CheckSetLine(c.line), set.damage);
  }
}

// The quick check reads a whole line sixteen bytes at a time: any byte
// changed anywhere in an fLI or fLII line gets the full parse's verdict.
TEST(SetLineTest, TheQuickCheckAgreesWithTheParseAtEveryPosition) {
  std::string fLII = "AB1220261206143015";
  for (int channel = 1; channel <= 16; ++channel) fLII += "," + testing::PaddedLine(SetFields(3, channel, true));
  fLII += ", ";
  for (const std::string& whole : {WholeLine(), fLII}) {
    for (std::size_t position = 0; position < whole.size(); ++position) {
      for (const char changed : {'x', ',', '7', '.', ' '}) {
        std::string line = whole;
        line[position] = changed;
        ASSERT_EQ(CheckSetLine(line), ParseSetLine(line).damage) << position << " " << changed << " in " << line;
      }
    }
  }
}

TEST(SetLineTest, TheIndexKeepsDamagedLinesAsRowsInFileOrder) {
  CaptureRun rig;
  std::string file;
  std::size_t damaged = 0;
  for (const LineCase& c : kLineCases) {
    file += c.line + "\r\n";
    damaged += SaysDamaged(c.reason);
  }
  rig.dir.Write("fl.db1", file);
  SetIndex index(rig.dir.dataPath() + "fl.db1");
  index.IndexAll();
  ASSERT_EQ(index.size(), kLineCases.size());
  EXPECT_EQ(index.damagedCount(), damaged);
  for (std::size_t row = 0; row < kLineCases.size(); ++row) {
    SCOPED_TRACE(kLineCases[row].what);
    EXPECT_EQ(index.Parse(row).reason, kLineCases[row].reason);
    EXPECT_EQ(index.LineText(row), kLineCases[row].line);
  }
}

TEST(SetLineTest, PaddingZerosAreDropped) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"00020", "20"}, {"00000", "0"}, {"007", "7"}, {"12345", "12345"}, {"001.5", "1.5"}, {"00.50", "0.50"}};
  for (const auto& [padded, plain] : cases) EXPECT_EQ(WithoutPadding(padded), plain) << padded;
}

TEST(LocalStampTest, SecondsRoundTripAndOrder) {
  for (const LocalStamp stamp : {LocalStamp{1970, 1, 1, 0, 0, 0}, LocalStamp{2024, 2, 29, 23, 59, 59},
                                 LocalStamp{2026, 12, 6, 14, 30, 15}, LocalStamp{1969, 12, 31, 23, 0, 0}}) {
    EXPECT_EQ(LocalStamp::FromSeconds(stamp.Seconds()), stamp) << stamp.Iso();
  }
  EXPECT_EQ((LocalStamp{1970, 1, 2, 0, 0, 1}.Seconds()), 86401);
  EXPECT_EQ((LocalStamp{2026, 12, 6, 14, 30, 15}.Iso()), "2026-12-06T14:30:15");
}

}  // namespace
}  // namespace tally::history
