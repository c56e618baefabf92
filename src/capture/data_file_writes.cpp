#include "capture/data_file_writes.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "capture/status_indicator.h"
#include "common/path_text.h"

namespace tally {

namespace {

// The names in order, each once. A name that stands inside one already
// taken counts as taken.
std::vector<std::string> Distinct(const std::vector<std::string>& names) {
  std::vector<std::string> distinct;
  std::string joined;
  for (const std::string& name : names) {
    if (joined.find(name) != std::string::npos) continue;
    if (!joined.empty()) joined += ", ";
    joined += name;
    distinct.push_back(name);
  }
  return distinct;
}

// Once the last kept write is made the operator learns it, and a set that
// was told as kept is good again.
void AnnounceAllWritten(CaptureContext& context, const std::vector<std::string>& files) {
  const bool setGoodAgain = context.notices.Stands(Notice::SetKeptShown);
  if (!files.empty() || setGoodAgain) {  // none: every kept write was outdated
    context.events.Tell(event::KeptLinesWritten{context.clock.Now(), Distinct(files), setGoodAgain});
  }
  context.notices.Clear(Notice::AlarmLogFailing);
  NoteSetKeptShown(context, false);
}

// A write made whose flush to the device failed and that could not be
// taken back: it stands, is not made again, and the operator learns it.
void TellUnflushed(CaptureContext& context, const std::vector<Failure>& unflushed) {
  for (const Failure& failure : unflushed) {
    context.events.Tell(event::WriteUnflushed{context.clock.Now(), failure.message});
  }
}

// The kept writes tried again; the operator learns what was made, and
// which kept replacements were outdated by a newer write of their file.
KeptWrites::FlushResult FlushKept(CaptureContext& context) {
  KeptWrites::FlushResult retried = context.keptWrites.Flush();
  TellUnflushed(context, retried.unflushed);
  for (const std::string& file : retried.newerFiles) {
    context.events.Tell(event::KeptReplacementOutdated{context.clock.Now(), file});
  }
  if (context.keptWrites.empty()) AnnounceAllWritten(context, retried.writtenFiles);
  return retried;
}

// A folder outside the data directory for what it would not take by the
// end of the program: under the home folder, else the temporary folder.
std::string RescueFolder(const LocalDateTime& now) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day,
                now.hour, now.minute, now.second);
  const char* home = std::getenv("HOME");
  std::error_code error;
  const std::filesystem::path base =
      home != nullptr && *home != '\0' ? std::filesystem::path(home) : std::filesystem::temp_directory_path(error);
  return (base / (std::string("tally77-unwritten-") + stamp)).string() + kPathSeparator;
}

void RescueWrite(const std::string& folder, const KeptWrite& kept) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const Status saved = PerformSetFileWrite(folder, kept.write);
  if (saved.ok()) {
    std::fprintf(stderr, "tally77: %s could not be written; saved as %s%s\n", kept.path().c_str(),
                 folder.c_str(), kept.write.name.c_str());
    return;
  }
  std::fprintf(stderr, "tally77: %s could not be written (%s); its bytes follow:\n%s", kept.path().c_str(),
               saved.failure().message.c_str(), kept.write.bytes.c_str());
}

}  // namespace

Status WriteOrKeep(CaptureContext& context, const std::vector<SetFileWrite>& writes) {
  KeptWrites& kept = context.keptWrites;
  KeptWrites::FlushResult retried;
  if (!kept.empty()) retried = FlushKept(context);
  Status first;
  for (const SetFileWrite& write : writes) {
    KeptWrite due{context.state.dataPath, write};
    const std::string path = due.path();
    Status status;
    if (kept.HoldsFile(path)) {
      // Earlier lines of this file still wait: this one waits behind them.
      const auto failed = retried.failures.find(path);
      status = failed != retried.failures.end()
                   ? failed->second
                   : Failure{FailureCode::FileWrite, write.name + ": earlier lines still wait"};
    } else {
      status = PerformSetFileWrite(due.dataPath, due.write, kept.journalFolder());
      if (status.ok()) continue;
      if (status.failure().code == FailureCode::FileUnflushed) {
        TellUnflushed(context, {status.failure()});
        continue;
      }
    }
    const Status journaled = kept.Keep(std::move(due));
    if (!journaled.ok()) {
      context.events.Tell(event::KeptLinesInMemoryOnly{journaled.failure().message});
    }
    if (first.ok()) first = std::move(status);
  }
  if (!first.ok()) first.failure().message += "; kept until the directory takes writes";
  return first;
}

void RetryKeptWrites(CaptureContext& context) {
  if (context.keptWrites.empty()) return;
  FlushKept(context);
}

void StartKeptWritesJournal(CaptureContext& context, const std::string& folder) {
  if (folder.empty()) {
    context.events.Tell(event::NoJournalFolder{});
    return;
  }
  for (const std::string& journal : context.keptWrites.UseJournalFolder(folder)) {
    context.events.Tell(event::EarlierKeptLinesFound{journal});
  }
  if (context.keptWrites.empty()) return;
  const KeptWrites::FlushResult retried = FlushKept(context);
  if (context.keptWrites.empty()) return;
  for (const auto& [path, failure] : retried.failures) {
    context.events.Tell(event::KeptLinesStillWait{failure.message});
  }
}

void SaveKeptWritesBeforeEnd(CaptureContext& context) {
  if (context.keptWrites.empty()) return;
  FlushKept(context);
  for (const std::string& journal : context.keptWrites.JournalPaths()) {
    std::fprintf(stderr, "tally77: kept lines not yet written stay in %s; the next start writes them\n",
                 journal.c_str());
  }
  if (context.keptWrites.writes().empty()) return;
  const std::string folder = RescueFolder(context.clock.Now());
  for (const KeptWrite& kept : context.keptWrites.TakeAll()) RescueWrite(folder, kept);
}

}  // namespace tally
