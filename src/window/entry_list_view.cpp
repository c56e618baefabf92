#include "window/entry_list_view.h"

#include <QScrollBar>

namespace tally {

EntryListView::EntryListView(QWidget* parent) : QListView(parent) {
  setModel(&model_);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void EntryListView::Append(const std::string& entry) {
  const bool following = followPending_ || AtBottom();
  model_.Append(entry);
  if (following && !followPending_) {
    // Scrolling lays the rows out; doing it once when the event loop comes
    // round keeps a quick series of appends from laying out after each one.
    followPending_ = true;
    QMetaObject::invokeMethod(this, &EntryListView::FollowNewest, Qt::QueuedConnection);
  }
}

bool EntryListView::AtBottom() const {
  const QScrollBar* bar = verticalScrollBar();
  return bar->value() >= bar->maximum();
}

void EntryListView::FollowNewest() {
  followPending_ = false;
  scrollToBottom();
}

}  // namespace tally
