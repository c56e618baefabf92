#include "link/qt/signal_notifier.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace tally {

SignalNotifier::SignalNotifier(std::initializer_list<int> signalNumbers, QObject* parent)
    : QObject(parent) {
  sigset_t wanted;
  sigemptyset(&wanted);
  for (const int number : signalNumbers) sigaddset(&wanted, number);
  handle_ = signalfd(-1, &wanted, SFD_NONBLOCK | SFD_CLOEXEC);
  if (handle_ < 0) return;
  // Blocked only once they can be read: a failed descriptor leaves them
  // with their default action instead of losing them.
  pthread_sigmask(SIG_BLOCK, &wanted, nullptr);
  notifier_ = std::make_unique<QSocketNotifier>(handle_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &SignalNotifier::ReadPending);
}

SignalNotifier::~SignalNotifier() {
  notifier_.reset();
  if (handle_ >= 0) close(handle_);
}

void SignalNotifier::ReadPending() {
  signalfd_siginfo info {};
  while (read(handle_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    emit received(static_cast<int>(info.ssi_signo));
  }
}

}  // namespace tally
