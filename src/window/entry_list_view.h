#pragma once
// An append-only list box over an EntryListModel. Rows have one height, so
// the view stays quick with millions of entries. While the operator has not
// scrolled away from the bottom, the newest entry is kept in view.

#include <QListView>
#include <string>

#include "window/entry_list_model.h"

namespace tally {

class EntryListView : public QListView {
  Q_OBJECT

 public:
  explicit EntryListView(QWidget* parent = nullptr);

  void Append(const std::string& entry);
  const EntryListModel& entries() const { return model_; }

 private:
  bool AtBottom() const;
  void FollowNewest();

  EntryListModel model_;
  bool followPending_ = false;
};

}  // namespace tally
