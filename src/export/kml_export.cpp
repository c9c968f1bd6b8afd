// SPDX-License-Identifier: GPL-3.0-or-later
// KML for Google Earth: six icon styles by fix and motion, a placemark for every point between a
// Start and a Stop placemark, and the whole track as one line.
#include "export/export_paths.h"
#include "export/export_writer.h"
#include "export/markup_text.h"

namespace tavrin {
namespace {

constexpr char kPaddleIconHost[] = "http://maps.google.com";

// The fix styles and the colour each tints its label and icon with (0xBBGGRR under an opaque
// alpha), in the order the document defines them.
struct FixStyle {
  const char* id;
  unsigned colour;
  const char* icon;
};
constexpr FixStyle kFixStyles[] = {
    {"Style_NoFix_dot", 0xFF, "dot_red.png"},   {"Style_NoFix_arrow", 0xFF, "arrow_red.png"},
    {"Style_2D_dot", 0xFFFF, "dot_yellow.png"}, {"Style_2D_arrow", 0xFFFF, "arrow_yellow.png"},
    {"Style_3D_dot", 0xFF00, "dot_green.png"},  {"Style_3D_arrow", 0xFF00, "arrow_green.png"},
};

// A point at walking pace or slower gets a dot; a moving one an arrow turned to its heading.
// Without a 2D or 3D fix the position is not trusted, so it gets the red dot whatever its speed.
const char* StyleFor(const TrackPoint& point) {
  const bool moving = point.speed >= 3;
  switch (point.FixKind()) {
    case kFix2D:
      return moving ? "Style_2D_arrow" : "Style_2D_dot";
    case kFix3D:
      return moving ? "Style_3D_arrow" : "Style_3D_dot";
    default:
      return "Style_NoFix_dot";
  }
}

}  // namespace

Result<std::string> ExportWriter::MakeKml(std::span<const TrackPoint> allPoints,
                                          const std::string& trackFile,
                                          const std::string& programFolder) {
  if (allPoints.empty()) {
    // The Start and Stop placemarks need a first and a last point.
    ShowMessage("Track " + NameOf(trackFile) +
                    " has no points, so no KML file was made. Choose a track with points.",
                MsgIcon::Warning);
    return Told();
  }
  const ExportablePoints exportable(allPoints);
  if (RefuseWithoutPositions(exportable, trackFile, "KML")) return Told();
  const std::span<const TrackPoint> points = exportable.Points();
  const std::string path = OutputPath(FolderOf(trackFile), kKmlFolder, StemOf(trackFile) + ".kml");
  if (!CreateFile(path, "Can't create KML file.")) return Told();

  WriteKmlHeader(trackFile, programFolder);
  PrintUtf8("    <Folder id=\"Positions\"><open>1</open>\r\n");
  WriteEndpointPlacemark(points.front(), true);
  for (const TrackPoint& point : points) WritePositionPlacemark(point);
  WriteEndpointPlacemark(points.back(), false);
  PrintUtf8("    </Folder>\r\n");
  WriteTrackLine(points);
  PrintUtf8("  </Document>\r\n");
  PrintUtf8("</kml>\r\n");

  auto written = FinishFile(path);
  if (written) ReportLeftOut(exportable, trackFile, *written);
  if (written) OpenDocument(*written);
  return written;
}

void ExportWriter::WriteKmlHeader(const std::string& trackFile, const std::string& programFolder) {
  PrintUtf8("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
  PrintUtf8("<kml xmlns=\"http://www.opengis.net/kml/2.2\">\r\n");
  PrintUtf8("  <Document>\r\n");
  PrintUtf8("    <name>Track %s</name>\r\n", XmlText(NameOf(trackFile)).c_str());
  PrintUtf8("    <description>Created by Tavrin Lite V1.1.0.  </description>\r\n");
  WriteEndpointStyle("Style_StartPoint", "/mapfiles/kml/paddle/S.png");
  WriteEndpointStyle("Style_StopPoint", "/mapfiles/kml/paddle/E.png");
  const std::string iconFolder = XmlText(programFolder) + "/kml_icons/";
  for (const FixStyle& style : kFixStyles) {
    WriteFixStyle(style.id, style.colour, iconFolder + style.icon);
  }
}

void ExportWriter::WriteEndpointStyle(const char* id, const char* icon) {
  PrintUtf8("\r\n");
  PrintUtf8("    <Style id=\"%s\">\r\n", id);
  PrintUtf8("      <LabelStyle>\r\n");
  PrintUtf8("        <scale>0</scale>\r\n");
  PrintUtf8("      </LabelStyle>\r\n");
  PrintUtf8("      <IconStyle>\r\n");
  PrintUtf8("        <Icon><href>%s%s</href></Icon>\r\n", kPaddleIconHost, icon);
  PrintUtf8("      </IconStyle>\r\n");
  PrintUtf8("    </Style>\r\n");
}

void ExportWriter::WriteFixStyle(const char* id, unsigned colour, const std::string& icon) {
  PrintUtf8("\r\n");
  PrintUtf8("    <Style id=\"%s\">\r\n", id);
  PrintUtf8("      <LabelStyle>\r\n");
  PrintUtf8("        <color>ff%06x</color>\r\n", colour);
  PrintUtf8("        <scale>0.6</scale>\r\n");
  PrintUtf8("      </LabelStyle>\r\n");
  PrintUtf8("      <IconStyle>\r\n");
  PrintUtf8("        <Icon><href>%s</href></Icon>\r\n", icon.c_str());
  PrintUtf8("        <scale>0.3</scale>\r\n");
  PrintUtf8("        <color>ff%06x</color>\r\n", colour);
  PrintUtf8("      </IconStyle>\r\n");
  PrintUtf8("    </Style>\r\n");
}

// The per-point pieces below run a million times for a long track, so they append their text
// directly; each Append... matches the printf conversion of the line it writes.

void ExportWriter::WritePositionPlacemark(const TrackPoint& point) {
  ExportFile& f = file_;
  f.Append("\r\n      <Placemark>\r\n        <name>");
  f.AppendDateTime(localTimes_.Of(point), ' ');  // local time: the name is for people
  f.Append("</name>\r\n        <description>Latitude:");
  f.AppendCoordinates(point.latitude, ", Longitude:", point.longitude);
  f.Append(", Heading:");
  f.AppendInt(point.HeadingDegrees());
  f.Append(", Speed:");
  f.AppendInt(point.speed);
  f.Append("km/h</description>\r\n        <LookAt>\r\n          <latitude>");
  f.AppendCoordinates(point.latitude, "</latitude>\r\n          <longitude>", point.longitude);
  f.Append("</longitude>\r\n          <range>500</range>\r\n        </LookAt>\r\n");
  f.Append("        <styleUrl>#");
  f.Append(StyleFor(point));
  f.Append("</styleUrl>\r\n");
  WritePlacemarkTail(point);
}

void ExportWriter::WriteEndpointPlacemark(const TrackPoint& point, bool start) {
  file_.Append(start ? "\r\n      <Placemark>\r\n        <name>Start</name>\r\n"
                       "        <styleUrl>#Style_StartPoint</styleUrl>\r\n"
                     : "\r\n      <Placemark>\r\n        <name>Stop</name>\r\n"
                       "        <styleUrl>#Style_StopPoint</styleUrl>\r\n");
  WritePlacemarkTail(point);
}

// From the heading style down to the end of the placemark: the same for every placemark.
void ExportWriter::WritePlacemarkTail(const TrackPoint& point) {
  ExportFile& f = file_;
  f.Append("        <Style><IconStyle><heading>");
  f.AppendInt(point.HeadingDegrees());
  f.Append("</heading></IconStyle></Style>\r\n        <Point>\r\n");
  f.Append("          <extrude>1</extrude>\r\n");
  f.Append("          <altitudeMode>relativeToGround</altitudeMode>\r\n");
  f.Append("          <coordinates>");
  f.AppendCoordinates(point.longitude, ",", point.latitude);
  f.Append(",0</coordinates>\r\n        </Point>\r\n        <TimeInstant>\r\n");
  f.Append("          <timePosition>");
  f.AppendDateTime(UtcDateTime(point), 'T');  // the Z says UTC, so it must be UTC
  f.Append("Z</timePosition>\r\n        </TimeInstant>\r\n      </Placemark>\r\n");
  f.EndPiece();
}

void ExportWriter::WriteTrackLine(std::span<const TrackPoint> points) {
  PrintUtf8("\r\n    <Placemark>\r\n");
  PrintUtf8("      <name>GPS-Track</name>\r\n");
  PrintUtf8("      <Style><LineStyle>\r\n");
  PrintUtf8("        <colorMode>random</colorMode>\r\n");
  PrintUtf8("        <width>3</width>\r\n");
  PrintUtf8("      </LineStyle></Style>\r\n");
  PrintUtf8("      <LineString>\r\n");
  PrintUtf8("        <extrude>1</extrude>\r\n");
  PrintUtf8("        <tessellate>1</tessellate>\r\n");
  PrintUtf8("        <altitudeMode>relativeToGround</altitudeMode>\r\n");
  PrintUtf8("        <coordinates>\r\n");
  // All tuples on one line, each after ten spaces.
  for (const TrackPoint& point : points) {
    file_.Append("          ");
    file_.AppendCoordinates(point.longitude, ",", point.latitude);
    file_.EndPiece();
  }
  PrintUtf8("\r\n        </coordinates>\r\n");
  PrintUtf8("      </LineString>\r\n");
  PrintUtf8("    </Placemark>\r\n");
}

}  // namespace tavrin
