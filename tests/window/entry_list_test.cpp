// The append-only list boxes: compact storage, quick appends with a million
// entries, and the newest entry kept in view unless the operator scrolled.

#include <QScrollBar>
#include <chrono>
#include <gtest/gtest.h>
#include <malloc.h>

#include "window/entry_list_model.h"
#include "window/entry_list_view.h"
#include "window_helpers.h"

namespace tally::testing {
namespace {

constexpr std::size_t kMillion = 1'000'000;
const std::string kReadingLine = "01,005,00020,00300,07,00123,00004,00001";  // 39 characters

std::string Numbered(std::size_t i) { return "line " + std::to_string(i); }

TEST(EntryListModel, EntriesComeBackInTheOrderAppended) {
  EntryListModel model;
  const std::string entries[] = {"sync ", "", "01,005,00020,00300", "x\xFFy"};
  for (const auto& entry : entries) model.Append(entry);
  ASSERT_EQ(model.rowCount(), 4);
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(model.Entry(row), entries[row]);
    EXPECT_EQ(model.index(row, 0).data().toString().toLatin1().toStdString(), entries[row]);
  }
  EXPECT_FALSE(model.index(4, 0).data().isValid());
}

TEST(EntryListModel, AMillionEntriesAreQuickAndCompact) {
  const std::size_t before = mallinfo2().uordblks;
  const auto start = std::chrono::steady_clock::now();
  {
    EntryListModel model;
    for (std::size_t i = 0; i < kMillion; ++i) model.Append(kReadingLine);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(5));

    // Each entry costs its characters and one offset; growth by doubling
    // may hold up to as much again in reserve.
    const std::size_t used = mallinfo2().uordblks - before;
    const std::size_t perEntry = used / kMillion;
    EXPECT_LE(perEntry, 2 * (kReadingLine.size() + sizeof(std::size_t)) + 8) << perEntry;
    EXPECT_EQ(model.Entry(kMillion - 1), kReadingLine);
    EXPECT_EQ(model.rowCount(), static_cast<int>(kMillion));
  }
}

bool NewestInView(const EntryListView& view) {
  const QModelIndex newest = view.model()->index(view.model()->rowCount() - 1, 0);
  return view.viewport()->rect().intersects(view.visualRect(newest));
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
  EntryListView view;
  std::size_t appended = 0;
};

TEST_F(EntryListViewTest, NewestEntryStaysInViewWhileAtTheBottom) {
  AppendNumbered(200);
  EXPECT_TRUE(WaitUntil([&] { return NewestInView(view); }));
  AppendNumbered(1);
  EXPECT_TRUE(WaitUntil([&] { return NewestInView(view); }));
}

TEST_F(EntryListViewTest, ScrolledAwayListStaysWhereTheOperatorLeftIt) {
  AppendNumbered(200);
  ASSERT_TRUE(WaitUntil([&] { return NewestInView(view); }));
  view.verticalScrollBar()->setValue(10);
  AppendNumbered(50);
  WaitUntil([] { return false; }, 100);
  EXPECT_EQ(view.verticalScrollBar()->value(), 10);
  EXPECT_FALSE(NewestInView(view));

  // Back at the bottom, the list follows again.
  view.scrollToBottom();
  AppendNumbered(5);
  EXPECT_TRUE(WaitUntil([&] { return NewestInView(view); }));
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
  EXPECT_EQ(view.model()->index(static_cast<int>(kMillion), 0).data().toString(),
            QString::fromStdString(Numbered(kMillion)));
}

}  // namespace
}  // namespace tally::testing
