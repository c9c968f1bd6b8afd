// SPDX-License-Identifier: GPL-3.0-or-later
// The map page without a map key: the track as a red line with START and END markers, drawn by
// Leaflet (from the distribution's package) on OpenStreetMap tiles, the view fitted to the track.
// The page holds the points once, as numbers with their levels of detail (map/map_line.h), and
// hands the map at each zoom only the points that change its picture, drawn by one canvas.
#include <string_view>

#include "export/export_writer.h"
#include "map/map_line.h"
#include "map/map_line_script.h"
#include "map/map_view.h"
#include "map/track_simplify.h"

namespace tavrin {
namespace {

// "<\/a>", as a script may not hold "</" in HTML.
constexpr char kAttribution[] =
    "&copy; <a href=\"https://www.openstreetmap.org/copyright\">OpenStreetMap<\\/a> contributors";

// The page's functions. TavrinShowTrack(data, pointCount) puts a track on the map, replacing the
// one shown: the page calls it with the track it was written for, and the window with the next
// track it loads, without loading the page again.
constexpr std::string_view kLeafletLineScript =
    R"(      var map = null, line = null, startMarker = null, endMarker = null;
      var trackBounds = null, startPoint = null, endPoint = null;
      function TavrinLatLng(k) {
        return [trackLat[k] / 1e7, trackLon[k] / 1e7];
      }
      // The view widened by half its size each way, so that lines crossing the edge are drawn
      // and a small move needs no new line.
      function TavrinDrawLine() {
        var zoom = Math.min(Math.ceil(map.getZoom()), tavrinDeepestZoom);
        var view = map.getBounds().pad(0.5);
        line.setLatLngs(TavrinStretches(zoom, view.getSouth() * 1e7, view.getNorth() * 1e7,
                                        view.getWest() * 1e7, view.getEast() * 1e7,
                                        TavrinLatLng));
      }
      function TavrinShowTrack(data, pointCount) {
        TavrinDecodeLine(data);
        window.tavrinLinePoints = pointCount;
        if (startMarker !== null) {
          startMarker.remove();
          endMarker.remove();
          startMarker = endMarker = null;
        }
        var count = trackLevel.length;
        if (count === 0) {
          trackBounds = startPoint = endPoint = null;
          line.setLatLngs([]);
          window.tavrinDrawnVertices = 0;
          map.setView(tavrinViewWithoutTrack.centre, tavrinViewWithoutTrack.zoom);
          return;
        }
        var south = 900000000, north = -900000000, west = 1800000000, east = -1800000000;
        for (var k = 0; k < count; ++k) {
          south = Math.min(south, trackLat[k]);
          north = Math.max(north, trackLat[k]);
          west = Math.min(west, trackLon[k]);
          east = Math.max(east, trackLon[k]);
        }
        trackBounds = L.latLngBounds([south / 1e7, west / 1e7], [north / 1e7, east / 1e7]);
        startPoint = TavrinLatLng(0);
        endPoint = TavrinLatLng(count - 1);
        startMarker = L.marker(startPoint, {title: 'START'}).addTo(map);
        endMarker = L.marker(endPoint, {title: 'END'}).addTo(map);
        // The view takes in the whole track, however far it goes, at the closest zoom that
        // does; the markers stand above their points, so the top keeps room for them.
        map.fitBounds(trackBounds, {paddingTopLeft: [24, 48], paddingBottomRight: [24, 16],
                                    maxZoom: 17});
        TavrinDrawLine();
      }
      // Photos as their thumbnails at the places they were taken, each naming its file and time
      // when pointed at: [{lat, lon, name, time, thumb}], thumb a data URL or empty. The view
      // then takes in the track and every photo with its whole thumbnail (44 pixels square about
      // its place), at once: this is the view the photos are first seen in.
      var photoMarkers = [];
      window.tavrinPhotoMarkers = 0;
      function TavrinShowPhotos(photos) {
        photoMarkers.forEach(function(marker) { marker.remove(); });
        photoMarkers = photos.map(function(photo) {
          var picture = document.createElement('div');
          picture.className = 'tavrin-photo';
          if (photo.thumb) {
            var image = document.createElement('img');
            image.src = photo.thumb;
            image.alt = photo.name;
            picture.appendChild(image);
          }
          var icon = L.divIcon({html: picture, className: '', iconSize: [44, 44],
                                iconAnchor: [22, 22]});
          var label = document.createElement('div');
          label.textContent = photo.name + ' ' + photo.time;
          return L.marker([photo.lat, photo.lon], {icon: icon, title: photo.name})
              .bindTooltip(label).addTo(map);
        });
        window.tavrinPhotoMarkers = photoMarkers.length;
        var bounds = L.latLngBounds([]);
        if (trackBounds !== null) bounds.extend(trackBounds);
        photos.forEach(function(photo) { bounds.extend([photo.lat, photo.lon]); });
        if (!bounds.isValid()) return;
        map.fitBounds(bounds, {paddingTopLeft: [26, 48], paddingBottomRight: [26, 26],
                               maxZoom: 17, animate: false});
      }
)";

}  // namespace

// The page's lines end in CR LF, as every map page's do.
void ExportWriter::AppendScriptLines(std::string_view script) {
  while (!script.empty()) {
    const std::string_view::size_type end = script.find('\n');
    file_.Append(script.substr(0, end));
    file_.Append("\r\n");
    script = end == std::string_view::npos ? std::string_view{} : script.substr(end + 1);
  }
}

Result<std::string> ExportWriter::MakeOpenMapPage(const std::string& dataFolder,
                                                  std::span<const TrackPoint> allPoints,
                                                  const std::string* line, const char* fileName) {
  const ExportablePoints exportable(allPoints);
  const std::span<const TrackPoint> points = exportable.Points();
  const std::string path = OutputPath(dataFolder, kKmlFolder, fileName);
  if (!CreateFile(path, "Can't create MAP file")) return Told();
  PrintUtf8("<!DOCTYPE html>\r\n<html>\r\n  <head>\r\n");
  PrintUtf8("    <title>GPS Track OpenStreetMap</title>\r\n");
  PrintUtf8("    <meta charset=\"utf-8\">\r\n");
  PrintUtf8("    <meta name=\"viewport\" content=\"initial-scale=1.0, user-scalable=no\">\r\n");
  PrintUtf8("    <link rel=\"stylesheet\" href=\"file://%s/leaflet.css\">\r\n", kLeafletFolder);
  PrintUtf8("    <script src=\"file://%s/leaflet.js\"></script>\r\n", kLeafletFolder);
  PrintUtf8(
      "    <style>html, body, #map-canvas { margin: 0; width: 100%%; height: 100%%; }\r\n"
      "      .tavrin-photo { width: 40px; height: 40px; border: 2px solid #fff; background: "
      "#0050c8; box-shadow: 0 0 3px #000; }\r\n"
      "      .tavrin-photo img { width: 40px; height: 40px; object-fit: cover; display: block; }"
      "</style>\r\n");
  PrintUtf8("  </head>\r\n  <body>\r\n    <div id=\"map-canvas\"></div>\r\n    <script>\r\n");
  const MapView view;  // shown without a track
  PrintUtf8("      var tavrinDeepestZoom = %d;\r\n", kDeepestDetailZoom);
  PrintUtf8("      var tavrinViewWithoutTrack = {centre: [%f, %f], zoom: %d};\r\n", view.latitude,
            view.longitude, view.zoom);
  AppendScriptLines(kMapLineDecoder);
  AppendScriptLines(kLeafletLineScript);
  PrintUtf8("      if (typeof L === 'undefined') {\r\n");
  PrintUtf8(
      "        document.body.textContent = 'Leaflet is missing: install the Debian package "
      "libjs-leaflet to see the map.';\r\n");
  PrintUtf8("      } else {\r\n");
  // One canvas draws the line, not an SVG path of every segment.
  PrintUtf8("        map = L.map('map-canvas', {preferCanvas: true});\r\n");
  PrintUtf8(
      "        L.tileLayer('https://{s}.tile.openstreetmap.org/{z}/{x}/{y}.png', "
      "{maxZoom: %d, attribution: '%s'}).addTo(map);\r\n",
      kDeepestDetailZoom, kAttribution);
  PrintUtf8("        L.Icon.Default.imagePath = 'file://%s/images/';\r\n", kLeafletFolder);
  // The levels already leave out what moves the picture by less than half a pixel: Leaflet
  // draws every point it is handed.
  PrintUtf8(
      "        line = L.polyline([], {color: '#FF0000', weight: 2, opacity: 1.0, "
      "smoothFactor: 0}).addTo(map);\r\n");
  PrintUtf8("        map.on('moveend', TavrinDrawLine);\r\n");
  if (!points.empty()) {
    PrintUtf8("        // START at %f, %f; END at %f, %f.\r\n", points.front().latitude,
              points.front().longitude, points.back().latitude, points.back().longitude);
  }
  file_.Append("        TavrinShowTrack('");
  file_.Append(line != nullptr ? *line : EncodeMapLine(points));
  PrintUtf8("', %zu);\r\n", points.size());
  PrintUtf8("      }\r\n    </script>\r\n  </body>\r\n</html>\r\n");
  auto written = FinishFile(path);
  if (written) ReportLeftOut(exportable, "", *written);
  return written;
}

}  // namespace tavrin
