// SPDX-License-Identifier: GPL-3.0-or-later
// GPX 1.1: the exchange format nearly every other GPS program reads. One track with one segment,
// every point with its UTC time. GPX has no speed or course in a track point, so they travel in
// Garmin's TrackPointExtension, which the schema lets through and many programs read.

#include "export/export_paths.h"
#include "export/export_writer.h"
#include "export/markup_text.h"

namespace tavrin {
namespace {

constexpr double kKmhPerMetrePerSecond = 3.6;

// GPX's fix values. The logger's kind 0 only marks where it began a track and says nothing of
// the fix, so such a point gets no fix element.
const char* GpxFix(int fixKind) {
  switch (fixKind) {
    case kFixNone:
      return "none";
    case kFix2D:
      return "2d";
    case kFix3D:
      return "3d";
    default:
      return nullptr;
  }
}

}  // namespace

Result<std::string> ExportWriter::MakeGpx(std::span<const TrackPoint> points,
                                          const std::string& trackFile) {
  const ExportablePoints exportable(points);
  if (RefuseWithoutPositions(exportable, trackFile, "GPX")) return Told();
  const std::string path = OutputPath(FolderOf(trackFile), kGpxFolder, StemOf(trackFile) + ".gpx");
  if (!CreateFile(path, "Can't create GPX file.")) return Told();
  PrintUtf8("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
  PrintUtf8(
      "<gpx version=\"1.1\" creator=\"Tavrin Lite V1.1.0\" "
      "xmlns=\"http://www.topografix.com/GPX/1/1\" "
      "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\">\r\n");
  PrintUtf8("  <trk>\r\n");
  PrintUtf8("    <name>%s</name>\r\n", XmlText(StemOf(trackFile)).c_str());
  PrintUtf8("    <trkseg>\r\n");
  for (const TrackPoint& point : exportable.Points()) WriteGpxPoint(point);
  PrintUtf8("    </trkseg>\r\n");
  PrintUtf8("  </trk>\r\n");
  PrintUtf8("</gpx>\r\n");

  auto written = FinishFile(path);
  if (written) ReportLeftOut(exportable, trackFile, *written);
  if (written) OpenDocument(*written);
  return written;
}

// One trkpt on one line.
void ExportWriter::WriteGpxPoint(const TrackPoint& point) {
  ExportFile& f = file_;
  double longitude = point.longitude;
  // 180 east is 180 west, and only the latter is allowed; the same for what rounds to it.
  if (longitude >= 179.9999995) longitude -= 360;
  f.Append("      <trkpt lat=\"");
  f.AppendCoordinates(point.latitude, "\" lon=\"", longitude);
  f.Append("\">");
  // A damaged date-time is left out rather than written as a time the schema refuses.
  const DateTime utc = UtcDateTime(point);
  if (IsCalendarDateTime(utc)) {
    f.Append("<time>");
    f.AppendDateTime(utc, 'T');
    f.Append("Z</time>");
  }
  if (const char* fix = GpxFix(point.FixKind())) {
    f.Append("<fix>");
    f.Append(fix);
    f.Append("</fix>");
  }
  f.Append("<extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>");
  f.AppendFixed(point.speed / kKmhPerMetrePerSecond, 2);
  f.Append("</gpxtpx:speed>");
  if (point.HeadingDegrees() < 360) {  // the extension's course is 0 up to 360 degrees
    f.Append("<gpxtpx:course>");
    f.AppendInt(point.HeadingDegrees());
    f.Append("</gpxtpx:course>");
  }
  f.Append("</gpxtpx:TrackPointExtension></extensions></trkpt>\r\n");
  f.EndPiece();
}

}  // namespace tavrin
