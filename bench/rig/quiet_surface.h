#pragma once
// A window surface for timing the procedures: it keeps the texts and
// captions they read back, counts list entries without keeping them, so
// that a long run does not grow, and does nothing else.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "window/surface/window_surface.h"

namespace tally::bench {

class QuietSurface : public WindowSurface {
 public:
  void AppendList1(const std::string& entry) override;
  void AppendList2(const std::string& entry) override;
  std::string Text(TextBox box) const override;
  void SetText(TextBox box, const std::string& text) override;
  void SetCaption(Caption label, const std::string& caption) override;
  void SetIndicatorColour(std::uint32_t colour) override { indicatorColour = colour; }
  void EnablePortButton(int) override {}
  std::string SelectedDrive() const override { return "/"; }
  void SelectDrive(const std::string&) override {}
  std::string DirectoryPath() const override { return directory; }
  bool SetDirectoryPath(const std::string& path) override;

  std::size_t list1Entries = 0;
  std::size_t list2Entries = 0;
  std::string lastList2;  // the latest List2 entry, to name a rejected burst
  std::uint32_t indicatorColour = 0;
  std::string directory = "/";

 private:
  std::array<std::string, 4> texts_;
  std::array<std::string, 3> captions_;
};

}  // namespace tally::bench
