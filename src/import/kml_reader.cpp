// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/kml_reader.h"

#include <charconv>
#include <cmath>
#include <deque>
#include <string>

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

std::optional<Coordinates> ParseCoordinates(std::string_view text, char separator) {
  std::string_view parts[3];
  size_t count = 0;
  const auto isGap = [separator](char c) {
    return c == separator || c == ' ' || c == '\t' || c == '\r' || c == '\n';
  };
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && isGap(text[at])) ++at;
    if (at == text.size()) break;
    const size_t from = at;
    while (at < text.size() && !isGap(text[at])) ++at;
    if (count == 3) return std::nullopt;  // more than one position
    parts[count++] = text.substr(from, at - from);
  }
  if (count < 2) return std::nullopt;
  const auto longitude = ParseNumber(parts[0]), latitude = ParseNumber(parts[1]);
  const auto altitude = count == 3 ? ParseNumber(parts[2]) : std::optional<double>(0);
  if (!longitude || !latitude || !altitude) return std::nullopt;
  return Coordinates{*longitude, *latitude, *altitude != 0};
}

// The number after `label` in `text` ("Speed: 22.4 mph"), and the word after it.
struct Labelled {
  double value = 0;
  std::string_view unit;
};

std::optional<Labelled> FindLabelled(std::string_view text, std::string_view label) {
  const size_t at = text.find(label);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view rest = text.substr(at + label.size());
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  Labelled found;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), found.value);
  if (error != std::errc() || !std::isfinite(found.value) || found.value < 0) return std::nullopt;
  rest.remove_prefix(static_cast<size_t>(end - rest.data()));
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  found.unit = rest.substr(0, rest.find_first_of(" ,<\r\n"));
  return found;
}

// The speed and heading a placemark's description tells, as ours ("Heading:90, Speed:36km/h")
// and gpsbabel's ("Speed: 22.4 mph", "Heading: 90.0") write them.
void ReadDescription(std::string_view text, ImportedPoint& point) {
  if (const auto speed = FindLabelled(text, "Speed:")) {
    const std::string_view unit = speed->unit;
    const double factor = unit.starts_with("mph")   ? kKmhPerMph
                          : unit.starts_with("m/s") ? kKmhPerMetrePerSecond
                          : unit.starts_with("knots") || unit.starts_with("kts") ? kKmhPerKnot
                                                                                 : 1.0;
    point.speedKmh = static_cast<float>(speed->value * factor);
  }
  if (const auto heading = FindLabelled(text, "Heading:"); heading && heading->value <= 360) {
    point.headingDegrees = static_cast<float>(heading->value);
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
  struct TrackTime {
    std::optional<long long> seconds;
    long line = 0;
  };
  struct TrackCoordinate {
    std::optional<Coordinates> position;
    long line = 0;
  };

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
      trackLine_ = xml_.Line();
      trackTimes_.clear();
      trackCoordinates_.clear();
      trackWhens_ = trackCoords_ = 0;
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
      EndTrack();
      sink_.ListEnds(PointList::Track);
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
      ++trackWhens_;
      trackTimes_.push_back({seconds, xml_.Line()});
      PairTrackPoints();
    } else if (inPlacemark_) {
      placemarkTime_ = seconds;
      if (!seconds)
        sink_.Skipped(xml_.Line(), "its time is no date-time such as 2024-03-05T12:00:00Z");
    }
  }

  // A <gx:Track> pairs its n-th <when> with its n-th <gx:coord>, however they are written:
  // each time before its position, each position before its time (My Tracks), or a run of
  // times and then the positions (OpenTracks). Pairs are made as soon as both are read, so that
  // only what one list is ahead of the other is kept.
  void EndTrackCoordinate() {
    ++trackCoords_;
    trackCoordinates_.push_back({ParseCoordinates(text_, ' '), xml_.Line()});
    PairTrackPoints();
  }

  void PairTrackPoints() {
    while (!trackTimes_.empty() && !trackCoordinates_.empty()) {
      const TrackTime time = trackTimes_.front();
      const TrackCoordinate coordinate = trackCoordinates_.front();
      trackTimes_.pop_front();
      trackCoordinates_.pop_front();
      PairedPoint(time, coordinate);
    }
  }

  void PairedPoint(const TrackTime& time, const TrackCoordinate& coordinate) {
    if (!time.seconds) {
      return sink_.Skipped(time.line, "its <when> is no date-time such as 2024-03-05T12:00:00Z");
    }
    const auto& c = coordinate.position;
    if (!c) {
      return sink_.Skipped(coordinate.line,
                           "its <gx:coord> is not one longitude latitude altitude");
    }
    if (c->hasAltitude) sink_.Dropped("elevation");
    ImportedPoint point;
    point.utcSeconds = *time.seconds;
    point.latitude = c->latitude;
    point.longitude = c->longitude;
    point.line = time.line;
    ++timedPoints_;
    sink_.Point(point, PointList::Track);
  }

  // What one list holds beyond the other has no partner: which time goes with which position
  // is not known, so those are lost, and said so at the track.
  void EndTrack() {
    const size_t unpaired = trackTimes_.size() + trackCoordinates_.size();
    if (unpaired == 0) return;
    const std::string why = "its <gx:Track> has " + std::to_string(trackWhens_) + " <when> but " +
                            std::to_string(trackCoords_) + " <gx:coord>, which go in pairs";
    for (size_t i = 0; i < unpaired; ++i) sink_.Skipped(trackLine_, why);
    trackTimes_.clear();
    trackCoordinates_.clear();
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
    // A placemark marks one place; a file's placemarks are its track only when it has no other.
    sink_.Point(placemark_, PointList::Waypoints);
  }

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
  // The times and positions of the <gx:Track> being read that have no partner yet.
  std::deque<TrackTime> trackTimes_;
  std::deque<TrackCoordinate> trackCoordinates_;
  size_t trackWhens_ = 0, trackCoords_ = 0;
  long trackLine_ = 0;
  size_t timedPoints_ = 0;
  size_t untimedLines_ = 0;
  size_t untimedPlacemarks_ = 0;
};

}  // namespace

std::unique_ptr<TrackReader> MakeKmlReader(PointSink& sink) {
  return std::make_unique<KmlReader>(sink);
}

}  // namespace tavrin::imports
