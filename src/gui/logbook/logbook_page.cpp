// SPDX-License-Identifier: GPL-3.0-or-later
// The Logbook page's trips: read from the logbook and the track files when something changed,
// shown by period with the totals of the period.
#include "gui/logbook/logbook_page.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLocale>
#include <QScrollBar>
#include <algorithm>

#include "logbook/logbook_texts.h"
#include "logbook/purpose.h"

namespace tavrin::gui {
namespace {

CalendarDate DateOf(const QDate& date) {
  return CalendarDate{date.year(), date.month(), date.day()};
}

// The words the logbook records its changes of trips with, shown in the reader's language; a
// note's texts are the user's own and stay as they are.
[[maybe_unused]] const char* const kChangeWords[] = {
    QT_TRANSLATE_NOOP("LogbookPage", "purpose"), QT_TRANSLATE_NOOP("LogbookPage", "note"),
    QT_TRANSLATE_NOOP("LogbookPage", "track"),   QT_TRANSLATE_NOOP("LogbookPage", "cut"),
    QT_TRANSLATE_NOOP("LogbookPage", "deleted"), QT_TRANSLATE_NOOP("LogbookPage", "removed")};

QString ChangeWord(const std::string& word) {
  return QCoreApplication::translate("LogbookPage", word.c_str());
}

// What a change of `field` says before and after: a purpose by its shown name, the track's
// states by their words.
QString ChangedValue(const std::string& field, const std::string& value) {
  if (field == "purpose") {
    const std::optional<logbook::Purpose> purpose = logbook::PurposeOfWord(value);
    if (purpose && *purpose != logbook::Purpose::None) return PurposeName(*purpose);
  }
  if (field == "track" && !value.empty()) return ChangeWord(value);
  return QString::fromStdString(value);
}

// A trip's changes, one a line, oldest first.
std::map<std::string, QString> HistoriesOfTrips(
    const std::vector<logbook::LogbookChange>& changes) {
  std::map<std::string, QString> histories;
  for (const logbook::LogbookChange& change : changes) {
    if (change.kind != "trip") continue;
    QString& lines = histories[change.subject];
    if (!lines.isEmpty()) lines += QLatin1Char('\n');
    lines += QString::fromStdString(logbook::ChangedText(change.atUtc)) + QStringLiteral("  ") +
             ChangeWord(change.field) + QStringLiteral(": ");
    lines += change.field == "track" ? ChangedValue(change.field, change.after)
                                     : QStringLiteral("%1 \u2192 %2")
                                           .arg(ChangedValue(change.field, change.before),
                                                ChangedValue(change.field, change.after));
  }
  return histories;
}

}  // namespace

logbook::LogbookFilter LogbookPage::ChosenPeriod() const {
  const QDate date = periodDate_->date();
  logbook::LogbookFilter filter;
  switch (static_cast<Period>(periodKind_->currentIndex())) {
    case Period::Month:
      filter.from = DateOf(QDate(date.year(), date.month(), 1));
      filter.to = DateOf(QDate(date.year(), date.month(), date.daysInMonth()));
      break;
    case Period::Year:
      filter.from = CalendarDate{date.year(), 1, 1};
      filter.to = CalendarDate{date.year(), 12, 31};
      break;
    case Period::All:
      break;
  }
  return filter;
}

QString LogbookPage::PeriodName() const {
  const QDate date = periodDate_->date();
  switch (static_cast<Period>(periodKind_->currentIndex())) {
    case Period::Month:
      return QLocale().toString(
          date, tr("MMMM yyyy", "the date format of a month: Korean writes the year first"));
    case Period::Year:
      return QString::number(date.year());
    case Period::All:
      break;
  }
  return tr("all trips");
}

// Shown now, or as soon as its tab is: a page out of sight reads nothing.
bool LogbookPage::IsShown() const {
  return isVisibleTo(window());
}

void LogbookPage::PageActivated() {
  if (!read_) {
    ReadTrips();
    ChooseNewestMonth();
  } else if (stale_) {
    ReadTrips();
  }
  ShowPeriod();
}

void LogbookPage::LogbookReopened() {
  read_ = false;
  all_ = {};
  if (IsShown()) PageActivated();
}

void LogbookPage::ZoneChanged() {
  Reload();  // the trips' dates and times are the listing's, in the zone
}

void LogbookPage::UnitsChanged() {
  const Units before = units_;
  units_ = UnitsOf(owner_.AppSettings().units);
  trips_.SetUnits(units_);
  const bool miles = units_ == Units::Imperial;
  totalsUnit_->setText(miles ? tr("mi") : tr("km"));
  // The reading being typed keeps its distance.
  const double reading = KilometresFrom(odometerKm_->value(), before);
  odometerKm_->setSuffix(miles ? tr(" mi") : tr(" km"));
  odometerKm_->setValue(ShownDistance(reading, units_));
  ShowTotals();
}

// During a download the trips are read once it has ended, when the page is next shown.
void LogbookPage::TracksChanged() {
  stale_ = true;
  if (IsShown() && !owner_.Session().DownloadInProgress()) PageActivated();
}

void LogbookPage::Reload() {
  stale_ = true;
  if (IsShown()) PageActivated();
}

void LogbookPage::ShowTrouble() {
  const bool usable = owner_.Logbook() != nullptr;
  trouble_->setText(QString::fromStdString(owner_.LogbookTrouble()));
  trouble_->setVisible(!usable);
  body_->setEnabled(usable);
}

// Every trip, whatever the period: another period is then shown without reading the files
// again, and the offers and odometer figures of a period come from the trips before it.
void LogbookPage::ReadTrips() {
  ShowTrouble();
  ShowPlaces();
  read_ = true;
  stale_ = false;
  logbook::LogbookStore* logbook = owner_.Logbook();
  if (logbook == nullptr) {
    all_ = {};
    histories_.clear();
    odometerShown_ = false;
    return;
  }
  TrackStore& store = owner_.Store();
  all_ = logbook::MakeLogbookReport(store.Catalogue().ListTracks(nullptr, false), *logbook,
                                    store.Zone(), {});
  histories_ = HistoriesOfTrips(logbook->Changes());
  odometerShown_ = !logbook->Readings().empty();
}

void LogbookPage::ChooseNewestMonth() {
  if (all_.trips.empty()) return;
  const CalendarDate newest = all_.trips.back().date;
  const QSignalBlocker quiet(periodDate_);
  periodDate_->setDate(QDate(newest.year, newest.month, newest.day));
  odometerDate_->setDate(periodDate_->date());
}

void LogbookPage::OnPeriodChosen() {
  const Period kind = static_cast<Period>(periodKind_->currentIndex());
  periodDate_->setEnabled(kind != Period::All);
  periodDate_->setDisplayFormat(
      kind == Period::Year
          ? QStringLiteral("yyyy")
          : tr("MMMM yyyy", "the date format of a month: Korean writes the year first"));
  ShowPeriod();
}

// The rows of the period; the trips selected stay selected when they are still shown, and the
// list stays where it was scrolled to while the period is the same.
void LogbookPage::ShowPeriod() {
  if (!read_) return;
  const ListPlace place = RememberListPlace();
  const logbook::LogbookFilter period = ChosenPeriod();
  const bool samePeriod = period.from == shownPeriod_.from && period.to == shownPeriod_.to;
  shownPeriod_ = period;
  shown_ = logbook::FilterReport(all_.trips, period);
  trips_.SetTrips(shown_.trips, histories_, owner_.Store().Zone());
  tripList_->setColumnHidden(TripTableModel::OdometerStart, !odometerShown_);
  tripList_->setColumnHidden(TripTableModel::OdometerEnd, !odometerShown_);
  // The column that marks a deleted or missing track's trip is there only when a trip has it.
  tripList_->setColumnHidden(
      TripTableModel::Track,
      std::none_of(shown_.trips.begin(), shown_.trips.end(), [](const logbook::TripRow& trip) {
        return trip.trackDeleted || trip.trackMissing;
      }));
  GoBackToListPlace(place, samePeriod);
  const int count = static_cast<int>(shown_.trips.size());
  summary_->setText(count == 0 ? tr("No trip in %1.").arg(PeriodName())
                               : tr("%n trip(s) in %1", "", count).arg(PeriodName()));
  ShowTotals();
  OnSelectionChanged();
  // A first reading is offered from the last one the trips carried on.
  if (odometerKm_->value() == 0 && !shown_.trips.empty() && shown_.trips.back().odometerEnd) {
    odometerKm_->setValue(ShownDistance(*shown_.trips.back().odometerEnd, units_));
  }
}

LogbookPage::ListPlace LogbookPage::RememberListPlace() const {
  ListPlace place;
  place.selected = TracksOf(SelectedRows());
  const QModelIndex current = tripList_->currentIndex();
  if (current.isValid()) {
    place.current = trips_.Trip(current.row()).track;
    place.column = current.column();
  }
  place.scrolled = tripList_->verticalScrollBar()->value();
  return place;
}

void LogbookPage::GoBackToListPlace(const ListPlace& place, bool samePeriod) {
  QItemSelection reselected;
  for (const std::string& track : place.selected) {
    const int row = trips_.RowOfTrack(track);
    if (row >= 0) {
      reselected.select(trips_.index(row, 0), trips_.index(row, trips_.columnCount() - 1));
    }
  }
  QItemSelectionModel* selection = tripList_->selectionModel();
  selection->select(reselected, QItemSelectionModel::ClearAndSelect);
  const int currentRow = trips_.RowOfTrack(place.current);
  if (currentRow >= 0) {
    selection->setCurrentIndex(trips_.index(currentRow, place.column),
                               QItemSelectionModel::NoUpdate);
  }
  if (samePeriod) tripList_->verticalScrollBar()->setValue(place.scrolled);
}

void LogbookPage::ShowTotals() {
  for (const auto& [purpose, labels] : totals_) {
    // Without a purpose: all the trips of the period.
    const double km = purpose ? shown_.kmByPurpose[*purpose] : shown_.km;
    const size_t count = purpose ? shown_.tripsByPurpose[*purpose] : shown_.trips.size();
    labels.first->setText(KmText(km, units_));
    labels.second->setText(QString::number(count));
  }
}

// A failure is told in the window's box; the page then shows what the logbook holds.
bool LogbookPage::Stored(const Result<void>& done) {
  if (done) return true;
  owner_.ShowMessage(done.Error().reason, MsgIcon::Warning, MsgButtons::Ok);
  return false;
}

}  // namespace tavrin::gui
