// SPDX-License-Identifier: GPL-3.0-or-later
// The script that both map pages share for a line held as numbers (map_line.h): it decodes the
// line and picks, for a zoom and a part of the globe, the points that the map draws there.
#pragma once

#include <string_view>

namespace tavrin {

// Defines trackLat, trackLon (whole ten-millionths of a degree), trackLevel (the coarsest zoom
// that draws each point) and trackBegins (1 where a point begins a line of its own);
// TavrinDecodeLine(data) fills them from the page's text, and TavrinStretches(zoom, south, north,
// west, east, makePoint) returns the runs of points of `zoom`'s level whose segments meet the box
// (in 1e-7 degrees), each point made by makePoint(index). window.tavrinLinePoints is the number of
// the track's points, window.tavrinDrawnVertices the number of points the line holds at the moment.
inline constexpr std::string_view kMapLineDecoder = R"(      window.tavrinLinePoints = 0;
      window.tavrinDrawnVertices = 0;
      // Positions in whole ten-millionths of a degree, as the program sends them.
      var trackLat = new Int32Array(0), trackLon = new Int32Array(0);
      var trackLevel = new Uint8Array(0), trackBegins = new Uint8Array(0);
      // Each point: its level (the coarsest zoom that draws it, plus 64 where it begins a line
      // of its own), then its steps in latitude and longitude from the point before, in 1e-7
      // degrees, zigzag-coded 7 bits a byte.
      function TavrinDecodeLine(data) {
        var bytes = atob(data), at = 0, count = 0, lat = 0, lon = 0, ends = 0;
        // Each point has three bytes below 128: its level and the last byte of each step.
        for (var b = 0; b < bytes.length; ++b) {
          if (bytes.charCodeAt(b) < 128) ++ends;
        }
        trackLat = new Int32Array(ends / 3);
        trackLon = new Int32Array(ends / 3);
        trackLevel = new Uint8Array(ends / 3);
        trackBegins = new Uint8Array(ends / 3);
        function Step() {
          var value = 0, scale = 1, b;
          do {
            b = bytes.charCodeAt(at++);
            value += (b & 127) * scale;
            scale *= 128;
          } while (b >= 128);
          return value % 2 ? -(value + 1) / 2 : value / 2;
        }
        while (at < bytes.length) {
          var level = bytes.charCodeAt(at++);
          trackLevel[count] = level & 63;
          trackBegins[count] = level >> 6;
          lat += Step();
          lon += Step();
          trackLat[count] = lat;
          trackLon[count] = lon;
          ++count;
        }
      }
      // A segment is kept when its own box meets the given one; a lone point is kept as it is.
      function TavrinStretches(zoom, south, north, west, east, makePoint) {
        var stretches = [], stretch = null, drawn = 0, last = -1;
        for (var k = 0; k < trackLevel.length; ++k) {
          if (trackLevel[k] > zoom) continue;
          if (trackBegins[k]) {
            stretch = null;
            last = -1;
          }
          if (last >= 0) {
            var near = Math.max(trackLat[last], trackLat[k]) >= south &&
                Math.min(trackLat[last], trackLat[k]) <= north &&
                Math.max(trackLon[last], trackLon[k]) >= west &&
                Math.min(trackLon[last], trackLon[k]) <= east;
            if (!near) {
              stretch = null;
            } else {
              if (stretch === null) {
                stretch = [makePoint(last)];
                stretches.push(stretch);
                ++drawn;
              }
              stretch.push(makePoint(k));
              ++drawn;
            }
          }
          last = k;
        }
        if (trackLevel.length === 1) {
          stretches = [[makePoint(0)]];
          drawn = 1;
        }
        window.tavrinDrawnVertices = drawn;
        return stretches;
      }
)";

}  // namespace tavrin
