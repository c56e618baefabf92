#include "window/entry_list_view.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

#include "window/entry_list_accessible.h"
#include "window/frame_pace.h"
#include "window/quiet_scroll_bar.h"

namespace tally {

EntryListView::EntryListView(QWidget* parent) : QAbstractScrollArea(parent) {
  [[maybe_unused]] static const bool accessible =
      (QAccessible::installFactory(&EntryListAccessible::ForObject), true);
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBar(new QuietScrollBar(Qt::Vertical, this));
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  rowHeight_ = std::max(1, fontMetrics().height());
  refresh_.setSingleShot(true);
  refresh_.setInterval(0);
  connect(&refresh_, &QTimer::timeout, this, &EntryListView::Refresh);
  verticalScrollBar()->setSingleStep(1);
  UpdateScrollRange();
}

std::size_t EntryListView::ShownRows() const {
  // The scroll bar counts in int; entries beyond that are kept but cannot
  // be shown, which is years of capture away.
  return std::min<std::size_t>(model_.EntryCount(), INT_MAX);
}

int EntryListView::WholeRowsInView() const { return std::max(1, viewport()->height() / rowHeight_); }

bool EntryListView::AtBottom() const {
  const QScrollBar* bar = verticalScrollBar();
  return bar->value() >= bar->maximum();
}

void EntryListView::UpdateScrollRange() {
  const QuietScrollBar::Hold hold(verticalScrollBar());
  rowsInRange_ = ShownRows();
  const int whole = WholeRowsInView();
  const auto rows = static_cast<int>(rowsInRange_);
  QScrollBar* bar = verticalScrollBar();
  bar->setPageStep(whole);
  bar->setRange(0, std::max(0, rows - whole));
}

void EntryListView::Append(std::string_view entry) {
  if (AtBottom()) followPending_ = true;
  model_.Append(entry);
  AnnounceNewRow(this, model_.EntryCount() - 1);
  // The scroll bar and the repaint wait: a quick series of appends costs
  // one update, not one each. In a window drawn at a frame's pace the new
  // rows are laid out when its frame starts; otherwise at the event loop's
  // next turn.
  if (refreshPending_) return;
  refreshPending_ = true;
  if (FramePace* pace = frames_ ? frames_.data() : FramePace::Of(this)) {
    FollowFrames(pace);
    pace->Request();
  } else {
    refresh_.start();
  }
}

void EntryListView::FollowFrames(FramePace* pace) {
  if (pace == frames_) return;
  if (frames_) disconnect(frames_, nullptr, this, nullptr);
  connect(pace, &FramePace::frameStarting, this, &EntryListView::Refresh);
  frames_ = pace;
}

void EntryListView::Refresh() {
  if (!refreshPending_) return;
  refreshPending_ = false;
  refresh_.stop();
  const QuietScrollBar::Hold hold(verticalScrollBar());
  const std::size_t before = rowsInRange_;
  const std::size_t first = FirstRowInView();
  UpdateScrollRange();
  if (followPending_) {
    followPending_ = false;
    QScrollBar* bar = verticalScrollBar();
    if (bar->value() != bar->maximum()) bar->setValue(bar->maximum());  // shifts the rows up
  } else if (before >= first + static_cast<std::size_t>(WholeRowsInView()) + 1) {
    return;  // the new rows are below the ones in sight
  }
  // The new rows are drawn; the rows above them stay as they are drawn.
  const int top = std::max(0, RowRect(before).top());
  if (top < viewport()->height()) viewport()->update(0, top, viewport()->width(), viewport()->height() - top);
}

std::size_t EntryListView::FirstRowInView() const {
  return static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
}

QRect EntryListView::RowRect(std::size_t row) const {
  const auto offset = static_cast<long long>(row) - static_cast<long long>(FirstRowInView());
  const long long top = std::clamp<long long>(offset * rowHeight_, INT_MIN / 2, INT_MAX / 2);
  return QRect(0, static_cast<int>(top), viewport()->width(), rowHeight_);
}

std::optional<std::size_t> EntryListView::RowAt(int y) const {
  if (y < 0) return std::nullopt;
  const std::size_t row = FirstRowInView() + static_cast<std::size_t>(y / rowHeight_);
  if (row >= ShownRows()) return std::nullopt;
  return row;
}

QString EntryListView::RowText(std::size_t row) const {
  std::string scratch;
  const std::string_view bytes = model_.EntryBytes(row, scratch);
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void EntryListView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const QRect area = event->rect();
  const std::size_t rows = ShownRows();
  const std::size_t first = FirstRowInView() + static_cast<std::size_t>(std::max(0, area.top()) / rowHeight_);
  const std::size_t last = FirstRowInView() + static_cast<std::size_t>(std::max(0, area.bottom()) / rowHeight_);
  const QPalette& colours = palette();
  for (std::size_t row = first; row <= last && row < rows; ++row) {
    const QRect rect = RowRect(row);
    const bool selected = selected_ == row;
    if (selected) painter.fillRect(rect, colours.brush(QPalette::Highlight));
    painter.setPen(colours.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter.drawText(rect.adjusted(kTextMargin, 0, -kTextMargin, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     RowText(row));
  }
}

void EntryListView::resizeEvent(QResizeEvent* event) {
  const QuietScrollBar::Hold hold(verticalScrollBar());
  const bool atBottom = AtBottom();
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollRange();
  if (atBottom) verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void EntryListView::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) {
    rowHeight_ = std::max(1, fontMetrics().height());
    UpdateScrollRange();
    viewport()->update();
  }
  QAbstractScrollArea::changeEvent(event);
}

void EntryListView::scrollContentsBy(int, int dy) {
  // A move of a few rows shifts what is drawn and paints the rows that come
  // into sight; a longer one paints them all.
  if (std::abs(dy) <= WholeRowsInView()) {
    viewport()->scroll(0, dy * rowHeight_);
  } else {
    viewport()->update();
  }
}

void EntryListView::ScrollToRow(std::size_t row) {
  UpdateScrollRange();
  QScrollBar* bar = verticalScrollBar();
  const std::size_t first = FirstRowInView();
  const auto whole = static_cast<std::size_t>(WholeRowsInView());
  if (row < first) {
    bar->setValue(static_cast<int>(row));
  } else if (row >= first + whole) {
    bar->setValue(static_cast<int>(row + 1 - whole));
  }
}

void EntryListView::SelectRow(std::size_t row) {
  if (row >= ShownRows()) return;
  if (selected_ != row) {
    if (selected_) viewport()->update(RowRect(*selected_));
    selected_ = row;
    viewport()->update(RowRect(row));
    AnnounceSelectedRow(this, row);
  }
  ScrollToRow(row);
}

void EntryListView::scrollToTop() {
  UpdateScrollRange();
  verticalScrollBar()->setValue(0);
}

void EntryListView::scrollToBottom() {
  UpdateScrollRange();
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void EntryListView::CopySelectedRow() const {
  if (selected_) QGuiApplication::clipboard()->setText(RowText(*selected_));
}

bool EntryListView::viewportEvent(QEvent* event) {
  // A row cut at the right edge shows its whole text as its tooltip.
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    if (const auto row = RowAt(help->pos().y())) {
      const QString text = RowText(*row);
      if (fontMetrics().horizontalAdvance(text) > viewport()->width() - 2 * kTextMargin) {
        QToolTip::showText(help->globalPos(), text, viewport(), RowRect(*row));
        return true;
      }
    }
  }
  return QAbstractScrollArea::viewportEvent(event);
}

void EntryListView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    CopySelectedRow();
    event->accept();
    return;
  }
  const std::size_t rows = ShownRows();
  if (rows == 0 || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  const auto page = static_cast<std::size_t>(WholeRowsInView());
  // With nothing selected yet, the first key picks the first row in view.
  const std::size_t from = selected_.value_or(FirstRowInView());
  const bool none = !selected_.has_value();
  std::size_t to = from;
  switch (event->key()) {
    case Qt::Key_Up: to = none ? from : (from > 0 ? from - 1 : 0); break;
    case Qt::Key_Down: to = none ? from : std::min(from + 1, rows - 1); break;
    case Qt::Key_PageUp: to = none ? from : (from > page ? from - page : 0); break;
    case Qt::Key_PageDown: to = none ? from : std::min(from + page, rows - 1); break;
    case Qt::Key_Home: to = 0; break;
    case Qt::Key_End: to = rows - 1; break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
  }
  SelectRow(std::min(to, rows - 1));
  event->accept();
}

void EntryListView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  if (const auto row = RowAt(event->position().toPoint().y())) SelectRow(*row);
  event->accept();
}

void EntryListView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) {
    QAbstractScrollArea::mouseMoveEvent(event);
    return;
  }
  const int y = std::clamp(event->position().toPoint().y(), 0, std::max(0, viewport()->height() - 1));
  if (const auto row = RowAt(y)) SelectRow(*row);
  event->accept();
}

QSize EntryListView::sizeHint() const { return {256, 12 * rowHeight_ + 2 * frameWidth()}; }

}  // namespace tally
