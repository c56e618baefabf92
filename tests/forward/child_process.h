#pragma once
// A program started by a test, its standard output and error going to a
// file (or each to its own), waited for with a deadline.

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tally::testing {

struct RunAs {
  unsigned uid;
  unsigned gid;
};

class ChildProcess {
 public:
  // environment: "NAME=value" entries added to the test's own; a NAME
  // alone takes the variable away. errorPath: where standard error goes
  // when not with the output.
  ChildProcess(const std::vector<std::string>& arguments, const std::string& outputPath,
               const std::vector<std::string>& environment = {}, std::optional<RunAs> runAs = std::nullopt,
               const std::string& errorPath = "");
  ~ChildProcess();  // kills it when still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The wait status once it ended within timeoutMs, else nullopt.
  std::optional<int> Wait(int timeoutMs);
  void Signal(int number) const;
  std::string Output() const;
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::string outputPath_;
  std::optional<int> status_;
};

// Runs a program to its end (at most timeoutMs); its exit code, or -1 when
// it did not exit normally in time. output receives what it wrote.
int RunProgram(const std::vector<std::string>& arguments, std::string& output, int timeoutMs = 60'000,
               const std::vector<std::string>& environment = {}, std::optional<RunAs> runAs = std::nullopt);

// Polls condition every 20 ms until it holds or timeoutMs passed.
bool Eventually(const std::function<bool()>& condition, int timeoutMs = 30'000);

}  // namespace tally::testing
