#include "history/set_index.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace tally::history {

namespace {

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

SetIndex::SetIndex(std::string path) : follower_(std::move(path)) {}

FileChange SetIndex::Follow() {
  near_.clear();
  const Outcome<FileLook> look = follower_.Look(end_);
  if (!look.ok() || (look.value().missing && !look.value().opened)) {
    // The file that was indexed stays open and readable under its old name.
    const bool news = error_.empty();
    error_ = look.ok() ? "cannot open " + path() + ": no such file" : look.failure().message;
    return news ? FileChange::Missing : FileChange::None;
  }
  error_.clear();
  const FileLook& now = look.value();
  const std::uint64_t before = std::exchange(size_, now.size);
  if (now.opened) {
    const bool hadFile = std::exchange(opened_, true) || size() > 0;
    Restart();
    return hadFile ? FileChange::Replaced : FileChange::Opened;
  }
  if (now.check != PositionCheck::Holds) {
    Restart();
    return now.check == PositionCheck::Shrank ? FileChange::Shrank : FileChange::Rewritten;
  }
  if (now.size > looked_) more_ = true;
  return now.size > before ? FileChange::Grew : FileChange::None;
}

bool SetIndex::IndexSome(std::uint64_t byteBudget) {
  const std::size_t budget = static_cast<std::size_t>(std::min<std::uint64_t>(byteBudget, SIZE_MAX));
  const ReadEnd read = follower_.Read(end_, {std::numeric_limits<std::size_t>::max(), budget}, *this);
  end_ = read.end;
  looked_ = read.looked;
  more_ = read.more;
  readError_ = read.failure ? read.failure->message : "";
  return !more_;
}

FileChange SetIndex::IndexAll() {
  const FileChange change = Follow();
  while (!IndexSome(std::numeric_limits<std::uint64_t>::max())) {
  }
  return change;
}

void SetIndex::Take(const LineView& line) {
  if (line.cut() || CheckSetLine(line.text) != Damage::None) ++damaged_;
  starts_.Append(line.offset);
}

void SetIndex::Restart() {
  readError_.clear();
  starts_.Clear();
  end_ = {};
  looked_ = 0;
  more_ = size_ > 0;
  damaged_ = 0;
}

std::string_view SetIndex::Row(std::size_t row) const {
  const std::uint64_t offset = Offset(row);
  const std::uint64_t count = Length(row);
  if (offset < nearAt_ || offset + count > nearAt_ + near_.size()) {
    // Going down the rows: read ahead. A jump reads the line alone.
    const bool onward = offset >= nearAt_ && offset <= nearAt_ + near_.size();
    nearAt_ = offset;
    near_.resize(static_cast<std::size_t>(onward ? std::max(count, kNearBytes) : count));
    int error = 0;
    near_.resize(follower_.ReadAt(offset, near_.data(), near_.size(), error));
  }
  return std::string_view(near_).substr(static_cast<std::size_t>(offset - nearAt_), static_cast<std::size_t>(count));
}

std::string SetIndex::LineText(std::size_t row) const {
  const std::string_view line = Row(row);
  return std::string(line.substr(0, line.size() < Length(row) ? line.size() : line.size() - 2));
}

SetLine SetIndex::Parse(std::size_t row) const {
  const std::string_view line = Row(row);
  if (line.size() < Length(row)) {
    SetLine cut;
    cut.text = std::string(line);
    cut.marker = cut.text.substr(0, std::min(cut.text.size(), kMarkerLength));
    cut.damage = Damage::CutShort;
    cut.reason = "the file was cut short here since it was indexed";
    return cut;
  }
  return ParseSetLine(line.substr(0, line.size() - 2));
}

bool SetIndex::StampOf(std::size_t row, LocalStamp& stamp) const {
  return ReadStamp(Row(row).substr(0, kHeaderLength), stamp);
}

}  // namespace tally::history
