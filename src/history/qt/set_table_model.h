#pragma once
// The table of sets: one row per line of the set database that the time range
// keeps, headed by its line number in the file, with its time as written,
// its type, one chosen field of each of the 16 channel slots, and the
// record as written (why it is damaged, for a damaged line). Rows are read
// from the file when shown.

#include <QAbstractTableModel>
#include <cstdint>
#include <map>
#include <vector>

#include "history/set_index.h"
#include "history/shown_rows.h"

namespace tally::history {

class SetTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kTimeColumn = 0;
  static constexpr int kTypeColumn = 1;
  static constexpr int kFirstChannelColumn = 2;
  static constexpr int kRecordColumn = kFirstChannelColumn + kChannelSlots;

  explicit SetTableModel(const SetIndex& index, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void sort(int column, Qt::SortOrder order) override;

  // The field shown for each channel (2..8).
  void SetField(int field);
  int field() const { return field_; }
  void SetRange(const TimeRange& range);
  const TimeRange& range() const { return range_; }
  // The index has more lines: the new ones the range keeps are added.
  void TakeNewLines();
  // The index started over.
  void Rebuild();

  // The line of the index shown in a table row.
  std::size_t LineOf(int row) const { return rows_[static_cast<std::size_t>(row)]; }
  // The lines of all rows, in the order of the file.
  std::vector<std::uint32_t> LinesInFileOrder() const;

 private:
  const SetLine& Line(std::size_t line) const;
  // Whether new rows, sorted, fit at the latest end of the shown rows.
  bool FollowsInOrder(const std::vector<std::uint32_t>& added) const;

  const SetIndex& index_;
  std::vector<std::uint32_t> rows_;
  std::size_t linesTaken_ = 0;
  TimeRange range_;
  int field_ = 2;
  bool sorted_ = false;
  TimeOrder order_ = TimeOrder::Ascending;
  // The last lines read, so that the cells of a row parse it once.
  mutable std::map<std::size_t, SetLine> recent_;
};

}  // namespace tally::history
