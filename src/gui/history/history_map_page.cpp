// SPDX-License-Identifier: GPL-3.0-or-later
// The History map's page. Each track is its own line in a colour of a fixed palette, held as
// numbers with its levels of detail (map/map_line.h) and handed to the map, at each zoom, only with
// the points that change the picture there; one canvas draws them all.
#include <string_view>

#include "export/export_writer.h"
#include "gui/history/history_map_page.h"
#include "map/map_line_script.h"
#include "map/map_view.h"
#include "map/track_simplify.h"

namespace tavrin::gui {
namespace {

constexpr std::string_view kHead = R"(<!DOCTYPE html>
<html>
  <head>
    <title>History</title>
    <meta charset="utf-8">
    <link rel="stylesheet" href="file://@LEAFLET@/leaflet.css">
    <script src="file://@LEAFLET@/leaflet.js"></script>
    <style>html, body, #map-canvas { margin: 0; width: 100%; height: 100%; }
      .tavrin-finding, .tavrin-finding .leaflet-interactive { cursor: crosshair; }</style>
  </head>
  <body>
    <div id="map-canvas"></div>
    <script>
)";

// The lines, their tooltips and clicks, the box drawn with the mouse and the place searched.
constexpr std::string_view kHistoryScript = R"(
      var map = null, tracks = [], generation = 0, shown = null;
      var boxMode = false, boxStart = null, boxShape = null;
      var palette = ['#e6194b', '#3c9b3c', '#4363d8', '#f58231', '#911eb4', '#008b8b',
                     '#d0309a', '#9a6324', '#800000', '#000075'];
      // The lines look whole up to this zoom; a closer view asks the program for closer lines
      // of the tracks about it, which hold until the view leaves their box or zooms past them.
      var wholeUpTo = tavrinDeepestZoom, closer = null, closerAsked = 0;
      window.tavrinHistoryLines = [];
      window.tavrinHistoryShown = -1;
      window.tavrinHistoryVertices = 0;
      window.tavrinHistoryCloser = 0;
      function TavrinCloserLinesFit(zoom, s, n, w, e) {
        return closer !== null && zoom <= closer.wholeUpTo && s >= closer.s && n <= closer.n &&
            w >= closer.w && e <= closer.e;
      }
      // Each line gets the points of the present zoom that lie about the view (widened by half
      // its size each way); a track away from the view gets none.
      function TavrinDrawLines(mayAsk) {
        var zoom = Math.min(Math.ceil(map.getZoom()), tavrinDeepestZoom);
        var view = map.getBounds().pad(0.5);
        var s = view.getSouth() * 1e7, n = view.getNorth() * 1e7;
        var w = view.getWest() * 1e7, e = view.getEast() * 1e7, drawn = 0;
        var near = TavrinCloserLinesFit(zoom, s, n, w, e) ? closer : null;
        // Asked first, so that the program reads them while the lines there are drawn.
        if (mayAsk && zoom > wholeUpTo && near === null && tracks.length > 0) {
          var about = map.getBounds().pad(1);
          console.log('tavrin-closer ' + generation + ' ' + (++closerAsked) + ' ' + zoom + ' ' +
                      about.getSouth() + ' ' + about.getWest() + ' ' + about.getNorth() + ' ' +
                      about.getEast());
        }
        tracks.forEach(function(t, index) {
          if (t.south > n || t.north < s || t.west > e || t.east < w) {
            if (t.drawn) t.line.setLatLngs([]);
            t.drawn = false;
            return;
          }
          var stretches = [];
          (near === null ? [t] : (near.tracks[index] || [])).forEach(function(part) {
            trackLat = part.lat; trackLon = part.lon; trackLevel = part.level;
            stretches = stretches.concat(TavrinStretches(zoom, s, n, w, e, function(k) {
              return [part.lat[k] / 1e7, part.lon[k] / 1e7];
            }));
            drawn += window.tavrinDrawnVertices;
          });
          t.line.setLatLngs(stretches);
          t.drawn = true;
        });
        window.tavrinHistoryVertices = drawn;
      }
      function TavrinDrawHistory() { TavrinDrawLines(true); }
      // The closer lines asked for last: for each track about the box, its parts there.
      function TavrinShowCloser(lineGeneration, asked, linesWholeUpTo, south, west, north, east,
                                items) {
        if (lineGeneration !== generation || asked !== closerAsked) return;
        var near = {wholeUpTo: linesWholeUpTo, s: south * 1e7, n: north * 1e7, w: west * 1e7,
                    e: east * 1e7, tracks: {}};
        items.forEach(function(item) {
          near.tracks[item.i] = item.d.map(function(d) {
            TavrinDecodeLine(d);
            return {lat: trackLat, lon: trackLon, level: trackLevel};
          });
        });
        closer = near;
        TavrinDrawLines(false);
        window.tavrinHistoryCloser = asked;
      }
      function TavrinAddTrack(item, index, bounds) {
        TavrinDecodeLine(item.d);
        var t = {lat: trackLat, lon: trackLon, level: trackLevel, drawn: false};
        t.south = 900000000; t.north = -900000000; t.west = 1800000000; t.east = -1800000000;
        for (var k = 0; k < t.level.length; ++k) {
          t.south = Math.min(t.south, t.lat[k]); t.north = Math.max(t.north, t.lat[k]);
          t.west = Math.min(t.west, t.lon[k]); t.east = Math.max(t.east, t.lon[k]);
        }
        if (t.level.length > 0) {
          bounds.extend([t.south / 1e7, t.west / 1e7]);
          bounds.extend([t.north / 1e7, t.east / 1e7]);
        }
        t.line = L.polyline([], {color: palette[index % palette.length], weight: 3, opacity: 0.85,
                                 smoothFactor: 0});
        t.line.bindTooltip(item.t, {sticky: true});
        t.line.on('mouseover', function() { t.line.setStyle({weight: 6}); });
        t.line.on('mouseout', function() { t.line.setStyle({weight: 3}); });
        // A box's drag that ends on a line is no click on it.
        t.line.on('click', function(e) {
          if (!boxMode && !e.originalEvent.shiftKey)
            console.log('tavrin-track ' + generation + ' ' + index);
        });
        return t;
      }
      // The tracks of a period in place of those shown, the view fitted to them all. The lines
      // go on the map with their points of the new view: each is laid out once.
      function TavrinShowHistory(lineGeneration, items, linesWholeUpTo) {
        tracks.forEach(function(t) { t.line.remove(); });
        tracks = [];
        generation = lineGeneration;
        wholeUpTo = linesWholeUpTo;
        closer = null;
        var bounds = L.latLngBounds([]);
        var made = items.map(function(item, index) { return TavrinAddTrack(item, index, bounds); });
        if (bounds.isValid()) {
          map.fitBounds(bounds, {padding: [16, 16], maxZoom: 17, animate: false});
        } else {
          map.setView(tavrinViewWithoutTrack.centre, tavrinViewWithoutTrack.zoom);
        }
        tracks = made;
        TavrinDrawHistory();
        tracks.forEach(function(t) { t.line.addTo(map); });
        window.tavrinHistoryLines = tracks.map(function(t) { return t.line; });
        window.tavrinHistoryShown = lineGeneration;
      }
      // A box is drawn by dragging while "Find in box" is on, or while Shift is held.
      function TavrinBoxMode(on) {
        boxMode = on;
        if (on) map.dragging.disable(); else map.dragging.enable();
        document.getElementById('map-canvas').classList.toggle('tavrin-finding', on);
      }
      function TavrinAskBox(south, west, north, east) {
        console.log('tavrin-box ' + south + ' ' + west + ' ' + north + ' ' + east);
      }
      function TavrinAskNear(latitude, longitude) {
        console.log('tavrin-near ' + latitude + ' ' + longitude);
      }
      // The place searched, as the window understood it: 'box' with two corners, or 'near'
      // with a centre and metres.
      function TavrinShowPlace(kind, a, b, c, d) {
        if (shown !== null) shown.remove();
        var style = {color: '#202020', weight: 2, dashArray: '6 4', fill: true, fillOpacity: 0.08,
                     interactive: false};
        // A box over 180 degrees (west east of east) is drawn east from its west side.
        shown = kind === 'box' ? L.rectangle([[a, b], [c, d < b ? d + 360 : d]], style)
                               : L.circle([a, b], Object.assign({radius: c}, style));
        shown.addTo(map);
      }
      function TavrinStartBox(e) {
        if ((!boxMode && !e.originalEvent.shiftKey) || e.originalEvent.button !== 0) return;
        map.dragging.disable();
        boxStart = e.latlng;
        if (boxShape !== null) boxShape.remove();
        boxShape = L.rectangle([boxStart, boxStart], {color: '#202020', weight: 1,
                                                      interactive: false}).addTo(map);
      }
      function TavrinEndBox(e) {
        if (boxStart === null) return;
        var box = L.latLngBounds(boxStart, e.latlng);
        boxStart = null;
        boxShape.remove();
        boxShape = null;
        if (!boxMode) map.dragging.enable();
        var west = L.latLng(0, box.getWest()).wrap().lng, east = L.latLng(0, box.getEast()).wrap().lng;
        if (box.getSouth() !== box.getNorth() || west !== east)
          TavrinAskBox(box.getSouth(), west, box.getNorth(), east);
      }
)";

constexpr std::string_view kStart = R"(
      if (typeof L === 'undefined') {
        document.body.textContent = 'Leaflet is missing: install the Debian package ' +
            'libjs-leaflet to see the map.';
      } else {
        map = L.map('map-canvas', {preferCanvas: true, boxZoom: false, zoomSnap: 0.5,
                                   renderer: L.canvas({tolerance: 6})});
        L.tileLayer('https://{s}.tile.openstreetmap.org/{z}/{x}/{y}.png', {maxZoom: @ZOOM@,
            attribution: '&copy; <a href="https://www.openstreetmap.org/copyright">OpenStreetMap<\/a> contributors'}).addTo(map);
        map.setView(tavrinViewWithoutTrack.centre, tavrinViewWithoutTrack.zoom);
        map.on('moveend', TavrinDrawHistory);
        map.on('mousedown', TavrinStartBox);
        map.on('mousemove', function(e) {
          if (boxStart !== null) boxShape.setBounds(L.latLngBounds(boxStart, e.latlng));
        });
        map.on('mouseup', TavrinEndBox);
        map.on('contextmenu', function(e) {
          var at = e.latlng.wrap();
          TavrinAskNear(at.lat, at.lng);
        });
      }
    </script>
  </body>
</html>
)";

std::string Replaced(std::string_view text, std::string_view name, const std::string& value) {
  std::string result(text);
  for (size_t at = result.find(name); at != std::string::npos; at = result.find(name, at)) {
    result.replace(at, name.size(), value);
    at += value.size();
  }
  return result;
}

}  // namespace

std::string HistoryMapHtml() {
  const MapView view;  // shown without a track
  std::string page = Replaced(kHead, "@LEAFLET@", kLeafletFolder);
  page += "      var tavrinDeepestZoom = " + std::to_string(kDeepestDetailZoom) + ";\n";
  page += "      var tavrinViewWithoutTrack = {centre: [" + std::to_string(view.latitude) + ", " +
          std::to_string(view.longitude) + "], zoom: " + std::to_string(view.zoom) + "};\n";
  page += kMapLineDecoder;
  page += kHistoryScript;
  page += Replaced(kStart, "@ZOOM@", std::to_string(kDeepestDetailZoom));
  return page;
}

}  // namespace tavrin::gui
