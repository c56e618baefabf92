#include "service/service_words.h"

#include "common/number_text.h"
#include "common/safe_text.h"
#include "link/open_failure.h"
#include "service/service_settings_source.h"

namespace tally {

namespace {

using enum LogPriority;

std::string Joined(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
  return joined;
}

// What to do about a port that did not open, as the service can do it: the
// program itself tries the port again every 3 s.
std::string PortAdvice(const event::PortNotOpened& e, const ServiceSettings& settings) {
  const std::string device = e.fault.device.empty()
                                 ? ServiceSettingsSource(settings).DeviceOfPort(e.number)
                                 : e.fault.device;
  const std::string port = PortLabel(e.number, device);
  switch (e.fault.problem) {
    case OpenProblem::NoSuchDevice:
      return port + ": no such device; plug in the adapter" +
             (settings.device.empty() ? " or start with --port naming the device to use" : "");
    case OpenProblem::InUse:
      return port + ": in use by another program; close it";
    case OpenProblem::PermissionDenied:
      return port + ": permission denied; add the service's user to the group " +
             (e.fault.group.empty() ? std::string("dialout") : e.fault.group);
    case OpenProblem::Other:
      break;
  }
  return port + ": cannot be opened: " + (e.fault.detail.empty() ? "unknown reason" : e.fault.detail);
}

std::string InitAdvice(const ServiceSettings& settings) {
  return "tally77-capture --init --data-dir " + settings.dataDirectory + " writes the default";
}

}  // namespace

LogPriority PriorityOf(const CaptureEvent& told) {
  return std::visit(
      Overloaded{
          [](const event::ReadingRejected&) { return Warning; },
          [](const event::SetKept&) { return Warning; },
          [](const event::EndCommandNotSent& e) { return e.portClosed ? Warning : Error; },
          [](const event::IntervalUnusable&) { return Warning; },
          [](const event::ScratchFileFailing&) { return Warning; },
          [](const event::Alarm&) { return Warning; },
          [](const event::AlarmLogFailing&) { return Error; },
          [](const event::ChannelWithoutLimits&) { return Warning; },
          [](const event::WriteUnflushed&) { return Warning; },
          [](const event::KeptReplacementOutdated&) { return Warning; },
          [](const event::KeptLinesInMemoryOnly&) { return Warning; },
          [](const event::NoJournalFolder&) { return Warning; },
          [](const event::KeptLinesStillWait&) { return Warning; },
          [](const event::LineSettingsRefused&) { return Error; },
          [](const event::PortNotOpened&) { return Warning; },
          [](const event::PortLost&) { return Warning; },
          [](const event::SupportFileUnreadable&) { return Error; },
          [](const event::SupportFileRefused&) { return Error; },
          [](const event::InitRefused&) { return Error; },
          [](const event::InitDone& e) { return e.refused > 0 ? Error : Info; },
          [](const auto&) { return Info; },
      },
      told);
}

std::string LogTextOf(const CaptureEvent& told, const ServiceSettings& settings) {
  return std::visit(
      Overloaded{
          [](const event::SyncBurstDropped&) { return std::string("First burst dropped: in step with the processor"); },
          [](const event::ReadingTaken& e) {
            return "Line " + std::to_string(e.lineCount) + " of 16: " + e.line;
          },
          [](const event::ReadingRejected& e) {
            return "Reading rejected: " + e.reason + "; burst \"" + SafeText(e.burst) + "\"";
          },
          [](const event::SetWritten& e) {
            return "Set " + std::to_string(e.number) + " written (" + Joined(e.files) + ")";
          },
          [](const event::SetKept& e) {
            return "Set " + std::to_string(e.number) + " kept, not yet written: " + e.reason;
          },
          [](const event::EndCommandSent& e) {
            return "End command sent (count " + std::to_string(e.count) + ")";
          },
          [](const event::EndCommandNotSent& e) { return "End command not sent: " + e.reason; },
          [](const event::IntervalUnusable& e) {
            return "--interval \"" + SafeText(e.given) + "\" cannot be used; " +
                   std::to_string(e.usedMilliseconds) + " ms used";
          },
          [](const event::ScratchFileFailing& e) { return e.reason + "; readings are decoded in memory"; },
          [](const event::Alarm& e) {
            return "Alarm: channel " + std::to_string(e.channel) + (e.high ? " high, " : " low, ") +
                   DecimalText(e.value) + (e.high ? " above " : " below ") + "the limit " +
                   DecimalText(e.limit) + " (" + e.logLine + ")";
          },
          [](const event::AlarmLogFailing& e) { return "Alarm log not written: " + e.reason; },
          [](const event::ChannelWithoutLimits& e) {
            return "Channel " + std::to_string(e.channel) + " has no limits: no alarm check";
          },
          [](const event::KeptLinesWritten& e) { return "Kept lines written: " + Joined(e.files); },
          [](const event::WriteUnflushed& e) { return e.reason; },
          [](const event::KeptReplacementOutdated& e) {
            return "Kept lines not written: " + e.file + " was written anew after they were kept";
          },
          [](const event::KeptLinesInMemoryOnly& e) { return "Kept lines held in memory only: " + e.reason; },
          [](const event::NoJournalFolder&) {
            return std::string("No folder for a journal of kept lines: they would be held in memory");
          },
          [](const event::EarlierKeptLinesFound& e) {
            return "Kept lines of an earlier run found in " + e.journal;
          },
          [](const event::KeptLinesStillWait& e) { return "Kept lines still wait: " + e.reason; },
          [](const event::LineSettingsRefused& e) { return "Line settings refused: " + e.reason; },
          [&](const event::PortNotOpened& e) { return PortAdvice(e, settings); },
          [](const event::PortLost& e) { return e.why; },
          [](const event::PortBack& e) { return e.why; },
          [&](const event::SupportFileUnreadable& e) {
            return e.name + " in " + settings.dataDirectory + " cannot be read; " + InitAdvice(settings) +
                   " files";
          },
          [](const event::SupportFileWritten& e) { return e.name + " written"; },
          [](const event::SupportFileRefused& e) { return e.name + " not written: " + e.reason; },
          [](const event::InitRefused&) { return std::string("--init refused: sets are still wanted"); },
          [&](const event::InitDone& e) {
            if (e.refused == 0) return "Default support files written in " + settings.dataDirectory;
            return std::to_string(e.refused) + " of the 3 default support files not written in " +
                   settings.dataDirectory;
          },
          [](const auto&) { return std::string(); },
      },
      told);
}

}  // namespace tally
