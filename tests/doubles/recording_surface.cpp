#include "doubles/recording_surface.h"

namespace tally::testing {

namespace {
const char* const kTextNames[] = {"Text1", "Text2", "Text3", "Text4"};
const char* const kCaptionNames[] = {"Label1", "Label3", "Label4"};
}  // namespace

RecordingSurface::RecordingSurface() : texts_{"fL01", "", "1", "2000"} {}

void RecordingSurface::AppendList1(const std::string& entry) {
  list1.push_back(entry);
  log.push_back("List1+" + entry);
}

void RecordingSurface::AppendList2(const std::string& entry) {
  list2.push_back(entry);
  log.push_back("List2+" + entry);
}

std::string RecordingSurface::Text(TextBox box) const {
  return texts_[static_cast<int>(box)];
}

void RecordingSurface::SetText(TextBox box, const std::string& text) {
  texts_[static_cast<int>(box)] = text;
  log.push_back(std::string(kTextNames[static_cast<int>(box)]) + "=" + text);
}

void RecordingSurface::SetCaption(Caption label, const std::string& caption) {
  captions_[static_cast<int>(label)] = caption;
  log.push_back(std::string(kCaptionNames[static_cast<int>(label)]) + "=" + caption);
}

std::string RecordingSurface::CaptionOf(Caption label) const {
  return captions_[static_cast<int>(label)];
}

void RecordingSurface::SetIndicatorColour(std::uint32_t colour) {
  indicatorColour = colour;
  log.push_back("Shape1=" + std::to_string(colour));
}

void RecordingSurface::EnablePortButton(int number) {
  if (number >= 1 && number <= 4) portButtonEnabled[number] = true;
  log.push_back("Command" + std::to_string(number) + ".Enabled");
}

std::string RecordingSurface::SelectedDrive() const { return drive; }

void RecordingSurface::SelectDrive(const std::string& newDrive) {
  drive = newDrive;
  log.push_back("Drive1=" + newDrive);
}

std::string RecordingSurface::DirectoryPath() const { return directory; }

bool RecordingSurface::SetDirectoryPath(const std::string& path) {
  if (unreadablePaths.count(path) != 0) return false;
  directory = path;
  log.push_back("Dir1=" + path);
  return true;
}

}  // namespace tally::testing
