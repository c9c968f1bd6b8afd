// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/gpx_reader.h"

#include "import/xml_stream.h"

namespace tavrin::imports {
namespace {

constexpr double kKmhPerMetrePerSecond = 3.6;
constexpr size_t kLongestText = 256;  // no value a point needs is longer

class GpxReader final : public TrackReader, XmlHandler {
 public:
  explicit GpxReader(PointSink& sink) : sink_(sink), xml_(*this) {}

  Result<void> Feed(std::string_view bytes, bool last) override {
    if (auto fed = xml_.Feed(bytes, last); !fed) return fed;
    if (last && pointsWithoutTime_ > 0 && pointsWithTime_ == 0) {
      return Failure{"none of its " + std::to_string(pointsWithoutTime_) +
                     " points has a time, and a track point needs one. Export it again with "
                     "times"};
    }
    return {};
  }

 private:
  void Start(std::string_view name, const char** attributes) override {
    if (!sawRoot_) {
      sawRoot_ = true;
      if (name != "gpx") xml_.Refuse("this is XML, but no GPX file (it has no <gpx>)");
      return;
    }
    text_.clear();
    if (name == "trkpt" || name == "rtept" || name == "wpt") {
      list_ = name == "trkpt"   ? PointList::Track
              : name == "rtept" ? PointList::Route
                                : PointList::Waypoints;
      StartPoint(attributes);
    } else if (inPoint_) {
      ++pointDepth_;
    }
  }

  void End(std::string_view name) override {
    if (inPoint_ && pointDepth_ == 0) {
      EndPoint();
    } else if (inPoint_) {
      --pointDepth_;
      PointChild(name);
    } else if (name == "trk") {
      sink_.ListEnds(PointList::Track);
    } else if (name == "rte") {
      sink_.ListEnds(PointList::Route);
    } else if (name == "name" || name == "desc" || name == "cmt") {
      sink_.Dropped("names and descriptions");
    }
    text_.clear();
  }

  void Text(std::string_view text) override {
    if (inPoint_ && text_.size() < kLongestText) text_.append(text.substr(0, kLongestText));
  }

  void StartPoint(const char** attributes) {
    inPoint_ = true;
    pointDepth_ = 0;
    point_ = ImportedPoint{};
    point_.line = xml_.Line();
    hasTime_ = false;
    badTime_ = false;
    const char* lat = XmlStream::Attribute(attributes, "lat");
    const char* lon = XmlStream::Attribute(attributes, "lon");
    const auto latitude = lat ? ParseNumber(lat) : std::nullopt;
    const auto longitude = lon ? ParseNumber(lon) : std::nullopt;
    positionGiven_ = latitude && longitude;
    if (positionGiven_) {
      point_.latitude = *latitude;
      point_.longitude = *longitude;
    }
  }

  void PointChild(std::string_view name) {
    if (name == "time") {
      const auto seconds = ParseIsoTime(text_);
      hasTime_ = seconds.has_value();
      badTime_ = !hasTime_;
      if (seconds) point_.utcSeconds = *seconds;
    } else if (name == "speed") {  // GPX 1.0 and the track-point extensions: metres a second
      if (const auto speed = ParseNumber(text_); speed && *speed >= 0) {
        point_.speedKmh = static_cast<float>(*speed * kKmhPerMetrePerSecond);
      }
    } else if (name == "course") {
      if (const auto course = ParseNumber(text_); course && *course >= 0 && *course <= 360) {
        point_.headingDegrees = static_cast<float>(*course);
      }
    } else if (name == "fix") {
      if (text_ == "none") point_.fixKind = kFixNone;
      if (text_ == "2d") point_.fixKind = kFix2D;
    } else if (name == "ele") {
      sink_.Dropped("elevation");
    } else if (name == "hr") {
      sink_.Dropped("heart rate");
    } else if (name == "cad") {
      sink_.Dropped("cadence");
    } else if (name == "atemp" || name == "wtemp") {
      sink_.Dropped("temperature");
    } else if (name == "name" || name == "desc" || name == "cmt") {
      sink_.Dropped("names and descriptions");
    }
  }

  void EndPoint() {
    inPoint_ = false;
    if (!positionGiven_) {
      sink_.Skipped(point_.line, "it has no lat and lon that are numbers");
    } else if (badTime_) {
      sink_.Skipped(point_.line, "its time is no date-time such as 2024-03-05T12:00:00Z");
    } else if (!hasTime_) {
      ++pointsWithoutTime_;
      // A planned route or a marked place need no time; a point of a recorded track does.
      if (list_ == PointList::Track) {
        sink_.Skipped(point_.line, "it has no time");
      } else {
        sink_.Dropped("waypoints and routes without times");
      }
    } else {
      ++pointsWithTime_;
      sink_.Point(point_, list_);
    }
  }

  PointSink& sink_;
  XmlStream xml_;
  std::string text_;
  bool sawRoot_ = false;
  bool inPoint_ = false;
  int pointDepth_ = 0;
  ImportedPoint point_;
  PointList list_ = PointList::Track;
  bool positionGiven_ = false;
  bool hasTime_ = false;
  bool badTime_ = false;
  size_t pointsWithTime_ = 0;
  size_t pointsWithoutTime_ = 0;
};

}  // namespace

std::unique_ptr<TrackReader> MakeGpxReader(PointSink& sink) {
  return std::make_unique<GpxReader>(sink);
}

}  // namespace tavrin::imports
