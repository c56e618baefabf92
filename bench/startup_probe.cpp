// Starts as the program does (the capture window, its port, timer and
// clock, the events wired, the window shown, the event loop running) and
// reports to startup_bench: the monotonic time at which the window was
// first painted, then, after a rest, its resident memory and CPU time.

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "gui/capture_program.h"
#include "rig/process_figures.h"

namespace {

constexpr int kRestMilliseconds = 2000;

// Notes the first paint of the window.
class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && shownAt == 0) {
      shownAt = tally::bench::MonotonicMicroseconds();
      QTimer::singleShot(0, &paintedLoop, &QEventLoop::quit);
    }
    return QObject::eventFilter(watched, event);
  }
  std::int64_t shownAt = 0;
  QEventLoop paintedLoop;
};

}  // namespace

int main(int argc, char* argv[]) {
  using namespace tally::bench;
  PreferOffscreenPlatform();
  QApplication application(argc, argv);
  CaptureProgram program;
  FirstPaint firstPaint;
  program.window.installEventFilter(&firstPaint);
  program.window.show();
  QTimer::singleShot(10000, &firstPaint.paintedLoop, &QEventLoop::quit);
  firstPaint.paintedLoop.exec();
  if (firstPaint.shownAt == 0) {
    std::fprintf(stderr, "startup_probe: the window was not painted within 10 s\n");
    return 1;
  }
  std::printf("shown_us %lld\n", static_cast<long long>(firstPaint.shownAt));
  std::printf("cpu_at_shown_us %lld\n", static_cast<long long>(CpuMicroseconds()));
  std::fflush(stdout);

  QEventLoop rest;
  QTimer::singleShot(kRestMilliseconds, Qt::PreciseTimer, &rest, &QEventLoop::quit);
  rest.exec();
  std::printf("rss_at_rest_bytes %llu\n", static_cast<unsigned long long>(ResidentBytes()));
  return 0;
}
