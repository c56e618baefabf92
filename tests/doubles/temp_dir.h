#pragma once
// A fresh data directory for one test or benchmark, removed afterwards.

#include <string>

namespace tally::testing {

// The whole content of a file ("" when missing or unreadable).
std::string ReadFile(const std::string& path);

// Whether a second program could take the lock on the file now (false
// while a program holds it, or when it cannot be opened).
bool LockableByAnother(const std::string& path);

class TempDir {
 public:
  TempDir();
  // One made in base instead of the system's temporary directory.
  explicit TempDir(const std::string& base);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory with no separator at the end, as the directory list gives it.
  const std::string& path() const { return path_; }
  // The directory followed by the separator, as dataPath holds it.
  std::string dataPath() const;
  // The whole content of a file in it ("" when missing), and whether it exists.
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  void Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

}  // namespace tally::testing
