#include "window/entry_list_model.h"

#include <climits>

namespace tally {

EntryListModel::EntryListModel(QObject* parent) : QAbstractListModel(parent) {}

void EntryListModel::Append(const std::string& entry) {
  // A list view counts rows in an int; entries beyond that are kept but
  // cannot be shown, which is years of capture away.
  const bool shown = ends_.size() < static_cast<std::size_t>(INT_MAX);
  const int row = static_cast<int>(ends_.size());
  if (shown) beginInsertRows(QModelIndex(), row, row);
  texts_ += entry;
  ends_.push_back(texts_.size());
  if (shown) endInsertRows();
}

std::string EntryListModel::Entry(std::size_t index) const {
  const std::size_t start = StartOf(index);
  return texts_.substr(start, ends_[index] - start);
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return ends_.size() < static_cast<std::size_t>(INT_MAX) ? static_cast<int>(ends_.size())
                                                          : INT_MAX;
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() < 0 ||
      static_cast<std::size_t>(index.row()) >= ends_.size()) {
    return {};
  }
  const auto row = static_cast<std::size_t>(index.row());
  const std::size_t start = StartOf(row);
  return QString::fromLatin1(texts_.data() + start, static_cast<qsizetype>(ends_[row] - start));
}

}  // namespace tally
