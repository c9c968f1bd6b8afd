// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/models/track_list_model.h"

#include <algorithm>

namespace tavrin::gui {

TrackListModel::TrackListModel(QObject* parent) : QAbstractTableModel(parent) {
  columns_.assign(kEntryColumns.begin(), kEntryColumns.end());
}

void TrackListModel::RemoveAllRows() {
  if (rows_.empty()) return;
  beginResetModel();
  rows_.clear();
  endResetModel();
}

void TrackListModel::InsertRow(int index, const RowFigures& entry, int number) {
  // -1 (or anything past the end) appends, as a list view does.
  const int at = index < 0 ? RowCount() : std::min(index, RowCount());
  beginInsertRows({}, at, at);
  rows_.insert(rows_.begin() + at, Row{entry, number});
  endInsertRows();
}

int TrackListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : RowCount();
}

int TrackListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TrackListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= RowCount() || index.column() >= columnCount()) return {};
  if (role == Qt::TextAlignmentRole) {
    const bool centre = columns_[static_cast<size_t>(index.column())].align == ColumnAlign::Centre;
    return QVariant::fromValue(Qt::AlignVCenter | (centre ? Qt::AlignHCenter : Qt::AlignLeft));
  }
  const Row& row = rows_[static_cast<size_t>(index.row())];
  if (role == Qt::CheckStateRole && checkable_ && index.column() == 0) {
    return row.ticked ? Qt::Checked : Qt::Unchecked;
  }
  if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
  const EntryRow texts = EntryRowTexts(row.entry, row.number);
  return QString::fromStdString(texts[static_cast<size_t>(index.column())]);
}

QVariant TrackListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= columnCount()) return {};
  return QString::fromUtf8(columns_[static_cast<size_t>(section)].title);
}

bool TrackListModel::IsTicked(int row) const {
  return row >= 0 && row < RowCount() && rows_[static_cast<size_t>(row)].ticked;
}

void TrackListModel::SetTicked(int row, bool ticked) {
  if (row < 0 || row >= RowCount()) return;
  rows_[static_cast<size_t>(row)].ticked = ticked;
  emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
}

void TrackListModel::RemoveRow(int row) {
  if (row < 0 || row >= RowCount()) return;
  beginRemoveRows({}, row, row);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
  // The rows after it move up a place and take its number: no gap in the numbers.
  for (size_t i = static_cast<size_t>(row); i < rows_.size(); ++i) --rows_[i].number;
  if (row < RowCount()) emit dataChanged(index(row, 0), index(RowCount() - 1, 0));
}

void TrackListModel::ReplaceRow(int row, const RowFigures& entry) {
  if (row < 0 || row >= RowCount()) return;
  rows_[static_cast<size_t>(row)].entry = entry;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

Qt::ItemFlags TrackListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (checkable_ && index.column() == 0) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

bool TrackListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!checkable_ || role != Qt::CheckStateRole || index.column() != 0) return false;
  SetTicked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
  return true;
}

int TrackListModel::ColumnWidth(int column) const {
  if (column < 0 || column >= columnCount()) return 0;
  return columns_[static_cast<size_t>(column)].width;
}

}  // namespace tavrin::gui
