// The append-only list boxes: compact storage, quick appends with a million
// entries, the newest entry kept in view unless the operator scrolled, one
// selected row moved by mouse and keys, and 8-bit text drawn as Latin-1.

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <malloc.h>

#include "window/entry_list_model.h"
#include "window/entry_list_view.h"
#include "window/frame_pace.h"
#include "window_helpers.h"

namespace tally::testing {
namespace {

constexpr std::size_t kMillion = 1'000'000;
// An fLII line as List1 shows it: 40 characters.
const std::string kReadingLine = "01,005,00020,00300,007,99999,00000,12000";

std::string Numbered(std::size_t i) { return "line " + std::to_string(i); }

std::size_t AllocatedBytes() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;  // from the heap and mapped on their own
}

// Whether the C library's allocator serves this program, so that its
// figures count our allocations (a sanitizer build brings its own).
bool AllocatorIsObservable() {
  static char* volatile probe = nullptr;  // volatile: the allocation must happen
  const std::size_t before = AllocatedBytes();
  probe = new char[1 << 20];
  const bool seen = AllocatedBytes() >= before + (1 << 20);
  delete[] probe;
  probe = nullptr;
  return seen;
}

TEST(EntryListModel, EntriesComeBackInTheOrderAppended) {
  EntryListModel model;
  const std::string entries[] = {"sync ", "", "01,005,00020,00300", "x\xFFy", std::string("a\0b", 3)};
  for (const auto& entry : entries) model.Append(entry);
  ASSERT_EQ(model.EntryCount(), std::size(entries));
  for (std::size_t i = 0; i < std::size(entries); ++i) EXPECT_EQ(model.Entry(i), entries[i]) << i;
}

TEST(EntryListModel, EntriesRunningFromOneBlockIntoTheNextComeBackWhole) {
  EntryListModel model;
  const std::size_t block = EntryListModel::kTextBlockBytes;
  const std::string filler(block - 3, 'f');
  const std::string across = "0123456789";                   // 3 bytes in the first block, 7 in the next
  const std::string huge(2 * block + 5, '\xB0');               // over three blocks
  const std::string after = "after";
  for (const auto* entry : {&filler, &across, &huge, &after}) model.Append(*entry);
  ASSERT_EQ(model.EntryCount(), 4u);
  EXPECT_EQ(model.Entry(0), filler);
  EXPECT_EQ(model.Entry(1), across);
  EXPECT_EQ(model.Entry(2), huge);
  EXPECT_EQ(model.Entry(3), after);
}

TEST(EntryListModel, EndOffsetsBeyondThirtyTwoBitsAreKept) {
  // 4 GiB of text would take too long here; enough ends for several blocks
  // of the end table are checked instead, with entries of varied length.
  EntryListModel model;
  const std::size_t count = 3 * EntryListModel::kEndsPerBlock + 17;
  for (std::size_t i = 0; i < count; ++i) model.Append(std::string(i % 7, static_cast<char>('a' + i % 26)));
  ASSERT_EQ(model.EntryCount(), count);
  for (std::size_t i : {std::size_t{0}, std::size_t{1}, EntryListModel::kEndsPerBlock - 1,
                        EntryListModel::kEndsPerBlock, 2 * EntryListModel::kEndsPerBlock + 3, count - 1}) {
    EXPECT_EQ(model.Entry(i), std::string(i % 7, static_cast<char>('a' + i % 26))) << i;
  }
}

TEST(EntryListModel, AMillionEntriesAreQuickAndCompact) {
  const std::size_t before = AllocatedBytes();
  const auto start = std::chrono::steady_clock::now();
  {
    EntryListModel model;
    for (std::size_t i = 0; i < kMillion; ++i) model.Append(kReadingLine);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(5));

    // An entry costs its characters and a 6-byte end, and the blocks are
    // never grown by doubling: well within 64 bytes an entry.
    const double own = static_cast<double>(model.MemoryBytes()) / kMillion;
    EXPECT_LE(own, 64.0);
    EXPECT_GE(own, static_cast<double>(kReadingLine.size()));
    EXPECT_EQ(model.Entry(kMillion - 1), kReadingLine);
    EXPECT_EQ(model.EntryCount(), kMillion);
    // The allocator agrees with the storage's own accounting.
    if (!AllocatorIsObservable()) GTEST_SKIP() << "the allocator's figures do not count this program's allocations";
    const double allocated = static_cast<double>(AllocatedBytes() - before) / kMillion;
    EXPECT_LE(allocated, 64.0);
    EXPECT_NEAR(allocated, own, 0.05 * own);
  }
}

bool NewestInView(const EntryListView& view) {
  const std::size_t count = view.entries().EntryCount();
  return count > 0 && view.viewport()->rect().contains(view.RowRect(count - 1));
}

// What the window shows of a widget, pieced together from what was drawn
// as it came.
QImage OnScreen(const QWidget& widget) {
  const QRect area(widget.mapTo(widget.window(), QPoint(0, 0)), widget.size());
  return widget.screen()
      ->grabWindow(widget.window()->winId(), area.x(), area.y(), area.width(), area.height())
      .toImage();
}

void ClickAt(EntryListView& view, QPoint at) {
  const QPointF local(at);
  const QPointF global = view.viewport()->mapToGlobal(local);
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &press);
  QApplication::sendEvent(view.viewport(), &release);
}

class EntryListViewTest : public ::testing::Test {
 protected:
  EntryListViewTest() {
    view.resize(281, 225);
    view.show();
  }
  void AppendNumbered(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) view.Append(Numbered(appended++));
  }
  QImage Shown() {
    QApplication::processEvents();
    return view.viewport()->grab().toImage();
  }
  EntryListView view;
  std::size_t appended = 0;
};

TEST_F(EntryListViewTest, RowsAreOneLineOfTheFontHigh) {
  EXPECT_EQ(view.RowHeight(), view.fontMetrics().height());
  AppendNumbered(200);
  view.scrollToTop();
  // The scroll bar counts rows: its range and page leave the last row whole
  // at the bottom.
  const int whole = view.viewport()->height() / view.RowHeight();
  EXPECT_EQ(view.verticalScrollBar()->pageStep(), whole);
  EXPECT_EQ(view.verticalScrollBar()->maximum(), 200 - whole);
  EXPECT_EQ(view.RowRect(3).top(), 3 * view.RowHeight());
}

TEST_F(EntryListViewTest, NewestEntryStaysInViewWhileAtTheBottom) {
  AppendNumbered(200);
  EXPECT_TRUE(WaitUntil([&] { return NewestInView(view); }));
  AppendNumbered(1);
  EXPECT_TRUE(WaitUntil([&] { return NewestInView(view); }));
}

TEST_F(EntryListViewTest, AQuickSeriesOfAppendsScrollsOnceAtTheEventLoopsTurn) {
  AppendNumbered(50);
  ASSERT_TRUE(WaitUntil([&] { return NewestInView(view); }));
  int moves = 0;
  QObject::connect(view.verticalScrollBar(), &QScrollBar::valueChanged, &view, [&moves] { ++moves; });
  AppendNumbered(1000);
  EXPECT_EQ(moves, 0) << "the appends themselves do not scroll";
  QApplication::processEvents();
  EXPECT_EQ(moves, 1);
  EXPECT_TRUE(NewestInView(view));
}

TEST_F(EntryListViewTest, ScrolledAwayListStaysWhereTheOperatorLeftIt) {
  AppendNumbered(200);
  ASSERT_TRUE(WaitUntil([&] { return NewestInView(view); }));
  view.verticalScrollBar()->setValue(10);
  AppendNumbered(50);
  WaitUntil([] { return false; }, 100);
  EXPECT_EQ(view.verticalScrollBar()->value(), 10);
  EXPECT_FALSE(NewestInView(view));
  // The scroll bar still counts the new rows.
  EXPECT_EQ(view.verticalScrollBar()->maximum(), 250 - view.verticalScrollBar()->pageStep());

  // Back at the bottom, the list follows again.
  view.scrollToBottom();
  AppendNumbered(5);
  EXPECT_TRUE(WaitUntil([&] { return NewestInView(view); }));
}

TEST_F(EntryListViewTest, KeysMoveTheSelectionAndKeepItInView) {
  AppendNumbered(100);
  ASSERT_TRUE(WaitUntil([&] { return NewestInView(view); }));
  const auto page = static_cast<std::size_t>(view.verticalScrollBar()->pageStep());
  ASSERT_GT(page, 2u);
  ASSERT_FALSE(view.SelectedRow().has_value());

  PressKey(&view, Qt::Key_Home);
  EXPECT_EQ(view.SelectedRow(), 0u);
  EXPECT_EQ(view.FirstRowInView(), 0u);
  PressKey(&view, Qt::Key_Up);
  EXPECT_EQ(view.SelectedRow(), 0u);
  PressKey(&view, Qt::Key_Down);
  PressKey(&view, Qt::Key_Down);
  EXPECT_EQ(view.SelectedRow(), 2u);
  PressKey(&view, Qt::Key_PageDown);
  EXPECT_EQ(view.SelectedRow(), 2 + page);
  EXPECT_TRUE(view.viewport()->rect().contains(view.RowRect(2 + page)));
  PressKey(&view, Qt::Key_PageUp);
  EXPECT_EQ(view.SelectedRow(), 2u);
  EXPECT_TRUE(view.viewport()->rect().contains(view.RowRect(2)));
  PressKey(&view, Qt::Key_PageUp);
  EXPECT_EQ(view.SelectedRow(), 0u);

  PressKey(&view, Qt::Key_End);
  EXPECT_EQ(view.SelectedRow(), 99u);
  EXPECT_TRUE(NewestInView(view));
  PressKey(&view, Qt::Key_Down);
  EXPECT_EQ(view.SelectedRow(), 99u);
  PressKey(&view, Qt::Key_PageDown);
  EXPECT_EQ(view.SelectedRow(), 99u);

  // Up from the bottom, far enough to scroll: the row stays in view.
  for (std::size_t i = 0; i < page + 5; ++i) PressKey(&view, Qt::Key_Up);
  EXPECT_EQ(view.SelectedRow(), 99 - page - 5);
  EXPECT_TRUE(view.viewport()->rect().contains(view.RowRect(99 - page - 5)));
  EXPECT_EQ(view.FirstRowInView(), 99 - page - 5);
}

TEST_F(EntryListViewTest, ThePressedRowIsSelected) {
  AppendNumbered(5);
  QApplication::processEvents();
  ClickAt(view, view.RowRect(3).center());
  EXPECT_EQ(view.SelectedRow(), 3u);
  ClickAt(view, view.RowRect(1).topLeft() + QPoint(2, 1));
  EXPECT_EQ(view.SelectedRow(), 1u);
  // Below the last row there is nothing to select.
  ClickAt(view, view.RowRect(4).center() + QPoint(0, 3 * view.RowHeight()));
  EXPECT_EQ(view.SelectedRow(), 1u);
}

TEST_F(EntryListViewTest, SelectionIsPaintedInTheHighlightColour) {
  AppendNumbered(5);
  view.SelectRow(2);
  const QImage shown = Shown();
  const QPalette colours = view.palette();
  const int x = 1;  // left of any text
  EXPECT_EQ(shown.pixelColor(x, view.RowRect(2).center().y()), colours.color(QPalette::Highlight));
  EXPECT_EQ(shown.pixelColor(x, view.RowRect(1).center().y()), colours.color(QPalette::Base));
  EXPECT_EQ(shown.pixelColor(x, view.RowRect(3).center().y()), colours.color(QPalette::Base));

  PressKey(&view, Qt::Key_Down);
  const QImage moved = Shown();
  EXPECT_EQ(moved.pixelColor(x, view.RowRect(2).center().y()), colours.color(QPalette::Base));
  EXPECT_EQ(moved.pixelColor(x, view.RowRect(3).center().y()), colours.color(QPalette::Highlight));
}

TEST_F(EntryListViewTest, RowsShiftedAsEntriesComeLookAsIfDrawnWhole) {
  AppendNumbered(20);
  ASSERT_TRUE(WaitUntil([&] { return NewestInView(view); }));
  view.SelectRow(18);
  for (int i = 0; i < 30; ++i) {
    AppendNumbered(1);
    ASSERT_TRUE(WaitUntil([&] { return NewestInView(view); }));
    QApplication::processEvents();
  }
  // What the window shows, pieced together from the rows drawn as they
  // came, beside the whole viewport drawn at once.
  const QImage shown = OnScreen(*view.viewport());
  const QImage whole = Shown();
  ASSERT_EQ(shown.size(), whole.size());
  EXPECT_TRUE(shown.convertToFormat(whole.format()) == whole)
      << "the rows drawn as they came differ from a whole repaint";
}

TEST_F(EntryListViewTest, LongListsScrollBarIsRepaintedOnlyWhenItsHandleMoves) {
  AppendNumbered(10000);
  ASSERT_TRUE(WaitUntil([&] { return NewestInView(view); }));
  QApplication::processEvents();
  EventCount paints(view.verticalScrollBar());
  for (int i = 0; i < 50; ++i) {
    AppendNumbered(1);
    ASSERT_TRUE(WaitUntil([&] { return NewestInView(view); }));
    QApplication::processEvents();
  }
  // The handle moves a pixel every 40 or so rows at this length.
  EXPECT_LE(paints.count, 5);
}

TEST_F(EntryListViewTest, ScrollBarsHandleMovingAlongIsDrawnWhereItWasAndIsOnly) {
  AppendNumbered(40);  // a list short enough for its handle to shrink and move with every row
  ASSERT_TRUE(WaitUntil([&] { return NewestInView(view); }));
  QApplication::processEvents();
  QScrollBar& bar = *view.verticalScrollBar();
  EventCount paints(&bar);
  for (int i = 0; i < 60; ++i) {
    AppendNumbered(1);
    ASSERT_TRUE(WaitUntil([&] { return NewestInView(view); }));
    QApplication::processEvents();
  }
  ASSERT_GT(paints.count, 0) << "the handle did not move";
  // The groove's fill and the arrows are not drawn again for a handle
  // that moved a pixel, yet the bar looks as if drawn whole.
  EXPECT_LT(paints.tallest, bar.height() / 2);
  const QImage whole = bar.grab().toImage();
  EXPECT_TRUE(OnScreen(bar).convertToFormat(whole.format()) == whole)
      << "the handle drawn where it moved differs from a whole repaint";
}

// A list in a window drawn at a frame's pace, as List1 is in the capture
// window.
class PacedListTest : public ::testing::Test {
 protected:
  explicit PacedListTest(std::chrono::milliseconds frame = std::chrono::seconds(2))
      : pace(new FramePace(&window, frame)), view(new EntryListView(&window)) {
    window.resize(281, 225);
    view->setGeometry(window.rect());
    window.show();
  }
  void AppendNumbered(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) view->Append(Numbered(appended++));
  }
  QWidget window;
  FramePace* pace;
  EntryListView* view;
  EventCount paints{view->viewport()};
  std::size_t appended = 0;
};

TEST_F(PacedListTest, ReadingsWithinOneFrameAreDrawnOnceWithTheRightRows) {
  AppendNumbered(20);
  ASSERT_TRUE(WaitUntil([&] { return NewestInView(*view) && paints.count > 0; }));
  ASSERT_TRUE(pace->FrameRunning());
  paints.count = 0;
  EventCount sent(&window, QEvent::UpdateRequest);  // sees each request before the pace does
  for (int i = 0; i < 3; ++i) {
    AppendNumbered(1);
    QApplication::processEvents();
  }
  // The list holds them at once; the drawing waits for the frame's end,
  // and no request wakes the loop before it.
  EXPECT_EQ(view->entries().EntryCount(), 23u);
  EXPECT_EQ(view->RowText(22), QString::fromLatin1("line 22"));
  EXPECT_EQ(paints.count, 0);
  EXPECT_EQ(sent.count, 0);
  ASSERT_TRUE(WaitUntil([&] { return paints.count > 0; }, 10000));
  QApplication::processEvents();
  EXPECT_EQ(paints.count, 1);
  EXPECT_TRUE(NewestInView(*view));
  const QImage shown = OnScreen(*view->viewport());
  const QImage whole = view->viewport()->grab().toImage();
  EXPECT_TRUE(shown.convertToFormat(whole.format()) == whole)
      << "the rows drawn at the frame's end differ from a whole repaint";
}

class QuickPacedListTest : public PacedListTest {
 protected:
  QuickPacedListTest() : PacedListTest(std::chrono::milliseconds(50)) {}
};

TEST_F(QuickPacedListTest, AQuietWindowRunsNoFrameTimerAndDrawsTheNextReadingAtOnce) {
  AppendNumbered(1);
  ASSERT_TRUE(WaitUntil([&] { return paints.count > 0; }));
  EXPECT_TRUE(WaitUntil([&] { return !pace->FrameRunning(); }));
  int frames = 0;
  QObject::connect(pace, &FramePace::frameStarting, [&] { ++frames; });
  paints.count = 0;
  AppendNumbered(1);
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_EQ(paints.count, 1);
  EXPECT_TRUE(pace->FrameRunning());
  // One frame for the reading: what Qt asked for while it started is drawn
  // in it, not in an empty frame after it.
  ASSERT_TRUE(WaitUntil([&] { return !pace->FrameRunning(); }));
  EXPECT_EQ(frames, 1);

  // A caption changed on its own after such a frame is still drawn.
  QLabel caption(QStringLiteral("0"), &window);
  EventCount captionPaints(&caption);
  caption.show();
  ASSERT_TRUE(WaitUntil([&] { return captionPaints.count > 0 && !pace->FrameRunning(); }));
  captionPaints.count = 0;
  caption.setText(QStringLiteral("1"));
  EXPECT_TRUE(WaitUntil([&] { return captionPaints.count > 0; }));
}

// The row as the view shows it beside the same characters drawn straight
// from a QString, in the view's font and colours.
QImage Drawn(const EntryListView& view, const QString& text, QSize size, QImage::Format format) {
  QImage image(size, format);
  image.fill(view.palette().color(QPalette::Base));
  QPainter painter(&image);
  painter.setFont(view.font());
  painter.setPen(view.palette().color(QPalette::Text));
  painter.drawText(view.RowRect(0).adjusted(EntryListView::kTextMargin, 0, -EntryListView::kTextMargin, 0),
                   Qt::AlignLeft | Qt::AlignVCenter, text);
  return image;
}

TEST_F(EntryListViewTest, BytesFromHexEightyUpAreShownAsLatin1Characters) {
  view.Append("caf\xE9 25\xB0" "C \xFF\xC9");
  EXPECT_EQ(view.entries().Entry(0), "caf\xE9 25\xB0" "C \xFF\xC9");
  const QString expected = QString::fromUtf8("café 25°C ÿÉ");
  EXPECT_EQ(view.RowText(0), expected);

  const QImage shown = Shown();
  const QRect row = view.RowRect(0);
  EXPECT_EQ(shown.copy(row), Drawn(view, expected, shown.size(), shown.format()).copy(row));
  // The comparison can tell characters apart: the same row misread as
  // UTF-8 or with the accents dropped is drawn differently.
  EXPECT_NE(shown.copy(row), Drawn(view, QStringLiteral("caf\uFFFD 25\uFFFDC \uFFFD\uFFFD"), shown.size(), shown.format()).copy(row));
  EXPECT_NE(shown.copy(row), Drawn(view, QStringLiteral("cafe 25C yE"), shown.size(), shown.format()).copy(row));
}

TEST_F(EntryListViewTest, StaysResponsiveWithAMillionEntries) {
  const auto start = std::chrono::steady_clock::now();
  AppendNumbered(kMillion);
  ASSERT_TRUE(WaitUntil([&] { return NewestInView(view); }, 20000));
  const auto filled = std::chrono::steady_clock::now();
  EXPECT_LT(filled - start, std::chrono::seconds(15));

  // One more line, as the run goes on, is shown quickly.
  AppendNumbered(1);
  ASSERT_TRUE(WaitUntil([&] { return NewestInView(view); }, 5000));
  EXPECT_LT(std::chrono::steady_clock::now() - filled, std::chrono::seconds(2));
  EXPECT_EQ(view.RowText(kMillion), QString::fromStdString(Numbered(kMillion)));

  // The whole way up and down by keys.
  PressKey(&view, Qt::Key_Home);
  EXPECT_EQ(view.FirstRowInView(), 0u);
  PressKey(&view, Qt::Key_End);
  EXPECT_EQ(view.SelectedRow(), kMillion);
  EXPECT_TRUE(NewestInView(view));
}

}  // namespace
}  // namespace tally::testing
