#include "link/qt/event_loop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

namespace tally::testing {

namespace {

// The application lives from the first test that needs it to the end of
// the test program, and goes before the program's own statics do.
class ApplicationEnvironment : public ::testing::Environment {
 public:
  void Ensure() {
    if (QCoreApplication::instance() == nullptr) {
      application_ = std::make_unique<QCoreApplication>(argc_, argv_);
    }
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "link_qt_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> application_;
};

ApplicationEnvironment* const kApplication = static_cast<ApplicationEnvironment*>(
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment));

}  // namespace

void EnsureApplication() { kApplication->Ensure(); }

bool WaitFor(const std::function<bool()>& done, int milliseconds) {
  // A steady beat keeps the wait for more events from blocking past the
  // deadline.
  QTimer beat;
  beat.start(10);
  QElapsedTimer elapsed;
  elapsed.start();
  while (!done()) {
    if (elapsed.elapsed() > milliseconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

bool WaitForBytes(PtyPeer& peer, std::size_t count, int milliseconds) {
  return WaitFor([&] { return peer.Received().size() >= count; }, milliseconds);
}

}  // namespace tally::testing
