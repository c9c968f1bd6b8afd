// SPDX-License-Identifier: GPL-3.0-or-later
// The time window, a new track from selected points, and deleting selected points.
#include <QItemSelectionModel>
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "gui/records/track_record_page.h"

namespace tavrin::gui {
namespace {

DateTime At(const QDate& date, int hour, int minute, int second) {
  return DateTime{date.year() % 100, date.month(), date.day(), hour, minute, second};
}

}  // namespace

std::vector<size_t> TrackRecordPage::SelectedPointRows() const {
  std::vector<size_t> rows;
  for (const QModelIndex& index : pointView_->selectionModel()->selectedRows()) {
    rows.push_back(static_cast<size_t>(index.row()));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TrackRecordPage::OnConformTrack() {
  if (selectedRow_ == -1) return;
  const DateTime first = FromDateTime6(loaded_.record.header.firstDateTime);
  const DateTime last = FromDateTime6(loaded_.record.header.lastDateTime);
  const DateTime from = At(windowStart_->date(), startHour_->currentIndex(),
                           startMinute_->currentIndex(), first.second);
  const DateTime to =
      At(windowEnd_->date(), endHour_->currentIndex(), endMinute_->currentIndex(), last.second);
  const bool accepted = from <= to && first <= from && from <= last && first <= to && to <= last;
  if (!accepted) {
    // A window outside the record puts the whole record back, without a word.
    SetWindowControls(loaded_.record);
    records_.SetTicked(selectedRow_, true);
    return;
  }
  const LocalZone& zone = owner_.Store().Zone();
  points_.SetSource(&loaded_.window);
  loaded_.window = PointsInTimeWindow(loaded_.points, zone, from, to);
  points_.AppendPointRows(loaded_.window, 1, zone);
  Status(tr("Load data by set time."));
  loaded_.windowActive = true;
  WriteMapPages(loaded_.window);
}

// The new track is written in UTC like every track file, as the point list holds it (so that a
// point of the hour that repeats when summer time ends keeps its own instant), and under a free
// name: it never replaces the track it was cut from, or any other.
void TrackRecordPage::OnCreateTrack() {
  if (selectedRow_ == -1) return;
  const std::vector<size_t> rows = SelectedPointRows();
  TrackStore& store = owner_.Store();
  const PointVector& points = loaded_.points;
  if (rows.empty() || rows.back() >= points.size()) return;
  std::vector<TrackPoint> selected;
  for (const size_t row : rows) selected.push_back(points[row]);
  const auto created = store.Writer().CreateTrack(loaded_.track, selected);
  if (!created) {
    owner_.ShowMessage(created.Error().reason.empty()
                           ? tr("Cannot create the track file: %1.")
                                 .arg(QString::fromStdString(created.Error().SystemText()))
                                 .toStdString()
                           : created.Error().reason,
                       MsgIcon::Error, MsgButtons::Ok);
    return;
  }
  if (!created->Kept()) {
    const QString why = created->error != 0 ? QString::fromLocal8Bit(std::strerror(created->error))
                                            : tr("it was not put in place");
    owner_.ShowMessage(
        tr("Cannot create the track file %1: %2. Check that the data folder can be written and "
           "try again.")
            .arg(QString::fromStdString(created->path), why)
            .toStdString(),
        MsgIcon::Error, MsgButtons::Ok);
    return;
  }
  ShowCreatedTrack(created->path);
}

// The list keeps its filter (the calendar's day, or every track) and shows the new track
// selected; the loaded record stays the one the track was cut from.
void TrackRecordPage::ShowCreatedTrack(const std::string& path) {
  // The list was made again with the notice of the new track (OnTracksChanged).
  const std::string loadedPath = loaded_.track.path;
  selectedRow_ = RowOfTrack(loadedPath);
  if (selectedRow_ != -1) records_.SetTicked(selectedRow_, true);  // the exports take it
  const int row = RowOfTrack(path);
  if (row != -1) {
    recordView_->selectRow(row);
    recordView_->scrollTo(records_.index(row, 0));
  }
  const QString name = QString::fromStdString(std::filesystem::path(path).filename().string());
  Status(row != -1 ? tr("Created %1.").arg(name)
                   : tr("Created %1, on a day the list does not show.").arg(name));
}

int TrackRecordPage::RowOfTrack(const std::string& path) const {
  return listing_.byDay ? -1 : listing_.RowHolding(path);
}

// The selected points are dropped by rewriting the track beside its file and renaming it over
// the file, never by writing into the file; the track is then loaded again, so that the points
// list matches the file for the next deletion.
void TrackRecordPage::OnDeletePoints() {
  if (selectedRow_ == -1) return;
  const std::vector<size_t> rows = SelectedPointRows();
  if (rows.empty()) {
    Status(tr("No point is selected: select the points to delete in the points list first."));
    return;
  }
  TrackStore& store = owner_.Store();
  // Its row shows the track anew with the notice of the change (OnTracksChanged).
  if (!store.Files().CompactTrackFile(loaded_.track, rows)) return;
  loaded_.record = loaded_.track;
  points_.SetSource(&loaded_.points);
  store.Files().LoadTrackPoints(loaded_.track, loaded_.points, &points_);
  pointView_->clearSelection();
  loaded_.windowActive = false;
}

}  // namespace tavrin::gui
