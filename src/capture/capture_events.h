#pragma once
// What the capture tells its operator, as events with their data. Each front
// end puts them in its own words: the window into its lists, boxes and
// status indicator, the service into log lines. Events are told in the order
// things happen.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/clock.h"
#include "common/serial_port.h"

namespace tally {

namespace event {

// The first burst since start, thrown away: the run is in step.
struct SyncBurstDropped {};
// A good line, counted into the set in progress (lineCount 1..16).
struct ReadingTaken {
  std::string line;
  std::int64_t lineCount = 0;
};
// A burst that gave no line, and why.
struct ReadingRejected {
  std::string reason;
  std::string burst;
};
// The processor type as the last burst shows it (eight fields: fLII).
struct ProcessorTypeSeen {
  bool eightFields = false;
};
// The sixteenth line completed set number; its files were written.
struct SetWritten {
  std::int64_t number = 0;
  std::vector<std::string> files;
};
// Set number's files were not taken by the data directory: kept for later.
struct SetKept {
  std::int64_t number = 0;
  LocalDateTime at;
  std::string reason;
};
// A set was completed (after SetWritten or SetKept); the sets still wanted
// when the run counts down to an end.
struct SetCompleted {
  std::int64_t number = 0;
  std::optional<double> setsStillWanted;
};
// The run's end was asked: no more sets are wanted.
struct RunEndAsked {};
struct EndCommandSent {
  int count = 0;
};
// The end command did not go out: the port was closed, or refused it.
struct EndCommandNotSent {
  bool portClosed = false;
  std::string reason;
};
// The interval setting could not be used as given; another is used.
struct IntervalUnusable {
  std::string given;
  int usedMilliseconds = 0;
};
// The scratch file cannot be used (reason names the file and the cause);
// readings are decoded in memory. Told once while it lasts.
struct ScratchFileFailing {
  std::string reason;
};
// A channel's value beyond one of its limits. logLine is the alarm log's
// line: the channel as received, the kind and the stamps.
struct Alarm {
  std::int64_t channel = 0;
  bool high = false;
  double value = 0;
  double limit = 0;
  std::string logLine;
};
// The alarm log cannot be written. Told once while it lasts.
struct AlarmLogFailing {
  std::string reason;
};
// A line of a channel the channel table has no row for.
struct ChannelWithoutLimits {
  std::int64_t channel = 0;
};
// The last kept writes were made, to these files; setGoodAgain when the
// status said a set was kept.
struct KeptLinesWritten {
  LocalDateTime at;
  std::vector<std::string> files;
  bool setGoodAgain = false;
};
// A write was made but could not be flushed to the device nor taken back:
// it stands and is not made again.
struct WriteUnflushed {
  LocalDateTime at;
  std::string reason;
};
// A kept replacement of file was not made: the file was written anew after
// it was kept (by another run, say) and holds newer lines.
struct KeptReplacementOutdated {
  LocalDateTime at;
  std::string file;
};
struct KeptLinesInMemoryOnly {
  std::string reason;
};
struct NoJournalFolder {};
struct EarlierKeptLinesFound {
  std::string journal;
};
struct KeptLinesStillWait {
  std::string reason;
};
// A port is being pressed: support files read again, the link prepared.
struct LinkPreparing {};
struct LineSettingsRefused {
  std::string reason;
};
struct PortOpened {
  int number = 0;
};
// message is the port's own account; fault what the device told.
struct PortNotOpened {
  int number = 0;
  OpenFault fault;
  std::string message;
};
// The port's own text says which port and why.
struct PortLost {
  LocalDateTime at;
  std::string why;
};
struct PortBack {
  LocalDateTime at;
  std::string why;
};
// The data directory the run writes into, and the file marker taken from
// its name.
struct DataDirectorySelected {
  std::string path;
  std::string marker;
};
struct SupportFileUnreadable {
  std::string name;
};
struct SupportFileWritten {
  std::string name;
};
struct SupportFileRefused {
  std::string name;
  std::string reason;
};
// The default support files are not written while sets are still wanted.
struct InitRefused {};
// The default support files were written; refused of them were not.
struct InitDone {
  int refused = 0;
};

}  // namespace event

using CaptureEvent =
    std::variant<event::SyncBurstDropped, event::ReadingTaken, event::ReadingRejected,
                 event::ProcessorTypeSeen, event::SetWritten, event::SetKept, event::SetCompleted,
                 event::RunEndAsked, event::EndCommandSent, event::EndCommandNotSent,
                 event::IntervalUnusable, event::ScratchFileFailing, event::Alarm,
                 event::AlarmLogFailing, event::ChannelWithoutLimits, event::KeptLinesWritten, event::WriteUnflushed,
                 event::KeptReplacementOutdated,
                 event::KeptLinesInMemoryOnly, event::NoJournalFolder, event::EarlierKeptLinesFound,
                 event::KeptLinesStillWait, event::LinkPreparing, event::LineSettingsRefused,
                 event::PortOpened, event::PortNotOpened, event::PortLost, event::PortBack,
                 event::DataDirectorySelected, event::SupportFileUnreadable,
                 event::SupportFileWritten, event::SupportFileRefused, event::InitRefused,
                 event::InitDone>;

// Where a front end takes the events.
class CaptureEvents {
 public:
  virtual ~CaptureEvents() = default;
  virtual void Tell(const CaptureEvent& event) = 0;
};

// A visitor made of lambdas, one per event type (or a generic one).
template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};
template <class... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace tally
