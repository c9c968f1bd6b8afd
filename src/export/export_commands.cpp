// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_commands.h"

#include <algorithm>

#include <dirent.h>
#include <unistd.h>

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

void CleanExportFolders(const std::string& dataFolder) {
  for (const ExportFormat& format : ExportFormats()) {
    const std::string folder = dataFolder + "/" + format.folder;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) continue;
    // Names first, deletions after: a folder should not change while it is being read.
    std::vector<std::string> names;
    while (const dirent* item = ::readdir(dir)) names.emplace_back(item->d_name);
    ::closedir(dir);
    // unlink refuses folders, and so "." and ".." and sub-folders stay.
    for (const std::string& file : names) ::unlink((folder + "/" + file).c_str());
  }
}

}  // namespace tavrin
