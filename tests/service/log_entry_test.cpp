#include <gtest/gtest.h>

#include "service/log_entry.h"

namespace tally {
namespace {

TEST(LogEntry, WhatNeedsAPersonIsAWarningOrAnError) {
  using enum LogPriority;
  struct Case {
    std::string entry;
    LogPriority priority;
    EntryEvent event;
  };
  const Case cases[] = {
      {"14:30:15 Com1 (/dev/ttyUSB0) lost: device gone; reopening every 3 s", Warning, EntryEvent::PortLost},
      {"14:30:18 Com1 (/dev/ttyUSB0) open again", Info, EntryEvent::PortBack},
      {"Com2 (/dev/ttyS1): no such device; plug in the adapter or set TALLY77_COM2 to the device to use",
       Warning, EntryEvent::PortNotOpen},
      {"03 high DEMO20261206143015", Warning, EntryEvent::Other},
      {"05 low  DEMO20261206143015", Warning, EntryEvent::Other},
      {"Reading rejected: too few items; burst \"1,2\"", Warning, EntryEvent::Other},
      {"14:30:15 Set 3 not written: fl.db1: disk full; kept until the directory takes writes", Warning,
       EntryEvent::Other},
      {"Interval \"abc\" cannot be used; 2000 ms used", Warning, EntryEvent::Other},
      {"Channel 20 has no limits: no alarm check", Warning, EntryEvent::Other},
      {"cannot use cp.txt: read-only; readings are decoded in memory", Warning, EntryEvent::Other},
      {"Alarm log not written: alarmlog.txt: disk full", Error, EntryEvent::Other},
      {"End command not sent: Com1 (/dev/ttyS0): writing failed", Error, EntryEvent::Other},
      {"14:30:15 Kept lines written: fl.db1, usage.cap", Info, EntryEvent::Other},
      {"files created", Info, EntryEvent::Other},
  };
  for (const Case& c : cases) {
    const EntryMeaning meaning = MeaningOfStatusEntry(c.entry);
    EXPECT_EQ(meaning.priority, c.priority) << c.entry;
    EXPECT_EQ(meaning.event, c.event) << c.entry;
  }
  EXPECT_TRUE(IsSupportFileProblem("Problem with file ct.dat"));
  EXPECT_FALSE(IsSupportFileProblem("15"));
}

}  // namespace
}  // namespace tally
