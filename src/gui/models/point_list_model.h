// SPDX-License-Identifier: GPL-3.0-or-later
// The points list: rows over a vector of points the page holds, formatted only when a view asks
// for them. Loading a million points adds a million rows to a count, not a million items.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include "gui/models/list_columns.h"
#include "store/track_rows.h"
#include "store/track_store.h"

namespace tavrin::gui {

class PointListModel : public QAbstractTableModel, public IPointRows {
  Q_OBJECT

 public:
  explicit PointListModel(QObject* parent = nullptr);

  // The vector the rows stand for: row i is point i of it. The store fills the vector and then
  // hands the rows over in order, so the two always agree.
  void SetSource(const PointVector* points);
  // Speeds in km/h or mph; the rows and the speed column's title show them at once.
  void SetUnits(Units units);
  // Marks rows whose points were deleted from the file; their "State" reads "deleted".
  void MarkDeleted(int row);

  // IPointRows
  void RemoveAllRows() override;
  void AppendPointRows(std::span<const TrackPoint> points, int firstNumber,
                       const LocalZone& zone) override;

  // QAbstractTableModel
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  int ColumnWidth(int column) const;
  // Widens the view's "Time" column when rows reach into the hour summer time's end repeats,
  // whose times carry the zone's name, once after the rows of each load are in.
  void KeepTimeColumnWide(QTableView* view);

 private:
  void NoteRepeatedHour(const TrackPoint& first, const TrackPoint& last, const LocalZone& zone);

  const PointVector* source_ = nullptr;
  int rows_ = 0;
  std::vector<int> deleted_;  // sorted rows shown as deleted
  std::vector<ListColumn> columns_;
  mutable LocalTimes shown_{LocalZone()};  // the zone the rows were handed over in
  std::string widestClockName_;            // of the rows in a repeated hour, if any
  Units units_ = Units::Metric;
};

}  // namespace tavrin::gui
