#include "capture/process_reading.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "capture/alarm_checks.h"
#include "capture/data_file_writes.h"
#include "capture/end_command.h"
#include "capture/reading_decoder.h"
#include "capture/set_files.h"
#include "capture/set_record.h"
#include "capture/status_indicator.h"
#include "common/number_text.h"
#include "common/positional_text.h"

namespace tally {

namespace {

constexpr std::int64_t kLinesPerSet = 16;
constexpr std::int64_t kUpdatePendingLine = 15;
constexpr std::size_t kShortLineLength = 18;
constexpr const char* kLineEnd = "\r\n";

// "hh:mm:ss mm-dd-yyyy" and CR LF: the lineStamps entry of one line.
void AppendLineStampEntry(std::string& entries, const LocalDateTime& now) {
  AppendStamp(entries, {{now.hour, 2, ':'}, {now.minute, 2, ':'}, {now.second, 2, ' '},
                        {now.month, 2, '-'}, {now.day, 2, '-'}, {now.year, 4}});
  entries += kLineEnd;
}


// A good line is listed, added to the set in progress and counted on screen.
// Gives the set record candidate of this line.
std::string TakeLineIntoSet(CaptureContext& context, const ReadingLine& line, const Stamps& stamps) {
  CaptureState& state = context.state;
  state.setLines += "," + line.text;
  std::string candidate = stamps.dateStamp + stamps.timeStamp + state.setLines;
  context.events.Tell(event::ReadingTaken{line.text, state.lineCount});
  state.shortLines += Left(line.text, kShortLineLength) + kLineEnd;
  AppendLineStampEntry(state.lineStamps, context.clock.Now());
  if (state.lineCount == kUpdatePendingLine) NoteSetKeptShown(context, false);
  return candidate;
}

std::vector<std::string> FileNames(const std::vector<SetFileWrite>& writes) {
  std::vector<std::string> names;
  for (const SetFileWrite& write : writes) names.push_back(write.name);
  return names;
}

// The sixteenth line completes the set. A set whose files the directory
// did not take is kept in memory, and told as kept until it is on disk.
void CompleteSet(CaptureContext& context, std::string candidate) {
  CaptureState& state = context.state;
  state.setRecord = std::move(candidate);
  state.sortedRecord = SortedRecord(state.setRecord, state.processorType, context.settings.Marker());
  const std::vector<SetFileWrite> writes = SetFileWrites(state);
  const Status written = WriteOrKeep(context, writes);
  const std::int64_t number = state.obsCount + 1;
  if (written.ok()) {
    context.events.Tell(event::SetWritten{number, FileNames(writes)});
  } else {
    context.events.Tell(event::SetKept{number, context.clock.Now(), written.failure().message});
  }
  NoteSetKeptShown(context, !written.ok());
  state.lineCount = 0;
  ++state.obsCount;
  std::optional<double> stillWanted;
  state.setLines.clear();
  state.shortLines.clear();
  state.lineStamps.clear();
  if (state.obsRemaining > 0) {
    state.obsRemaining -= 1;
    stillWanted = state.obsRemaining;
  }
  context.events.Tell(event::SetCompleted{state.obsCount, stillWanted});
  context.program.Beep();
}

// The end command goes out only on an open port; a closed port is no fault
// here (the run may end after the link was lost).
void SendEndCommand(CaptureContext& context, int count) {
  if (!context.port.IsOpen()) {
    context.events.Tell(event::EndCommandNotSent{true, "the port is closed"});
    return;
  }
  const Status sent = context.port.Output(EndCommand(count));
  if (sent.ok()) {
    context.events.Tell(event::EndCommandSent{count});
  } else {
    context.events.Tell(event::EndCommandNotSent{false, sent.failure().message});
  }
}

void EndProgram(CaptureContext& context) {
  StopCapture(context);
  context.program.EndProgram();
}

}  // namespace

void ProcessReading(CaptureContext& context, const std::string& burst) {
  CaptureState& state = context.state;

  RetryKeptWrites(context);
  const Stamps stamps = MakeStamps(context.clock.Now());
  const Outcome<ReadingLine> decoded = DecodeBurstText(context, burst);
  if (decoded.ok()) {
    // The line is counted only once it is known to be good.
    ++state.lineCount;
    std::string candidate = TakeLineIntoSet(context, decoded.value(), stamps);
    if (state.lineCount == kLinesPerSet) CompleteSet(context, std::move(candidate));
  } else {
    context.events.Tell(event::ReadingRejected{decoded.failure().message, burst});
  }

  // The run-end test applies to every processed burst; EndRun then ends
  // the program, so nothing after it runs.
  if (state.obsRemaining < 1) {
    EndRun(context);
    return;
  }
  if (decoded.ok()) CheckAlarms(context, decoded.value(), stamps);
}

void EndRun(CaptureContext& context) {
  SendEndCommand(context, EndCount(context.settings.SetsWanted()));
  context.events.Tell(event::RunEndAsked{});
  if (context.state.obsRemaining < 1) EndProgram(context);
}

void StopCapture(CaptureContext& context) {
  context.ended = true;
  context.timer.Disarm();
  if (context.port.IsOpen()) context.port.Close();
  LetGoOfScratchFile(context);
  SaveKeptWritesBeforeEnd(context);
}

}  // namespace tally
