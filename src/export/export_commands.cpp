// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_commands.h"

#include <algorithm>

#include "export/export_paths.h"

namespace tavrin {

Result<std::string> WriteExport(ExportWriter& writer, ExportKind kind, const std::string& trackFile,
                                const std::string& programFolder,
                                std::span<const TrackPoint> points) {
  return FormatOf(kind).write(writer, points, trackFile, programFolder);
}

Result<std::string> ExportRecord(TrackStore& store, ExportWriter& writer, ExportKind kind,
                                 const ExportedRecord& record, const std::string& programFolder,
                                 PointVector& points) {
  // A failed load has told the user; the points then still hold the previous record, which must
  // not be written under this record's name.
  const bool loaded = record.day ? store.Files().LoadDayPoints(record.tracks, points)
                      : record.tracks.size() == 1
                          ? store.Files().LoadTrackPoints(record.tracks.front(), points)
                          : false;
  if (!loaded) return Failure{record.name + " cannot be read."};
  return WriteExport(writer, kind, record.name, programFolder, points);
}

std::vector<std::string> ExportTicked(TrackStore& store, const TrackListing& listing,
                                      ExportWriter& writer, const ExportCommand& command,
                                      const StatusFn& status, const MessageBoxFn& messageBox) {
  std::vector<std::string> written;
  // Nothing ticked is nothing to export, and must not be reported as an export done.
  if (std::find(command.ticked.begin(), command.ticked.end(), true) == command.ticked.end()) {
    if (messageBox) messageBox("Nothing selected Track Record.", MsgIcon::Error, MsgButtons::Ok);
    return written;
  }
  if (status) status(FormatOf(command.kind).statusText);
  PointVector points;  // one record's at a time
  for (size_t row = 0; row < command.ticked.size(); ++row) {
    if (!command.ticked[row]) continue;
    if (row >= listing.RowCount() || listing.byDay != command.byDay) {
      // The rows do not match the listing: stop rather than export the wrong record.
      if (messageBox) {
        messageBox("The record list is out of date. List the tracks again and export once more.",
                   MsgIcon::Error, MsgButtons::Ok);
      }
      break;
    }
    // A day's file is named after the day, as if it were a track file in the data folder.
    const std::string name =
        command.byDay ? store.DataFolder() + "/" + listing.RowName(row) : listing.tracks[row].path;
    const ExportedRecord record{name, listing.TracksOfRow(row), command.byDay};
    auto path = ExportRecord(store, writer, command.kind, record, command.programFolder, points);
    if (path) written.push_back(std::move(*path));
  }
  writer.CloseFile();
  return written;
}

std::string ExportDoneText(ExportKind kind, const std::vector<std::string>& written) {
  const std::string done = FormatOf(kind).statusText;
  if (written.size() == 1) return done + " " + written.front();
  // The records of one listing are all in the data folder, so their exports share a folder.
  return done + " " + std::to_string(written.size()) + " files in " + FolderOf(written.front());
}

}  // namespace tavrin
