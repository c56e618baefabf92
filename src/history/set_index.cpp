#include "history/set_index.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tally::history {

namespace {

constexpr std::uint64_t kChunk = 4u << 20;
constexpr std::uint64_t kFingerprintLength = 64;

}  // namespace

std::string ChangeMessage(FileChange change, const std::string& path, const std::string& error) {
  switch (change) {
    case FileChange::Shrank:
      return path + " shrank: indexed anew";
    case FileChange::Replaced:
      return path + " was replaced: indexed anew";
    case FileChange::Rewritten:
      return path + " changed in place: indexed anew";
    case FileChange::Missing:
      return error + "; the sets shown stay as they were";
    case FileChange::None:
    case FileChange::Grew:
    case FileChange::Opened:
      break;
  }
  return "";
}

SetIndex::SetIndex(std::string path) : path_(std::move(path)) {}

FileChange SetIndex::Follow() {
  const FileIdentity now = IdentityOf(path_);
  const bool wasOpen = bytes_.isOpen();
  const bool sameFile =
      wasOpen && now.exists && now.device == bytes_.identity().device && now.inode == bytes_.identity().inode;
  if (!sameFile) {
    std::string error = "cannot open " + path_ + ": no such file";
    SetFileBytes reopened;
    if (!now.exists || !reopened.Open(path_, error)) {
      // The file that was indexed stays open and readable under its old name.
      const bool news = error_.empty();
      error_ = error;
      return news ? FileChange::Missing : FileChange::None;
    }
    bytes_ = std::move(reopened);
    error_.clear();
    const bool hadFile = wasOpen || size() > 0;
    Restart();
    return hadFile ? FileChange::Replaced : FileChange::Opened;
  }
  const std::uint64_t before = bytes_.size();
  bytes_.Refresh();
  if (bytes_.size() < end_) {
    Restart();
    return FileChange::Shrank;
  }
  if (Fingerprint() != fingerprint_) {
    Restart();
    return FileChange::Rewritten;
  }
  scanned_ = std::min(scanned_, bytes_.size());
  if (scanned_ < end_) scanned_ = end_;
  return bytes_.size() > before ? FileChange::Grew : FileChange::None;
}

bool SetIndex::IndexSome(std::uint64_t byteBudget) {
  std::string chunkScratch;
  std::string lineScratch;
  while (byteBudget > 0 && scanned_ < bytes_.size()) {
    const std::uint64_t base = scanned_;
    const std::string_view chunk =
        bytes_.View(base, std::min({byteBudget, kChunk, bytes_.size() - base}), chunkScratch);
    if (chunk.empty()) break;
    const char* from = chunk.data();
    const char* const stop = chunk.data() + chunk.size();
    while (const void* found = std::memchr(from, '\n', static_cast<std::size_t>(stop - from))) {
      const char* lf = static_cast<const char*>(found);
      const std::uint64_t lfAt = base + static_cast<std::uint64_t>(lf - chunk.data());
      // A line begun in an earlier chunk is fetched whole.
      const std::string_view line =
          end_ >= base ? chunk.substr(end_ - base, lfAt - end_) : bytes_.View(end_, lfAt - end_, lineScratch);
      TakeLine(end_, lfAt + 1, line);
      from = lf + 1;
    }
    scanned_ = base + chunk.size();
    byteBudget -= std::min<std::uint64_t>(byteBudget, chunk.size());
  }
  fingerprint_ = Fingerprint();
  return complete();
}

FileChange SetIndex::IndexAll() {
  const FileChange change = Follow();
  while (!IndexSome(kChunk)) {
  }
  return change;
}

void SetIndex::TakeLine(std::uint64_t start, std::uint64_t endAfterLf, std::string_view line) {
  const bool crEnded = !line.empty() && line.back() == '\r';
  if (crEnded) line.remove_suffix(1);
  if (CheckSetLine(line, crEnded) != Damage::None) ++damaged_;
  starts_.Append(start);
  end_ = endAfterLf;
}

void SetIndex::Restart() {
  starts_.Clear();
  end_ = 0;
  scanned_ = 0;
  damaged_ = 0;
  fingerprint_.clear();
}

std::string SetIndex::Fingerprint() const {
  const std::uint64_t length = std::min(end_, kFingerprintLength);
  std::string scratch;
  return std::string(bytes_.View(end_ - length, length, scratch));
}

std::string SetIndex::LineText(std::size_t row) const {
  std::string_view line = bytes_.View(Offset(row), Length(row), scratch_);
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return std::string(line);
}

SetLine SetIndex::Parse(std::size_t row) const {
  std::string_view line = bytes_.View(Offset(row), Length(row), scratch_);
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  const bool crEnded = !line.empty() && line.back() == '\r';
  if (crEnded) line.remove_suffix(1);
  return ParseSetLine(line, crEnded);
}

bool SetIndex::StampOf(std::size_t row, LocalStamp& stamp) const {
  return ReadStamp(bytes_.View(Offset(row), std::min<std::uint64_t>(Length(row), kHeaderLength), scratch_),
                   stamp);
}

}  // namespace tally::history
