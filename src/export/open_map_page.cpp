// SPDX-License-Identifier: GPL-3.0-or-later
// The map page without a map key: the track as a red line with START and END markers, drawn by
// Leaflet (from the distribution's package) on OpenStreetMap tiles, the view fitted to the track.
#include "export/export_writer.h"
#include "export/map_view.h"

namespace tavrin {
namespace {

// "<\/a>", as a script may not hold "</" in HTML.
constexpr char kAttribution[] =
    "&copy; <a href=\"https://www.openstreetmap.org/copyright\">OpenStreetMap<\\/a> contributors";

}  // namespace

Result<std::string> ExportWriter::MakeOpenMapPage(const std::string& dataFolder,
                                                  std::span<const TrackPoint> allPoints) {
  const ExportablePoints exportable(allPoints);
  const std::span<const TrackPoint> points = exportable.Points();
  const std::string path = OutputPath(dataFolder, kKmlFolder, kOpenMapPageName);
  if (!CreateFile(path, "Can't create MAP file")) return Told();
  PrintUtf8("<!DOCTYPE html>\r\n<html>\r\n  <head>\r\n");
  PrintUtf8("    <title>GPS Track OpenStreetMap</title>\r\n");
  PrintUtf8("    <meta charset=\"utf-8\">\r\n");
  PrintUtf8("    <meta name=\"viewport\" content=\"initial-scale=1.0, user-scalable=no\">\r\n");
  PrintUtf8("    <link rel=\"stylesheet\" href=\"file://%s/leaflet.css\">\r\n", kLeafletFolder);
  PrintUtf8("    <script src=\"file://%s/leaflet.js\"></script>\r\n", kLeafletFolder);
  PrintUtf8(
      "    <style>html, body, #map-canvas { margin: 0; width: 100%%; height: 100%%; }"
      "</style>\r\n");
  PrintUtf8("  </head>\r\n  <body>\r\n    <div id=\"map-canvas\"></div>\r\n    <script>\r\n");
  PrintUtf8("      var track = [\r\n");
  for (const TrackPoint& point : points) {
    file_.Append("        [");
    file_.AppendCoordinates(point.latitude, ", ", point.longitude);
    file_.Append("],\r\n");
    file_.EndPiece();
  }
  const MapView view;  // shown without a track
  PrintUtf8("      ];\r\n");
  PrintUtf8("      window.tavrinLinePoints = 0;\r\n");
  PrintUtf8("      if (typeof L === 'undefined') {\r\n");
  PrintUtf8(
      "        document.body.textContent = 'Leaflet is missing: install the Debian package "
      "libjs-leaflet to see the map.';\r\n");
  PrintUtf8("      } else {\r\n");
  PrintUtf8("        var map = L.map('map-canvas');\r\n");
  PrintUtf8(
      "        L.tileLayer('https://{s}.tile.openstreetmap.org/{z}/{x}/{y}.png', "
      "{maxZoom: 19, attribution: '%s'}).addTo(map);\r\n",
      kAttribution);
  PrintUtf8("        L.Icon.Default.imagePath = 'file://%s/images/';\r\n", kLeafletFolder);
  PrintUtf8("        if (track.length > 0) {\r\n");
  PrintUtf8(
      "          var line = L.polyline(track, {color: '#FF0000', weight: 2, opacity: 1.0})"
      ".addTo(map);\r\n");
  PrintUtf8("          L.marker(track[0], {title: 'START'}).addTo(map);\r\n");
  PrintUtf8("          L.marker(track[track.length - 1], {title: 'END'}).addTo(map);\r\n");
  PrintUtf8("          window.tavrinLinePoints = line.getLatLngs().length;\r\n");
  // The view takes in the whole track, however far it goes, at the closest zoom that does; the
  // markers stand above their points, so the top keeps room for them.
  PrintUtf8(
      "          map.fitBounds(line.getBounds(), {paddingTopLeft: [24, 48], "
      "paddingBottomRight: [24, 16], maxZoom: 17});\r\n");
  PrintUtf8("        } else {\r\n");
  PrintUtf8("          map.setView([%f, %f], %d);\r\n", view.latitude, view.longitude, view.zoom);
  PrintUtf8("        }\r\n      }\r\n    </script>\r\n  </body>\r\n</html>\r\n");
  auto written = FinishFile(path);
  if (written) ReportLeftOut(exportable, "", *written);
  return written;
}

}  // namespace tavrin
