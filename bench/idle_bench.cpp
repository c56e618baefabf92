// The program idle with a port open: the capture window on Qt's offscreen
// platform, Com1 opened on a pseudo-terminal that sends nothing, the event
// loop running. Prints the CPU time used and the times the process woke,
// over the given seconds (60 unless given: idle_bench [seconds]).

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "gui/capture_program.h"
#include "window/entry_list_view.h"
#include "rig/bench_data_dir.h"
#include "rig/process_figures.h"
#include "doubles/pty_peer.h"

namespace {

constexpr int kSettleMilliseconds = 1000;  // port opened, support files read, window painted

// The event loop for a while. (QApplication::quit would close the window,
// and the program with it.)
void RunEventLoop(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

std::string LastList2Entry(const tally::bench::CaptureProgram& program) {
  const auto* list2 = program.window.findChild<const tally::EntryListView*>(QStringLiteral("List2"));
  if (list2 == nullptr || list2->entries().EntryCount() == 0) return "";
  return list2->entries().Entry(list2->entries().EntryCount() - 1);
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace tally::bench;
  const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: idle_bench [seconds]\n");
    return 2;
  }
  try {
    PreferOffscreenPlatform();
    QApplication application(argc, argv);
    tally::testing::PtyPeer pty{"", true};  // the port's end held open between opens
    ::setenv("TALLY77_COM1", pty.path().c_str(), 1);
    BenchDataDir dir;
    CaptureProgram program;
    program.window.show();
    if (!program.OpenPort(dir.path(), 1)) {
      std::fprintf(stderr, "idle_bench: Com1 (%s) did not open: %s\n", pty.path().c_str(),
                   program.window.Text(tally::TextBox::Text2).c_str());
      return 1;
    }
    RunEventLoop(kSettleMilliseconds);

    const std::int64_t cpuBefore = CpuMicroseconds();
    const std::int64_t wakesBefore = VoluntaryWaits();
    const std::int64_t wallBefore = MonotonicMicroseconds();
    RunEventLoop(static_cast<int>(seconds * 1000));
    const double wall = static_cast<double>(MonotonicMicroseconds() - wallBefore) / 1e6;
    const double cpuMs = static_cast<double>(CpuMicroseconds() - cpuBefore) / 1e3;
    const auto wakes = static_cast<double>(VoluntaryWaits() - wakesBefore);
    if (!program.port.IsOpen()) {
      std::fprintf(stderr, "idle_bench: the port closed while idle: %s\n", LastList2Entry(program).c_str());
      return 1;
    }
    std::printf("idle_seconds %.1f\n", wall);
    std::printf("idle_cpu_ms %.1f\n", cpuMs);
    std::printf("idle_cpu_ms_per_60s %.1f\n", cpuMs * 60.0 / wall);
    std::printf("idle_wakeups_per_s %.2f\n", wakes / wall);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "idle_bench: %s\n", error.what());
    return 1;
  }
}
