// The zone's changes as the system's zone database gives them.

#include "history/qt/zone_of_qt.h"

#include <gtest/gtest.h>

#include "records/set_line.h"

namespace tally::history {
namespace {

TEST(ZoneOfQtTest, BerlinRepeatsAndSkipsAnHour) {
  const std::optional<QTimeZone> zone = ZoneNamed("Europe/Berlin");
  if (!zone) GTEST_SKIP() << "the zone database (tzdata) does not know Europe/Berlin";
  const ZoneRules rules = RulesOf(*zone);
  struct Case {
    LocalStamp stamp;
    DstMark mark;
    int offset;
  };
  for (const Case& c : {Case{{2026, 1, 10, 12, 0, 0}, DstMark::None, 3600},
                        Case{{2026, 3, 29, 2, 30, 0}, DstMark::Skipped, 3600},
                        Case{{2026, 7, 1, 12, 0, 0}, DstMark::None, 7200},
                        Case{{2026, 10, 25, 2, 30, 0}, DstMark::Repeated, 7200},
                        Case{{2150, 7, 1, 12, 0, 0}, DstMark::None, 7200}}) {
    const LocalOffsets offsets = rules.At(c.stamp.Seconds());
    EXPECT_EQ(offsets.mark, c.mark) << c.stamp.Iso();
    EXPECT_EQ(offsets.offset, c.offset) << c.stamp.Iso();
  }
  EXPECT_FALSE(ZoneNamed("Nowhere/Atlantis"));
}

}  // namespace
}  // namespace tally::history
