#include <gtest/gtest.h>

#include <signal.h>

#include <vector>

#include "link/qt/event_loop.h"
#include "link/qt/signal_notifier.h"

namespace tally {
namespace {

TEST(SignalNotifier, BlockedSignalsArriveOnTheEventLoopOnly) {
  testing::EnsureApplication();
  SignalNotifier notifier({SIGUSR1, SIGUSR2});
  ASSERT_TRUE(notifier.ok());
  std::vector<int> seen;
  QObject::connect(&notifier, &SignalNotifier::received, [&seen](int number) { seen.push_back(number); });

  // Blocked: raising them does not end the test program, and nothing runs
  // until the event loop turns.
  raise(SIGUSR2);
  raise(SIGUSR1);
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(testing::WaitFor([&seen] { return seen.size() == 2; }, 5000));
  EXPECT_EQ(seen, (std::vector<int>{SIGUSR1, SIGUSR2}));
}

}  // namespace
}  // namespace tally
