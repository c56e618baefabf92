#pragma once
// The window surface: the operations the window's rendering of the capture
// events, and its reading of the run settings, use on the named controls of
// the capture window, and no others. Text is 8-bit; the window
// maps it to its own text one byte a character (Latin-1).

#include <cstdint>
#include <string>

namespace tally {

enum class TextBox { Text1, Text2, Text3, Text4 };
enum class Caption { Label1, Label3, Label4 };

// Colours of the status indicator: 24-bit values with red in the low byte.
inline constexpr std::uint32_t kRed = 255;
inline constexpr std::uint32_t kYellow = 65535;
inline constexpr std::uint32_t kGreen = 65280;

class WindowSurface {
 public:
  virtual ~WindowSurface() = default;

  // List1 (processor data stream) and List2 (alarms and status): the entry
  // goes last; entries are never removed.
  virtual void AppendList1(const std::string& entry) = 0;
  virtual void AppendList2(const std::string& entry) = 0;

  virtual std::string Text(TextBox box) const = 0;
  virtual void SetText(TextBox box, const std::string& text) = 0;

  virtual void SetCaption(Caption label, const std::string& caption) = 0;

  // The back colour of Shape1, the status indicator.
  virtual void SetIndicatorColour(std::uint32_t colour) = 0;

  // Enables port button Command1..Command4 (number 1..4).
  virtual void EnablePortButton(int number) = 0;

  // Drive1: the drive (mounted volume) now selected; selecting one from the
  // program does not raise the drive change event. SelectDrive may also be
  // given a directory path: the drive holding that directory is selected.
  virtual std::string SelectedDrive() const = 0;
  virtual void SelectDrive(const std::string& drive) = 0;

  // Dir1: a root keeps its separator, other paths have none at the end.
  // Setting the path raises the directory change event when it changes.
  // Returns false, leaving the list where it was, when the directory cannot
  // be read.
  virtual std::string DirectoryPath() const = 0;
  virtual bool SetDirectoryPath(const std::string& path) = 0;
};

}  // namespace tally
