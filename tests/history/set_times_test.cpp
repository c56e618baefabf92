// Local stamps given the offset the zone had: the hours a change of the
// clocks repeats or skips, and the file's order that places a repeated stamp.

#include "history/set_times.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "records/zone_rules.h"
#include "history_sets.h"

namespace tally::history {
namespace {

using testing::CaptureRun;
using testing::WriteSet;

// Central European rules of 2026: forward at 01:00 UTC on 29 March, back at
// 01:00 UTC on 25 October.
const ZoneRules kBerlin2026(3600, {{LocalStamp{2026, 3, 29, 1, 0, 0}.Seconds(), 3600, 7200},
                                   {LocalStamp{2026, 10, 25, 1, 0, 0}.Seconds(), 7200, 3600}});

TEST(ZoneRulesTest, StampsAroundTheChanges) {
  struct Case {
    LocalStamp stamp;
    DstMark mark;
    int offset;
  };
  const std::vector<Case> cases = {
      {{2026, 1, 10, 12, 0, 0}, DstMark::None, 3600},
      {{2026, 3, 29, 1, 59, 59}, DstMark::None, 3600},
      {{2026, 3, 29, 2, 0, 0}, DstMark::Skipped, 3600},
      {{2026, 3, 29, 2, 59, 59}, DstMark::Skipped, 3600},
      {{2026, 3, 29, 3, 0, 0}, DstMark::None, 7200},
      {{2026, 7, 1, 12, 0, 0}, DstMark::None, 7200},
      {{2026, 10, 25, 1, 59, 59}, DstMark::None, 7200},
      {{2026, 10, 25, 2, 0, 0}, DstMark::Repeated, 7200},
      {{2026, 10, 25, 2, 59, 59}, DstMark::Repeated, 7200},
      {{2026, 10, 25, 3, 0, 0}, DstMark::None, 3600},
  };
  for (const Case& c : cases) {
    const LocalOffsets offsets = kBerlin2026.At(c.stamp.Seconds());
    EXPECT_EQ(offsets.mark, c.mark) << c.stamp.Iso();
    EXPECT_EQ(offsets.offset, c.offset) << c.stamp.Iso();
  }
  EXPECT_EQ(kBerlin2026.At(LocalStamp{2026, 10, 25, 2, 30, 0}.Seconds()).laterOffset, 3600);
}

TEST(ZoneRulesTest, OffsetTexts) {
  EXPECT_EQ(OffsetText(3600), "+01:00");
  EXPECT_EQ(OffsetText(-12600), "-03:30");
  EXPECT_EQ(OffsetText(0), "+00:00");
  EXPECT_EQ(OffsetText(3208), "+00:53:28");
}

// The times of sets stamped in file order on 25 and 29 October 2026.
std::vector<std::string> TimesOf(const std::vector<std::string>& stamps) {
  CaptureRun rig;
  int set = 0;
  for (const std::string& stamp : stamps) {
    if (stamp == "damaged") {
      std::ofstream(rig.dir.dataPath() + "fl.db1", std::ios::binary | std::ios::app) << "x\r\n";
    } else {
      WriteSet(rig, ++set, stamp);
    }
  }
  SetIndex index(rig.dir.dataPath() + "fl.db1");
  index.IndexAll();
  std::vector<std::string> times;
  for (std::size_t row = 0; row < index.size(); ++row) {
    SetTime time;
    times.push_back(TimeOf(index, row, kBerlin2026, time) ? time.Iso() + " " + DstMarkName(time.mark)
                                                          : "none");
  }
  return times;
}

TEST(SetTimesTest, AStepBackInTheRepeatedHourPlacesTheStampsAroundTheChange) {
  EXPECT_EQ(TimesOf({"20261025015000", "20261025021000", "20261025025000", "damaged", "20261025020500",
                     "20261025024000", "20261025031000"}),
            (std::vector<std::string>{"2026-10-25T01:50:00+02:00 ", "2026-10-25T02:10:00+02:00 ",
                                      "2026-10-25T02:50:00+02:00 ", "none", "2026-10-25T02:05:00+01:00 ",
                                      "2026-10-25T02:40:00+01:00 ", "2026-10-25T03:10:00+01:00 "}));
}

TEST(SetTimesTest, WithoutAStepBackTheRepeatedHourIsMarked) {
  EXPECT_EQ(TimesOf({"20261025015000", "20261025022000", "20261025024000", "20261025031000"}),
            (std::vector<std::string>{"2026-10-25T01:50:00+02:00 ", "2026-10-25T02:20:00+02:00 repeated",
                                      "2026-10-25T02:40:00+02:00 repeated", "2026-10-25T03:10:00+01:00 "}));
}

TEST(SetTimesTest, TheSkippedHourIsMarkedWithTheOffsetBefore) {
  EXPECT_EQ(TimesOf({"20260329023000"}), (std::vector<std::string>{"2026-03-29T02:30:00+01:00 skipped"}));
}

}  // namespace
}  // namespace tally::history
