// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/models/track_list_model.h"

#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace tavrin::gui {
namespace {

// The figures a column's text grows with; a date-time's text is as wide for every value.
void Widen(RowFigures& widest, const RowFigures& row) {
  TrackHeader& w = widest.header;
  const TrackHeader& h = row.header;
  w.pointCount = std::max(w.pointCount, h.pointCount);
  w.distance = std::max(w.distance, h.distance);
  // Shown signed: the longest text is the largest magnitude either way.
  const auto magnitude = [](uint32_t seconds) {
    const int shown = static_cast<int>(seconds);
    return shown < 0 ? static_cast<uint32_t>(-static_cast<int64_t>(shown)) : seconds;
  };
  w.elapsedSeconds = std::max(magnitude(w.elapsedSeconds), magnitude(h.elapsedSeconds));
  widest.averageSpeed = std::max(widest.averageSpeed, row.averageSpeed);
  for (auto [wide, name] : {std::pair{&widest.firstRepeatedClock, &row.firstRepeatedClock},
                            std::pair{&widest.lastRepeatedClock, &row.lastRepeatedClock}}) {
    if (name->size() > wide->size()) *wide = *name;
  }
}

}  // namespace

TrackListModel::TrackListModel(QObject* parent) : QAbstractTableModel(parent) {
  columns_.assign(kEntryColumns.begin(), kEntryColumns.end());
}

void TrackListModel::RemoveAllRows() {
  if (rows_.empty()) return;
  beginResetModel();
  rows_.clear();
  widest_ = RowFigures{};
  endResetModel();
}

void TrackListModel::InsertRow(int index, const RowFigures& entry, int number) {
  // -1 (or anything past the end) appends, as a list view does.
  const int at = index < 0 ? RowCount() : std::min(index, RowCount());
  beginInsertRows({}, at, at);
  rows_.insert(rows_.begin() + at, Row{entry, number});
  Widen(widest_, entry);
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
  const EntryRow texts = EntryRowTexts(row.entry, row.number, units_);
  return QString::fromStdString(texts[static_cast<size_t>(index.column())]);
}

QVariant TrackListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= columnCount()) return {};
  return ColumnTitle(columns_[static_cast<size_t>(section)]);
}

void TrackListModel::SetUnits(Units units) {
  if (units == units_) return;
  units_ = units;
  if (RowCount() > 0) emit dataChanged(index(0, 0), index(RowCount() - 1, columnCount() - 1));
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
  Widen(widest_, entry);
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

EntryRow TrackListModel::WidestTexts() const {
  return EntryRowTexts(widest_, std::max(RowCount(), 1), units_);
}

void TrackListModel::KeepColumnsWide(QTableView* view) {
  auto fit = [this, view] {
    const EntryRow texts = WidestTexts();
    const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) +
                        view->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int c = 1; c < columnCount(); ++c) {
      const QString text = QString::fromStdString(texts[static_cast<size_t>(c)]);
      const int needed = view->fontMetrics().horizontalAdvance(text) + margins;
      if (needed > view->columnWidth(c)) view->setColumnWidth(c, needed);
    }
  };
  // Once after a listing's rows, not once a row.
  auto pending = std::make_shared<bool>(false);
  auto later = [view, fit, pending] {
    if (*pending) return;
    *pending = true;
    QTimer::singleShot(0, view, [fit, pending] {
      *pending = false;
      fit();
    });
  };
  connect(this, &QAbstractItemModel::rowsInserted, view, later);
  connect(this, &QAbstractItemModel::dataChanged, view, later);
}

int TrackListModel::ColumnWidth(int column) const {
  if (column < 0 || column >= columnCount()) return 0;
  return columns_[static_cast<size_t>(column)].width;
}

}  // namespace tavrin::gui
