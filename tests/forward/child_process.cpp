#include "forward/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "doubles/temp_dir.h"

namespace tally::testing {

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::string& outputPath,
                           const std::vector<std::string>& environment, std::optional<RunAs> runAs,
                           const std::string& errorPath)
    : outputPath_(outputPath) {
  pid_ = fork();
  if (pid_ != 0) return;
  const int output = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  dup2(output, STDOUT_FILENO);
  dup2(errorPath.empty() ? output : ::open(errorPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644), STDERR_FILENO);
  const int nothing = ::open("/dev/null", O_RDONLY);
  dup2(nothing, STDIN_FILENO);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  for (const std::string& entry : environment) {
    if (entry.find('=') == std::string::npos) {
      unsetenv(entry.c_str());
    } else {
      putenv(const_cast<char*>(entry.c_str()));
    }
  }
  if (runAs && (setgroups(0, nullptr) != 0 || setgid(runAs->gid) != 0 || setuid(runAs->uid) != 0)) _exit(126);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !status_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

std::optional<int> ChildProcess::Wait(int timeoutMs) {
  if (!status_ && pid_ > 0) {
    Eventually(
        [this] {
          int status = 0;
          if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
          return status_.has_value();
        },
        timeoutMs);
  }
  return status_;
}

void ChildProcess::Signal(int number) const {
  if (pid_ > 0 && !status_) kill(pid_, number);
}

std::string ChildProcess::Output() const { return ReadFile(outputPath_); }

int RunProgram(const std::vector<std::string>& arguments, std::string& output, int timeoutMs,
               const std::vector<std::string>& environment, std::optional<RunAs> runAs) {
  char path[] = "/tmp/tally77-run-XXXXXX";
  const int fd = mkstemp(path);
  if (fd >= 0) close(fd);
  if (runAs) (void)chown(path, runAs->uid, runAs->gid);
  std::optional<int> status;
  {
    ChildProcess child(arguments, path, environment, runAs);
    status = child.Wait(timeoutMs);
    output = child.Output();
  }
  unlink(path);
  return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
}

bool Eventually(const std::function<bool()>& condition, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace tally::testing
