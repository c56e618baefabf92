#include "rig/quiet_surface.h"

namespace tally::bench {

void QuietSurface::AppendList1(const std::string&) { ++list1Entries; }

void QuietSurface::AppendList2(const std::string& entry) {
  ++list2Entries;
  lastList2 = entry;
}

std::string QuietSurface::Text(TextBox box) const { return texts_[static_cast<std::size_t>(box)]; }

void QuietSurface::SetText(TextBox box, const std::string& text) {
  texts_[static_cast<std::size_t>(box)] = text;
}

void QuietSurface::SetCaption(Caption label, const std::string& caption) {
  captions_[static_cast<std::size_t>(label)] = caption;
}

bool QuietSurface::SetDirectoryPath(const std::string& path) {
  directory = path;
  return true;
}

}  // namespace tally::bench
