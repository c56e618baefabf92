#include "window/surface/surface_events.h"

#include <string>

#include "common/clock_text.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "window/surface/control_roles.h"

namespace tally {

namespace {

constexpr std::int64_t kUpdatePendingLine = 15;
constexpr const char* kGoodReading = "We have a good reading ";

std::string Joined(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
  return joined;
}

std::string PortName(int number) { return "Com" + std::to_string(number); }

}  // namespace

void SurfaceEvents::ShowStatus(std::uint32_t colour, const std::string& message) {
  surface_.SetIndicatorColour(colour);
  surface_.SetCaption(kStatus, message);
}

void SurfaceEvents::Tell(const CaptureEvent& told) {
  WindowSurface& s = surface_;
  std::visit(
      Overloaded{
          [&](const event::SyncBurstDropped&) {
            s.AppendList1("sync ");
            s.SetIndicatorColour(kYellow);
          },
          [&](const event::ReadingTaken& e) {
            s.AppendList1(e.line);
            s.SetText(kLineCount, std::to_string(e.lineCount));
            if (e.lineCount == kUpdatePendingLine) ShowStatus(kGreen, " Update pending ... ");
          },
          [&](const event::ReadingRejected& e) {
            s.AppendList2("Reading rejected: " + e.reason + "; burst \"" + SafeText(e.burst) + "\"");
          },
          [&](const event::ProcessorTypeSeen& e) {
            s.SetCaption(kProcessorType, e.eightFields ? "fLII" : "fLI");
          },
          [&](const event::SetWritten&) { ShowStatus(kGreen, kGoodReading); },
          [&](const event::SetKept& e) {
            s.AppendList2(ClockTime(e.at) + " Set " + std::to_string(e.number) +
                          " not written: " + e.reason);
            ShowStatus(kRed, kSetKeptMessage);
          },
          [&](const event::SetCompleted& e) {
            s.SetCaption(kObsCount, std::to_string(e.number));
            if (e.setsStillWanted) s.SetText(kObsWanted, DecimalText(*e.setsStillWanted));
          },
          [&](const event::RunEndAsked&) { s.SetText(kObsWanted, "0"); },
          [&](const event::EndCommandSent&) {},
          [&](const event::EndCommandNotSent& e) {
            // A closed port is no fault here: the run may end after the
            // link was lost.
            if (!e.portClosed) s.AppendList2("End command not sent: " + e.reason);
          },
          [&](const event::IntervalUnusable& e) {
            s.AppendList2("Interval \"" + SafeText(e.given) + "\" cannot be used; " +
                          std::to_string(e.usedMilliseconds) + " ms used");
          },
          [&](const event::ScratchFileFailing& e) {
            s.AppendList2(e.reason + "; readings are decoded in memory");
          },
          [&](const event::Alarm& e) { s.AppendList2(e.logLine); },
          [&](const event::AlarmLogFailing& e) { s.AppendList2("Alarm log not written: " + e.reason); },
          [&](const event::ChannelWithoutLimits& e) {
            s.AppendList2("Channel " + std::to_string(e.channel) + " has no limits: no alarm check");
          },
          [&](const event::KeptLinesWritten& e) {
            s.AppendList2(ClockTime(e.at) + " Kept lines written: " + Joined(e.files));
            if (e.setGoodAgain) ShowStatus(kGreen, kGoodReading);
          },
          [&](const event::WriteUnflushed& e) { s.AppendList2(ClockTime(e.at) + " " + e.reason); },
          [&](const event::KeptReplacementOutdated& e) {
            s.AppendList2(ClockTime(e.at) + " Kept lines not written: " + e.file +
                          " was written anew after they were kept");
          },
          [&](const event::KeptLinesInMemoryOnly& e) {
            s.AppendList2("Kept lines held in memory only: " + e.reason);
          },
          [&](const event::NoJournalFolder&) {
            s.AppendList2("No folder for a journal of kept lines: they would be held in memory");
          },
          [&](const event::EarlierKeptLinesFound& e) {
            s.AppendList2("Kept lines of an earlier run found in " + e.journal);
          },
          [&](const event::KeptLinesStillWait& e) { s.AppendList2("Kept lines still wait: " + e.reason); },
          [&](const event::LinkPreparing&) { ShowStatus(kRed, "Please wait 3 minutes"); },
          [&](const event::LineSettingsRefused& e) { s.AppendList2(e.reason); },
          [&](const event::PortOpened&) {},
          [&](const event::PortNotOpened& e) {
            // The indicator (still red) no longer promises data.
            s.AppendList2(e.message);
            s.SetCaption(kStatus, PortName(e.number) + " not open");
          },
          [&](const event::PortLost& e) { s.AppendList2(ClockTime(e.at) + " " + e.why); },
          [&](const event::PortBack& e) { s.AppendList2(ClockTime(e.at) + " " + e.why); },
          [&](const event::DataDirectorySelected& e) { s.SetText(kMarker, e.marker); },
          [&](const event::SupportFileUnreadable& e) { s.SetText(kLineCount, "Problem with file " + e.name); },
          [&](const event::SupportFileWritten&) {},
          [&](const event::SupportFileRefused& e) {
            s.SetText(kLineCount, "Problem creating file " + e.name);
          },
          [&](const event::InitRefused&) { s.AppendList2("invalid operation"); },
          // Said whether or not a file was refused: a refusal stays in the
          // line count box.
          [&](const event::InitDone&) { s.AppendList2("files created"); },
      },
      told);
}

}  // namespace tally
