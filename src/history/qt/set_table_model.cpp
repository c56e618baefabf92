#include "history/qt/set_table_model.h"

#include <QString>
#include <algorithm>

namespace tally::history {

namespace {

constexpr std::size_t kRecentLines = 256;

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString StampText(const SetLine& set) {
  if (!set.hasStamp) return {};
  QString text = QString::fromStdString(set.stamp.Iso());
  text[10] = ' ';
  return text;
}

}  // namespace

SetTableModel::SetTableModel(const SetIndex& index, QObject* parent)
    : QAbstractTableModel(parent), index_(index) {}

int SetTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SetTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kRecordColumn + 1;
}

const SetLine& SetTableModel::Line(std::size_t line) const {
  auto found = recent_.find(line);
  if (found != recent_.end()) return found->second;
  if (recent_.size() >= kRecentLines) recent_.clear();
  return recent_.emplace(line, index_.Parse(line)).first->second;
}

QVariant SetTableModel::data(const QModelIndex& cell, int role) const {
  if (!cell.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  const SetLine& set = Line(LineOf(cell.row()));
  const int column = cell.column();
  if (column == kTimeColumn) return StampText(set);
  if (column == kTypeColumn) return set.damaged() ? QStringLiteral("damaged") : QString(TypeName(set.type));
  if (column == kRecordColumn) {
    // An over-wide set says so in front of its record.
    if (set.overWide) return Latin1(set.reason + ": " + set.text);
    return Latin1(set.damaged() ? set.reason : set.text);
  }
  if (set.damaged()) return {};
  const int slot = column - kFirstChannelColumn + 1;
  if (field_ > set.slots[slot - 1].fieldCount) return {};
  return Latin1(set.PlainNumber(slot, field_));
}

QVariant SetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) {
    if (section < 0 || section >= rowCount()) return {};
    return static_cast<qulonglong>(index_.LineNumber(LineOf(section)));
  }
  if (section == kTimeColumn) return QStringLiteral("Time");
  if (section == kTypeColumn) return QStringLiteral("Type");
  if (section == kRecordColumn) return QStringLiteral("Record");
  return QString::number(section - kFirstChannelColumn + 1);
}

void SetTableModel::sort(int column, Qt::SortOrder order) {
  // Only the time orders the sets; other columns keep the order there is.
  if (column != kTimeColumn) return;
  beginResetModel();
  sorted_ = true;
  order_ = order == Qt::AscendingOrder ? TimeOrder::Ascending : TimeOrder::Descending;
  SortByTime(index_, order_, rows_);
  endResetModel();
}

std::vector<std::uint32_t> SetTableModel::LinesInFileOrder() const {
  std::vector<std::uint32_t> lines = rows_;
  if (sorted_) std::sort(lines.begin(), lines.end());
  return lines;
}

void SetTableModel::SetField(int field) {
  field_ = field;
  if (!rows_.empty()) {
    Q_EMIT dataChanged(this->index(0, kFirstChannelColumn), this->index(rowCount() - 1, kRecordColumn - 1));
  }
}

void SetTableModel::SetRange(const TimeRange& range) {
  range_ = range;
  Rebuild();
}

void SetTableModel::Rebuild() {
  beginResetModel();
  rows_.clear();
  rows_.shrink_to_fit();
  recent_.clear();
  linesTaken_ = 0;
  AppendShownRows(index_, range_, 0, rows_);
  linesTaken_ = index_.size();
  if (sorted_) SortByTime(index_, order_, rows_);
  endResetModel();
}

bool SetTableModel::FollowsInOrder(const std::vector<std::uint32_t>& added) const {
  if (rows_.empty()) return true;
  // The earliest new row must not be earlier than the latest shown one.
  const std::uint32_t shown = order_ == TimeOrder::Ascending ? rows_.back() : rows_.front();
  const std::uint32_t fresh = order_ == TimeOrder::Ascending ? added.front() : added.back();
  LocalStamp shownStamp;
  LocalStamp freshStamp;
  const bool shownDated = index_.StampOf(shown, shownStamp);
  const bool freshDated = index_.StampOf(fresh, freshStamp);
  if (!freshDated) return !shownDated && order_ == TimeOrder::Ascending;
  return !shownDated || freshStamp >= shownStamp;
}

void SetTableModel::TakeNewLines() {
  if (index_.size() < linesTaken_) return Rebuild();
  std::vector<std::uint32_t> added;
  AppendShownRows(index_, range_, linesTaken_, added);
  linesTaken_ = index_.size();
  if (added.empty()) return;
  if (sorted_) {
    SortByTime(index_, order_, added);
    if (!FollowsInOrder(added)) {
      // A stamp out of order: the whole table is sorted again.
      beginResetModel();
      rows_.insert(rows_.end(), added.begin(), added.end());
      SortByTime(index_, order_, rows_);
      endResetModel();
      return;
    }
    if (order_ == TimeOrder::Descending) {
      // The latest sets go on top.
      beginInsertRows({}, 0, static_cast<int>(added.size()) - 1);
      rows_.insert(rows_.begin(), added.begin(), added.end());
      endInsertRows();
      return;
    }
  }
  const int first = static_cast<int>(rows_.size());
  beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
  rows_.insert(rows_.end(), added.begin(), added.end());
  endInsertRows();
}

}  // namespace tally::history
