// List1 at a million entries, on the capture window itself (Qt's offscreen
// platform unless QT_QPA_PLATFORM says otherwise): the cost of an append,
// the memory each entry adds, the repaint after scrolling to the end, and
// an append with the event loop turning after it until the view has
// followed the newest entry and repainted, as each reading gets in a run.
// $TALLY77_BENCH_LIST_ENTRIES sets the count (1,000,000 unless set).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "gui/list_entries.h"
#include "gui/widget_bench_main.h"
#include "rig/latency_samples.h"
#include "rig/process_figures.h"
#include "window/entry_list_view.h"
#include "window/form1.h"
#include "window/frame_pace.h"

namespace tally::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBatch = 1000;                  // appends timed together
constexpr std::size_t kEntriesBetweenTurns = 100000;  // appends between two turns of the event loop
constexpr benchmark::IterationCount kAppendsWithRepaint = 200;

struct ShownWindow {
  ShownWindow() {
    window.show();
    QApplication::processEvents();
    list1 = window.findChild<EntryListView*>(QStringLiteral("List1"));
    if (list1 != nullptr) list1->viewport()->installEventFilter(&list1Paints);
  }
  Form1 window;
  EntryListView* list1 = nullptr;
  PaintCounter list1Paints;
};

// Filling as a quick stream: the loop turns only now and then.
void Fill(ShownWindow& shown, std::size_t entries) {
  for (std::size_t number = 0; number < entries; ++number) {
    shown.window.AppendList1(ListEntry(number, false));
    if (number % kEntriesBetweenTurns == kEntriesBetweenTurns - 1) QApplication::processEvents();
  }
  QApplication::processEvents();
}

// Appends timed in batches, as a quick stream of entries with no turn of
// the event loop in between; it turns, untimed, after every
// kEntriesBetweenTurns entries. (In a run every entry has a turn of its
// own: List1AppendWithRepaint.)
void List1Append(benchmark::State& state, bool fLII) {
  ShownWindow shown;
  if (shown.list1 == nullptr) {
    state.SkipWithError("List1 not found in the window");
    return;
  }
  shown.window.AppendList1(ListEntry(0, fLII));
  QApplication::processEvents();
  const std::uint64_t residentBefore = ResidentBytes();
  const std::size_t countBefore = shown.list1->entries().EntryCount();
  std::size_t number = 1;
  double timedSeconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    for (std::size_t i = 0; i < kBatch; ++i) shown.window.AppendList1(ListEntry(number++, fLII));
    const auto stop = Clock::now();
    const double seconds = std::chrono::duration<double>(stop - start).count();
    timedSeconds += seconds;
    state.SetIterationTime(seconds);
    if ((number - 1) % kEntriesBetweenTurns == 0) QApplication::processEvents();
  }
  // The view takes in the new rows and paints before the memory is read, so
  // that anything it keeps is counted too.
  QApplication::processEvents();
  shown.list1->scrollToBottom();
  shown.list1->viewport()->repaint();
  const std::uint64_t residentAfter = ResidentBytes();
  const std::size_t added = shown.list1->entries().EntryCount() - countBefore;
  if (added != number - 1) {
    state.SkipWithError("List1 did not keep every entry");
    return;
  }
  state.counters["entries"] = static_cast<double>(added);
  state.counters["entry_chars"] = static_cast<double>(ListEntry(0, fLII).size());
  state.counters["append_us_avg"] = timedSeconds * 1e6 / static_cast<double>(added);
  state.counters["rss_growth_MB"] =
      static_cast<double>(residentAfter - residentBefore) / (1024.0 * 1024.0);
  state.counters["bytes_per_entry"] =
      (static_cast<double>(residentAfter) - static_cast<double>(residentBefore)) / static_cast<double>(added);
  state.counters["rss_MB"] = static_cast<double>(residentAfter) / (1024.0 * 1024.0);
}

// From the top to the end of a full List1: scrollToBottom and a forced
// repaint, timed together; the scroll back to the top is not timed. The
// view's own cost: the window's frame pace, which would hold the second
// repaint to the end of the frame the first began, is taken away.
void List1ScrollToEndRepaint(benchmark::State& state) {
  ShownWindow shown;
  delete FramePace::Of(shown.list1);
  Fill(shown, ListEntries());
  QScrollBar* bar = shown.list1->verticalScrollBar();
  LatencySamples samples;
  LatencySamples repaints;
  for (auto _ : state) {
    shown.list1->scrollToTop();
    shown.list1->viewport()->repaint();
    QApplication::processEvents();
    const auto start = Clock::now();
    shown.list1->scrollToBottom();
    const auto scrolled = Clock::now();
    shown.list1->viewport()->repaint();
    const auto stop = Clock::now();
    if (bar->value() != bar->maximum() || bar->maximum() == 0) {
      state.SkipWithError("List1 did not reach its end");
      return;
    }
    const double seconds = std::chrono::duration<double>(stop - start).count();
    state.SetIterationTime(seconds);
    samples.Add(seconds * 1e3);
    repaints.Add(std::chrono::duration<double>(stop - scrolled).count() * 1e3);
  }
  state.counters["entries"] = static_cast<double>(shown.list1->entries().EntryCount());
  state.counters["median_ms"] = samples.Median();
  state.counters["max_ms"] = samples.Max();
  state.counters["repaint_median_ms"] = repaints.Median();
}

// One more entry on a full List1, then the event loop turning until the
// view has repainted (it follows the newest entry at the first turn and
// paints at that turn or the next), as after every reading in a run at the
// processor's pace: each append comes after the window's last frame has
// ended (waited for untimed), so it is drawn at once. Every iteration must
// end with a paint of List1 and the newest entry whole in view.
void List1AppendWithRepaint(benchmark::State& state) {
  constexpr int kMaxTurns = 100;
  ShownWindow shown;
  Fill(shown, ListEntries());
  std::size_t number = ListEntries();
  LatencySamples samples;
  LatencySamples appends;
  LatencySamples turnsTaken;
  const FramePace* pace = FramePace::Of(shown.list1);
  for (auto _ : state) {
    while (pace != nullptr && pace->FrameRunning()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const std::size_t paintsBefore = shown.list1Paints.paints;
    const auto start = Clock::now();
    shown.window.AppendList1(ListEntry(number++, false));
    const auto appended = Clock::now();
    int turns = 0;
    do {
      QApplication::processEvents();
      ++turns;
    } while (shown.list1Paints.paints == paintsBefore && turns < kMaxTurns);
    const auto stop = Clock::now();
    if (shown.list1Paints.paints == paintsBefore) {
      state.SkipWithError("List1 was not repainted after the append");
      return;
    }
    const std::size_t newest = shown.list1->entries().EntryCount() - 1;
    if (!shown.list1->viewport()->rect().contains(shown.list1->RowRect(newest))) {
      state.SkipWithError("List1 did not follow the newest entry");
      return;
    }
    const double seconds = std::chrono::duration<double>(stop - start).count();
    state.SetIterationTime(seconds);
    samples.Add(seconds * 1e6);
    appends.Add(std::chrono::duration<double>(appended - start).count() * 1e6);
    turnsTaken.Add(turns);
  }
  QScrollBar* bar = shown.list1->verticalScrollBar();
  if (bar->value() != bar->maximum()) {
    state.SkipWithError("List1 did not follow the newest entry");
    return;
  }
  state.counters["entries"] = static_cast<double>(shown.list1->entries().EntryCount());
  state.counters["median_us"] = samples.Median();
  state.counters["max_us"] = samples.Max();
  state.counters["append_median_us"] = appends.Median();
  state.counters["turns_max"] = turnsTaken.Max();
}

void RegisterListBenchmarks() {
  const auto batches = static_cast<benchmark::IterationCount>((ListEntries() + kBatch - 1) / kBatch);
  RegisterSelfTimed("List1Append/fLI_lines", benchmark::kMicrosecond, batches, List1Append, false);
  RegisterSelfTimed("List1Append/fLII_lines", benchmark::kMicrosecond, batches, List1Append, true);
  RegisterSelfTimed("List1ScrollToEndRepaint", benchmark::kMillisecond, 0, List1ScrollToEndRepaint);
  RegisterSelfTimed("List1AppendWithRepaint", benchmark::kMicrosecond, kAppendsWithRepaint, List1AppendWithRepaint);
}

}  // namespace
}  // namespace tally::bench

int main(int argc, char** argv) {
  return tally::bench::RunWidgetBenchmarks(argc, argv, tally::bench::RegisterListBenchmarks);
}
