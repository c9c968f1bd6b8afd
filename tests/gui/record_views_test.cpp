// SPDX-License-Identifier: GPL-3.0-or-later
// What the Track Record page shows of a record as records change: the speed graph on the ranges
// of the record loaded, the map framed on the whole track and telling when its service is out of
// reach, and the list after a new track was cut from the points.
#include <QCalendarWidget>
#include <QCheckBox>
#include <QImage>
#include <QItemSelectionModel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QWebEngineView>
#include <cmath>
#include <fstream>
#include <set>

#include "gui/records/track_record_page.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

// A point `seconds` after 2024-05-01 00:00:00 UTC.
TrackPoint PointAfter(long seconds, float lat, float lon) {
  const long day = seconds / 86400, rest = seconds % 86400;
  return MakePoint(DateTime{24, 5, 1 + static_cast<int>(day), static_cast<int>(rest / 3600),
                            static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60)},
                   kFix3D, lat, lon, 40, 90);
}

class RecordViews : public WindowTest {
 protected:
  RecordViews() { gui.Find<QTabWidget>("tabs")->setCurrentIndex(1); }

  // Writes a track of `count` points, `step` seconds apart from `start` seconds after 1 May,
  // with the given speeds and positions.
  void AddTrack(long start, long step, size_t count, const std::function<int(size_t)>& speed,
                const std::function<std::pair<float, float>(size_t)>& place = nullptr) {
    std::vector<TrackPoint> points;
    for (size_t i = 0; i < count; ++i) {
      const auto [lat, lon] = place ? place(i) : std::pair{37.5f, 127.0f};
      TrackPoint p = PointAfter(start + static_cast<long>(i) * step, lat, lon);
      p.speed = static_cast<uint8_t>(speed(i));
      points.push_back(p);
    }
    // The header's figures as the logger's download sums them.
    uint32_t distance = 0;
    for (size_t i = 1; i < count; ++i) distance += DistanceMeters(points[i - 1], points[i]);
    TrackHeader header =
        Header(points[0], static_cast<uint32_t>(count),
               static_cast<uint32_t>(step * static_cast<long>(count - 1)), distance);
    header.lastDateTime = ToDateTime6(points.back().GetDateTime());
    TrackStore names;
    ASSERT_TRUE(names.PrepareDataFolder(dir.Path() / "DataLog"));
    WriteTrackFile(names.TrackFileName(header), header, points);
  }
  gui::TrackRecordPage& Page() { return *gui.window->RecordTab(); }
  void ShowAll(bool byTracks) {
    gui.Find<QRadioButton>(byTracks ? "byTracks" : "byDays")->click();
    auto* all = gui.Find<QCheckBox>("selectAllTracks");
    if (!all->isChecked()) all->click();
  }
  void SelectPoints(int first, int last) {
    gui.Find<QTableView>("pointList")
        ->selectionModel()
        ->select(
            QItemSelection(Page().PointList().index(first, 0), Page().PointList().index(last, 7)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
};

// The readout's mean as the list writes an average speed.
std::string MeanAsListed(const gui::LinePlot& graph) {
  const QString readout = graph.Readout();
  const double mean = readout.section(' ', 1, 1).toDouble();
  return QString::asprintf("%.1fKm/h", mean).toStdString();
}

TEST_F(RecordViews, TheGraphDrawsSpeedsOverTheTimeOfDayWithTheListsMeanOnEachRecordsRanges) {
  AddTrack(0, 1, 100000, [](size_t i) { return static_cast<int>(i % 200); });  // 1 and 2 May
  // 4 May 08:00 to 08:49, a point a minute, 10 to 59 km/h by the logger, moving steadily north
  // at about 12.4 km/h by the positions.
  AddTrack(
      3 * 86400 + 8 * 3600, 60, 50, [](size_t i) { return static_cast<int>(10 + i); },
      [](size_t i) {
        return std::pair{37.5f + 0.00186f * static_cast<float>(i), 127.0f};
      });
  ShowAll(true);
  Page().LoadRecord(0);
  ASSERT_TRUE(gui.Press("speedGraphButton"));
  const gui::LinePlot& graph = Page().SpeedGraph();
  EXPECT_EQ(graph.XMax() - graph.XMin(), 99999.0f) << "a point a second";
  EXPECT_EQ(graph.YMax(), 199.0f);
  // The graph stays shown while the 50-point track is loaded, on that track's ranges.
  Page().LoadRecord(1);
  const auto& records = Page().RecordList();
  const std::string listed =
      records.data(records.index(1, 5), Qt::DisplayRole).toString().toStdString();
  ASSERT_NE(listed, "0.0Km/h");
  EXPECT_EQ(MeanAsListed(graph), listed) << graph.Readout().toStdString();
  EXPECT_TRUE(graph.Readout().endsWith("Min: 10.000    Max: 59.000"));
  EXPECT_EQ(graph.XMax() - graph.XMin(), 49.0f * 60);
  EXPECT_EQ(graph.XLabels().front(), "08:00");
  EXPECT_EQ(graph.XLabels().back(), "08:50");
  EXPECT_EQ(graph.YMin(), 10.0f);
  EXPECT_TRUE(graph.isVisibleTo(gui.window.get()));

  // By day, a time window of the same record is drawn within the record's ranges; its mean is
  // that of its own points, here the same steady pace.
  ShowAll(false);
  Page().LoadRecord(1);
  ASSERT_TRUE(gui.Press("speedGraphButton"));
  const float xMin = graph.XMin(), xMax = graph.XMax();
  gui.Find<QComboBox>("windowStartMinute")->setCurrentIndex(30);
  ASSERT_TRUE(gui.Press("conformTrackSelected"));
  ASSERT_EQ(Page().PointList().rowCount(), 20);
  ASSERT_TRUE(gui.Press("speedGraphButton"));
  EXPECT_TRUE(graph.Readout().endsWith("Min: 40.000    Max: 59.000"));
  EXPECT_EQ(MeanAsListed(graph), listed);
  EXPECT_EQ(graph.XMin(), xMin) << "the ranges only widen while one record is shown";
  EXPECT_EQ(graph.XMax(), xMax);
  EXPECT_EQ(graph.YMin(), 10.0f);
}

TEST_F(RecordViews, ANewTrackIsShownSelectedInTheDayListed) {
  AddTrack(8 * 3600, 1, 10, [](size_t i) { return static_cast<int>(10 * (i + 1)); });
  AddTrack(12 * 3600, 1, 5, [](size_t) { return 30; });
  AddTrack(86400 + 9 * 3600, 1, 7, [](size_t) { return 40; });
  gui.Find<QRadioButton>("byTracks")->click();
  auto* calendar = gui.Find<QCalendarWidget>("dayCalendar");
  calendar->setSelectedDate(QDate(2024, 5, 1));
  ASSERT_EQ(Page().RecordList().RowCount(), 2);
  Page().LoadRecord(0);
  SelectPoints(0, 3);
  ASSERT_TRUE(gui.Press("createSelectedTrack"));
  EXPECT_EQ(gui.window->StatusText(), "Created 20240501_080000_02.bt0.");
  EXPECT_EQ(calendar->selectedDate(), QDate(2024, 5, 1));
  ASSERT_EQ(Page().RecordList().RowCount(), 3) << "1 May's tracks, the new one among them";
  const auto selected = gui.Find<QTableView>("recordList")->selectionModel()->selectedRows();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(Page()
                .RecordList()
                .data(Page().RecordList().index(selected[0].row(), 1), Qt::DisplayRole)
                .toString(),
            "2024-05-01 08:00:00");
  EXPECT_EQ(Page().Listing().tracks.at(static_cast<size_t>(selected[0].row())).path,
            (dir.Path() / "DataLog/20240501_080000_02.bt0").string());
  EXPECT_EQ(Page()
                .RecordList()
                .data(Page().RecordList().index(selected[0].row(), 6), Qt::DisplayRole)
                .toString(),
            "4");
}

// What a script of the shown page returns, asked in the web engine.
QVariant Evaluate(QWebEngineView& view, const QString& script) {
  return GuiDriver::RunPageScript(view, script);
}

// Presses "Google Maps" and waits for the page to load.
QWebEngineView* ShowMap(GuiDriver& gui) {
  gui.Press("googleMaps");
  QWebEngineView* view = gui.window->RecordTab()->MapView();
  if (view == nullptr) return nullptr;
  bool loaded = false;
  const QMetaObject::Connection waiting =
      QObject::connect(view, &QWebEngineView::loadFinished, [&](bool) { loaded = true; });
  const bool done = GuiDriver::WaitFor([&] { return loaded; }, 30000);
  QObject::disconnect(waiting);
  return done ? view : nullptr;
}

TEST_F(RecordViews, TheMapWithoutAKeyTakesInTheWholeOfALongTrack) {
  // From Busan to past Pyongyang and on to the north-east: nine degrees each way.
  AddTrack(
      8 * 3600, 10, 200, [](size_t) { return 60; },
      [](size_t i) {
        return std::pair{35.0f + 0.045f * static_cast<float>(i),
                         129.0f - 0.03f * static_cast<float>(i) + (i > 150 ? 0.2f * (i - 150) : 0)};
      });
  ShowAll(true);
  Page().LoadRecord(0);
  QWebEngineView* view = ShowMap(gui);
  ASSERT_NE(view, nullptr) << "the web engine loads the page";
  ASSERT_EQ(view->url().fileName(), "Tvr_OpenStreetMap.html");
  const QVariantList seen =
      Evaluate(*view,
               "(function() { var b = map.getBounds(); return [b.contains(startPoint), "
               "b.contains(endPoint), b.contains(trackBounds), map.getZoom()]; })()")
          .toList();
  ASSERT_EQ(seen.size(), 4);
  EXPECT_TRUE(seen[0].toBool()) << "START in view";
  EXPECT_TRUE(seen[1].toBool()) << "END in view";
  EXPECT_TRUE(seen[2].toBool()) << "the whole line in view, at zoom " << seen[3].toInt();
}

// A long track that bends at many scales: a wide curve with a wiggle along it, a point every
// metre or so, each two metres to one side or the other of the curve, so that every point is a
// corner that the deepest zoom must draw while the fitted view needs only the curve.
std::pair<float, float> ZigZagAlongACurve(size_t i, size_t count) {
  const double t = static_cast<double>(i) / static_cast<double>(count);
  const double side = i % 2 == 0 ? 2e-5 : -2e-5;
  return {static_cast<float>(37.0 + 1.5 * t + 0.3 * std::sin(40 * t) + side),
          static_cast<float>(120.0 + 12.0 * t)};
}

// The points of the line the map holds now, as whole ten-millionths of a degree, as the page
// decodes them, of those that lie within the view shown.
std::set<std::pair<long long, long long>> DrawnInView(QWebEngineView& view) {
  const QVariantList drawn =
      Evaluate(view,
               "(function() { var b = map.getBounds(), seen = []; "
               "line.getLatLngs().forEach(function(stretch) { stretch.forEach(function(p) { "
               "if (b.contains(p)) seen.push(Math.round(p.lat * 1e7), Math.round(p.lng * 1e7)); "
               "}); }); return seen; })()")
          .toList();
  std::set<std::pair<long long, long long>> points;
  for (qsizetype k = 0; k + 1 < drawn.size(); k += 2) {
    points.insert({drawn[k].toLongLong(), drawn[k + 1].toLongLong()});
  }
  return points;
}

// How many of the curve's points within `bounds` (south, north, west, east) are not among
// `drawn`; `inView` is set to how many lie within.
size_t MissingInView(const std::set<std::pair<long long, long long>>& drawn,
                     const QVariantList& bounds, size_t count, size_t* inView) {
  // A hair inside the view's edges, so that rounding cannot put a point on either side.
  const double margin = 1e-6;
  size_t missing = 0;
  *inView = 0;
  for (size_t i = 0; i < count; ++i) {
    const auto [pLat, pLon] = ZigZagAlongACurve(i, count);
    if (pLat < bounds[0].toDouble() + margin || pLat > bounds[1].toDouble() - margin ||
        pLon < bounds[2].toDouble() + margin || pLon > bounds[3].toDouble() - margin) {
      continue;
    }
    ++*inView;
    if (!drawn.contains({std::llround(static_cast<double>(pLat) * 1e7),
                         std::llround(static_cast<double>(pLon) * 1e7)})) {
      ++missing;
    }
  }
  return missing;
}

TEST_F(RecordViews, TheMapOfAMillionPointsDrawsWhatItsZoomShowsAndEveryPointUpClose) {
  constexpr size_t kCount = 1000000;
  AddTrack(
      0, 1, kCount, [](size_t) { return 40; },
      [](size_t i) { return ZigZagAlongACurve(i, kCount); });
  ShowAll(true);
  Page().LoadRecord(0);
  Page().FinishMapPages();
  const auto pageSize =
      std::filesystem::file_size(dir.Path() / "DataLog/KML/Tvr_OpenStreetMap.html");
  EXPECT_LT(pageSize, 10u * 1000 * 1000) << "the page holds the points as numbers";
  QWebEngineView* view = ShowMap(gui);
  ASSERT_NE(view, nullptr) << "the web engine loads the page";
  EXPECT_EQ(Evaluate(*view, "window.tavrinLinePoints").toInt(), 1000000);
  const int fitted = Evaluate(*view, "window.tavrinDrawnVertices").toInt();
  EXPECT_GT(fitted, 50) << "the curve is drawn";
  EXPECT_LT(fitted, 20000) << "what the fitted view can show, not every point, at zoom "
                           << Evaluate(*view, "map.getZoom()").toInt();

  // At the deepest zoom, on a stretch in the middle, every point of the track there is drawn.
  const auto [lat, lon] = ZigZagAlongACurve(kCount / 2, kCount);
  Evaluate(*view, QString("map.setView([%1, %2], 19, {animate: false}); true")
                      .arg(static_cast<double>(lat), 0, 'f', 7)
                      .arg(static_cast<double>(lon), 0, 'f', 7));
  ASSERT_EQ(Evaluate(*view, "map.getZoom()").toInt(), 19);
  const QVariantList bounds =
      Evaluate(*view,
               "(function() { var b = map.getBounds(); return [b.getSouth(), b.getNorth(), "
               "b.getWest(), b.getEast()]; })()")
          .toList();
  ASSERT_EQ(bounds.size(), 4);
  size_t inView = 0;
  const size_t missing = MissingInView(DrawnInView(*view), bounds, kCount, &inView);
  EXPECT_GT(inView, 100u) << "the stretch shown holds points";
  EXPECT_EQ(missing, 0u) << "of " << inView << " points in view";
  EXPECT_LT(Evaluate(*view, "window.tavrinDrawnVertices").toInt(), 100000)
      << "only the stretch near the view is drawn";
}

// The canvas that draws the line, as an image, once the page has drawn its next frames.
QImage LineCanvas(QWebEngineView& view) {
  Evaluate(view,
           "window.tavrinFramesDrawn = false; requestAnimationFrame(function() { "
           "requestAnimationFrame(function() { window.tavrinFramesDrawn = true; }); }); true");
  GuiDriver::WaitFor([&] { return Evaluate(view, "window.tavrinFramesDrawn").toBool(); }, 10000);
  const QString url =
      Evaluate(view, "document.querySelector('.leaflet-overlay-pane canvas').toDataURL()")
          .toString();
  const QString prefix = "data:image/png;base64,";
  if (!url.startsWith(prefix)) return {};
  return QImage::fromData(QByteArray::fromBase64(url.mid(prefix.size()).toLatin1()), "PNG");
}

bool IsLinePixel(const QImage& image, int x, int y) {
  const QColor c = image.pixelColor(x, y);
  return c.alpha() >= 128 && c.red() >= 128 && c.green() < 128;
}

// The pixels of `line` that no pixel of `other` lies next to (or on).
int PixelsAwayFrom(const QImage& line, const QImage& other, int* linePixels) {
  int away = 0;
  *linePixels = 0;
  for (int y = 0; y < line.height(); ++y) {
    for (int x = 0; x < line.width(); ++x) {
      if (!IsLinePixel(line, x, y)) continue;
      ++*linePixels;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy) {
        for (int dx = -1; dx <= 1 && !near; ++dx) {
          const int nx = x + dx, ny = y + dy;
          near = nx >= 0 && ny >= 0 && nx < other.width() && ny < other.height() &&
                 IsLinePixel(other, nx, ny);
        }
      }
      if (!near) ++away;
    }
  }
  return away;
}

TEST_F(RecordViews, TheLevelsDrawTheSameLineAsEveryPointToAPixel) {
  constexpr size_t kCount = 20000;
  const auto place = [](size_t i) {
    const double t = static_cast<double>(i) / kCount;
    return std::pair{static_cast<float>(37.0 + 0.05 * std::sin(7 * t) + 0.002 * std::sin(300 * t) +
                                        0.0001 * std::sin(5000 * t)),
                     static_cast<float>(127.0 + 0.08 * t + 0.0003 * std::cos(2100 * t))};
  };
  AddTrack(
      0, 1, kCount, [](size_t) { return 40; }, place);
  ShowAll(true);
  Page().LoadRecord(0);
  gui.window->show();
  QWebEngineView* view = ShowMap(gui);
  ASSERT_NE(view, nullptr) << "the web engine loads the page";
  // The whole track drawn as the page drew lines before: every point handed to Leaflet.
  QString everyPoint = "[";
  for (size_t i = 0; i < kCount; ++i) {
    const auto [lat, lon] = place(i);
    everyPoint += QString("[%1,%2],")
                      .arg(static_cast<double>(lat), 0, 'f', 7)
                      .arg(static_cast<double>(lon), 0, 'f', 7);
  }
  everyPoint += "]";
  const int fitted = Evaluate(*view, "map.getZoom()").toInt();
  const QString middle = QString("[%1, %2]")
                             .arg(static_cast<double>(place(kCount / 2).first), 0, 'f', 7)
                             .arg(static_cast<double>(place(kCount / 2).second), 0, 'f', 7);
  for (const int zoom : {fitted, fitted + 3}) {
    SCOPED_TRACE(testing::Message() << "zoom " << zoom);
    Evaluate(*view, QString("map.setView(%1, %2, {animate: false}); true").arg(middle).arg(zoom));
    EXPECT_LT(Evaluate(*view, "window.tavrinDrawnVertices").toInt(), static_cast<int>(kCount));
    const QImage levels = LineCanvas(*view);
    Evaluate(*view, "window.everyPoint = L.polyline(" + everyPoint +
                        ", {color: '#FF0000', weight: 2, opacity: 1.0, smoothFactor: 0})"
                        ".addTo(map); line.remove(); true");
    const QImage full = LineCanvas(*view);
    Evaluate(*view, "line.addTo(map); window.everyPoint.remove(); true");
    ASSERT_FALSE(levels.isNull());
    ASSERT_EQ(levels.size(), full.size());
    int levelPixels = 0, fullPixels = 0;
    EXPECT_EQ(PixelsAwayFrom(levels, full, &levelPixels), 0);
    EXPECT_EQ(PixelsAwayFrom(full, levels, &fullPixels), 0);
    EXPECT_GT(levelPixels, 500) << "the line is drawn";
    EXPECT_GT(fullPixels, 500);
  }
}

TEST(RecordMap, WithAKeyAndNoServiceThePageSaysSoAndLeadsToTheMapWithoutAKey) {
  TempDir dir;
  FakeSystem ports;
  std::ofstream(dir / "TVR.ini") << "[PROGRAM]\r\nGoogleMapLicense=key-123\r\n";
  std::filesystem::create_directories(dir.Path() / "DataLog");
  std::vector<TrackPoint> points;
  for (int i = 0; i < 12; ++i) points.push_back(Point(24, 5, 1, 8, 0, i, 37.5f + 0.001f * i));
  WriteTrackFile((dir.Path() / "DataLog/20240501_080000.bt0").string(),
                 Header(points[0], 12, 11, 0), points);
  AppPaths paths;
  paths.programFolder = dir.Path();
  paths.dataFolder = dir.Path() / "DataLog";
  paths.settingsFile = dir.Path() / "TVR.ini";
  GuiDriver gui(paths, ports.Discovery());
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  gui.Find<QRadioButton>("byTracks")->click();
  gui.Find<QCheckBox>("selectAllTracks")->click();
  gui.window->RecordTab()->LoadRecord(0);
  gui.window->RecordTab()->FinishMapPages();
  // The service's address is put on a closed port of this computer: refused at once, as a lookup
  // fails without a network, whatever network the test runs on.
  const std::filesystem::path page = dir.Path() / "DataLog/KML/Tvr_GoogleMap.html";
  std::string text;
  {
    std::ifstream in(page, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const size_t at = text.find("https://maps.googleapis.com/");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, std::string("https://maps.googleapis.com/").size(), "http://127.0.0.1:9/");
  std::ofstream(page, std::ios::binary) << text;

  QWebEngineView* view = ShowMap(gui);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->url().fileName(), "Tvr_GoogleMap.html");
  EXPECT_TRUE(Evaluate(*view, "window.tavrinMapUnreachable").toBool());
  const QString shown =
      Evaluate(*view, "document.getElementById('map-canvas').innerText").toString();
  EXPECT_TRUE(shown.startsWith("The map service could not be reached.")) << shown.toStdString();
  // The page's link leads to the map that needs no key, with the track on it.
  bool loaded = false;
  QObject::connect(view, &QWebEngineView::loadFinished, [&](bool) { loaded = true; });
  Evaluate(*view, "document.getElementById('open-map').click()");
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return loaded; }, 30000));
  EXPECT_EQ(view->url().fileName(), "Tvr_OpenStreetMap.html");
  EXPECT_EQ(Evaluate(*view, "window.tavrinLinePoints").toInt(), 12);
  // "Google Maps" tries the map service again.
  ASSERT_EQ(ShowMap(gui), view);
  EXPECT_EQ(view->url().fileName(), "Tvr_GoogleMap.html");
  EXPECT_TRUE(Evaluate(*view, "window.tavrinMapUnreachable").toBool());
}

}  // namespace
}  // namespace tavrin::test

namespace tavrin::test {
namespace {

// The map service's script as far as the page uses it, so that the page's own drawing can be
// watched without the network: a Mercator map of the page's size that reports its view, lines
// and markers that it only records.
constexpr char kServiceStandIn[] = R"(
window.serviceLines = [];
window.serviceMarkers = [];
var google = {maps: {
  LatLng: function(lat, lng) { this.lat = function() { return lat; };
                               this.lng = function() { return lng; }; },
  Map: function(element, options) {
    var self = this, listeners = [];
    self.zoom = options.zoom;
    self.centre = options.center;
    self.getZoom = function() { return self.zoom; };
    function X(lng) { return (lng + 180) / 360; }
    function Y(lat) { var s = Math.sin(lat * Math.PI / 180);
                      return 0.5 - Math.log((1 + s) / (1 - s)) / (4 * Math.PI); }
    function Lng(x) { return x * 360 - 180; }
    function Lat(y) { return Math.atan(Math.sinh(Math.PI * (1 - 2 * y))) * 180 / Math.PI; }
    self.getBounds = function() {
      var world = 256 * Math.pow(2, self.zoom);
      var halfW = element.clientWidth / 2 / world, halfH = element.clientHeight / 2 / world;
      var x = X(self.centre.lng()), y = Y(self.centre.lat());
      var sw = new google.maps.LatLng(Lat(y + halfH), Lng(x - halfW));
      var ne = new google.maps.LatLng(Lat(y - halfH), Lng(x + halfW));
      return {getSouthWest: function() { return sw; }, getNorthEast: function() { return ne; }};
    };
    self.addListener = function(name, fn) { if (name === 'idle') listeners.push(fn); };
    self.moveTo = function(lat, lng, zoom) {
      self.centre = new google.maps.LatLng(lat, lng);
      self.zoom = zoom;
      listeners.forEach(function(fn) { fn(); });
    };
    window.serviceMap = self;
    setTimeout(function() { listeners.forEach(function(fn) { fn(); }); }, 0);
  },
  Polyline: function(options) {
    var self = this;
    self.path = options.path;
    self.map = options.map || null;
    self.setMap = function(map) { self.map = map; };
    window.serviceLines.push(self);
  },
  Marker: function(options) { window.serviceMarkers.push(options.title); }
}};
)";

// The points of the lines on the map, as whole ten-millionths of a degree.
std::set<std::pair<long long, long long>> ServiceLinePoints(QWebEngineView& view) {
  const QVariantList drawn =
      GuiDriver::RunPageScript(
          view,
          "(function() { var seen = []; window.serviceLines.forEach(function(line) { "
          "if (line.map) line.path.forEach(function(p) { "
          "seen.push(Math.round(p.lat() * 1e7), Math.round(p.lng() * 1e7)); }); }); "
          "return seen; })()")
          .toList();
  std::set<std::pair<long long, long long>> points;
  for (qsizetype k = 0; k + 1 < drawn.size(); k += 2) {
    points.insert({drawn[k].toLongLong(), drawn[k + 1].toLongLong()});
  }
  return points;
}

TEST(RecordMap, WithAKeyALongTrackIsHeldAsNumbersAndDrawnAsTheZoomNeeds) {
  TempDir dir;
  FakeSystem ports;
  std::ofstream(dir / "TVR.ini") << "[PROGRAM]\r\nGoogleMapLicense=key-123\r\n";
  std::filesystem::create_directories(dir.Path() / "DataLog");
  constexpr size_t kCount = 1000000;
  std::vector<TrackPoint> points;
  points.reserve(kCount);
  for (size_t i = 0; i < kCount; ++i) {
    const auto [lat, lon] = ZigZagAlongACurve(i, kCount);
    points.push_back(PointAfter(static_cast<long>(i), lat, lon));
  }
  WriteTrackFile((dir.Path() / "DataLog/20240501_000000.bt0").string(),
                 Header(points[0], kCount, kCount - 1, 0), points);
  AppPaths paths;
  paths.programFolder = dir.Path();
  paths.dataFolder = dir.Path() / "DataLog";
  paths.settingsFile = dir.Path() / "TVR.ini";
  GuiDriver gui(paths, ports.Discovery());
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  gui.Find<QRadioButton>("byTracks")->click();
  gui.Find<QCheckBox>("selectAllTracks")->click();
  gui.window->RecordTab()->LoadRecord(0);
  gui.window->RecordTab()->FinishMapPages();
  const std::filesystem::path page = dir.Path() / "DataLog/KML/Tvr_GoogleMap.html";
  EXPECT_LT(std::filesystem::file_size(page), 10u * 1000 * 1000)
      << "the page holds the points as numbers";
  std::string text;
  {
    std::ifstream in(page, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const size_t at = text.find("https://maps.googleapis.com/maps/api/js?v=3.exp&amp;key=key-123");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, text.find('"', at) - at, "service.js");
  std::ofstream(page, std::ios::binary) << text;
  std::ofstream(dir.Path() / "DataLog/KML/service.js") << kServiceStandIn;

  QWebEngineView* view = ShowMap(gui);
  ASSERT_NE(view, nullptr) << "the web engine loads the page";
  ASSERT_TRUE(GuiDriver::WaitFor(
      [&] { return Evaluate(*view, "window.tavrinDrawnVertices").toInt() > 0; }, 30000));
  EXPECT_EQ(Evaluate(*view, "window.tavrinLinePoints").toInt(), 1000000);
  EXPECT_EQ(Evaluate(*view, "window.serviceMarkers.join()").toString(), "START,END");
  const int fitted = Evaluate(*view, "window.tavrinDrawnVertices").toInt();
  EXPECT_GT(fitted, 50) << "the curve is drawn";
  EXPECT_LT(fitted, 20000) << "what the fitted view can show, not every point, at zoom "
                           << Evaluate(*view, "serviceMap.getZoom()").toInt();

  // At the deepest zoom, on a stretch in the middle, every point of the track there is drawn.
  const auto [lat, lon] = ZigZagAlongACurve(kCount / 2, kCount);
  Evaluate(*view, QString("serviceMap.moveTo(%1, %2, 19); true")
                      .arg(static_cast<double>(lat), 0, 'f', 7)
                      .arg(static_cast<double>(lon), 0, 'f', 7));
  const QVariantList bounds =
      Evaluate(*view,
               "(function() { var b = serviceMap.getBounds(); return [b.getSouthWest().lat(), "
               "b.getNorthEast().lat(), b.getSouthWest().lng(), b.getNorthEast().lng()]; })()")
          .toList();
  ASSERT_EQ(bounds.size(), 4);
  size_t inView = 0;
  const size_t missing = MissingInView(ServiceLinePoints(*view), bounds, kCount, &inView);
  EXPECT_GT(inView, 100u) << "the stretch shown holds points";
  EXPECT_EQ(missing, 0u) << "of " << inView << " points in view";
  EXPECT_LT(Evaluate(*view, "window.tavrinDrawnVertices").toInt(), 100000)
      << "only the stretch near the view is drawn";
  EXPECT_EQ(Evaluate(*view, "window.serviceLines.filter(function(l) { return l.map; }).length > 0")
                .toBool(),
            true);
}

}  // namespace
}  // namespace tavrin::test
