// tally77-sim's --link goes with the simulator, however its run ends: a
// link left behind would lead to a pseudo-terminal number the system gives
// to the next one opened.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "doubles/temp_dir.h"
#include "forward/child_process.h"

namespace tally::testing {
namespace {

bool IsThere(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

TEST(SimLink, IsRemovedAtExitAndOnAStopSignal) {
  const struct {
    const char* what;
    int signal;  // 0: the capture opens the line, and no end command comes
    int status;
  } endings[] = {{"SIGTERM", SIGTERM, 0}, {"SIGINT", SIGINT, 0}, {"no end command", 0, 69}};
  for (const auto& ending : endings) {
    SCOPED_TRACE(ending.what);
    TempDir dir;
    const std::string link = dir.dataPath() + "com1";
    ChildProcess sim({TALLY77_SIM_PATH, "--link", link, "--bursts", "0", "--sync", "off", "--gap", "0",
                      "--wait-end", "1"},
                     dir.dataPath() + "out");
    ASSERT_TRUE(Eventually([&] { return IsThere(link); }));
    int peer = -1;
    if (ending.signal != 0) {
      sim.Signal(ending.signal);
    } else {
      peer = open(link.c_str(), O_RDWR | O_NOCTTY);
      ASSERT_GE(peer, 0);
    }
    const std::optional<int> status = sim.Wait(30'000);
    if (peer >= 0) close(peer);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status)) << *status;
    EXPECT_EQ(WEXITSTATUS(*status), ending.status) << sim.Output();
    EXPECT_FALSE(IsThere(link));
  }
}

}  // namespace
}  // namespace tally::testing
