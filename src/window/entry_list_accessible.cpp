#include "window/entry_list_accessible.h"

#include <QPointer>
#include <QWidget>
#include <climits>

#include "window/entry_list_view.h"

namespace tally {

namespace {

int ChildIndex(std::size_t row) { return static_cast<int>(std::min<std::size_t>(row, INT_MAX)); }

// One row: its text is the whole entry.
class EntryRowAccessible : public QAccessibleInterface {
 public:
  EntryRowAccessible(EntryListView* view, std::size_t row) : view_(view), row_(row) {}

  bool isValid() const override {
    return !view_.isNull() && row_ < view_->entries().EntryCount();
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    return view_.isNull() ? nullptr : view_->window()->windowHandle();
  }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(view_.data());
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text kind) const override {
    if (!isValid() || kind != QAccessible::Name) return {};
    return view_->RowText(row_);
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!isValid()) return {};
    const QRect local = view_->RowRect(row_);
    return QRect(view_->viewport()->mapToGlobal(local.topLeft()), local.size());
  }
  QAccessible::Role role() const override { return QAccessible::ListItem; }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    state.selectable = true;
    state.focusable = true;
    const bool selected = view_->SelectedRow() == row_;
    state.selected = selected;
    state.focused = selected && view_->hasFocus();
    const QRect shown = view_->RowRect(row_);
    state.offscreen = !view_->viewport()->rect().intersects(shown);
    state.invisible = !view_->isVisible();
    return state;
  }

 private:
  QPointer<EntryListView> view_;
  std::size_t row_;
};

void SendAbout(EntryListView* view, QAccessible::Event type, std::size_t row) {
  QAccessibleEvent event(view, type);
  event.setChild(ChildIndex(row));
  QAccessible::updateAccessibility(&event);
}

}  // namespace

EntryListAccessible::EntryListAccessible(EntryListView* view)
    : QAccessibleWidget(view, QAccessible::List) {}

EntryListAccessible::~EntryListAccessible() {
  for (const auto& [row, id] : rows_) QAccessible::deleteAccessibleInterface(id);
}

EntryListView* EntryListAccessible::view() const { return static_cast<EntryListView*>(widget()); }

int EntryListAccessible::childCount() const {
  return ChildIndex(view()->entries().EntryCount());
}

QAccessibleInterface* EntryListAccessible::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  const auto row = static_cast<std::size_t>(index);
  if (auto known = rows_.find(row); known != rows_.end()) {
    return QAccessible::accessibleInterface(known->second);
  }
  auto* made = new EntryRowAccessible(view(), row);
  rows_.emplace(row, QAccessible::registerAccessibleInterface(made));
  return made;
}

int EntryListAccessible::indexOfChild(const QAccessibleInterface* child) const {
  // Only rows made here are children; asking for the id of another
  // interface would register it.
  for (const auto& [row, id] : rows_) {
    if (QAccessible::accessibleInterface(id) == child) return ChildIndex(row);
  }
  return -1;
}

QAccessibleInterface* EntryListAccessible::childAt(int x, int y) const {
  const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
  if (!view()->viewport()->rect().contains(at)) return nullptr;
  const std::size_t row = view()->FirstRowInView() + static_cast<std::size_t>(at.y() / view()->RowHeight());
  return row < view()->entries().EntryCount() ? child(ChildIndex(row)) : nullptr;
}

QAccessibleInterface* EntryListAccessible::focusChild() const {
  const std::optional<std::size_t> selected = view()->SelectedRow();
  if (!selected || !view()->hasFocus()) return nullptr;
  return child(ChildIndex(*selected));
}

QAccessibleInterface* EntryListAccessible::ForObject(const QString&, QObject* object) {
  if (auto* view = qobject_cast<EntryListView*>(object)) return new EntryListAccessible(view);
  return nullptr;
}

void AnnounceNewRow(EntryListView* view, std::size_t row) {
  if (QAccessible::isActive()) SendAbout(view, QAccessible::ObjectCreated, row);
}

void AnnounceSelectedRow(EntryListView* view, std::size_t row) {
  if (!QAccessible::isActive()) return;
  SendAbout(view, QAccessible::Selection, row);
  if (view->hasFocus()) SendAbout(view, QAccessible::Focus, row);
}

}  // namespace tally
