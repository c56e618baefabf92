// What the capture's writers write, read back through records byte for
// byte: the set record of fLI and fLII sets, the alarm line of both kinds
// and the channel table row with its limits.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doubles/capture_run.h"
#include "records/alarm_line.h"
#include "records/channel_row.h"
#include "records/set_line.h"

namespace tally {
namespace {

using testing::CaptureRun;
using testing::LinesOf;

TEST(WrittenReadTest, WhatTheCaptureWritesReadsBackByteForByte) {
  struct Case {
    const char* name;
    std::string rest;        // the burst's fields after channel and value
    std::string value3;      // channel 3's reading; ct.dat gives it high 20, low 100
    SetType type;
    AlarmKind kind;
  } cases[] = {
      {"fLI, high", ",20,300", "900", SetType::fLI, AlarmKind::High},
      {"fLI, low", ",20,300", "5.5", SetType::fLI, AlarmKind::Low},
      {"fLII, high", ",20,300,7,99999,12,12000", "150", SetType::fLII, AlarmKind::High},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CaptureRun rig(testing::kWithSupportFiles);
    rig.dir.Write("ct.dat", testing::TableWithChannel3Limits("0020100"));
    rig.port.open = true;
    rig.SetObs("1");
    rig.PressPort();
    rig.SyncBurst();
    for (int channel = 16; channel >= 1; --channel) {
      rig.Burst(std::to_string(channel) + "," + (channel == 3 ? c.value3 : std::to_string(40 + channel)) + c.rest);
    }

    // The set record: each slot holds its channel's reading line as the
    // capture showed it in List1, the header the set's stamp.
    const std::vector<std::string> sets = LinesOf(rig.Read("fl.db1"));
    ASSERT_EQ(sets.size(), 1u);
    const SetLine set = ParseSetLine(sets[0]);
    ASSERT_FALSE(set.damaged()) << set.reason;
    EXPECT_EQ(set.type, c.type);
    std::vector<std::string> slots;
    for (int slot = 1; slot <= kChannelSlots; ++slot) {
      const Field& first = set.slots[slot - 1].fields[0];
      const Field& last = set.slots[slot - 1].fields[FieldCount(set.type) - 1];
      slots.push_back(set.text.substr(first.position, last.position + last.length - first.position));
    }
    std::vector<std::string> shown(rig.surface.list1.rbegin(), rig.surface.list1.rbegin() + kChannelSlots);
    EXPECT_EQ(slots, shown);

    // The alarm line: its parts, written again, give the same bytes.
    const std::vector<std::string> alarms = LinesOf(rig.Read("alarmlog.txt"));
    ASSERT_EQ(alarms.size(), 1u);
    const std::optional<AlarmLine> alarm = ReadAlarmLine(alarms[0]);
    ASSERT_TRUE(alarm);
    EXPECT_EQ(alarm->channel, 3);
    EXPECT_EQ(alarm->kind, c.kind);
    ASSERT_TRUE(alarm->stamp);
    EXPECT_EQ(alarm->stamp->Seconds() / 86400, set.stamp.Seconds() / 86400);
    EXPECT_EQ(AlarmText(alarm->channelText, alarm->kind, "fL01" + alarm->stampText), alarms[0]);

    // The channel table: channel 3's limits as the alarm tests used them,
    // the default rows with both tests off.
    const std::vector<std::string> rows = LinesOf(rig.Read("ct.dat"));
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kChannelTableLines));
    EXPECT_EQ(EntryFromLine(rows[2]).HighLimit(), 20);
    EXPECT_EQ(EntryFromLine(rows[2]).LowLimit(), 100);
    EXPECT_EQ(rows[0] + "\r\n", DefaultChannelLine(1));
    EXPECT_FALSE(EntryFromLine(rows[0]).HighLimit());
    EXPECT_FALSE(EntryFromLine(rows[0]).LowLimit());
  }
}

}  // namespace
}  // namespace tally
