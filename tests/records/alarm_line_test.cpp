// Lines of "alarmlog.txt": the parts every reader takes from them.

#include "records/alarm_line.h"

#include <gtest/gtest.h>

#include <string>

namespace tally {
namespace {

TEST(AlarmLineTest, PartsOfTheLogLine) {
  struct Case {
    std::string line;
    std::string parts;  // channel text|channel number|kind|stamp read, "-" for no alarm form
  } cases[] = {
      {"03 high fL0120261206143015", "03|3|high|2026-12-06T14:30:15"},
      {"16 low  fL0120261206143015", "16|16|low|2026-12-06T14:30:15"},
      {"123 high fL0120261206143015", "123|123|high|2026-12-06T14:30:15"},
      {"x3 high fL0120261206143015", "x3||high|2026-12-06T14:30:15"},
      {"03 high fL0120261306143015", "03|3|high|"},  // no 13th month: an alarm without a time
      {"03 high fL012026120614301", "-"},
      {"03 hi fL0120261206143015", "-"},
      {" high fL0120261206143015", "-"},
      {"not an alarm", "-"},
  };
  for (const Case& c : cases) {
    const std::optional<AlarmLine> alarm = ReadAlarmLine(c.line);
    const std::string parts = alarm ? alarm->channelText + "|" +
                                          (alarm->channel ? std::to_string(*alarm->channel) : "") + "|" +
                                          AlarmKindName(alarm->kind) + "|" + (alarm->stamp ? alarm->stamp->Iso() : "")
                                    : "-";
    EXPECT_EQ(parts, c.parts) << c.line;
  }
}

}  // namespace
}  // namespace tally
