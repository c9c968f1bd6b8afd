// SPDX-License-Identifier: GPL-3.0-or-later
// The record list's modes and filters, and loading one record.
#include <filesystem>

#include "gui/records/track_record_page.h"

namespace tavrin::gui {
namespace {

CalendarDate DateOf(const QDate& date) {
  return CalendarDate{date.year(), date.month(), date.day()};
}

std::string DateText(const QDate& date) {
  return std::to_string(date.year()) + "-" + std::to_string(date.month()) + "-" +
         std::to_string(date.day());
}

}  // namespace

void TrackRecordPage::SetModeControls(bool byDays) {
  modeControls_->setCurrentWidget(byDays ? periodStart_->parentWidget() : calendar_);
  createTrack_->setEnabled(!byDays);
  deletePoints_->setEnabled(!byDays);
  conformTrack_->setEnabled(byDays);
}

void TrackRecordPage::ClearLoadedRecord() {
  selectedRow_ = -1;
  points_.RemoveAllRows();
  ShowNewRecordInGraph();
}

void TrackRecordPage::DataFolderChanged() {
  ClearLoadedRecord();
  fileName_->clear();
  RefreshRecordList();
  // The map's page is written into the new folder, and shown from there, when next wanted.
  mapWaitsForPages_ = false;
  FinishMapPages();
  mapPagesWritten_ = false;
  mapPageLoaded_ = false;
}

// Listings shift the headers into the zone and the point rows show it, so a new zone lists the
// records again and loads the record shown again: its points, the time window's controls and the
// graph then follow the zone. A time window stays on the same points, its controls in the zone.
void TrackRecordPage::ZoneChanged() {
  const std::string track = selectedRow_ == -1 ? std::string() : FirstTrackOfLoaded();
  const bool windowActive = loaded_.windowActive;
  const PointVector window = loaded_.window;
  RefreshRecordList();
  if (track.empty()) return;
  const int row = ByDays() ? RowOfDayHolding(track) : RowOfTrack(track);
  if (row == -1) {  // the record's day left the period listed
    ClearLoadedRecord();
    fileName_->clear();
    return;
  }
  LoadRecord(row);
  if (windowActive && !window.empty()) {
    const LocalZone& zone = owner_.Store().Zone();
    const DateTime from = zone.ToLocal(window.front().GetDateTime());
    const DateTime to = zone.ToLocal(window.back().GetDateTime());
    windowStart_->setDate(QDate(2000 + from.year, from.month, from.day));
    startHour_->setCurrentIndex(from.hour);
    startMinute_->setCurrentIndex(from.minute);
    windowEnd_->setDate(QDate(2000 + to.year, to.month, to.day));
    endHour_->setCurrentIndex(to.hour);
    endMinute_->setCurrentIndex(to.minute);
    OnConformTrack();
    if (views_->currentWidget() == graph_) DrawSpeedGraph();
  }
}

// The loaded track, or the first track of the loaded day, by its file.
std::string TrackRecordPage::FirstTrackOfLoaded() const {
  if (!ByDays()) return loaded_.entry.path;
  const auto first = static_cast<size_t>(loaded_.entry.firstTrack);
  return first < listing_.tracks.size() ? listing_.tracks[first].path : std::string();
}

int TrackRecordPage::RowOfDayHolding(const std::string& track) const {
  return listing_.byDay ? listing_.RowHolding(track) : -1;
}

void TrackRecordPage::OnByDays() {
  SetModeControls(true);
  RefreshRecordList();
  ClearLoadedRecord();
  Status("View by a day.");
}

void TrackRecordPage::OnByTracks() {
  SetModeControls(false);
  RefreshRecordList();
  ClearLoadedRecord();
  Status("View by a track.");
}

void TrackRecordPage::RefreshRecordList() {
  const bool all = selectAll_->isChecked();
  deleteAll_->setEnabled(all);
  TrackStore& store = owner_.Store();
  if (!ByDays()) {
    calendar_->setEnabled(!all);
    if (all) {
      listing_ = store.ListTracks(&records_, false);
      Status("View all track.");
    } else {
      const QDate day = calendar_->selectedDate();
      listing_ = store.ListTracksInPeriod(&records_, false, DateOf(day), DateOf(day));
      Status("Selected " + DateText(day) + ".");
    }
  } else {
    for (QWidget* w : std::initializer_list<QWidget*>{startLabel_, endLabel_, periodStart_,
                                                      periodEnd_, conformSelected_}) {
      w->setEnabled(!all);
    }
    PeriodFilter();
  }
  loaded_.windowActive = false;
}

void TrackRecordPage::OnCalendarDay() {
  dayPicked_ = true;
  if (selectAll_->isChecked() || owner_.Session().DownloadInProgress()) return;
  const QDate day = calendar_->selectedDate();
  listing_ = owner_.Store().ListTracksInPeriod(&records_, false, DateOf(day), DateOf(day));
  Status("Selected " + DateText(day) + ".");
}

void TrackRecordPage::OnConformSelected() {
  dayPicked_ = true;
  PeriodFilter();
}

void TrackRecordPage::PeriodFilter() {
  TrackStore& store = owner_.Store();
  if (selectAll_->isChecked()) {
    listing_ = store.ListTracks(&records_, true);
    Status("View all.");
    return;
  }
  const QDate from = periodStart_->date(), to = periodEnd_->date();
  // A start after the end is not refused: the period then holds nothing.
  listing_ = store.ListTracksInPeriod(&records_, true, DateOf(from), DateOf(to));
  Status("Selected    " + DateText(from) + " ~ " + DateText(to) + ".");
}

void TrackRecordPage::OnRecordActivated(const QModelIndex& index) {
  if (index.isValid()) LoadRecord(index.row());
}

void TrackRecordPage::LoadRecord(int row) {
  TrackStore& store = owner_.Store();
  if (row < 0 || static_cast<size_t>(row) >= listing_.RowCount()) return;
  selectedRow_ = row;
  Status("Loading track data.");
  loaded_.entry = *listing_.Row(static_cast<size_t>(row));
  points_.SetSource(&loaded_.points);
  if (ByDays()) {
    store.LoadDayPoints(listing_.TracksOfRow(static_cast<size_t>(row)), loaded_.points, &points_);
  } else {
    store.LoadTrackPoints(loaded_.entry, loaded_.points, &points_);
  }
  fileName_->setText(
      QString::fromStdString(std::filesystem::path(loaded_.entry.path).filename().string()));
  SetWindowControls(loaded_.entry);
  records_.SetTicked(row, true);  // the exports take the loaded record
  Status("Load track data.");
  loaded_.windowActive = false;
  ShowNewRecordInGraph();
  WriteMapPages(loaded_.points);
}

void TrackRecordPage::SetWindowControls(const TrackEntry& record) {
  const DateTime6& first = record.header.firstDateTime;
  const DateTime6& last = record.header.lastDateTime;
  windowStart_->setDate(QDate(2000 + first[0], first[1], first[2]));
  windowEnd_->setDate(QDate(2000 + last[0], last[1], last[2]));
  startHour_->setCurrentIndex(first[3]);
  startMinute_->setCurrentIndex(first[4]);
  endHour_->setCurrentIndex(last[3]);
  endMinute_->setCurrentIndex(last[4]);
}

}  // namespace tavrin::gui
