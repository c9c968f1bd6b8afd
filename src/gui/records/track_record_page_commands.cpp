// SPDX-License-Identifier: GPL-3.0-or-later
// Deleting records and exporting the ticked ones.
#include <QCoreApplication>
#include <algorithm>

#include "gui/records/track_record_page.h"

namespace tavrin::gui {
namespace {

constexpr char kNothingSelected[] =
    QT_TRANSLATE_NOOP("TrackRecordPage", "Nothing selected Track Record.");
constexpr char kCannotDelete[] =
    QT_TRANSLATE_NOOP("TrackRecordPage", "Error.. Cannot Deleted file.");

}  // namespace

// The track files that deleting the ticked rows removes: a day's row stands for its tracks.
size_t TrackRecordPage::TickedTrackCount() const {
  size_t tracks = 0;
  for (int row = 0; row < records_.RowCount(); ++row) {
    if (records_.IsTicked(row)) tracks += listing_.TracksOfRow(static_cast<size_t>(row)).size();
  }
  return tracks;
}

void TrackRecordPage::OnDeleteTicked() {
  const size_t tracks = TickedTrackCount();
  if (tracks == 0) {
    owner_.ShowMessage(tr(kNothingSelected).toStdString(), MsgIcon::Error, MsgButtons::Ok);
    return;
  }
  const QString count =
      tracks == 1 ? tr("1 track file is deleted.") : tr("%1 track files are deleted.").arg(tracks);
  const QString question = tr("Do you delete selected track record?") + "\r\n" + count;
  if (owner_.ShowMessage(question.toStdString(), MsgIcon::Question, MsgButtons::YesNo) !=
      MsgAnswer::Yes) {
    return;
  }
  ClearLoadedRecord();
  fileName_->clear();
  TrackStore& store = owner_.Store();
  // From the last row up, so that removing a row moves none still to be done.
  for (int row = records_.RowCount() - 1; row >= 0; --row) {
    if (!records_.IsTicked(row)) continue;
    const auto tracks = listing_.TracksOfRow(static_cast<size_t>(row));
    // A day's tracks are read once first, so that a missing one is told of as when it is shown.
    if (ByDays()) {
      PointVector unused;
      store.Files().LoadDayPoints(tracks, unused);
    }
    // The row leaves the list with the notice of its deleted files (OnTracksChanged).
    if (tracks.empty() || !store.Files().DeleteTrackFiles(tracks)) {
      owner_.ShowMessage(tr(kCannotDelete).toStdString(), MsgIcon::Error, MsgButtons::Ok);
    }
  }
  Status(tr("Deleted file."));
}

void TrackRecordPage::OnDeleteAll() {
  TrackStore& store = owner_.Store();
  if (listing_.tracks.empty()) return;
  if (owner_.ShowMessage(tr("Do you deleted all Track?").toStdString(), MsgIcon::Question,
                         MsgButtons::YesNo) != MsgAnswer::Yes) {
    return;
  }
  // The list is made again once all are gone, not row by row as each file's notice comes.
  const std::vector<TrackEntry> tracks = std::move(listing_.tracks);
  listing_ = TrackListing{};
  records_.RemoveAllRows();
  for (const TrackEntry& entry : tracks) {
    if (!store.Files().DeleteTrackFile(entry)) {
      owner_.ShowMessage(tr(kCannotDelete).toStdString(), MsgIcon::Error, MsgButtons::Ok);
    }
  }
  listing_ = store.Catalogue().ListTracks(&records_, ByDays());
  ClearLoadedRecord();
  fileName_->clear();
  Status(tr("Deleted all files."));
}

void TrackRecordPage::OnExport(ExportKind kind) {
  ExportCommand command;
  command.kind = kind;
  command.byDay = ByDays();
  command.programFolder = owner_.ProgramFolder();
  for (int row = 0; row < records_.RowCount(); ++row)
    command.ticked.push_back(records_.IsTicked(row));
  const MessageBoxFn boxes = [this](const std::string& text, MsgIcon icon, MsgButtons buttons) {
    return owner_.ShowMessage(text, icon, buttons);
  };
  ExportOptions options;
  options.zone = owner_.Store().Zone();
  options.mapKey = owner_.AppSettings().googleMapLicense;
  ExportWriter writer(
      boxes, [this](const std::string& path) { owner_.OpenDocument(path); }, options);
  const std::vector<std::string> written = ExportTicked(
      owner_.Store(), listing_, writer, command, [this](const std::string& text) { Status(text); },
      boxes);
  // The user is told where to find what was written, to hand it on.
  if (!written.empty()) Status(ExportDoneText(kind, written));
}

}  // namespace tavrin::gui
