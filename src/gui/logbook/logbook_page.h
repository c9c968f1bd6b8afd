// SPDX-License-Identifier: GPL-3.0-or-later
// The Logbook page: the trips of a month, a year or of all time, a row a stored track, named by
// the user's places, with the purpose and note the user gives them (several rows at once), the
// totals per purpose, odometer readings, the places themselves, and the period written as CSV or
// PDF or printed. The logbook itself is the window's, which keeps it in step with the tracks.
#pragma once

#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "gui/common/page_owner.h"
#include "gui/logbook/trip_table_model.h"
#include "logbook/trip_rows.h"

namespace tavrin::gui {

class LogbookPage : public QWidget {
  Q_OBJECT

 public:
  enum class Period { Month, Year, All };

  explicit LogbookPage(IPageOwner& owner, QWidget* parent = nullptr);

  // The tab became the shown one: the trips are read the first time, on the newest trip's
  // month, and again when tracks or the logbook changed since.
  void PageActivated();
  // The window opened the logbook of another data folder, or found it cannot be used.
  void LogbookReopened();
  // Dates are now shown in another zone.
  void ZoneChanged();
  // Distances are now shown in the other units.
  void UnitsChanged();
  // Tracks were saved, cut, deleted or imported; the window has noted it in the logbook.
  void TracksChanged();
  // Asks for a name and a radius and keeps the position as a place of the logbook.
  void NameThisPlace(double latitude, double longitude);

  TripTableModel& TripList() { return trips_; }
  // The trips and totals of the period chosen, as the exports write them.
  const logbook::LogbookReport& ShownReport() const { return shown_; }
  logbook::LogbookFilter ChosenPeriod() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Layout (logbook_page_layout.cpp).
  QWidget* MakePeriodRow();
  QWidget* MakeTripList();
  QWidget* MakeEditRow();
  QWidget* MakeTotals();
  QWidget* MakeOdometer();
  QWidget* MakePlaces();
  QPushButton* Button(const char* objectName, const QString& caption, void (LogbookPage::*slot)());
  void SetTabOrderOfControls();

  // The trips (logbook_page.cpp).
  bool IsShown() const;
  void Reload();
  void ReadTrips();
  void ShowPeriod();
  // Where the user was in the list: the trips selected, the current one, the scrolling.
  struct ListPlace {
    std::vector<std::string> selected;
    std::string current;
    int column = 0;
    int scrolled = 0;
  };
  ListPlace RememberListPlace() const;
  void GoBackToListPlace(const ListPlace& place, bool samePeriod);
  void ShowTotals();
  void ShowTrouble();
  void OnPeriodChosen();
  void ChooseNewestMonth();
  QString PeriodName() const;
  void Status(const QString& text) { owner_.SetStatusText(text.toStdString()); }
  bool Stored(const Result<void>& done);

  // Purposes and notes (logbook_page_edits.cpp).
  std::vector<int> SelectedRows() const;
  std::vector<int> RowsWith(int row) const;
  std::vector<std::string> TracksOf(const std::vector<int>& rows) const;
  void SetPurpose(const std::vector<int>& rows, logbook::Purpose purpose);
  void SetPurposeOfSelected(logbook::Purpose purpose) { SetPurpose(SelectedRows(), purpose); }
  void AcceptOffered();
  void SetNote(const std::vector<int>& rows, const QString& note);
  void OnNoteEdited();
  void OnSelectionChanged();
  void ShowChangesOfCurrent();
  bool AnySelected(const std::vector<int>& rows);

  // Places and odometer readings (logbook_page_places.cpp).
  void ShowPlaces();
  std::optional<logbook::NamedPlace> ChosenPlace();
  void AddPlace(const logbook::NamedPlace& offered, const QString& title);
  void OnAddPlace();
  void OnEditPlace();
  void OnRemovePlace();
  void OnEnterReading();

  // Exports (logbook_page_exports.cpp).
  bool HasTripsToWrite();
  QString ExportTitle() const;
  QString FileNameFor(const char* suffix) const;
  QString AskFileToWrite(const QString& caption, const QString& fileName, const QString& filter);
  void OnExportCsv();
  void OnExportPdf();
  void OnPrint();

  IPageOwner& owner_;
  TripTableModel trips_;
  logbook::LogbookReport all_;    // every trip, as read last
  logbook::LogbookReport shown_;  // the trips of the period chosen
  logbook::LogbookFilter shownPeriod_;
  std::map<std::string, QString> histories_;
  bool odometerShown_ = false;
  bool read_ = false;   // the trips were read since the logbook was opened
  bool stale_ = false;  // tracks or the logbook changed since they were read
  QString lastFolder_;  // where the last export went

  QLabel* trouble_ = nullptr;
  QWidget* body_ = nullptr;
  QComboBox* periodKind_ = nullptr;
  QDateEdit* periodDate_ = nullptr;
  QLabel* summary_ = nullptr;
  QTableView* tripList_ = nullptr;
  QLineEdit* note_ = nullptr;
  // The km and the number of trips of each purpose; nothing: of all trips.
  std::map<std::optional<logbook::Purpose>, std::pair<QLabel*, QLabel*>> totals_;
  QDateEdit* odometerDate_ = nullptr;
  QDoubleSpinBox* odometerKm_ = nullptr;  // in the units shown
  QLabel* totalsUnit_ = nullptr;
  Units units_ = Units::Metric;
  QTableWidget* placeList_ = nullptr;
};

}  // namespace tavrin::gui
