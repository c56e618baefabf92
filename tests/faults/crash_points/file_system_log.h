#pragma once
// The file-system operations a capture makes under one folder, taken down
// as they happen by wrappers around the C library's own calls (this test
// program defines open, write, fsync, rename, ... and passes each on), and
// what a power cut after any of them could leave on the device.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace tally::testing {

struct FileOperation {
  enum class Kind { Content, Flush, FlushFolder, Rename, Exchange, Remove, Mark };
  Kind kind;
  std::string path;     // the file or folder (Content: the name it was opened by)
  std::string other;    // Rename and Exchange: the second name; Mark: what happened
  unsigned long inode = 0;  // Content and Flush
  std::string content;  // Content: the whole file after the operation
};

// Files by path (every name under the folder), as a state of the device.
using FolderState = std::map<std::string, std::string>;

class FileSystemLog {
 public:
  // Starts taking down what happens under folder, whose files as they are
  // now count as on the device.
  void Start(const std::string& folder);
  // Stops; the operations stay.
  void Stop();
  // A mark between operations (a set reported written, say).
  void Mark(const std::string& what);
  // The next flush of the file opened by path, while taking down, fails
  // with an input/output error and reaches nothing.
  void FailNextFlushOf(const std::string& path);

  const std::vector<FileOperation>& operations() const { return operations_; }

  // What a power cut after the first count operations could leave: what
  // was flushed only; everything as written (a kill); every file's
  // unflushed tail cut in half; the data flushed but no name the folder
  // did not flush. The same state is given once.
  std::vector<FolderState> CrashStates(std::size_t count) const;

 private:
  friend struct LogAccess;
  std::vector<FileOperation> operations_;
  FolderState initial_;
  std::map<std::string, unsigned long> initialInodes_;
};

// The log the wrappers write to (one per test program).
FileSystemLog& TheFileSystemLog();

// Writes state as the folder's content, every path moved from the folder
// it was taken in to into.
void Materialise(const FolderState& state, const std::string& from, const std::string& into);

}  // namespace tally::testing
