// SPDX-License-Identifier: GPL-3.0-or-later
// The places that name the trips' starts and ends, and the odometer readings: each change is
// stored at once and the trips are shown again with it.
#include <cmath>

#include "gui/logbook/logbook_page.h"
#include "gui/logbook/place_dialog.h"

namespace tavrin::gui {
namespace {

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(alignment | Qt::AlignVCenter);
  return item;
}

}  // namespace

void LogbookPage::ShowPlaces() {
  logbook::LogbookStore* logbook = owner_.Logbook();
  const std::vector<logbook::NamedPlace> places =
      logbook != nullptr ? logbook->Places() : std::vector<logbook::NamedPlace>{};
  const int current = placeList_->currentRow();
  placeList_->setRowCount(static_cast<int>(places.size()));
  for (int row = 0; row < placeList_->rowCount(); ++row) {
    const logbook::NamedPlace& place = places[static_cast<size_t>(row)];
    placeList_->setItem(row, 0, Cell(QString::fromStdString(place.name)));
    placeList_->setItem(row, 1, Cell(PositionText(place.latitude, place.longitude)));
    placeList_->setItem(row, 2, Cell(QString::number(std::lround(place.radius)), Qt::AlignRight));
  }
  if (!places.empty())
    placeList_->setCurrentCell(std::clamp(current, 0, placeList_->rowCount() - 1), 0);
}

// The place of the list's current row, read from the logbook.
std::optional<logbook::NamedPlace> LogbookPage::ChosenPlace() {
  logbook::LogbookStore* logbook = owner_.Logbook();
  const int row = placeList_->currentRow();
  if (logbook == nullptr || row < 0 || placeList_->item(row, 0) == nullptr) {
    owner_.ShowMessage(tr("No place is chosen: choose one in the list of places first, or add "
                          "one with \"Add place...\".")
                           .toStdString(),
                       MsgIcon::Information, MsgButtons::Ok);
    return std::nullopt;
  }
  const std::string name = placeList_->item(row, 0)->text().toStdString();
  for (logbook::NamedPlace& place : logbook->Places()) {
    if (place.name == name) return std::move(place);
  }
  return std::nullopt;
}

// A place the logbook refuses (a name it has already) is asked for again with what was typed,
// so that only the name needs changing.
void LogbookPage::AddPlace(const logbook::NamedPlace& offered, const QString& title) {
  logbook::LogbookStore* logbook = owner_.Logbook();
  if (logbook == nullptr) return;
  logbook::NamedPlace place = offered;
  for (bool stored = false; !stored;) {
    PlaceDialog dialog(title, place, this);
    if (owner_.RunDialog(dialog) != QDialog::Accepted) return;
    place = dialog.Place();
    stored = Stored(logbook->AddPlace(place.name, place.latitude, place.longitude, place.radius));
  }
  Status(
      tr("The trips that start or end within %1 m of %2 are named \"%3\" in the logbook.")
          .arg(std::lround(place.radius))
          .arg(PositionText(place.latitude, place.longitude), QString::fromStdString(place.name)));
  Reload();
}

void LogbookPage::NameThisPlace(double latitude, double longitude) {
  logbook::NamedPlace place;
  place.latitude = latitude;
  place.longitude = longitude;
  AddPlace(place, tr("Name this place"));
}

void LogbookPage::OnAddPlace() {
  AddPlace(logbook::NamedPlace{}, tr("Add a place"));
}

// One dialog for both: the name changes first, then the position and radius under the new name.
void LogbookPage::OnEditPlace() {
  const std::optional<logbook::NamedPlace> place = ChosenPlace();
  if (!place) return;
  PlaceDialog dialog(tr("Rename or move %1").arg(QString::fromStdString(place->name)), *place,
                     this);
  if (owner_.RunDialog(dialog) != QDialog::Accepted) return;
  logbook::LogbookStore& logbook = *owner_.Logbook();
  const logbook::NamedPlace changed = dialog.Place();
  if (changed.name != place->name && !Stored(logbook.RenamePlace(place->name, changed.name))) {
    return;
  }
  const bool moved = changed.latitude != place->latitude || changed.longitude != place->longitude ||
                     changed.radius != place->radius;
  if (moved) {
    (void)Stored(logbook.MovePlace(changed.name, changed.latitude, changed.longitude,
                                   changed.radius));  // a failure is told; the rename stays
  }
  Status(tr("The place \"%1\" is changed; the trips are named again.")
             .arg(QString::fromStdString(changed.name)));
  Reload();
}

void LogbookPage::OnRemovePlace() {
  const std::optional<logbook::NamedPlace> place = ChosenPlace();
  if (!place) return;
  const QString name = QString::fromStdString(place->name);
  const MsgAnswer answer = owner_.ShowMessage(
      tr("Remove the place \"%1\"? The trips there are then named by their positions; the "
         "changes made to the place stay in the logbook.")
          .arg(name)
          .toStdString(),
      MsgIcon::Question, MsgButtons::YesNo);
  if (answer != MsgAnswer::Yes) return;
  if (!Stored(owner_.Logbook()->RemovePlace(place->name))) return;
  Status(tr("The place \"%1\" is removed.").arg(name));
  Reload();
}

void LogbookPage::OnEnterReading() {
  logbook::LogbookStore* logbook = owner_.Logbook();
  if (logbook == nullptr) return;
  const QDate day = odometerDate_->date();
  if (!Stored(logbook->SetOdometer(CalendarDate{day.year(), day.month(), day.day()},
                                   KilometresFrom(odometerKm_->value(), units_)))) {
    return;
  }
  Status((units_ == Units::Metric
              ? tr("The odometer read %1 km at the start of %2; the trips show it from there.")
              : tr("The odometer read %1 mi at the start of %2; the trips show it from there."))
             .arg(odometerKm_->value(), 0, 'f', 1)
             .arg(day.toString(Qt::ISODate)));
  Reload();
}

}  // namespace tavrin::gui
