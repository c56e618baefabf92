#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/log_line.h"
#include "doubles/scoped_variable.h"

namespace tally {
namespace {

class UtcZone : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) savedZone_ = tz;
    setenv("TZ", "UTC0", 1);
    tzset();
  }
  void TearDown() override {
    if (savedZone_.empty()) {
      unsetenv("TZ");
    } else {
      setenv("TZ", savedZone_.c_str(), 1);
    }
    tzset();
  }
  std::string savedZone_;
};

constexpr std::time_t kDecemberSixth = 1796567415;  // 2026-12-06 14:30:15 UTC

TEST_F(UtcZone, LinesCarryThePriorityOrTheTimeAndStayOneLine) {
  struct Case {
    LogStyle style;
    LogPriority priority;
    std::string text;
    std::string line;
  };
  const Case cases[] = {
      {LogStyle::Journal, LogPriority::Info, "sync ", "<6>sync \n"},
      {LogStyle::Journal, LogPriority::Warning, "Reading rejected", "<4>Reading rejected\n"},
      {LogStyle::Journal, LogPriority::Error, "a\r\nb", "<3>a  b\n"},
      {LogStyle::Timestamped, LogPriority::Warning, "lost", "2026-12-06T14:30:15+00:00 lost\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LogLine(c.style, c.priority, c.text, kDecemberSixth), c.line);
  }
}

TEST_F(UtcZone, TheTimeNamesItsOffsetFromUtc) {
  setenv("TZ", "XST-05:30", 1);
  tzset();
  EXPECT_EQ(IsoLocalTime(kDecemberSixth), "2026-12-06T20:00:15+05:30");
  setenv("TZ", "YST+03", 1);
  tzset();
  EXPECT_EQ(IsoLocalTime(kDecemberSixth), "2026-12-06T11:30:15-03:00");
}

TEST(LogStyle, OnlyTheStreamTheJournalNamesGetsPriorities) {
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  struct stat status {};
  ASSERT_EQ(fstat(fileno(stream), &status), 0);
  const testing::ScopedVariable journal("JOURNAL_STREAM", nullptr);
  EXPECT_EQ(LogStyleFor(stream), LogStyle::Timestamped);
  journal.Set((std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino)).c_str());
  EXPECT_EQ(LogStyleFor(stream), LogStyle::Journal);
  journal.Set("8:12345");
  EXPECT_EQ(LogStyleFor(stream), LogStyle::Timestamped);
  std::fclose(stream);
}

}  // namespace
}  // namespace tally
