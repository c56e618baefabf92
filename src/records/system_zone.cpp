#include "records/system_zone.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace tally {

namespace {

// The years a capture can have written, as the zone database covers them.
constexpr std::int64_t kFirst = -2208988800;  // 1900-01-01 UTC
constexpr std::int64_t kLast = 7258118400;    // 2200-01-01 UTC
// Looked at once a day: no zone changes twice within a day and back.
constexpr std::int64_t kStep = 86400;

int OffsetAt(std::int64_t utc) {
  const auto instant = static_cast<std::time_t>(utc);
  std::tm local{};
  if (localtime_r(&instant, &local) == nullptr) return 0;
  return static_cast<int>(local.tm_gmtoff);
}

// The first second of (from, to] whose offset is no longer before.
std::int64_t ChangeIn(std::int64_t from, std::int64_t to, int before) {
  while (to - from > 1) {
    const std::int64_t middle = from + (to - from) / 2;
    (OffsetAt(middle) == before ? from : to) = middle;
  }
  return to;
}

ZoneRules RulesOfThisZone() {
  const int earliest = OffsetAt(kFirst);
  std::vector<ZoneChange> changes;
  int before = earliest;
  for (std::int64_t at = kFirst; at < kLast;) {
    const std::int64_t next = at + kStep;
    const int offset = OffsetAt(next);
    if (offset == before) {
      at = next;
      continue;
    }
    const std::int64_t change = ChangeIn(at, next, before);
    const int after = OffsetAt(change);
    changes.push_back({change, before, after});
    before = after;
    at = change;
  }
  if (changes.empty()) return ZoneRules(earliest);
  return ZoneRules(earliest, std::move(changes));
}

bool IsZoneFile(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.find("..") != std::string::npos) return false;
  const char* folder = std::getenv("TZDIR");
  const std::string path = std::string(folder != nullptr && *folder != '\0' ? folder : "/usr/share/zoneinfo") + "/" + name;
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Sets TZ for its life and puts the one before back after.
class ZoneInForce {
 public:
  explicit ZoneInForce(const std::string& name) {
    const char* before = std::getenv("TZ");
    if (before != nullptr) before_ = before;
    hadOne_ = before != nullptr;
    ::setenv("TZ", (":" + name).c_str(), 1);
    ::tzset();
  }
  ~ZoneInForce() {
    if (hadOne_) {
      ::setenv("TZ", before_.c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }
  ZoneInForce(const ZoneInForce&) = delete;
  ZoneInForce& operator=(const ZoneInForce&) = delete;

 private:
  std::string before_;
  bool hadOne_ = false;
};

}  // namespace

std::optional<ZoneRules> ZoneRulesNamed(const std::string& name) {
  if (name.empty()) {
    ::tzset();
    return RulesOfThisZone();
  }
  if (!IsZoneFile(name)) return std::nullopt;
  const ZoneInForce zone(name);
  return RulesOfThisZone();
}

}  // namespace tally
