// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/kml_reader.h"

#include <deque>
#include <regex>
#include <sstream>

#include "import/xml_stream.h"

namespace tavrin::imports {
namespace {

constexpr size_t kLongestText = 4096;  // a placemark's description included
constexpr double kKmhPerMph = 1.609344, kKmhPerKnot = 1.852, kKmhPerMetrePerSecond = 3.6;

// "lon,lat[,alt]" (placemarks) or "lon lat [alt]" (gx:coord).
struct Coordinates {
  double longitude = 0;
  double latitude = 0;
  bool hasAltitude = false;
};

std::optional<Coordinates> ParseCoordinates(std::string text, char separator) {
  for (char& c : text) {
    if (c == separator || c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  std::istringstream in(text);
  std::string lon, lat, alt, extra;
  if (!(in >> lon >> lat)) return std::nullopt;
  const bool hasAltitude = static_cast<bool>(in >> alt);
  if (in >> extra) return std::nullopt;  // more than one position
  const auto longitude = ParseNumber(lon), latitude = ParseNumber(lat);
  if (!longitude || !latitude) return std::nullopt;
  const auto altitude = hasAltitude ? ParseNumber(alt) : std::optional<double>(0);
  if (!altitude) return std::nullopt;
  return Coordinates{*longitude, *latitude, *altitude != 0};
}

// The speed and heading a placemark's description tells, as ours ("Heading:90, Speed:36km/h")
// and gpsbabel's ("Speed: 22.4 mph", "Heading: 90.0") write them.
void ReadDescription(const std::string& text, ImportedPoint& point) {
  static const std::regex speed(R"(Speed:\s*([0-9]+(?:\.[0-9]+)?)\s*(km/h|mph|m/s|knots|kts)?)");
  static const std::regex heading(R"(Heading:\s*([0-9]+(?:\.[0-9]+)?))");
  std::smatch match;
  if (std::regex_search(text, match, speed)) {
    const double value = std::stod(match[1].str());
    const std::string unit = match[2].str();
    const double factor = unit == "mph"                      ? kKmhPerMph
                          : unit == "m/s"                    ? kKmhPerMetrePerSecond
                          : unit == "knots" || unit == "kts" ? kKmhPerKnot
                                                             : 1.0;
    point.speedKmh = static_cast<float>(value * factor);
  }
  if (std::regex_search(text, match, heading)) {
    const double value = std::stod(match[1].str());
    if (value <= 360) point.headingDegrees = static_cast<float>(value);
  }
}

class KmlReader final : public TrackReader, XmlHandler {
 public:
  explicit KmlReader(PointSink& sink) : sink_(sink), xml_(*this) {}

  Result<void> Feed(std::string_view bytes, bool last) override {
    if (auto fed = xml_.Feed(bytes, last); !fed) return fed;
    if (last && timedPoints_ == 0) {
      return Failure{untimedLines_ > 0 || untimedPlacemarks_ > 0
                         ? "it holds positions but no times (a <LineString> or placemarks "
                           "without <TimeStamp>), and a track point needs one. Export it again "
                           "with a time for each point"
                         : "it holds no placemark with a position and a time"};
    }
    return {};
  }

 private:
  void Start(std::string_view name, const char**) override {
    if (!sawRoot_) {
      sawRoot_ = true;
      if (name != "kml") xml_.Refuse("this is XML, but no KML file (it has no <kml>)");
      return;
    }
    text_.clear();
    collecting_ = name == "when" || name == "timePosition" || name == "coordinates" ||
                  name == "coord" || name == "description";
    if (name == "Placemark") {
      placemark_ = ImportedPoint{};
      placemark_.line = xml_.Line();
      inPlacemark_ = true;
      placemarkTime_.reset();
      placemarkPosition_.reset();
    } else if (name == "Track") {
      ++inTrack_;
      trackTimes_.clear();
    } else if (name == "LineString") {
      inLine_ = true;
    }
  }

  void End(std::string_view name) override {
    if (name == "when" || name == "timePosition") {
      EndTime();
    } else if (name == "coord" && inTrack_ > 0) {
      EndTrackCoordinate();
    } else if (name == "coordinates" && inPlacemark_ && !inLine_) {
      if (const auto c = ParseCoordinates(text_, ',')) {
        placemarkPosition_ = c;
      } else {
        sink_.Skipped(xml_.Line(), "its <coordinates> are not one longitude,latitude");
      }
    } else if (name == "coordinates" && inLine_) {
      ++untimedLines_;
    } else if (name == "LineString") {
      inLine_ = false;
    } else if (name == "description" && inPlacemark_) {
      ReadDescription(text_, placemark_);
    } else if (name == "Track") {
      --inTrack_;
    } else if (name == "Placemark") {
      EndPlacemark();
    } else if (name == "name" && inPlacemark_) {
      sink_.Dropped("names and descriptions");
    }
    collecting_ = false;
    text_.clear();
  }

  void Text(std::string_view text) override {
    if (collecting_ && text_.size() < kLongestText) text_.append(text.substr(0, kLongestText));
  }

  void EndTime() {
    const auto seconds = ParseIsoTime(text_);
    if (inTrack_ > 0) {
      if (seconds) {
        trackTimes_.push_back({*seconds, xml_.Line()});
      } else {
        trackTimes_.push_back({std::nullopt, xml_.Line()});
      }
    } else if (inPlacemark_) {
      placemarkTime_ = seconds;
      if (!seconds)
        sink_.Skipped(xml_.Line(), "its time is no date-time such as 2024-03-05T12:00:00Z");
    }
  }

  void EndTrackCoordinate() {
    if (trackTimes_.empty()) {
      sink_.Skipped(xml_.Line(), "this <gx:coord> has no <when> before it");
      return;
    }
    const auto [time, line] = trackTimes_.front();
    trackTimes_.pop_front();
    const auto c = ParseCoordinates(text_, ' ');
    if (!c) {
      sink_.Skipped(xml_.Line(), "its <gx:coord> is not one longitude latitude altitude");
      return;
    }
    if (!time) return;  // told of at its <when>
    if (c->hasAltitude) sink_.Dropped("elevation");
    ImportedPoint point;
    point.utcSeconds = *time;
    point.latitude = c->latitude;
    point.longitude = c->longitude;
    point.line = line;
    ++timedPoints_;
    sink_.Point(point);
  }

  void EndPlacemark() {
    inPlacemark_ = false;
    if (!placemarkPosition_) return;  // a line, or a placemark of no position
    if (!placemarkTime_) {
      ++untimedPlacemarks_;
      return;
    }
    if (placemarkPosition_->hasAltitude) sink_.Dropped("elevation");
    placemark_.utcSeconds = *placemarkTime_;
    placemark_.latitude = placemarkPosition_->latitude;
    placemark_.longitude = placemarkPosition_->longitude;
    ++timedPoints_;
    sink_.Point(placemark_);
  }

  struct TrackTime {
    std::optional<long long> seconds;
    long line = 0;
  };

  PointSink& sink_;
  XmlStream xml_;
  std::string text_;
  bool sawRoot_ = false;
  bool collecting_ = false;
  bool inPlacemark_ = false;
  bool inLine_ = false;
  int inTrack_ = 0;
  ImportedPoint placemark_;
  std::optional<long long> placemarkTime_;
  std::optional<Coordinates> placemarkPosition_;
  std::deque<TrackTime> trackTimes_;
  size_t timedPoints_ = 0;
  size_t untimedLines_ = 0;
  size_t untimedPlacemarks_ = 0;
};

}  // namespace

std::unique_ptr<TrackReader> MakeKmlReader(PointSink& sink) {
  return std::make_unique<KmlReader>(sink);
}

}  // namespace tavrin::imports
