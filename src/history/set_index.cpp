#include "history/set_index.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace tally::history {

namespace {

// Read at a time while indexing: well inside the second-level cache.
constexpr std::uint64_t kBlock = 256u << 10;
constexpr std::size_t kPage = 4096;
constexpr std::uint64_t kFingerprintLength = 64;
// Read after a line asked for right after the one before, so that going
// down the rows (the table, sorting, the plot) reads the file once per
// couple of hundred lines.
constexpr std::uint64_t kNearBytes = 64u << 10;

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
  near_.clear();
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
  // Page-aligned: the kernel copies from the page cache into a buffer that
  // is not at about a third of the speed (measured on AMD EPYC).
  if (!block_) block_.reset(static_cast<char*>(std::aligned_alloc(kPage, kBlock)));
  std::string lineScratch;
  bool readFailed = false;
  readError_.clear();
  while (byteBudget > 0 && scanned_ < bytes_.size()) {
    const std::uint64_t base = scanned_;
    const auto wanted = static_cast<std::size_t>(std::min({byteBudget, kBlock, bytes_.size() - base}));
    int failure = 0;
    const std::size_t got = bytes_.ReadAt(base, block_.get(), wanted, &failure);
    if (got < wanted) {
      // Cut short under us: the size as it is now ends the scan, and the
      // next Follow starts over. A read that fails below the size stops it.
      bytes_.Refresh();
      readFailed = base + got < bytes_.size();
      if (readFailed) {
        readError_ = "cannot read " + path_ + " at byte " + std::to_string(base + got) + ": " +
                     (failure != 0 ? std::strerror(failure) : "it ends before its size");
      }
      if (got == 0) break;
    }
    const std::string_view block(block_.get(), got);
    const char* from = block.data();
    const char* const stop = block.data() + block.size();
    while (const void* found = std::memchr(from, '\n', static_cast<std::size_t>(stop - from))) {
      const char* lf = static_cast<const char*>(found);
      const std::uint64_t lfAt = base + static_cast<std::uint64_t>(lf - block.data());
      // A line begun in an earlier block is read again whole.
      const std::string_view line =
          end_ >= base ? block.substr(end_ - base, lfAt - end_) : bytes_.View(end_, lfAt - end_, lineScratch);
      TakeLine(end_, lfAt + 1, line);
      from = lf + 1;
    }
    scanned_ = base + got;
    byteBudget -= std::min<std::uint64_t>(byteBudget, got);
    if (readFailed) break;
  }
  fingerprint_ = Fingerprint();
  if (complete() || readFailed) block_.reset();  // held only while there is more to read
  return complete() || readFailed;
}

FileChange SetIndex::IndexAll() {
  const FileChange change = Follow();
  while (!IndexSome(kBlock)) {
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
  readError_.clear();
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

std::string_view SetIndex::Read(std::uint64_t offset, std::uint64_t count) const {
  if (offset < nearAt_ || offset + count > nearAt_ + near_.size()) {
    // Going down the rows: read ahead. A jump reads the line alone.
    const bool onward = offset >= nearAt_ && offset <= nearAt_ + near_.size();
    nearAt_ = offset;
    bytes_.View(offset, onward ? std::max(count, kNearBytes) : count, near_);
  }
  return std::string_view(near_).substr(offset - nearAt_, count);
}

std::string SetIndex::LineText(std::size_t row) const {
  std::string_view line = Read(Offset(row), Length(row));
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return std::string(line);
}

SetLine SetIndex::Parse(std::size_t row) const {
  std::string_view line = Read(Offset(row), Length(row));
  if (line.size() < Length(row)) {
    SetLine cut;
    cut.text = std::string(line);
    cut.marker = cut.text.substr(0, std::min(cut.text.size(), kMarkerLength));
    cut.damage = Damage::CutShort;
    cut.reason = "the file was cut short here since it was indexed";
    return cut;
  }
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  const bool crEnded = !line.empty() && line.back() == '\r';
  if (crEnded) line.remove_suffix(1);
  return ParseSetLine(line, crEnded);
}

bool SetIndex::StampOf(std::size_t row, LocalStamp& stamp) const {
  return ReadStamp(Read(Offset(row), std::min<std::uint64_t>(Length(row), kHeaderLength)), stamp);
}

}  // namespace tally::history
