#include "capture/alarm_checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/path_text.h"
#include "doubles/capture_run.h"

namespace tally {
namespace {

using testing::CaptureRun;

const Stamps kStamps{"fL0120261206", "143015"};

ReadingLine ReadingFor(double channel, const std::string& channelText, double value) {
  ReadingLine line;
  line.fieldValue[0] = channel;
  line.fieldValue[1] = value;
  line.fieldText[0] = channelText;
  return line;
}

struct Limits {
  double high;
  float low;
};

// A rig with an open port and channel 3 carrying the given limits.
struct AlarmRig : CaptureRun {
  explicit AlarmRig(Limits limits) {
    port.open = true;
    context.state.channels[3].highLimit = limits.high;
    context.state.channels[3].lowLimit = limits.low;
  }
  void Check(double value) { CheckAlarms(context, ReadingFor(3, "03", value), kStamps); }
};

const std::string kHighMessage = "AT TALLY77 Channel High:03\r\n";
const std::string kLowMessage = "AT TALLY77 Channel Low :03\r\n";
const std::string kHighText = "03 high fL0120261206143015";
const std::string kLowText = "03 low  fL0120261206143015";

struct LimitCase {
  const char* name;
  Limits limits;
  double value;
  bool high;
  bool low;
};

TEST(CheckAlarms, ComparesStrictlyWithBothLimits) {
  const std::vector<LimitCase> cases = {
      {"default row, no alarm ever", {0, 999}, 5000, false, false},
      {"equal to high limit", {100, 0}, 100, false, false},
      {"just above high limit", {100, 0}, 100.5, true, false},
      {"high limit negative is off", {-5, 0}, 1, false, false},
      {"equal to low limit", {0, 50}, 50, false, false},
      {"just below low limit", {0, 50}, 49.9, false, true},
      {"low limit 254 is off", {0, 254}, 0, false, false},
      {"low limit 253 fires below", {0, 253}, 252, false, true},
      {"low limit 253 quiet at 253", {0, 253}, 253, false, false},
      {"single-precision low limit above its decimal", {0, 0.1F}, 0.1, false, true},
      {"never-loaded row, value 0", {0, 0}, 0, false, false},
      {"never-loaded row, negative value", {0, 0}, -1, false, true},
      {"four-digit high limit", {1234, 999}, 1235, true, false},
  };
  for (const LimitCase& test : cases) {
    SCOPED_TRACE(test.name);
    AlarmRig rig(test.limits);
    rig.Check(test.value);
    std::string expectedPort;
    std::vector<std::string> expectedList;
    if (test.high) {
      expectedPort += kHighMessage;
      expectedList.push_back(kHighText);
    }
    if (test.low) {
      expectedPort += kLowMessage;
      expectedList.push_back(kLowText);
    }
    EXPECT_EQ(rig.port.written, expectedPort);
    EXPECT_EQ(rig.surface.list2, expectedList);
    std::string expectedLog;
    for (const std::string& text : expectedList) expectedLog += text + "\r\n";
    EXPECT_EQ(rig.dir.Read("alarmlog.txt"), expectedLog);
  }
}

TEST(CheckAlarms, BothAlarmsForOneLineHighFirst) {
  AlarmRig rig({10, 100});
  rig.dir.Write("alarmlog.txt", "earlier alarm\r\n");
  rig.Check(50);
  EXPECT_EQ(rig.port.written, kHighMessage + kLowMessage);
  EXPECT_EQ(rig.surface.list2, (std::vector<std::string>{kHighText, kLowText}));
  EXPECT_EQ(rig.dir.Read("alarmlog.txt"), "earlier alarm\r\n" + kHighText + "\r\n" + kLowText + "\r\n");
}

// A crash in the middle of an alarm line's append leaves a part of it; the
// next alarm's line stands on a line of its own after it: a part shorter
// than the line is taken away, a longer one (of a channel written wider) is
// ended, never cut.
TEST(CheckAlarms, TheNextAlarmLineIsNeverGluedToOneACrashCutShort) {
  const std::string longer = "3.25 high fL0120261206143015";  // two characters more than kLowText
  const struct {
    const char* left;
    std::string log;    // before the alarm
    std::string after;  // once the low alarm is logged
  } cases[] = {
      {"a part shorter than the line", kHighText + "\r\n" + longer.substr(0, 12),
       kHighText + "\r\n" + kLowText + "\r\n"},
      {"a longer line without its LF", kHighText + "\r\n" + longer + "\r",
       kHighText + "\r\n" + longer + "\r\n" + kLowText + "\r\n"},
      {"a longer line without its LF, alone in the log", longer + "\r", longer + "\r\n" + kLowText + "\r\n"},
  };
  for (const auto& c : cases) {
    AlarmRig rig({100, 10});
    rig.dir.Write("alarmlog.txt", c.log);
    rig.Check(5);
    EXPECT_EQ(rig.dir.Read("alarmlog.txt"), c.after) << c.left;
  }
}

TEST(CheckAlarms, ChannelIndexIsTheNearestWholeOfField1) {
  CaptureRun rig;
  rig.port.open = true;
  rig.context.state.channels[2].highLimit = 10;  // 2.5 rounds to the even 2
  rig.context.state.channels[4].highLimit = 10;  // 3.5 rounds to 4
  CheckAlarms(rig.context, ReadingFor(2.5, "2.5", 11), kStamps);
  CheckAlarms(rig.context, ReadingFor(3.5, "3.5", 11), kStamps);
  EXPECT_EQ(rig.port.written, "AT TALLY77 Channel High:2.5\r\nAT TALLY77 Channel High:3.5\r\n");
}

TEST(CheckAlarms, ChannelWithoutRowIsNamedAndNotChecked) {
  const std::vector<std::pair<double, std::string>> cases = {
      {-1, "Channel -1 has no limits: no alarm check"},
      {18, "Channel 18 has no limits: no alarm check"},
      {17.5, "Channel 18 has no limits: no alarm check"},
      {123, "Channel 123 has no limits: no alarm check"},
  };
  for (const auto& [channel, message] : cases) {
    SCOPED_TRACE(message);
    CaptureRun rig;
    rig.port.open = true;
    CheckAlarms(rig.context, ReadingFor(channel, "xx", -1000), kStamps);
    EXPECT_EQ(rig.surface.list2, std::vector<std::string>{message});
    EXPECT_EQ(rig.port.written, "");
    EXPECT_FALSE(rig.dir.Exists("alarmlog.txt"));
  }
}

TEST(CheckAlarms, EdgeRowsZeroAndSeventeenAreChecked) {
  for (const double channel : {0.0, -0.5, 17.0}) {
    CaptureRun rig;
    rig.port.open = true;
    CheckAlarms(rig.context, ReadingFor(channel, "00", -1), kStamps);
    EXPECT_EQ(rig.port.written, "AT TALLY77 Channel Low :00\r\n") << channel;
  }
}

TEST(CheckAlarms, ClosedPortStillListsAndLogsTheAlarm) {
  AlarmRig rig({10, 0});
  rig.port.open = false;
  rig.Check(11);
  EXPECT_EQ(rig.port.written, "");
  EXPECT_EQ(rig.surface.list2, std::vector<std::string>{kHighText});
  EXPECT_EQ(rig.dir.Read("alarmlog.txt"), kHighText + "\r\n");
}

// Alarm log lines the directory does not take are kept and written, in
// order, once it takes writes again; the failure is shown once while it
// lasts, and again after it has worked in between.
TEST(CheckAlarms, AlarmLogLinesAreKeptUntilTheDirectoryTakesThem) {
  AlarmRig rig({10, 100});
  const std::string folder = rig.dir.dataPath() + "proc";
  rig.context.state.dataPath = folder + kPathSeparator;  // not there yet
  const std::string log = "proc" + std::string(1, kPathSeparator) + "alarmlog.txt";

  rig.Check(50);  // both alarms, log fails twice: shown once
  ASSERT_EQ(rig.surface.list2.size(), 3u);
  EXPECT_EQ(rig.surface.list2[0], kHighText);
  EXPECT_EQ(rig.surface.list2[1].rfind("Alarm log not written: ", 0), 0u) << rig.surface.list2[1];
  EXPECT_NE(rig.surface.list2[1].find("kept until the directory takes writes"), std::string::npos);
  EXPECT_EQ(rig.surface.list2[2], kLowText);
  EXPECT_EQ(rig.port.written, kHighMessage + kLowMessage);

  std::filesystem::create_directory(folder);
  rig.Check(5);  // low alarm: the kept lines go first, then this one
  ASSERT_EQ(rig.surface.list2.size(), 5u);
  EXPECT_EQ(rig.surface.list2[3], kLowText);
  EXPECT_EQ(rig.surface.list2[4], "14:30:15 Kept lines written: alarmlog.txt");
  EXPECT_EQ(rig.dir.Read(log), kHighText + "\r\n" + kLowText + "\r\n" + kLowText + "\r\n");

  std::filesystem::remove_all(folder);
  rig.Check(5);  // fails again after having worked: shown again
  ASSERT_EQ(rig.surface.list2.size(), 7u);
  EXPECT_EQ(rig.surface.list2[5], kLowText);
  EXPECT_EQ(rig.surface.list2[6].rfind("Alarm log not written: ", 0), 0u);
}

}  // namespace
}  // namespace tally
