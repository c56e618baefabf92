#include "capture/kept_writes.h"

#include <algorithm>
#include <filesystem>
#include <numeric>

#include "capture/append_note.h"
#include "records/file_follower.h"

namespace tally {

namespace {

constexpr const char* kJournalEnding = ".journal";

// Journals in folder, oldest first (their names begin with the time).
std::vector<std::string> JournalsIn(const std::string& folder) {
  std::vector<std::string> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("kept-", 0) == 0 && name.ends_with(kJournalEnding) && entry.is_regular_file(error)) {
      paths.push_back(entry.path().string());
    }
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

// A kept write made from its journal. An append first notes where its file
// ends; found standing whole there later, it is not made again, and cut
// short there by a crash, the part is taken away first, as is an earlier
// append of several lines noted in noteFolder and left cut short.
Status Replay(const KeptWrite& kept, KeptJournal& journal, const std::string& noteFolder) {
  const std::string path = kept.path();
  if (kept.write.mode == SetFileWrite::Mode::Replace) {
    const Outcome<std::string> content = ReadWholeFile(path);
    if (content.ok() && content.value() == kept.write.bytes) return Ok();
    return PerformSetFileWrite(kept.dataPath, kept.write);
  }
  if (!noteFolder.empty()) {
    if (Status cut = TakeBackCutShortAppend(noteFolder, path); !cut.ok()) return cut;
  }
  const std::optional<std::uint64_t> noted = journal.NotedAppendAt();
  if (noted) {
    const AppendFound found = FindAppend(path, *noted, kept.write.bytes);
    if (found == AppendFound::Whole) return Ok();
    if (found == AppendFound::CutShort) {
      if (Status cut = CutFileTo(path, *noted); !cut.ok()) return cut;
    }
  }
  // Where the append begins: after a part of a line left at the end.
  const Outcome<std::uint64_t> size = AppendPlace(path, kept.write.bytes.size());
  if (!size.ok()) return size.failure();
  if (noted != size.value()) {
    if (Status noted = journal.NoteAppendAt(size.value()); !noted.ok()) return noted;
  }
  return PerformSetFileWrite(kept.dataPath, kept.write, noteFolder);
}

// What a replacement kept now goes over: the file's content, or nothing
// when the file is missing from its directory; not known when the directory
// cannot be read (or is away).
std::optional<std::uint64_t> ContentHashOf(const std::string& path) {
  const Outcome<std::string> content = ReadWholeFile(path);
  if (content.ok()) return LineHash(content.value());
  const Outcome<std::uint64_t> size = FileSizeOf(path);
  if (size.ok() && size.value() == 0) return LineHash("");
  return std::nullopt;
}

// A kept replacement whose file holds neither its content nor what the
// file held when it was kept: the file was written anew since, and what it
// holds now is newer.
bool FoundNewer(const KeptWrite& kept) {
  if (kept.write.mode != SetFileWrite::Mode::Replace || !kept.replacing) return false;
  const Outcome<std::string> content = ReadWholeFile(kept.path());
  if (!content.ok()) return false;  // nothing there, or nothing known: the replacement is made
  return content.value() != kept.write.bytes && LineHash(content.value()) != *kept.replacing;
}

}  // namespace

std::vector<std::string> KeptWrites::UseJournalFolder(const std::string& folder) {
  journalFolder_ = folder;
  std::vector<std::string> adopted;
  for (const std::string& path : JournalsIn(folder)) {
    Outcome<KeptJournal> opened = KeptJournal::Adopt(path);
    if (!opened.ok()) continue;  // a running program's own, or not ours to read
    JournalInUse inUse{std::move(opened).value(), 0};
    const Status counted = inUse.journal.ForEachWaiting([&](const KeptWrite& kept) {
      ++inUse.waiting;
      Waits(kept.path());
      if (kept.write.mode == SetFileWrite::Mode::Replace) keptContent_[kept.path()] = LineHash(kept.write.bytes);
      return KeptJournal::Visit::Waits;
    });
    IgnoreFailure(counted);  // what could be read is what is kept
    if (inUse.waiting == 0) {
      inUse.journal.Remove();
      continue;
    }
    adopted.push_back(path);
    journals_.insert(journals_.end() - (ownJournalOpen_ ? 1 : 0), std::move(inUse));
  }
  return adopted;
}

std::size_t KeptWrites::size() const {
  return std::accumulate(waiting_.begin(), waiting_.end(), std::size_t{0},
                         [](std::size_t sum, const auto& entry) { return sum + entry.second; });
}

std::vector<std::string> KeptWrites::JournalPaths() const {
  std::vector<std::string> paths;
  for (const JournalInUse& inUse : journals_) paths.push_back(inUse.journal.path());
  return paths;
}

Status KeptWrites::Keep(KeptWrite kept) {
  Status journalFailure;
  if (!journalFolder_.empty() && memory_.empty()) {
    if (!ownJournalOpen_) {
      Outcome<KeptJournal> created = KeptJournal::Create(journalFolder_);
      if (created.ok()) {
        journals_.push_back({std::move(created).value(), 0});
        ownJournalOpen_ = true;
      } else {
        journalFailure = created.failure();
      }
    }
    if (ownJournalOpen_) {
      const std::string path = kept.path();
      const bool replacement = kept.write.mode == SetFileWrite::Mode::Replace;
      if (replacement) {
        const auto earlier = keptContent_.find(path);
        kept.replacing = earlier != keptContent_.end() ? std::optional(earlier->second) : ContentHashOf(path);
      }
      journalFailure = journals_.back().journal.Append(kept);
      if (journalFailure.ok()) {
        ++journals_.back().waiting;
        Waits(path);
        if (replacement) keptContent_[path] = LineHash(kept.write.bytes);
        return Ok();
      }
    }
  }
  const std::string path = kept.path();
  if (kept.write.mode == SetFileWrite::Mode::Replace) {
    const auto dropped = std::erase_if(memory_, [&path](const KeptWrite& older) {
      return older.write.mode == SetFileWrite::Mode::Replace && older.path() == path;
    });
    for (std::size_t n = 0; n < dropped; ++n) Written(path);
  }
  memory_.push_back(std::move(kept));
  Waits(path);
  return journalFailure;
}

void KeptWrites::Written(const std::string& path) {
  const auto found = waiting_.find(path);
  if (found == waiting_.end()) return;
  if (--found->second != 0) return;
  waiting_.erase(found);
  keptContent_.erase(path);
}

bool KeptWrites::TryWrite(const KeptWrite& kept, FlushResult& result, KeptJournal* journal) {
  const std::string path = kept.path();
  if (result.failures.count(path) != 0) return false;
  if (journal != nullptr && FoundNewer(kept)) {
    result.newerFiles.push_back(path);
    Written(path);
    return true;
  }
  Status status = journal != nullptr ? Replay(kept, *journal, journalFolder_)
                                      : PerformSetFileWrite(kept.dataPath, kept.write, journalFolder_);
  if (!status.ok() && status.failure().code == FailureCode::FileUnflushed) {
    result.unflushed.push_back(std::move(status.failure()));
  } else if (!status.ok()) {
    result.failures.emplace(path, std::move(status.failure()));
    return false;
  }
  result.writtenFiles.push_back(kept.write.name);
  Written(path);
  return true;
}

KeptWrites::FlushResult KeptWrites::Flush() {
  FlushResult result;
  // Once every waiting file has failed in this pass, the rest of a journal
  // need not be read.
  const auto allRefused = [&] { return result.failures.size() >= waiting_.size(); };
  for (JournalInUse& inUse : journals_) {
    if (allRefused()) break;
    const Status marked = inUse.journal.ForEachWaiting([&](const KeptWrite& kept) {
      if (allRefused()) return KeptJournal::Visit::Stop;
      if (!TryWrite(kept, result, &inUse.journal)) return KeptJournal::Visit::Waits;
      --inUse.waiting;
      return KeptJournal::Visit::Done;
    });
    IgnoreFailure(marked);  // an unmarked record is tried again later
  }
  for (std::size_t index = journals_.size(); index-- > 0;) {
    if (journals_[index].waiting != 0) continue;
    journals_[index].journal.Remove();
    if (ownJournalOpen_ && index + 1 == journals_.size()) ownJournalOpen_ = false;
    journals_.erase(journals_.begin() + static_cast<std::ptrdiff_t>(index));
  }
  std::deque<KeptWrite> stillKept;
  for (KeptWrite& kept : memory_) {
    if (!TryWrite(kept, result)) stillKept.push_back(std::move(kept));
  }
  memory_ = std::move(stillKept);
  return result;
}

std::vector<KeptWrite> KeptWrites::TakeAll() {
  std::vector<KeptWrite> all(std::make_move_iterator(memory_.begin()), std::make_move_iterator(memory_.end()));
  for (const KeptWrite& kept : all) Written(kept.path());
  memory_.clear();
  return all;
}

}  // namespace tally
