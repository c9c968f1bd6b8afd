// SPDX-License-Identifier: GPL-3.0-or-later
// The export formats, one row each: what the command line calls it, where its files go, how the
// Track Record page offers it and which writer makes it. The window's buttons and tavrin
// export's choices are made from these rows, so that a format is added in one place.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "export/export_writer.h"

namespace tavrin {

enum class ExportKind { Kml, Nmea, TrackLog, Gpx };

// Writes one record's points; `programFolder` (the one that holds kml_icons) matters only to the
// formats that point into it. Returns the file written, or what the user has been told.
using ExportWriteFn = Result<std::string> (*)(ExportWriter& writer,
                                              std::span<const TrackPoint> points,
                                              const std::string& trackFile,
                                              const std::string& programFolder);

struct ExportFormat {
  ExportKind kind;
  const char* commandName;  // the FORMAT word of tavrin export
  const char* helpName;     // what tavrin export's help calls the files
  const char* folder;       // beside the track files; what is written there stays
  const char* buttonName;   // the object name of the Track Record page's button
  const char* caption;      // the button's caption, its mnemonic marked with '&'
  bool buttonShown;         // false: the button is made but hidden
  const char* statusText;   // the status line when the record list has rows
  ExportWriteFn write;
};

// Every format, in the order tavrin export's help names them and the page's buttons stand.
std::span<const ExportFormat> ExportFormats();

// The row of `kind`; every kind has one.
const ExportFormat& FormatOf(ExportKind kind);

// The row whose command-line word is `commandName`, or nullptr.
const ExportFormat* FindExportFormat(std::string_view commandName);

}  // namespace tavrin
