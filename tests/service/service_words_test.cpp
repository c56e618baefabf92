// The capture events in the service's log: the priority each one is logged
// at, and the advice a headless operator can follow.

#include "service/service_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tally {
namespace {

using enum LogPriority;

ServiceSettings Started(const std::string& device = "") {
  ServiceSettings settings;
  settings.portNumber = 2;
  settings.device = device;
  settings.dataDirectory = "/srv/SITE";
  return settings;
}

TEST(ServiceWords, EachEventIsLoggedAtThePriorityOfWhatItIs) {
  const struct {
    CaptureEvent event;
    LogPriority priority;
  } cases[] = {
      {event::ReadingTaken{"03,005,00020,00300", 3}, Info},
      {event::ReadingRejected{"too few items", "1,2"}, Warning},
      {event::SetWritten{3, {"fl.db1"}}, Info},
      {event::SetKept{3, {}, "fl.db1: read-only"}, Warning},
      {event::EndCommandSent{0}, Info},
      {event::EndCommandNotSent{true, "the port is closed"}, Warning},
      {event::EndCommandNotSent{false, "writing failed"}, Error},
      {event::IntervalUnusable{"abc", 2000}, Warning},
      {event::ScratchFileFailing{"cannot use cp.txt: read-only"}, Warning},
      {event::Alarm{3, true, 25, 20, "03 high fL0120261206143015"}, Warning},
      {event::AlarmLogFailing{"disk full"}, Error},
      {event::ChannelWithoutLimits{20}, Warning},
      {event::KeptLinesWritten{{}, {"fl.db1"}, true}, Info},
      {event::WriteUnflushed{{}, "fl.db1: written, not flushed"}, Warning},
      {event::KeptReplacementOutdated{{}, "/data/ct.cap"}, Warning},
      {event::KeptLinesInMemoryOnly{"no room"}, Warning},
      {event::NoJournalFolder{}, Warning},
      {event::EarlierKeptLinesFound{"/state/kept"}, Info},
      {event::KeptLinesStillWait{"read-only"}, Warning},
      {event::LineSettingsRefused{"bad parity"}, Error},
      {event::PortOpened{1}, Info},
      {event::PortNotOpened{1, {}, "Com1 (/dev/ttyS0): no such device"}, Warning},
      {event::PortLost{{}, "Com1 (/dev/ttyS0) lost: hung up"}, Warning},
      {event::PortBack{{}, "Com1 (/dev/ttyS0) open again"}, Info},
      {event::SupportFileUnreadable{"ct.dat"}, Error},
      {event::SupportFileWritten{"ct.dat"}, Info},
      {event::SupportFileRefused{"ct.dat", "read-only"}, Error},
      {event::InitRefused{}, Error},
      {event::InitDone{0}, Info},
      {event::InitDone{1}, Error},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PriorityOf(c.event), c.priority) << LogTextOf(c.event, Started());
  }
}

TEST(ServiceWords, AdviceNamesTheOptionsTheProgramWasStartedWith) {
  const OpenFault missing{OpenProblem::NoSuchDevice, "/dev/ttyUSB0", "dialout", ""};
  const OpenFault held{OpenProblem::InUse, "/dev/ttyUSB0", "dialout", ""};
  const struct {
    CaptureEvent event;
    ServiceSettings settings;
    std::string text;
  } cases[] = {
      {event::PortNotOpened{2, missing, ""}, Started(),
       "Com2 (/dev/ttyUSB0): no such device; plug in the adapter or start with --port naming the "
       "device to use"},
      {event::PortNotOpened{2, missing, ""}, Started("/dev/ttyUSB0"),
       "Com2 (/dev/ttyUSB0): no such device; plug in the adapter"},
      {event::PortNotOpened{2, held, ""}, Started("/dev/ttyUSB0"),
       "Com2 (/dev/ttyUSB0): in use by another program; close it"},
      {event::SupportFileUnreadable{"ct.dat"}, Started(),
       "ct.dat in /srv/SITE cannot be read; tally77-capture --init --data-dir /srv/SITE writes the "
       "default files"},
      {event::SetWritten{3, {"fl.db1", "ct.cap"}}, Started(), "Set 3 written (fl.db1, ct.cap)"},
      {event::InitDone{1}, Started(), "1 of the 3 default support files not written in /srv/SITE"},
      {event::LinkPreparing{}, Started(), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(LogTextOf(c.event, c.settings), c.text);
}

}  // namespace
}  // namespace tally
