// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/models/point_list_model.h"

#include <QStyle>

#include <algorithm>

namespace tavrin::gui {
namespace {

constexpr int kSpeedColumn = 7;  // of kPointColumns

}  // namespace

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
  widestClockName_.clear();
  deleted_.clear();
  endResetModel();
}

void PointListModel::AppendPointRows(std::span<const TrackPoint> points, int firstNumber,
                                     const LocalZone& zone) {
  // Rows come in order from the start of the source vector; anything else has no place here.
  if (points.empty() || firstNumber != rows_ + 1 || source_ == nullptr) return;
  shown_ = LocalTimes(zone);
  NoteRepeatedHour(points.front(), points.back(), zone);
  const int last =
      std::min<int>(rows_ + static_cast<int>(points.size()), static_cast<int>(source_->size()));
  if (last <= rows_) return;
  beginInsertRows({}, rows_, last - 1);
  rows_ = last;
  endInsertRows();
}

// Points run in time order, so a batch reaches into a repeated hour when one of its ends lies in
// it or when the clocks went back between them; then its times carry the zone's names for before
// and after the change.
void PointListModel::NoteRepeatedHour(const TrackPoint& first, const TrackPoint& last,
                                      const LocalZone& zone) {
  const DateTime from = first.GetDateTime(), to = last.GetDateTime();
  const auto utcFrom = ToCalendarSeconds(from), utcTo = ToCalendarSeconds(to);
  const bool wentBack =
      utcFrom && utcTo && zone.OffsetMinutesAt(*utcFrom) > zone.OffsetMinutesAt(*utcTo);
  if (!wentBack && zone.RepeatedClockName(from).empty() && zone.RepeatedClockName(to).empty()) {
    return;
  }
  for (const std::string& name : {zone.ClockName(from), zone.ClockName(to)}) {
    if (name.size() > widestClockName_.size()) widestClockName_ = name;
  }
}

void PointListModel::KeepTimeColumnWide(QTableView* view) {
  constexpr int kTimeColumn = 2;
  connect(this, &QAbstractItemModel::rowsInserted, view, [this, view] {
    if (widestClockName_.empty()) return;
    const QString widest = QStringLiteral("00:00:00 ") + QString::fromStdString(widestClockName_);
    const int needed = view->fontMetrics().horizontalAdvance(widest) +
                       2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) +
                       view->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    if (needed > view->columnWidth(kTimeColumn)) view->setColumnWidth(kTimeColumn, needed);
  });
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
    return tr("deleted");
  }
  const PointRow texts =
      ShownPointRow(shown_, (*source_)[static_cast<size_t>(index.row())], index.row() + 1, units_);
  return QString::fromStdString(texts[column]);
}

QVariant PointListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= columnCount()) return {};
  if (section == kSpeedColumn) return SpeedColumnTitle(units_);
  return ColumnTitle(columns_[static_cast<size_t>(section)]);
}

void PointListModel::SetUnits(Units units) {
  if (units == units_) return;
  units_ = units;
  emit headerDataChanged(Qt::Horizontal, kSpeedColumn, kSpeedColumn);
  if (rows_ > 0) emit dataChanged(index(0, kSpeedColumn), index(rows_ - 1, kSpeedColumn));
}

int PointListModel::ColumnWidth(int column) const {
  return column >= 0 && column < columnCount() ? columns_[static_cast<size_t>(column)].width : 0;
}

}  // namespace tavrin::gui
