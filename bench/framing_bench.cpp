// Burst framing over a pseudo-terminal: bursts are written to the
// processor's end, the program's Qt serial port and burst timer frame them,
// and each tick is timed from the last byte written. The figure is how late
// the tick comes after the quiet interval: tick - last byte - interval.
// Usage: framing_bench [bursts] — that many bursts written whole with a
// 100 ms interval, then a fifth as many (at least 2) paced at 300 baud
// (33 ms a character) with the window's default 2000 ms interval.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "capture/capture_context.h"
#include "link/burst_framing.h"
#include "link/event_wiring.h"
#include "link/qt/qt_burst_timer.h"
#include "link/qt/qt_serial_port.h"
#include "rig/latency_samples.h"
#include "rig/process_figures.h"
#include "doubles/pty_peer.h"
#include "rig/reading_rig.h"

namespace tally::bench {
namespace {

constexpr int kCharacterMilliseconds = 33;  // 10 bits at 300 baud
constexpr int kTickWaitMargin = 5000;

// The Qt burst timer, its ticks noted on the monotonic clock before the
// capture's handler runs.
class NotedBurstTimer : public BurstTimer {
 public:
  void SetInterval(int milliseconds) override { timer_.SetInterval(milliseconds); }
  void Arm() override { timer_.Arm(); }
  void Disarm() override { timer_.Disarm(); }
  bool IsArmed() const override { return timer_.IsArmed(); }
  std::optional<Moment> OverdueSince() const override { return timer_.OverdueSince(); }
  void SetTickHandler(std::function<void()> handler) override {
    timer_.SetTickHandler([this, handler = std::move(handler)] {
      lastTick = MonotonicMicroseconds();
      handler();
      if (onNoted) onNoted();
    });
  }

  std::int64_t lastTick = 0;
  std::function<void()> onNoted;

 private:
  QtBurstTimer timer_;
};

struct FramingRun {
  FramingRun() {
    // The rig's data directory, channel table and counts, so that the
    // readings go there and not to the working directory.
    context.state = rig.context.state;
    ::setenv("TALLY77_COM1", pty.path().c_str(), 1);
    port.SelectPort(1, "");
    if (!port.SetSettings("300,N,8,1").ok() || !port.Open().ok()) throw std::runtime_error("Com1 did not open");
    ConnectCaptureEvents(context);
  }

  // Writes the burst (whole, or a character at a time at 300 baud) and
  // waits for the tick; gives its lateness after the interval in
  // milliseconds, or a negative number when no tick came.
  double TimeBurst(const std::string& burst, int interval, bool paced) {
    rig.surface.SetText(TextBox::Text4, std::to_string(interval));
    QEventLoop loop;
    timer.onNoted = [&loop] { loop.quit(); };
    std::int64_t lastWritten = 0;
    const std::int64_t ticksBefore = context.state.tickCount;
    if (paced) {
      for (std::size_t i = 0; i < burst.size(); ++i) {
        QTimer::singleShot(static_cast<int>(i) * kCharacterMilliseconds, Qt::PreciseTimer, &loop,
                           [this, &lastWritten, c = burst[i]] {
                             pty.Write(std::string(1, c));
                             lastWritten = MonotonicMicroseconds();
                           });
      }
    } else {
      pty.Write(burst);
      lastWritten = MonotonicMicroseconds();
    }
    const int waitLimit = interval + static_cast<int>(burst.size()) * kCharacterMilliseconds + kTickWaitMargin;
    QTimer::singleShot(waitLimit, &loop, &QEventLoop::quit);
    loop.exec();
    timer.onNoted = nullptr;
    pty.Drain();
    if (context.state.tickCount != ticksBefore + 1) return -1;
    return static_cast<double>(timer.lastTick - lastWritten) / 1e3 - interval;
  }

  tally::testing::PtyPeer pty{"", true};  // the port's end held open between opens
  ReadingRig rig;  // data directory, channel table, window texts
  QtSerialPort port;
  NotedBurstTimer timer;
  CaptureContext context{rig.events, rig.settings, port, timer, rig.clock, rig.program};
};

bool Measure(FramingRun& run, int bursts, int interval, bool paced, const char* name) {
  LatencySamples lateness;
  for (int i = 0; i < bursts; ++i) {
    const double late = run.TimeBurst(FliBurst(i % 16 + 1, i), interval, paced);
    if (late < 0) {
      std::fprintf(stderr, "framing_bench: no tick for burst %d (%s)\n", i + 1, name);
      return false;
    }
    lateness.Add(late);
  }
  std::printf("%s_interval_ms %d\n", name, interval);
  std::printf("%s_bursts %d\n", name, bursts);
  std::printf("%s_late_ms_median %.2f\n", name, lateness.Median());
  std::printf("%s_late_ms_p90 %.2f\n", name, lateness.Quantile(0.9));
  std::printf("%s_late_ms_max %.2f\n", name, lateness.Max());
  return true;
}

}  // namespace
}  // namespace tally::bench

int main(int argc, char* argv[]) {
  using namespace tally::bench;
  const int bursts = argc > 1 ? std::atoi(argv[1]) : 40;
  if (bursts < 1) {
    std::fprintf(stderr, "usage: framing_bench [bursts]\n");
    return 2;
  }
  try {
    QCoreApplication application(argc, argv);
    FramingRun run;
    if (!Measure(run, bursts, 100, false, "framing_whole")) return 1;
    if (!Measure(run, bursts / 5 < 2 ? 2 : bursts / 5, tally::kDefaultBurstInterval, true,
                 "framing_paced")) {
      return 1;
    }
    // Every tick listed one entry in List1 (the sync tick its "sync ", the
    // others their line) and no burst was rejected.
    const auto lines = run.rig.surface.list1Entries;
    if (lines != static_cast<std::size_t>(run.context.state.tickCount) ||
        run.rig.surface.list2Entries != 0) {
      std::fprintf(stderr, "framing_bench: %zu List1 entries for %lld ticks: %s\n", lines,
                   static_cast<long long>(run.context.state.tickCount), run.rig.surface.lastList2.c_str());
      return 1;
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "framing_bench: %s\n", error.what());
    return 1;
  }
}
