#include "doubles/capture_run.h"

#include <algorithm>
#include <fstream>

#include "common/path_text.h"
#include "link/event_wiring.h"
#include "link/port_selection.h"
#include "support/bill_template.h"
#include "support/channel_table_file.h"
#include "support/rate_file.h"

namespace tally::testing {

namespace {

RecordingSurface& SurfaceOf(std::unique_ptr<RecordingSurface>& own, RecordingSurface* given) {
  if (given != nullptr) return *given;
  own = std::make_unique<RecordingSurface>();
  return *own;
}

}  // namespace

CaptureRun::CaptureRun() : CaptureRun(std::string()) {
  directory_ = dir.path();
  surface.directory = dir.path();
  context.state.dataPath = dir.dataPath();
}

CaptureRun::CaptureRun(WithSupportFiles) : CaptureRun() { WriteSupportFiles(); }

CaptureRun::CaptureRun(std::string directory, RecordingSurface* shownOn)
    : surface(SurfaceOf(ownSurface, shownOn)),
      shown(surface),
      events(shown),
      settings(shown),
      context(events, settings, port, time, time, program),
      directory_(std::move(directory)) {
  surface.directory = directory_;
  port.time = &time;
  ConnectCaptureEvents(context);
}

CaptureRun::CaptureRun(WindowSurface& shownOn, ProgramHost& host)
    : surface(SurfaceOf(ownSurface, nullptr)),
      shown(shownOn),
      events(shown),
      settings(shown),
      context(events, settings, port, time, time, host) {
  port.time = &time;
  ConnectCaptureEvents(context);
}

void CaptureRun::WriteSupportFiles() const { WriteDefaultSupportFiles(directory_); }

void CaptureRun::PressPort(int number) { OnPortButton(context, number); }

void CaptureRun::SetObs(const std::string& text) { shown.SetText(TextBox::Text3, text); }

void CaptureRun::Burst(const std::string& text) {
  port.Receive(text);
  time.Advance(time.interval);
}

void CaptureRun::Lines(int count, int first) {
  for (int i = 0; i < count; ++i) Burst(BurstFor((first + i - 1) % 16 + 1));
}

std::string CaptureRun::BurstFor(int channel, int value) {
  return std::to_string(channel) + "," + std::to_string(value) + ",20,300";
}

std::string CaptureRun::LineFor(int channel) {
  return (channel < 10 ? "0" : "") + std::to_string(channel) + ",005,00020,00300";
}

int CaptureRun::Sent(const std::string& text) const { return CountOf(port.written, text); }

std::string CaptureRun::Read(const std::string& name) const { return ReadFile(directory_ + kPathSeparator + name); }

void WriteDefaultSupportFiles(const std::string& directory) {
  for (const auto& [name, bytes] : {std::pair{"ct.dat", DefaultChannelTable()},
                                    std::pair{"ferro.dat", DefaultRateFile()},
                                    std::pair{"ferro.txt", DefaultBillTemplate()}}) {
    std::ofstream(directory + kPathSeparator + name, std::ios::binary | std::ios::trunc) << bytes;
  }
}

std::string TableWithChannel3Limits(const std::string& limits) {
  std::string table = DefaultChannelTable();
  const std::size_t third = table.find("\r\n", table.find("\r\n") + 2) + 2;
  return table.replace(third + 40, limits.size(), limits);
}

std::vector<std::string> LinesOf(const std::string& content) {
  std::vector<std::string> lines;
  for (std::size_t from = 0, end; from < content.size(); from = end + 2) {
    end = std::min(content.find("\r\n", from), content.size());
    lines.push_back(content.substr(from, end - from));
  }
  return lines;
}

int CountOf(const std::string& text, const std::string& piece) {
  int count = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

}  // namespace tally::testing
