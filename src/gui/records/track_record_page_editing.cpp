// The time window, a new track from selected points, and deleting selected points.
#include <QItemSelectionModel>
#include <algorithm>

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
  const DateTime first = FromDateTime6(loaded_.header.firstDateTime);
  const DateTime last = FromDateTime6(loaded_.header.lastDateTime);
  const DateTime from = At(windowStart_->date(), startHour_->currentIndex(),
                           startMinute_->currentIndex(), first.second);
  const DateTime to =
      At(windowEnd_->date(), endHour_->currentIndex(), endMinute_->currentIndex(), last.second);
  const bool accepted = from <= to && first <= from && from <= last && first <= to && to <= last;
  if (!accepted) {
    // A window outside the record puts the whole record back, without a word.
    SetWindowControls(loaded_);
    records_.SetTicked(selectedRow_, true);
    return;
  }
  TrackStore& store = owner_.Store();
  points_.SetSource(&store.ExportPointList());
  store.SelectTimeWindow(from, to);
  points_.AppendPointRows(store.ExportPointList(), 1, store.Zone());
  Status("Load data by set time.");
  windowActive_ = true;
  WriteMapPages(store.ExportPointList());
}

// The new track is written in UTC like every track file, as the point list holds it (so that a
// point of the hour that repeats when summer time ends keeps its own instant), and under a free
// name: it never replaces the track it was cut from, or any other.
void TrackRecordPage::OnCreateTrack() {
  if (selectedRow_ == -1) return;
  const std::vector<size_t> rows = SelectedPointRows();
  TrackStore& store = owner_.Store();
  const PointVector& points = store.PointList();
  if (rows.empty() || rows.back() >= points.size()) return;
  std::vector<TrackPoint> selected;
  for (const size_t row : rows) selected.push_back(points[row]);
  TrackEntry entry = loaded_;
  entry.header.firstDateTime = ToDateTime6(selected.front().GetDateTime());
  entry.header.distance = 0;
  entry.header.selectionMarker = kSelectionMarker;
  store.BeginDownload();
  if (auto opened = store.OpenNewTrackFile(entry); !opened) {
    owner_.ShowMessage(opened.Error().reason.empty()
                           ? "Cannot create the track file: " + opened.Error().SystemText() + "."
                           : opened.Error().reason,
                       MsgIcon::Error, MsgButtons::Ok);
    return;
  }
  store.AppendPoint(selected.front());
  for (size_t i = 1; i < selected.size(); ++i)
    entry.header.distance += store.AppendPoint(selected[i]);
  store.CloseTrackFile(entry, static_cast<uint32_t>(selected.size()), TrackEnd::Complete);
  store.ListTracks(&records_, false);
}

// The selected points are dropped by rewriting the track beside its file and renaming it over
// the file, never by writing into the file; the track is then loaded again, so that the points
// list matches the file for the next deletion.
void TrackRecordPage::OnDeletePoints() {
  if (selectedRow_ == -1) return;
  const std::vector<size_t> rows = SelectedPointRows();
  if (rows.empty()) {
    Status("No point is selected: select the points to delete in the points list first.");
    return;
  }
  TrackStore& store = owner_.Store();
  if (!store.CompactTrackFile(loaded_, rows)) return;
  records_.ReplaceRow(selectedRow_, loaded_);
  points_.SetSource(&store.PointList());
  store.LoadTrackPoints(loaded_, &points_);
  pointView_->clearSelection();
  windowActive_ = false;
}

}  // namespace tavrin::gui
