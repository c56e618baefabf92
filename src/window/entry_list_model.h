#pragma once
// The entries of an append-only list box (List1, List2), kept compact for
// days of capture: all entry texts lie in one buffer, and each entry costs
// its own characters plus one end offset. Entries are 8-bit text, shown one
// byte a character (Latin-1).

#include <QAbstractListModel>
#include <cstddef>
#include <string>
#include <vector>

namespace tally {

class EntryListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit EntryListModel(QObject* parent = nullptr);

  // Adds the entry as the new last row.
  void Append(const std::string& entry);

  std::size_t EntryCount() const { return ends_.size(); }
  std::string Entry(std::size_t index) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  std::size_t StartOf(std::size_t index) const { return index == 0 ? 0 : ends_[index - 1]; }

  std::string texts_;              // every entry, one after the other
  std::vector<std::size_t> ends_;  // where each entry ends in texts_
};

}  // namespace tally
