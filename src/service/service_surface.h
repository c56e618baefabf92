#pragma once
// The window surface of the capture service: there is no window, so the
// texts and captions are kept for the procedures to read back, and every
// list entry, support file problem and status change becomes a log line.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "common/log_line.h"
#include "common/window_surface.h"
#include "service/log_entry.h"

namespace tally {

class ServiceSurface : public WindowSurface {
 public:
  // dataDirectory is what the directory list would show: no separator at
  // the end unless it is a root.
  ServiceSurface(const LogWriter& log, std::string dataDirectory);

  // Told of port events in the status list, and of every completed set
  // (its number, and whether its files were written or kept).
  void OnPortEvent(std::function<void(EntryEvent)> handler) { onPortEvent_ = std::move(handler); }
  void OnSetCompleted(std::function<void(const std::string& number, bool written)> handler) {
    onSetCompleted_ = std::move(handler);
  }

  void AppendList1(const std::string& entry) override;
  void AppendList2(const std::string& entry) override;
  std::string Text(TextBox box) const override;
  void SetText(TextBox box, const std::string& text) override;
  void SetCaption(Caption label, const std::string& caption) override;
  void SetIndicatorColour(std::uint32_t colour) override;
  void EnablePortButton(int) override {}
  std::string SelectedDrive() const override { return dataDirectory_; }
  void SelectDrive(const std::string&) override {}
  std::string DirectoryPath() const override { return dataDirectory_; }
  bool SetDirectoryPath(const std::string& path) override;

 private:
  const LogWriter& log_;
  std::string dataDirectory_;
  std::array<std::string, 4> texts_;
  std::array<std::string, 3> captions_;
  std::uint32_t colour_ = kRed;
  std::function<void(EntryEvent)> onPortEvent_;
  std::function<void(const std::string&, bool)> onSetCompleted_;
};

}  // namespace tally
