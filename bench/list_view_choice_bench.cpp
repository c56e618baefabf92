// The two ways of giving screen readers List1's rows, measured side by side
// at a million entries before one was chosen: the list box the window has
// (EntryListView, which keeps nothing per row, with an accessible interface
// of its own), and Qt's QListView with uniform rows over a
// QAbstractListModel on the same compact blocks (which would bring Qt's own
// item view accessibility). For each: the cost of an append in a quick
// stream, the longest turn of the event loop during the fill, the memory an
// entry adds, and an append with the event loop turning until the view has
// followed the newest entry and repainted, as after each reading in a run.
// Offscreen platform, no assistive tool listening.
// $TALLY77_BENCH_LIST_ENTRIES sets the count (1,000,000 unless set).

#include <benchmark/benchmark.h>

#include <QAbstractListModel>
#include <QApplication>
#include <QListView>
#include <QScrollBar>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "gui/list_entries.h"
#include "gui/widget_bench_main.h"
#include "rig/latency_samples.h"
#include "rig/process_figures.h"
#include "window/entry_list_model.h"
#include "window/entry_list_view.h"

namespace tally::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBatch = 1000;
constexpr std::size_t kEntriesBetweenTurns = 100000;
constexpr int kAppendsWithRepaint = 200;
constexpr int kMaxTurns = 100;

// A list box under measurement, shown at List1's size.
class ListUnderTest {
 public:
  virtual ~ListUnderTest() = default;
  virtual QAbstractScrollArea* Widget() = 0;
  virtual void Append(const std::string& entry) = 0;
  virtual std::size_t Count() const = 0;
  virtual bool NewestInView() = 0;
};

class PresentListBox : public ListUnderTest {
 public:
  QAbstractScrollArea* Widget() override { return &view_; }
  void Append(const std::string& entry) override { view_.Append(entry); }
  std::size_t Count() const override { return view_.entries().EntryCount(); }
  bool NewestInView() override {
    return view_.viewport()->rect().contains(view_.RowRect(Count() - 1));
  }

 private:
  EntryListView view_;
};

// The same blocks behind Qt's list model interface.
class BlockListModel : public QAbstractListModel {
 public:
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(entries_.EntryCount());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    std::string scratch;
    const std::string_view bytes = entries_.EntryBytes(static_cast<std::size_t>(index.row()), scratch);
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  void Append(const std::string& entry) {
    const int row = rowCount({});
    beginInsertRows({}, row, row);
    entries_.Append(entry);
    endInsertRows();
  }
  std::size_t Count() const { return entries_.EntryCount(); }

 private:
  EntryListModel entries_;
};

// QListView with uniform rows; it follows the newest entry at the next turn
// of the loop, as the present list box does (following at each append
// would lay out every row each time).
class UniformListView : public ListUnderTest {
 public:
  UniformListView() {
    view_.setUniformItemSizes(true);
    view_.setModel(&model_);
    follow_.setSingleShot(true);
    follow_.setInterval(0);
    QObject::connect(&follow_, &QTimer::timeout, &view_, [this] { view_.scrollToBottom(); });
  }
  QAbstractScrollArea* Widget() override { return &view_; }
  void Append(const std::string& entry) override {
    const QScrollBar* bar = view_.verticalScrollBar();
    const bool atBottom = bar->value() >= bar->maximum();
    model_.Append(entry);
    if (atBottom && !follow_.isActive()) follow_.start();
  }
  std::size_t Count() const override { return model_.Count(); }
  bool NewestInView() override {
    const QRect newest = view_.visualRect(model_.index(static_cast<int>(Count() - 1)));
    return view_.viewport()->rect().contains(newest);
  }

 private:
  BlockListModel model_;
  QListView view_;
  QTimer follow_;
};

template <typename List>
void ListBoxChoice(benchmark::State& state) {
  List list;
  QAbstractScrollArea* widget = list.Widget();
  widget->resize(281, 225);  // List1 at 96 dots per inch
  PaintCounter paints;
  widget->viewport()->installEventFilter(&paints);
  widget->show();
  list.Append(ListEntry(0, false));
  QApplication::processEvents();

  const std::size_t entries = ListEntries();
  const std::uint64_t residentBefore = ResidentBytes();
  double appendSeconds = 0;
  LatencySamples turns;
  std::size_t number = 1;
  for (auto _ : state) {
    while (number < entries) {
      const auto start = Clock::now();
      for (std::size_t i = 0; i < kBatch; ++i) list.Append(ListEntry(number++, false));
      appendSeconds += std::chrono::duration<double>(Clock::now() - start).count();
      if ((number - 1) % kEntriesBetweenTurns < kBatch) {
        const auto turn = Clock::now();
        QApplication::processEvents();
        turns.Add(std::chrono::duration<double>(Clock::now() - turn).count() * 1e3);
      }
    }
    QApplication::processEvents();
    widget->viewport()->repaint();
    state.SetIterationTime(appendSeconds);
  }
  const std::uint64_t residentAfter = ResidentBytes();
  const double added = static_cast<double>(list.Count() - 1);

  LatencySamples runs;
  for (int i = 0; i < kAppendsWithRepaint; ++i) {
    const std::size_t paintsBefore = paints.paints;
    const auto start = Clock::now();
    list.Append(ListEntry(number++, false));
    int turn = 0;
    do {
      QApplication::processEvents();
    } while (paints.paints == paintsBefore && ++turn < kMaxTurns);
    runs.Add(std::chrono::duration<double>(Clock::now() - start).count() * 1e6);
    if (paints.paints == paintsBefore || !list.NewestInView()) {
      state.SkipWithError("the list did not follow the newest entry and repaint");
      return;
    }
  }
  state.counters["entries"] = added + 1;
  state.counters["append_us_avg"] = appendSeconds * 1e6 / added;
  state.counters["fill_turn_ms_max"] = turns.Max();
  state.counters["bytes_per_entry"] =
      (static_cast<double>(residentAfter) - static_cast<double>(residentBefore)) / added;
  state.counters["run_append_median_us"] = runs.Median();
  state.counters["run_append_max_us"] = runs.Max();
}

void RegisterListBoxChoice() {
  RegisterSelfTimed("ListBoxChoice/EntryListView", benchmark::kMillisecond, 1, ListBoxChoice<PresentListBox>);
  RegisterSelfTimed("ListBoxChoice/QListView_uniform", benchmark::kMillisecond, 1, ListBoxChoice<UniformListView>);
}

}  // namespace
}  // namespace tally::bench

int main(int argc, char** argv) {
  return tally::bench::RunWidgetBenchmarks(argc, argv, tally::bench::RegisterListBoxChoice);
}
