#include "service/service_surface.h"

#include <utility>

#include "common/control_roles.h"

namespace tally {

namespace {

constexpr const char* kSetKeptCaption = "Set kept, not yet written";

std::string ColourName(std::uint32_t colour) {
  if (colour == kRed) return "red";
  if (colour == kYellow) return "yellow";
  if (colour == kGreen) return "green";
  return std::to_string(colour);
}

}  // namespace

ServiceSurface::ServiceSurface(const LogWriter& log, std::string dataDirectory)
    : log_(log), dataDirectory_(std::move(dataDirectory)) {}

void ServiceSurface::AppendList1(const std::string& entry) { log_.Info(entry); }

void ServiceSurface::AppendList2(const std::string& entry) {
  const EntryMeaning meaning = MeaningOfStatusEntry(entry);
  log_.Write(meaning.priority, entry);
  if (meaning.event != EntryEvent::Other && onPortEvent_) onPortEvent_(meaning.event);
}

std::string ServiceSurface::Text(TextBox box) const { return texts_[static_cast<std::size_t>(box)]; }

void ServiceSurface::SetText(TextBox box, const std::string& text) {
  texts_[static_cast<std::size_t>(box)] = text;
  if (box == kLineCount && IsSupportFileProblem(text)) log_.Error(text);
}

void ServiceSurface::SetCaption(Caption label, const std::string& caption) {
  std::string& shown = captions_[static_cast<std::size_t>(label)];
  const bool changed = shown != caption;
  shown = caption;
  if (label == kStatus && changed) {
    log_.Write(caption == kSetKeptCaption ? LogPriority::Warning : LogPriority::Info,
               "Status: " + caption);
  }
  // The Obs counter is set once for every completed set.
  if (label == kObsCount && onSetCompleted_) {
    onSetCompleted_(caption, captions_[static_cast<std::size_t>(kStatus)] != kSetKeptCaption);
  }
}

void ServiceSurface::SetIndicatorColour(std::uint32_t colour) {
  if (colour == colour_) return;
  colour_ = colour;
  log_.Info("Indicator " + ColourName(colour));
}

bool ServiceSurface::SetDirectoryPath(const std::string& path) {
  dataDirectory_ = path;
  return true;
}

}  // namespace tally
