#pragma once
// An append-only list box over an EntryListModel. Every row has the height
// of one line of the font, so the view keeps nothing per row: the vertical
// scroll bar counts rows, and a repaint draws only the rows in sight.
// Appending is the same cost with a million entries as with ten. While the
// operator has not scrolled away from the bottom, the newest entry is kept
// in view: the rows drawn shift up and only the new ones are drawn, once
// for all the entries of a frame (frame_pace.h). One row at a time can be
// selected, by mouse or by the Up, Down, Page Up, Page Down, Home and End
// keys; Ctrl+C copies it as text. Text
// that does not fit is cut at the right edge; the row's tooltip and its
// accessible text give it whole. Screen readers see the rows as the list's
// children (entry_list_accessible.h).

#include <QAbstractScrollArea>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <cstddef>
#include <optional>
#include <string_view>

#include "window/entry_list_model.h"

namespace tally {

class FramePace;

class EntryListView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // Room left of and right of the text in a row, in pixels.
  static constexpr int kTextMargin = 3;

  explicit EntryListView(QWidget* parent = nullptr);

  void Append(std::string_view entry);
  const EntryListModel& entries() const { return model_; }

  // The row as drawn: its bytes as Latin-1 characters.
  QString RowText(std::size_t row) const;
  int RowHeight() const { return rowHeight_; }
  // Where the row lies in the viewport (outside it when scrolled away).
  QRect RowRect(std::size_t row) const;
  std::size_t FirstRowInView() const;

  std::optional<std::size_t> SelectedRow() const { return selected_; }
  void SelectRow(std::size_t row);  // and brings it into view
  void CopySelectedRow() const;     // to the clipboard, as text

  void scrollToTop();
  void scrollToBottom();
  void ScrollToRow(std::size_t row);  // the least scrolling that shows it whole

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  std::size_t ShownRows() const;      // the entries, as far as the scroll bar can count
  int WholeRowsInView() const;        // at least 1
  bool AtBottom() const;
  void UpdateScrollRange();
  void Refresh();
  void FollowFrames(FramePace* pace);
  std::optional<std::size_t> RowAt(int y) const;

  EntryListModel model_;
  int rowHeight_ = 1;
  std::optional<std::size_t> selected_;
  // One Refresh for all the appends until the window's frame starts, or
  // the event loop's next turn outside a paced window. A zero-time timer on
  // this thread needs no wake-up of the loop, which makes an append cheaper
  // than a queued call.
  QTimer refresh_;
  QPointer<FramePace> frames_;     // the window's pace, followed since the first append
  bool refreshPending_ = false;    // entries appended since the last Refresh
  bool followPending_ = false;     // at the bottom when appended to: Refresh scrolls down
  std::size_t rowsInRange_ = 0;    // rows the scroll bar's range was last set for
};

}  // namespace tally
