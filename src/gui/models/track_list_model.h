// SPDX-License-Identifier: GPL-3.0-or-later
// The device page's track list (and the plain track list of the record tab until it has its
// own page): the store's rows as a Qt table model. Rows arrive as entries and are formatted only
// when a view asks for them, so a folder of thousands of tracks lists at once.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <vector>

#include "gui/models/list_columns.h"
#include "store/track_rows.h"

namespace tavrin::gui {

class TrackListModel : public QAbstractTableModel, public IEntryRows {
  Q_OBJECT

 public:
  explicit TrackListModel(QObject* parent = nullptr);

  // IEntryRows
  void RemoveAllRows() override;
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  void InsertRow(int index, const RowFigures& entry, int number) override;

  // QAbstractTableModel
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Distances in km or mi, speeds in km/h or mph; the rows show them at once.
  void SetUnits(Units units);

  // The width the store asks for each column, in pixels.
  int ColumnWidth(int column) const;
  // Each column's widest text among the rows, made from the largest figures, so that a column
  // can be widened to it without formatting every row.
  EntryRow WidestTexts() const;
  // A view of this model widens its columns to WidestTexts once the rows have changed; it never
  // narrows them below the widths asked for.
  void KeepColumnsWide(QTableView* view);
  // Rows with a check box in their first cell (the record list's), ticked or not.
  void SetCheckable(bool checkable) { checkable_ = checkable; }
  bool IsTicked(int row) const;
  void SetTicked(int row, bool ticked);
  void RemoveRow(int row);
  // Shows `entry` in place of the row's record (its figures changed), keeping its tick.
  void ReplaceRow(int row, const RowFigures& entry);

  // QAbstractTableModel, for the check boxes
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  struct Row {
    RowFigures entry;
    int number;
    bool ticked = false;
  };
  std::vector<ListColumn> columns_;
  std::vector<Row> rows_;
  RowFigures widest_;  // the largest figure of each column among the rows
  bool checkable_ = false;
  Units units_ = Units::Metric;
};

}  // namespace tavrin::gui
