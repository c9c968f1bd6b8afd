// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_formats.h"

#include <cstdlib>

namespace tavrin {
namespace {

using Points = std::span<const TrackPoint>;

// The track log's button is made but never shown on the page; tavrin export writes the format.
constexpr ExportFormat kFormats[] = {
    {.kind = ExportKind::Kml,
     .commandName = "kml",
     .helpName = "KML",
     .folder = kKmlFolder,
     .buttonName = "exportKml",
     .caption = "Export to Google Earth (&KML)",
     .buttonShown = true,
     .statusText = "Track Record send to Google Earth.",
     .write =
         [](ExportWriter& writer, Points points, const std::string& trackFile,
            const std::string& programFolder) {
           return writer.MakeKml(points, trackFile, programFolder);
         }},
    {.kind = ExportKind::Nmea,
     .commandName = "nmea",
     .helpName = "NMEA $GPRMC text",
     .folder = kTxtFolder,
     .buttonName = "exportNmea",
     .caption = "Export to &NMEA Data (GPRMC)",
     .buttonShown = true,
     .statusText = "Track Record make Text File.",
     .write = [](ExportWriter& writer, Points points, const std::string& trackFile,
                 const std::string&) { return writer.MakeTxt(points, trackFile); }},
    {.kind = ExportKind::TrackLog,
     .commandName = "log",
     .helpName = "track logs",
     .folder = kLogFolder,
     .buttonName = "exportDorvale",
     .caption = "Export to Dor&vale",
     .buttonShown = false,
     .statusText = "Track Record send to Dorvale.",
     .write = [](ExportWriter& writer, Points points, const std::string& trackFile,
                 const std::string&) { return writer.MakeLog(points, trackFile); }},
    {.kind = ExportKind::Gpx,
     .commandName = "gpx",
     .helpName = "GPX 1.1",
     .folder = kGpxFolder,
     .buttonName = "exportGpx",
     .caption = "Export to GP&X",
     .buttonShown = true,
     .statusText = "Track Record make GPX File.",
     .write = [](ExportWriter& writer, Points points, const std::string& trackFile,
                 const std::string&) { return writer.MakeGpx(points, trackFile); }},
};

}  // namespace

std::span<const ExportFormat> ExportFormats() {
  return kFormats;
}

const ExportFormat& FormatOf(ExportKind kind) {
  for (const ExportFormat& format : kFormats) {
    if (format.kind == kind) return format;
  }
  // Only a kind added without its row gets here, and no test passes with one.
  std::abort();
}

const ExportFormat* FindExportFormat(std::string_view commandName) {
  for (const ExportFormat& format : kFormats) {
    if (commandName == format.commandName) return &format;
  }
  return nullptr;
}

}  // namespace tavrin
