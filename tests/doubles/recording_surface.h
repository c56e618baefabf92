#pragma once
// A window surface that keeps everything the procedures show, in order.

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "window/surface/window_surface.h"

namespace tally::testing {

class RecordingSurface : public WindowSurface {
 public:
  RecordingSurface();

  void AppendList1(const std::string& entry) override;
  void AppendList2(const std::string& entry) override;
  std::string Text(TextBox box) const override;
  void SetText(TextBox box, const std::string& text) override;
  void SetCaption(Caption label, const std::string& caption) override;
  void SetIndicatorColour(std::uint32_t colour) override;
  void EnablePortButton(int number) override;
  std::string SelectedDrive() const override;
  void SelectDrive(const std::string& drive) override;
  std::string DirectoryPath() const override;
  bool SetDirectoryPath(const std::string& path) override;

  std::string CaptionOf(Caption label) const;

  std::vector<std::string> list1;
  std::vector<std::string> list2;
  std::optional<std::uint32_t> indicatorColour;  // none until first set
  std::array<bool, 5> portButtonEnabled{};       // index 1..4
  std::string drive = "/";
  std::string directory = "/";
  // Paths SetDirectoryPath refuses, as an unreadable drive would.
  std::set<std::string> unreadablePaths;
  // Every call that changed something, in order ("Text2=16", "List1+...").
  std::vector<std::string> log;

 private:
  std::array<std::string, 4> texts_;
  std::array<std::string, 3> captions_;
};

}  // namespace tally::testing
