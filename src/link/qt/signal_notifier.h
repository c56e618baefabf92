#pragma once
// Process signals (SIGTERM, SIGINT, SIGHUP, ...) delivered as a Qt signal on
// the event thread. The signals are blocked and read from a signalfd, so no
// work ever runs inside a signal handler: the event loop sees them at its
// next turn, like any other event.

#include <QObject>
#include <QSocketNotifier>
#include <initializer_list>
#include <memory>

namespace tally {

class SignalNotifier : public QObject {
  Q_OBJECT

 public:
  // Blocks the given signals for this thread and every thread it starts
  // afterwards: make it before the program starts any thread. Programs it
  // starts inherit the blocked set.
  SignalNotifier(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
  ~SignalNotifier() override;
  SignalNotifier(const SignalNotifier&) = delete;
  SignalNotifier& operator=(const SignalNotifier&) = delete;

  // False when the signal descriptor could not be made; the signals then
  // keep their default actions.
  bool ok() const { return handle_ >= 0; }

 signals:
  void received(int signalNumber);

 private:
  void ReadPending();

  int handle_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tally
