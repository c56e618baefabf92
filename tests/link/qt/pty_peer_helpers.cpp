#include "link/qt/pty_peer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
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

PtyPeer::PtyPeer(const std::string& link) {
  handle_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (handle_ < 0 || grantpt(handle_) != 0 || unlockpt(handle_) != 0) {
    std::perror("posix_openpt");
    std::abort();
  }
  path_ = ptsname(handle_);
  termios settings{};
  tcgetattr(handle_, &settings);
  cfmakeraw(&settings);
  tcsetattr(handle_, TCSANOW, &settings);
  if (!link.empty()) {
    const std::string fresh = link + ".new";
    unlink(fresh.c_str());
    if (symlink(path_.c_str(), fresh.c_str()) != 0 || rename(fresh.c_str(), link.c_str()) != 0) {
      std::perror("symlink");
      std::abort();
    }
  }
}

PtyPeer::~PtyPeer() { HangUp(); }

void PtyPeer::Write(const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t wrote = write(handle_, bytes.data() + sent, bytes.size() - sent);
    if (wrote <= 0) break;
    sent += static_cast<std::size_t>(wrote);
  }
}

const std::string& PtyPeer::Received() {
  char chunk[512];
  for (;;) {
    const ssize_t got = handle_ < 0 ? -1 : read(handle_, chunk, sizeof chunk);
    if (got <= 0) break;
    received_.append(chunk, static_cast<std::size_t>(got));
  }
  return received_;
}

bool PtyPeer::WaitForBytes(std::size_t count, int milliseconds) {
  return WaitFor([&] { return Received().size() >= count; }, milliseconds);
}

void PtyPeer::HangUp() {
  if (handle_ >= 0) close(handle_);
  handle_ = -1;
}

}  // namespace tally::testing
