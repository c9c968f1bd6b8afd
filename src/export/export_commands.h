// SPDX-License-Identifier: GPL-3.0-or-later
// The export buttons of the Track Record page without the page: export every ticked record, one
// file each.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "export/export_formats.h"
#include "export/export_writer.h"
#include "store/track_store.h"

namespace tavrin {

// Writes one record's points in the given format (its row's writer); the program folder
// matters only for KML, whose icon styles point into its kml_icons folder.
Result<std::string> WriteExport(ExportWriter& writer, ExportKind kind, const std::string& trackFile,
                                const std::string& programFolder,
                                std::span<const TrackPoint> points);

// One file of the tracks a record stands for: the track, or a day's tracks one after another,
// named after `name` (the track file, or the day). The window's export buttons and `tavrin
// export` both write through it. A track that cannot be read has been told of by the store.
struct ExportedRecord {
  std::string name;
  std::span<const TrackEntry> tracks;
  bool day = false;  // a day goes on past a track that gives no point, as a shown day does
};
Result<std::string> ExportRecord(TrackStore& store, ExportWriter& writer, ExportKind kind,
                                 const ExportedRecord& record, const std::string& programFolder,
                                 PointVector& points);

struct ExportCommand {
  ExportKind kind = ExportKind::Kml;
  bool byDay = false;         // the record list shows days rather than tracks
  std::vector<bool> ticked;   // one flag per row of the caller's listing
  std::string programFolder;  // the folder that holds kml_icons
};

using StatusFn = std::function<void(const std::string&)>;

// Loads the tracks of each ticked row of `listing` (the caller's own) and writes them, one file a
// row, in row order. Returns the files written. A record that cannot be loaded or written is
// reported and skipped.
std::vector<std::string> ExportTicked(TrackStore& store, const TrackListing& listing,
                                      ExportWriter& writer, const ExportCommand& command,
                                      const StatusFn& status, const MessageBoxFn& messageBox);

// The status line once an export has written the files `written` (at least one): the row's status
// text and where they went, the file itself when there is one, else how many in which folder.
std::string ExportDoneText(ExportKind kind, const std::vector<std::string>& written);

}  // namespace tavrin
