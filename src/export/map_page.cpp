// SPDX-License-Identifier: GPL-3.0-or-later
// The HTML map page of the Track Record page: the track as a red line on the web map with START
// and END markers, framed to fit.
#include <string_view>

#include "export/export_writer.h"
#include "export/markup_text.h"
#include "map/map_line.h"
#include "map/map_line_script.h"
#include "map/map_view.h"
#include "map/track_simplify.h"

namespace tavrin {
namespace {

// Up to this many points the page lists them as the map service's own points, which it draws
// well; a longer track would make a page of tens of megabytes that takes the web engine
// seconds to read, so the page holds the points as numbers with their levels of detail and
// hands the map at each zoom only the points near the view that change its picture.
constexpr size_t kMostListedPoints = 10000;

// Draws the line at the map's zoom after each move, in runs of the service's lines.
constexpr std::string_view kServiceLineScript = R"(      var map = null, trackLines = [];
      function TavrinServiceLatLng(k) {
        return new google.maps.LatLng(trackLat[k] / 1e7, trackLon[k] / 1e7);
      }
      // The view widened by half its size each way, so that lines crossing the edge are drawn
      // and a small move needs no new line.
      function TavrinDrawLine() {
        var view = map.getBounds();
        if (!view) return;
        var zoom = Math.min(Math.ceil(map.getZoom()), tavrinDeepestZoom);
        var sw = view.getSouthWest(), ne = view.getNorthEast();
        var west = sw.lng(), east = ne.lng();
        if (east < west) {  // across the date line
          west = -180;
          east = 180;
        }
        var padLat = (ne.lat() - sw.lat()) / 2, padLon = (east - west) / 2;
        var stretches = TavrinStretches(zoom, (sw.lat() - padLat) * 1e7, (ne.lat() + padLat) * 1e7,
                                        (west - padLon) * 1e7, (east + padLon) * 1e7,
                                        TavrinServiceLatLng);
        for (var i = 0; i < trackLines.length; ++i) trackLines[i].setMap(null);
        trackLines = stretches.map(function(path) {
          return new google.maps.Polyline({path: path, geodesic: true, strokeColor: '#FF0000',
                                           strokeOpacity: 1.0, strokeWeight: 2, map: map});
        });
      }
)";

}  // namespace

Result<std::string> ExportWriter::MakeMapPage(const std::string& dataFolder, int width, int height,
                                              std::span<const TrackPoint> allPoints,
                                              const std::string* line) {
  // Without a valid position the page shows the map without a track, as for no points at all.
  const ExportablePoints exportable(allPoints);
  const std::span<const TrackPoint> points = exportable.Points();
  // The page is always KML/Tvr_GoogleMap.html under the data folder, whatever track it shows.
  const std::string path = OutputPath(dataFolder, kKmlFolder, kMapPageName);
  if (!CreateFile(path, "Can't create MAP file")) return Told();
  const bool listed = points.size() <= kMostListedPoints;
  WriteMapPageHead(listed);
  const MapView view = listed ? WriteMapTrackPoints(points) : WriteMapTrackEnds(points, line);
  PrintUtf8("        var mapOptions = { zoom: %d, center: new google.maps.LatLng(%f, %f) };\r\n",
            view.zoom, view.latitude, view.longitude);
  PrintUtf8(
      "        %smap = new google.maps.Map(document.getElementById('map-canvas'), "
      "mapOptions);\r\n",
      listed ? "var " : "");
  if (!points.empty()) {
    if (listed) {
      WriteMapTrackLine();
    } else {
      PrintUtf8("        map.addListener('idle', TavrinDrawLine);\r\n");
    }
    WriteMapTrackMarkers();
  }
  WriteMapPageEnd(width, height);
  auto written = FinishFile(path);
  if (written) ReportLeftOut(exportable, "", *written);
  return written;
}

void ExportWriter::WriteMapPageHead(bool listed) {
  std::string script = "https://maps.googleapis.com/maps/api/js?v=3.exp";
  if (!options_.mapKey.empty()) script += "&key=" + UrlQueryValue(options_.mapKey);
  PrintUtf8("<!DOCTYPE html>\r\n");
  PrintUtf8("<html>\r\n");
  PrintUtf8("  <Head>\r\n");
  PrintUtf8("    <title>GPS Track Google Maps API</title>\r\n");
  PrintUtf8("    <meta name=\"viewport\" content=\"initial-scale=1.0, user-scalable=no\">\r\n");
  PrintUtf8("    <meta charset=\"utf-8\">\r\n");
  PrintUtf8("    <script src=\"%s\"></script>\r\n", XmlText(script).c_str());
  PrintUtf8("    <script>\r\n");
  WriteMapUnreachable();
  if (!listed) {
    PrintUtf8("      var tavrinDeepestZoom = %d;\r\n", kDeepestDetailZoom);
    AppendScriptLines(kMapLineDecoder);
    AppendScriptLines(kServiceLineScript);
  }
  PrintUtf8("      function AowFunc(){\r\n");
  // Without the network the service's script never came: the page says so in the map's place
  // instead of staying white.
  PrintUtf8("        if (typeof google === 'undefined') { TavrinMapUnreachable(); return; }\r\n");
}

// What the map area shows when the map service could not be reached, with a way to the page
// that needs neither the service nor a key (written beside this one).
void ExportWriter::WriteMapUnreachable() {
  PrintUtf8("      window.tavrinMapUnreachable = false;\r\n");
  PrintUtf8("      function TavrinMapUnreachable(){\r\n");
  PrintUtf8("        window.tavrinMapUnreachable = true;\r\n");
  PrintUtf8(
      "        document.getElementById('map-canvas').innerHTML = '<p style=\"font: 10pt "
      "sans-serif; margin: 12px\">The map service could not be reached. Check the network "
      "connection and press Google Maps again, or <a id=\"open-map\" href=\"%s\">show the "
      "track on the map that needs no key<\\/a>.<\\/p>';\r\n",
      kOpenMapPageName);
  PrintUtf8("      }\r\n");
}

// The start, the array of every point and the end; returns the view that frames them.
MapView ExportWriter::WriteMapTrackPoints(std::span<const TrackPoint> points) {
  MapExtent extent;
  if (points.empty()) return extent.View();
  PrintUtf8("        var latlngS = new google.maps.LatLng(%f, %f);\r\n", points.front().latitude,
            points.front().longitude);
  PrintUtf8("        var trackCoordinates = [\r\n");
  for (const TrackPoint& point : points) {
    file_.Append("            new google.maps.LatLng(");
    file_.AppendCoordinates(point.latitude, ", ", point.longitude);
    file_.Append("),\r\n");
    file_.EndPiece();
    extent.Add(point.latitude, point.longitude);
  }
  // The last point closes the array once more: the line ends in a zero-length segment.
  const double lastLat = points.back().latitude, lastLon = points.back().longitude;
  PrintUtf8("            new google.maps.LatLng(%f, %f)];\r\n", lastLat, lastLon);
  PrintUtf8("        var latlngE = new google.maps.LatLng(%f, %f);\r\n", lastLat, lastLon);
  return extent.View();
}

// The start and the end, and the points as numbers; returns the view that frames them.
MapView ExportWriter::WriteMapTrackEnds(std::span<const TrackPoint> points,
                                        const std::string* line) {
  MapExtent extent;
  for (const TrackPoint& point : points) extent.Add(point.latitude, point.longitude);
  PrintUtf8("        var latlngS = new google.maps.LatLng(%f, %f);\r\n", points.front().latitude,
            points.front().longitude);
  PrintUtf8("        var latlngE = new google.maps.LatLng(%f, %f);\r\n", points.back().latitude,
            points.back().longitude);
  file_.Append("        TavrinDecodeLine('");
  file_.Append(line != nullptr ? *line : EncodeMapLine(points));
  file_.Append("');\r\n");
  PrintUtf8("        window.tavrinLinePoints = %zu;\r\n", points.size());
  return extent.View();
}

void ExportWriter::WriteMapTrackLine() {
  PrintUtf8("        var trackPath = new google.maps.Polyline({\r\n");
  PrintUtf8("          path: trackCoordinates, geodesic: true, strokeColor: '#FF0000', \r\n");
  PrintUtf8("          strokeOpacity: 1.0, strokeWeight: 2});\r\n");
  PrintUtf8("        trackPath.setMap(map);\r\n");
}

void ExportWriter::WriteMapTrackMarkers() {
  PrintUtf8(
      "        var markerS = new google.maps.Marker({position: latlngS, map: map, title: "
      "'START'});\r\n");
  PrintUtf8(
      "        var markerE = new google.maps.Marker({position: latlngE, map: map, title: "
      "'END'});\r\n");
}

void ExportWriter::WriteMapPageEnd(int width, int height) {
  PrintUtf8("      }\r\n");
  PrintUtf8("    </script>\r\n");
  PrintUtf8("  </Head>\r\n");
  PrintUtf8("  <body onload=\"AowFunc()\" scroll=\"no\" topmargin=0 leftmargin=0>\r\n");
  PrintUtf8("    <div id=\"map-canvas\" style=\"width: %dpx; height: %dpx\"></div>\r\n", width,
            height);
  PrintUtf8("  </body>\r\n");
  PrintUtf8("</html>\r\n");
}

}  // namespace tavrin
