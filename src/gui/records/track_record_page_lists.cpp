// SPDX-License-Identifier: GPL-3.0-or-later
// The record list's modes and filters, and loading one record.
#include <algorithm>
#include <filesystem>

#include "gui/records/track_record_page.h"
#include "index/point_runs.h"

namespace tavrin::gui {
namespace {

CalendarDate DateOf(const QDate& date) {
  return CalendarDate{date.year(), date.month(), date.day()};
}

QString DateText(const QDate& date) {
  return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
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
  return loaded_.firstTrack;
}

int TrackRecordPage::RowOfDayHolding(const std::string& track) const {
  return listing_.byDay ? listing_.RowHolding(track) : -1;
}

void TrackRecordPage::OnByDays() {
  SetModeControls(true);
  RefreshRecordList();
  ClearLoadedRecord();
  Status(tr("View by a day."));
}

void TrackRecordPage::OnByTracks() {
  SetModeControls(false);
  RefreshRecordList();
  ClearLoadedRecord();
  Status(tr("View by a track."));
}

void TrackRecordPage::RefreshRecordList() {
  Status(ListAgain());
}

// Lists the records the filters stand for; returns what the status line says of them.
QString TrackRecordPage::ListAgain() {
  const bool all = selectAll_->isChecked();
  deleteAll_->setEnabled(all);
  loaded_.windowActive = false;
  TrackCatalogue& catalogue = owner_.Store().Catalogue();
  if (ByDays()) {
    for (QWidget* w : std::initializer_list<QWidget*>{startLabel_, endLabel_, periodStart_,
                                                      periodEnd_, conformSelected_}) {
      w->setEnabled(!all);
    }
    return ListPeriod();
  }
  calendar_->setEnabled(!all);
  if (all) {
    listing_ = catalogue.ListTracks(&records_, false);
    return tr("View all track.");
  }
  const QDate day = calendar_->selectedDate();
  listing_ = catalogue.ListTracksInPeriod(&records_, false, DateOf(day), DateOf(day));
  return tr("Selected %1.").arg(DateText(day));
}

void TrackRecordPage::OnTracksChanged(const TrackChangeNotice& notice) {
  switch (notice.change) {
    case TrackChange::Deleted:
      ForgetDeletedTracks(notice.paths);
      break;
    case TrackChange::Compacted:
      for (const std::string& path : notice.paths) ShowCompactedTrack(path);
      break;
    case TrackChange::Saved:
    case TrackChange::Imported:
      // A download's tracks are listed when the page is next shown, once the read has ended.
      if (!owner_.Session().DownloadInProgress()) ListAgain();
      break;
  }
}

// A row goes when all of its tracks are gone; the other rows keep their ticks.
void TrackRecordPage::ForgetDeletedTracks(const std::vector<std::string>& paths) {
  for (int row = records_.RowCount() - 1; row >= 0; --row) {
    const auto held = listing_.TracksOfRow(static_cast<size_t>(row));
    const bool gone = !held.empty() && std::all_of(held.begin(), held.end(), [&](const auto& t) {
      return std::find(paths.begin(), paths.end(), t.path) != paths.end();
    });
    if (!gone) continue;
    listing_.RemoveRow(static_cast<size_t>(row));
    records_.RemoveRow(row);
  }
}

// A day's row sums its tracks as they were listed; only a track's own row is shown anew.
void TrackRecordPage::ShowCompactedTrack(const std::string& path) {
  const int row = RowOfTrack(path);
  if (row == -1) return;
  const auto track = owner_.Store().Catalogue().ListedTrack(path);
  if (!track) return;
  listing_.tracks[static_cast<size_t>(row)] = *track;
  records_.ReplaceRow(row, *track);
}

void TrackRecordPage::OnCalendarDay() {
  dayPicked_ = true;
  if (selectAll_->isChecked() || owner_.Session().DownloadInProgress()) return;
  const QDate day = calendar_->selectedDate();
  listing_ =
      owner_.Store().Catalogue().ListTracksInPeriod(&records_, false, DateOf(day), DateOf(day));
  Status(tr("Selected %1.").arg(DateText(day)));
}

void TrackRecordPage::OnConformSelected() {
  dayPicked_ = true;
  Status(ListPeriod());
}

QString TrackRecordPage::ListPeriod() {
  TrackCatalogue& catalogue = owner_.Store().Catalogue();
  if (selectAll_->isChecked()) {
    listing_ = catalogue.ListTracks(&records_, true);
    return tr("View all.");
  }
  const QDate from = periodStart_->date(), to = periodEnd_->date();
  // A start after the end is not refused: the period then holds nothing.
  listing_ = catalogue.ListTracksInPeriod(&records_, true, DateOf(from), DateOf(to));
  return tr("Selected    %1 ~ %2.").arg(DateText(from), DateText(to));
}

void TrackRecordPage::OnRecordActivated(const QModelIndex& index) {
  if (index.isValid()) LoadRecord(index.row());
}

void TrackRecordPage::LoadRecord(int row) {
  TrackStore& store = owner_.Store();
  if (row < 0 || static_cast<size_t>(row) >= listing_.RowCount()) return;
  selectedRow_ = row;
  Status(tr("Loading track data."));
  const auto index = static_cast<size_t>(row);
  const auto tracks = listing_.TracksOfRow(index);
  loaded_.record = *listing_.Row(index);
  loaded_.track = ByDays() ? TrackEntry{} : listing_.tracks[index];
  loaded_.firstTrack = tracks.empty() ? std::string() : tracks.front().path;
  points_.SetSource(&loaded_.points);
  if (ByDays()) {
    store.Files().LoadDayPoints(tracks, loaded_.points, &points_);
  } else {
    store.Files().LoadTrackPoints(loaded_.track, loaded_.points, &points_);
  }
  fileName_->setText(QString::fromStdString(listing_.RowName(index)));
  SetWindowControls(loaded_.record);
  records_.SetTicked(row, true);  // the exports take the loaded record
  Status(tr("Load track data."));
  loaded_.windowActive = false;
  ShowNewRecordInGraph();
  WriteMapPages(loaded_.points);
}

bool TrackRecordPage::ShowTrack(const std::string& path, std::optional<long long> pointUtc) {
  if (!byTracks_->isChecked()) byTracks_->setChecked(true);  // lists by tracks
  ShowImportedTrack(path);
  if (selectedRow_ == -1 || listing_.tracks[static_cast<size_t>(selectedRow_)].path != path) {
    Status(
        tr("The track %1 is no longer stored; choose another.").arg(QString::fromStdString(path)));
    return false;
  }
  recordView_->setFocus();
  if (!pointUtc) return true;
  const auto at = std::find_if(loaded_.points.begin(), loaded_.points.end(), [&](const auto& p) {
    return index::UtcSecondsOf(index::IndexTimeOf(p)) >= *pointUtc;
  });
  if (at == loaded_.points.end()) return true;
  const int row = static_cast<int>(at - loaded_.points.begin());
  pointView_->selectRow(row);
  pointView_->scrollTo(points_.index(row, 0), QAbstractItemView::PositionAtCenter);
  pointView_->setFocus();
  return true;
}

void TrackRecordPage::SetWindowControls(const RowFigures& record) {
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
