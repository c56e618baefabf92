#include "capture/notices.h"

namespace tally {

bool Notices::SayOnce(Notice notice, const std::string& detail) {
  std::optional<std::string>& standing = standing_[static_cast<std::size_t>(notice)];
  if (standing == detail) return false;
  standing = detail;
  return true;
}

void Notices::Stand(Notice notice) { standing_[static_cast<std::size_t>(notice)] = std::string(); }

void Notices::Clear(Notice notice) { standing_[static_cast<std::size_t>(notice)].reset(); }

bool Notices::Stands(Notice notice) const { return standing_[static_cast<std::size_t>(notice)].has_value(); }

}  // namespace tally
