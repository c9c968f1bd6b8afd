// SPDX-License-Identifier: GPL-3.0-or-later
// Deleting records and exporting the ticked ones.
#include <algorithm>

#include "gui/records/track_record_page.h"

namespace tavrin::gui {
namespace {

constexpr char kNothingSelected[] = "Nothing selected Track Record.";
constexpr char kCannotDelete[] = "Error.. Cannot Deleted file.";

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
    owner_.ShowMessage(kNothingSelected, MsgIcon::Error, MsgButtons::Ok);
    return;
  }
  const std::string count = tracks == 1 ? "1 track file is deleted."
                                        : std::to_string(tracks) + " track files are deleted.";
  if (owner_.ShowMessage("Do you delete selected track record?\r\n" + count, MsgIcon::Question,
                         MsgButtons::YesNo) != MsgAnswer::Yes) {
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
      owner_.ShowMessage(kCannotDelete, MsgIcon::Error, MsgButtons::Ok);
    }
  }
  Status("Deleted file.");
}

void TrackRecordPage::OnDeleteAll() {
  TrackStore& store = owner_.Store();
  if (listing_.tracks.empty()) return;
  if (owner_.ShowMessage("Do you deleted all Track?", MsgIcon::Question, MsgButtons::YesNo) !=
      MsgAnswer::Yes) {
    return;
  }
  // The list is made again once all are gone, not row by row as each file's notice comes.
  const std::vector<TrackEntry> tracks = std::move(listing_.tracks);
  listing_ = TrackListing{};
  records_.RemoveAllRows();
  for (const TrackEntry& entry : tracks) {
    if (!store.Files().DeleteTrackFile(entry)) {
      owner_.ShowMessage(kCannotDelete, MsgIcon::Error, MsgButtons::Ok);
    }
  }
  listing_ = store.Catalogue().ListTracks(&records_, ByDays());
  ClearLoadedRecord();
  fileName_->clear();
  Status("Deleted all files.");
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
