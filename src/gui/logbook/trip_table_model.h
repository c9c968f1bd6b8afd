// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook's trips as a table: a row a trip of the period shown, in time order. The purpose
// and the note are edited in place; what the user chose goes to the page, which stores it for
// every selected row. A purpose only offered is shown as an offer ("business?") and stored only
// once the user takes it.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "logbook/trip_rows.h"
#include "store/local_zone.h"

namespace tavrin::gui {

// The purpose as the window names it; "" for none.
QString PurposeName(logbook::Purpose purpose);
// "12.34": km as the Track Record page's lists show them.
QString KmText(double km, Units units = Units::Metric);

class TripTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column {
    Date,
    Start,
    End,
    From,
    To,
    Km,
    Track,  // "deleted" when the trip's track file is gone
    Purpose,
    Note,
    OdometerStart,
    OdometerEnd,
    Changed,
    ColumnCount
  };
  // The role whose value is the row's purpose (an int of logbook::Purpose), or its offer.
  static constexpr int kPurposeRole = Qt::UserRole;
  static constexpr int kOfferedRole = Qt::UserRole + 1;

  using PurposeChosen = std::function<void(int row, logbook::Purpose purpose)>;
  using NoteWritten = std::function<void(int row, const QString& note)>;

  explicit TripTableModel(QObject* parent = nullptr);

  void SetEditors(PurposeChosen purposeChosen, NoteWritten noteWritten);
  // The trips shown; `histories` holds each trip's changes, by track file name, one a line.
  void SetTrips(std::vector<logbook::TripRow> trips, std::map<std::string, QString> histories,
                const LocalZone& zone);
  // Distances in km or mi; the rows and the distance column's title show them at once.
  void SetUnits(Units units);
  const std::vector<logbook::TripRow>& Trips() const { return trips_; }
  const logbook::TripRow& Trip(int row) const { return trips_[static_cast<size_t>(row)]; }
  int RowOfTrack(const std::string& track) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  QString Text(const logbook::TripRow& trip, int column) const;
  QVariant ToolTip(const logbook::TripRow& trip, int column) const;

  std::vector<logbook::TripRow> trips_;
  Units units_ = Units::Metric;
  std::map<std::string, QString> histories_;
  LocalZone zone_;
  PurposeChosen purposeChosen_;
  NoteWritten noteWritten_;
};

}  // namespace tavrin::gui
