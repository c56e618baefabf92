// tally77-history on a large "fl.db1": indexing beside `wc -l` on the same
// file in the same run (warm cache), the index's memory per set, the first
// rows after opening, scrolling the table and redrawing a plot of 100,000
// points.
// Usage: history_bench [megabytes]   (1024 unless given)

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTableView>
#include <sys/resource.h>
#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "history/qt/history_window.h"
#include "history/qt/set_plot.h"
#include "history/qt/set_table_model.h"
#include "history/set_index.h"
#include "rig/bench_data_dir.h"
#include "rig/large_file.h"
#include "rig/latency_samples.h"
#include "rig/process_figures.h"

namespace {

using tally::bench::LatencySamples;
using tally::bench::MonotonicMicroseconds;

// An fLI set as the capture writes it: 324 characters and CR LF.
std::string SetLine() {
  std::string line = "MTR120261206143015";
  for (int channel = 1; channel <= 16; ++channel) {
    char slot[32];
    std::snprintf(slot, sizeof slot, ",%02d,%03d,%05d,00300", channel, 100 + channel, channel * 7);
    line += slot;
  }
  return line + "  \r\n";
}

// Anonymous resident memory (the heap; the mapped file is not counted).
std::uint64_t AnonymousBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string key; status >> key;) {
    if (key == "RssAnon:") {
      std::uint64_t kilobytes = 0;
      status >> kilobytes;
      return kilobytes * 1024;
    }
  }
  return 0;
}

// This thread's CPU time: what a repaint costs, whatever else the machine runs.
std::int64_t ThreadCpuMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

double Seconds(std::int64_t from) { return static_cast<double>(MonotonicMicroseconds() - from) / 1e6; }

// CPU time of this process and of its finished children (wc), in seconds:
// what a run costs, whatever else the machine runs.
double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
  double wall = 1e300;
  double cpu = 1e300;
};

// The best of three: the figures of a warm cache, least disturbed. who
// says whose CPU time counts: RUSAGE_SELF or RUSAGE_CHILDREN.
template <class Run>
Timing BestOfThree(int who, Run run) {
  Timing best;
  for (int i = 0; i < 3; ++i) {
    const std::int64_t start = MonotonicMicroseconds();
    const double cpu = CpuSeconds(who);
    run();
    best.wall = std::min(best.wall, Seconds(start));
    best.cpu = std::min(best.cpu, CpuSeconds(who) - cpu);
  }
  return best;
}

bool Wait(const std::function<bool()>& done, int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > milliseconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
  QApplication application(argc, argv);
  tally::bench::BenchDataDir dir;
  const std::string path = dir.FileName("fl.db1");
  tally::bench::GrowFileWithLines(path, megabytes << 20, SetLine());
  const double fileMb = static_cast<double>(tally::bench::FileBytes(path)) / (1 << 20);

  // Warm cache: one read of the whole file before any timing.
  if (std::system(("cat '" + path + "' > /dev/null").c_str()) != 0) return 1;
  const Timing wc = BestOfThree(RUSAGE_CHILDREN, [&path] {
    if (std::system(("wc -l '" + path + "' > /dev/null").c_str()) != 0) std::exit(1);
  });
  std::size_t sets = 0;
  std::size_t footprint = 0;
  const Timing index = BestOfThree(RUSAGE_SELF, [&] {
    tally::history::SetIndex setIndex(path);
    setIndex.IndexAll();
    sets = setIndex.size();
    footprint = setIndex.Footprint();
  });
  const std::uint64_t anonymousBefore = AnonymousBytes();
  tally::history::SetIndex kept(path);
  kept.IndexAll();
  const std::uint64_t anonymousAfter = AnonymousBytes();
  if (kept.size() != sets || kept.damagedCount() != 0) {
    std::printf("ERROR OCCURRED: %zu lines, %zu damaged\n", kept.size(), kept.damagedCount());
    return 1;
  }
  std::printf("fl.db1: %.0f MB, %zu sets\n", fileMb, sets);
  std::printf("wc -l (best of 3): %.3f s, %.0f MB/s; CPU %.3f s\n", wc.wall, fileMb / wc.wall, wc.cpu);
  std::printf("index (best of 3): %.3f s, %.0f MB/s, %.2fx the time of wc -l; CPU %.3f s, %.2fx wc -l's\n",
              index.wall, fileMb / index.wall, index.wall / wc.wall, index.cpu, index.cpu / wc.cpu);
  std::printf("index memory: %.2f bytes/set held, %.2f bytes/set heap growth\n",
              static_cast<double>(footprint) / static_cast<double>(sets),
              static_cast<double>(anonymousAfter - anonymousBefore) / static_cast<double>(sets));

  // The window: first rows shown after opening, then indexing to the end.
  tally::history::HistoryWindow window(tally::ZoneRules(3600));
  window.show();
  QCoreApplication::processEvents();
  const std::int64_t opened = MonotonicMicroseconds();
  window.OpenDirectory(QString::fromStdString(dir.path()));
  Wait([&window] { return window.model().rowCount() > 0; }, 60000);
  window.table().viewport()->repaint();
  const double firstRows = Seconds(opened) * 1000;
  Wait([&window] { return !window.indexing(); }, 600000);
  const double allRows = Seconds(opened);
  Wait([&window] { return !window.busy(); }, 600000);
  const double plotted = Seconds(opened);
  const double windowAnonymousPerSet =
      static_cast<double>(AnonymousBytes()) / static_cast<double>(std::max<std::size_t>(1, sets));
  std::printf("window: first rows painted %.1f ms after opening; all %d rows after %.2f s, plotted after %.2f s\n",
              firstRows, window.model().rowCount(), allRows, plotted);
  std::printf("window: heap %.1f bytes/set at rest (all of the program's heap divided by the sets)\n",
              windowAnonymousPerSet);

  // Scrolling: jumps to random places, each painted at once.
  QScrollBar* bar = window.table().verticalScrollBar();
  std::mt19937 random(7);
  LatencySamples scroll;
  LatencySamples scrollCpu;
  for (int i = 0; i < 200; ++i) {
    const std::int64_t start = MonotonicMicroseconds();
    const std::int64_t cpu = ThreadCpuMicroseconds();
    bar->setValue(static_cast<int>(random() % static_cast<unsigned>(std::max(1, bar->maximum()))));
    window.table().viewport()->repaint();
    scroll.Add(static_cast<double>(MonotonicMicroseconds() - start));
    scrollCpu.Add(static_cast<double>(ThreadCpuMicroseconds() - cpu));
  }
  std::printf("table scroll and repaint: median %.2f ms, max %.2f ms; CPU median %.2f ms, max %.2f ms\n",
              scroll.Median() / 1000, scroll.Max() / 1000, scrollCpu.Median() / 1000, scrollCpu.Max() / 1000);

  // A plot of 100,000 points: zoom and pan, each redrawn and painted at once.
  tally::history::SetPlot& plot = window.plot();
  tally::history::PlotContent content;
  auto& points = content.channels[1];
  for (int i = 0; i < 100000; ++i) points.push_back({1.8e12 + i * 3000.0, 100 + 50 * std::sin(i / 300.0)});
  content.limits[1].high = 140;
  plot.Show(content);
  plot.resize(1000, 400);
  LatencySamples redraw;
  LatencySamples redrawCpu;
  for (int i = 0; i < 100; ++i) {
    const std::int64_t start = MonotonicMicroseconds();
    const std::int64_t cpu = ThreadCpuMicroseconds();
    if (i % 4 == 0) {
      plot.ZoomBy(i % 8 == 0 ? 1.5 : 1 / 1.5);
    } else {
      plot.PanBy(i % 8 < 4 ? 0.05 : -0.05);
    }
    plot.viewport()->repaint();
    redraw.Add(static_cast<double>(MonotonicMicroseconds() - start));
    redrawCpu.Add(static_cast<double>(ThreadCpuMicroseconds() - cpu));
  }
  std::printf(
      "plot of 100000 points, zoom or pan and repaint: median %.2f ms, max %.2f ms; CPU median %.2f ms, "
      "max %.2f ms (%d points drawn)\n",
      redraw.Median() / 1000, redraw.Max() / 1000, redrawCpu.Median() / 1000, redrawCpu.Max() / 1000,
      plot.PointsDrawn());
  return 0;
}
