// SPDX-License-Identifier: GPL-3.0-or-later
// The export writer: turns the track store's export point list into the files other programs
// read. One writer serves a whole export command and writes one file per track: KML for Google
// Earth, NMEA $GPRMC text, the track log, GPX 1.1, and the HTML map page of the Track Record page.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/message_box.h"
#include "export/export_file.h"
#include "export/exportable_points.h"
#include "map/map_view.h"
#include "store/local_zone.h"
#include "store/track_point.h"

namespace tavrin {

// Opens a written file with the application the desktop registers for its type. The GUI hands
// in the desktop's opener, the command line one only when asked; tests hand in a recorder.
using DocumentOpener = std::function<void(const std::string& path)>;

struct ExportOptions {
  // The zone the track store shows times in, for the KML placemark names, which are for people.
  // The points hold UTC, which the formats with UTC times (KML time stamps, $GPRMC, GPX) write
  // as it is.
  LocalZone zone;
  // Where the files go; empty for the KML, TXT, DORVALE or GPX folder beside the track file.
  std::string outputFolder;
  // The user's key for the web map service (GoogleMapLicense); empty for none.
  std::string mapKey;
};

// The folders beside the track files that the exports write into.
inline constexpr const char* kKmlFolder = "KML";
inline constexpr const char* kTxtFolder = "TXT";
inline constexpr const char* kLogFolder = "DORVALE";
inline constexpr const char* kGpxFolder = "GPX";
inline constexpr const char* kMapPageName = "Tvr_GoogleMap.html";
// The size the map page is drawn at: that of the Track Record page's view.
inline constexpr int kMapPageWidth = 726;
inline constexpr int kMapPageHeight = 412;
// The map page for users without a map key, beside the other: Leaflet and OpenStreetMap tiles.
inline constexpr const char* kOpenMapPageName = "Tvr_OpenStreetMap.html";
// The same map with the photos the Photos dialog matched.
inline constexpr const char* kPhotoMapPageName = "Tvr_Photos.html";
// Where Debian's libjs-leaflet keeps Leaflet; the page loads it from there, so that the line and
// markers draw without a network.
inline constexpr const char* kLeafletFolder = "/usr/share/javascript/leaflet";

class ExportWriter {
 public:
  explicit ExportWriter(MessageBoxFn messageBox, DocumentOpener opener = nullptr,
                        ExportOptions options = {});
  virtual ~ExportWriter() = default;
  ExportWriter(const ExportWriter&) = delete;
  ExportWriter& operator=(const ExportWriter&) = delete;

  // Each Make... writes one file and returns its path, or a failure whose reason is what the
  // user has been told. A file that could not be written whole never replaces an earlier file
  // of the same name. Points without a valid position (see IsExportable) are left out, and the
  // user is told how many; a track that has nothing else gives no file.

  // KML document of the track, then opened. Refuses an empty point list.
  Result<std::string> MakeKml(std::span<const TrackPoint> points, const std::string& trackFile,
                              const std::string& programFolder);
  // One $GPRMC sentence per point, then opened.
  Result<std::string> MakeTxt(std::span<const TrackPoint> points, const std::string& trackFile);
  // The same sentences as MakeTxt in the track log folder; not opened.
  Result<std::string> MakeLog(std::span<const TrackPoint> points, const std::string& trackFile);
  // GPX 1.1 track with UTC times, then opened.
  Result<std::string> MakeGpx(std::span<const TrackPoint> points, const std::string& trackFile);
  // The map page KML/Tvr_GoogleMap.html under the data folder; not opened.
  // The same track drawn with Leaflet on OpenStreetMap tiles, KML/Tvr_OpenStreetMap.html under
  // the data folder, for users without a map key (the web map service draws nothing without
  // one). It fills the view, fitted to the track. The page holds the points as numbers with
  // their levels of detail and draws at each zoom only the points that zoom needs; it sets
  // window.tavrinLinePoints to the number of the track's points and window.tavrinDrawnVertices
  // to the number of points its line holds for the view shown.
  // `line`, when given, is EncodeMapLine of the points' exportable ones (ExportablePoints), for a
  // caller that keeps it to hand the page later tracks without loading it again.
  // `fileName` names another page of the same kind in that folder (the Photos dialog's).
  // TavrinShowPhotos(photos) on the page puts photos on it as their thumbnails.
  Result<std::string> MakeOpenMapPage(const std::string& dataFolder,
                                      std::span<const TrackPoint> points,
                                      const std::string* line = nullptr,
                                      const char* fileName = kOpenMapPageName);
  // A long track's page holds its points as numbers with their levels of detail, as the page
  // without a key does, and draws at each zoom only the points that zoom needs; `line` as for
  // MakeOpenMapPage.
  Result<std::string> MakeMapPage(const std::string& dataFolder, int width, int height,
                                  std::span<const TrackPoint> points,
                                  const std::string* line = nullptr);

  // Appends printf-formatted text to the open file. Pieces of any length are written whole.
  void PrintUtf8(const char* format, ...) __attribute__((format(printf, 2, 3)));

  bool IsOpen() const { return file_.IsOpen(); }
  // Drops a file a writer left unfinished. Writers close their own; this is for the end of a
  // command.
  void CloseFile();

 private:
  // ---- shared by the writers (export_writer.cpp)
  // `fileName` in the folder `folderName` under `parent`, or in the output folder when one is
  // set; the folder is created when missing.
  std::string OutputPath(const std::string& parent, const char* folderName,
                         const std::string& fileName) const;
  // Creates the file; on failure tells the user, with `failureText` first.
  bool CreateFile(const std::string& path, const char* failureText);
  // Closes the file, which then takes the path; on a failed write tells the user and returns
  // nothing, and the path keeps what it held.
  Result<std::string> FinishFile(const std::string& path);
  // Tells the user when a track has points but none with a valid position, and so gets no file
  // of the `kind` named.
  bool RefuseWithoutPositions(const ExportablePoints& points, const std::string& trackFile,
                              const char* kind) const;
  // Tells the user how many points of `source` (a track file, or empty for several) were left
  // out of the file at `path`.
  void ReportLeftOut(const ExportablePoints& points, const std::string& source,
                     const std::string& path) const;
  void OpenDocument(const std::string& path) const;
  void ShowMessage(const std::string& text, MsgIcon icon) const;
  // The failure of a writer that has just told the user why.
  Failure Told() const { return Failure{lastShown_}; }
  // The points hold UTC date-times, as the track files do.
  static DateTime UtcDateTime(const TrackPoint& point) { return point.GetDateTime(); }

  // ---- KML (kml_export.cpp)
  void WriteKmlHeader(const std::string& trackFile, const std::string& programFolder);
  void WriteEndpointStyle(const char* id, const char* icon);
  void WriteFixStyle(const char* id, unsigned colour, const std::string& icon);
  void WritePositionPlacemark(const TrackPoint& point);
  void WriteEndpointPlacemark(const TrackPoint& point, bool start);
  void WritePlacemarkTail(const TrackPoint& point);
  void WriteTrackLine(std::span<const TrackPoint> points);

  // ---- NMEA text and track log (nmea_export.cpp)
  Result<std::string> WriteSentenceFile(std::span<const TrackPoint> points,
                                        const std::string& trackFile, const std::string& path,
                                        const char* kind, const char* failureText);
  void WriteRmcSentence(const TrackPoint& point);

  // ---- GPX (gpx_export.cpp)
  void WriteGpxPoint(const TrackPoint& point);

  // ---- map page (map_page.cpp)
  void WriteMapPageHead(bool listed);
  void WriteMapUnreachable();
  MapView WriteMapTrackPoints(std::span<const TrackPoint> points);
  MapView WriteMapTrackEnds(std::span<const TrackPoint> points, const std::string* line);
  void WriteMapTrackLine();
  void WriteMapTrackMarkers();
  void WriteMapPageEnd(int width, int height);
  // ---- map page without a key (open_map_page.cpp)
  void AppendScriptLines(std::string_view script);

  MessageBoxFn messageBox_;
  mutable std::string lastShown_;  // the last text told to the user, for a failure to carry
  DocumentOpener opener_;
  ExportOptions options_;
  LocalTimes localTimes_;  // the placemark names' clock
  ExportFile file_;
};

}  // namespace tavrin
