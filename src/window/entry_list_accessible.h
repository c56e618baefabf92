#pragma once
// List1 and List2 as a screen reader sees them: a list whose children are
// its rows, each read by its whole text (also when cut on screen), the row
// count known, the selected row focused and selected. A row's interface is
// made only when an assistive tool asks for that row, so a list of a
// million entries costs nothing more while nobody reads it.

#include <QAccessibleWidget>
#include <cstddef>
#include <unordered_map>

namespace tally {

class EntryListView;

class EntryListAccessible : public QAccessibleWidget {
 public:
  explicit EntryListAccessible(EntryListView* view);
  ~EntryListAccessible() override;

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;

  // The factory QAccessible asks for the views' interfaces.
  static QAccessibleInterface* ForObject(const QString& className, QObject* object);

 private:
  EntryListView* view() const;

  mutable std::unordered_map<std::size_t, QAccessible::Id> rows_;  // made on demand
};

// Tells assistive tools about a new last row (children-changed) and about
// the row selected (focused when the list has the focus, and selected).
void AnnounceNewRow(EntryListView* view, std::size_t row);
void AnnounceSelectedRow(EntryListView* view, std::size_t row);

}  // namespace tally
