#include "capture/process_reading.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "capture/alarm_checks.h"
#include "capture/data_file_writes.h"
#include "capture/end_command.h"
#include "capture/reading_decoder.h"
#include "capture/set_files.h"
#include "capture/set_record.h"
#include "capture/status_indicator.h"
#include "common/clock_text.h"
#include "common/control_roles.h"
#include "common/number_text.h"
#include "common/positional_text.h"
#include "common/safe_text.h"

namespace tally {

namespace {

constexpr std::int64_t kLinesPerSet = 16;
constexpr std::int64_t kUpdatePendingLine = 15;
constexpr std::size_t kShortLineLength = 18;
constexpr const char* kLineEnd = "\r\n";

// "hh:mm:ss mm-dd-yyyy" and CR LF: the lineStamps entry of one line.
std::string LineStampEntry(const LocalDateTime& now) {
  char entry[64];
  std::snprintf(entry, sizeof entry, "%02d:%02d:%02d %02d-%02d-%04d\r\n", now.hour, now.minute,
                now.second, now.month, now.day, now.year);
  return entry;
}


// A burst that gave no line: the operator sees why, and it is not counted.
void ReportRejectedReading(WindowSurface& surface, const Failure& failure, const std::string& burst) {
  surface.AppendList2("Reading rejected: " + failure.message + "; burst \"" + SafeText(burst) + "\"");
}

// A good line is listed, added to the set in progress and counted on screen.
// Gives the set record candidate of this line.
std::string TakeLineIntoSet(CaptureContext& context, const ReadingLine& line, const Stamps& stamps) {
  CaptureState& state = context.state;
  context.surface.AppendList1(line.text);
  state.setLines += "," + line.text;
  std::string candidate = stamps.dateStamp + stamps.timeStamp + state.setLines;
  context.surface.SetText(kLineCount, std::to_string(state.lineCount));
  state.shortLines += Left(line.text, kShortLineLength) + kLineEnd;
  state.lineStamps += LineStampEntry(context.clock.Now());
  if (state.lineCount == kUpdatePendingLine) ShowStatus(context, kGreen, " Update pending ... ");
  return candidate;
}

// A set whose files the directory did not take is kept in memory; the
// indicator must not call it good until it is on disk.
void ReportSetKept(CaptureContext& context, const Failure& failure) {
  context.surface.AppendList2(ClockTime(context.clock.Now()) + " Set " +
                              std::to_string(context.state.obsCount + 1) + " not written: " + failure.message);
  ShowStatus(context, kRed, kSetKeptMessage);
}

// The sixteenth line completes the set.
void CompleteSet(CaptureContext& context, std::string candidate) {
  CaptureState& state = context.state;
  state.setRecord = std::move(candidate);
  state.sortedRecord =
      SortedRecord(state.setRecord, state.processorType, context.surface.Text(kMarker));
  const Status written = WriteSetFiles(context);
  if (written.ok()) {
    ShowStatus(context, kGreen, "We have a good reading ");
  } else {
    ReportSetKept(context, written.failure());
  }
  state.lineCount = 0;
  ++state.obsCount;
  context.surface.SetCaption(kObsCount, std::to_string(state.obsCount));
  state.setLines.clear();
  state.shortLines.clear();
  state.lineStamps.clear();
  if (state.obsRemaining > 0) {
    state.obsRemaining -= 1;
    context.surface.SetText(kObsWanted, DecimalText(state.obsRemaining));
  }
  context.program.Beep();
}

// The end command goes out only on an open port; a closed port is no fault
// here (the run may end after the link was lost). A write that fails on an
// open port is shown.
void SendEndCommand(CaptureContext& context, int count) {
  if (!context.port.IsOpen()) return;
  const Status sent = context.port.Output(EndCommand(count));
  if (!sent.ok()) context.surface.AppendList2("End command not sent: " + sent.failure().message);
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
    ReportRejectedReading(context.surface, decoded.failure(), burst);
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
  SendEndCommand(context, EndCount(context.surface.Text(kObsWanted)));
  context.surface.SetText(kObsWanted, "0");
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
