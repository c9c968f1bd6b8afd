// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/models/point_list_model.h"

#include <algorithm>

namespace tavrin::gui {

PointListModel::PointListModel(QObject* parent) : QAbstractTableModel(parent) {
  columns_.assign(kPointColumns.begin(), kPointColumns.end());
}

void PointListModel::SetSource(const PointVector* points) {
  beginResetModel();
  source_ = points;
  rows_ = 0;
  deleted_.clear();
  endResetModel();
}

void PointListModel::MarkDeleted(int row) {
  const auto at = std::lower_bound(deleted_.begin(), deleted_.end(), row);
  if (at == deleted_.end() || *at != row) deleted_.insert(at, row);
  emit dataChanged(index(row, 3), index(row, 3));
}

void PointListModel::RemoveAllRows() {
  beginResetModel();
  rows_ = 0;
  deleted_.clear();
  endResetModel();
}

void PointListModel::AppendPointRows(std::span<const TrackPoint> points, int firstNumber,
                                     const LocalZone& zone) {
  // Rows come in order from the start of the source vector; anything else has no place here.
  if (points.empty() || firstNumber != rows_ + 1 || source_ == nullptr) return;
  shown_ = LocalTimes(zone);
  const int last =
      std::min<int>(rows_ + static_cast<int>(points.size()), static_cast<int>(source_->size()));
  if (last <= rows_) return;
  beginInsertRows({}, rows_, last - 1);
  rows_ = last;
  endInsertRows();
}

int PointListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int PointListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant PointListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || source_ == nullptr || index.row() >= rows_ ||
      static_cast<size_t>(index.row()) >= source_->size()) {
    return {};
  }
  const auto column = static_cast<size_t>(index.column());
  if (role == Qt::TextAlignmentRole) {
    const bool centre = columns_[column].align == ColumnAlign::Centre;
    return QVariant::fromValue(Qt::AlignVCenter | (centre ? Qt::AlignHCenter : Qt::AlignLeft));
  }
  if (role != Qt::DisplayRole) return {};
  if (column == 3 && std::binary_search(deleted_.begin(), deleted_.end(), index.row())) {
    return QStringLiteral("deleted");
  }
  const PointRow texts =
      PointRowTexts(shown_.Shown((*source_)[static_cast<size_t>(index.row())]), index.row() + 1);
  return QString::fromStdString(texts[column]);
}

QVariant PointListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= columnCount()) return {};
  return QString::fromUtf8(columns_[static_cast<size_t>(section)].title);
}

int PointListModel::ColumnWidth(int column) const {
  return column >= 0 && column < columnCount() ? columns_[static_cast<size_t>(column)].width : 0;
}

}  // namespace tavrin::gui
