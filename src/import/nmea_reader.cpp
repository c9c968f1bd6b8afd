// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/nmea_reader.h"

#include <optional>
#include <string>
#include <vector>

namespace tavrin::imports {
namespace {

constexpr size_t kLongestSentence = 120;  // NMEA allows 82 characters; some receivers write more
constexpr double kKmhPerKnot = 1.852;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::vector<std::string_view> Fields(std::string_view body) {
  std::vector<std::string_view> fields;
  size_t from = 0;
  while (true) {
    const size_t comma = body.find(',', from);
    fields.push_back(body.substr(from, comma - from));
    if (comma == std::string_view::npos) return fields;
    from = comma + 1;
  }
}

int TwoDigits(std::string_view text, size_t at) {
  if (at + 2 > text.size()) return -1;
  const int high = text[at] - '0', low = text[at + 1] - '0';
  if (high < 0 || high > 9 || low < 0 || low > 9) return -1;
  return high * 10 + low;
}

// "ddmm.mmmm" or "dddmm.mmmm" with its hemisphere letter.
std::optional<double> Degrees(std::string_view text, std::string_view hemisphere, int degreeDigits,
                              char positive, char negative) {
  if (text.size() < static_cast<size_t>(degreeDigits) + 2 || hemisphere.size() != 1) {
    return std::nullopt;
  }
  const auto degrees = ParseNumber(text.substr(0, static_cast<size_t>(degreeDigits)));
  const auto minutes = ParseNumber(text.substr(static_cast<size_t>(degreeDigits)));
  if (!degrees || !minutes || *minutes < 0 || *minutes >= 60 || *degrees < 0) return std::nullopt;
  const double value = *degrees + *minutes / 60;
  if (hemisphere[0] == positive) return value;
  if (hemisphere[0] == negative) return -value;
  return std::nullopt;
}

class NmeaReader final : public TrackReader {
 public:
  explicit NmeaReader(PointSink& sink) : sink_(sink) {}

  Result<void> Feed(std::string_view bytes, bool last) override {
    for (const char c : bytes) {
      if (c == '\n') {
        EndLine();
      } else if (line_.size() <= kLongestSentence) {
        line_.push_back(c);
      }
    }
    if (!last) return {};
    EndLine();
    Flush();
    if (points_ == 0) {
      return Failure{sentences_ == 0 ? "it holds no NMEA sentence with a checked position and "
                                       "time ($GPRMC or $GNRMC)"
                                     : "none of its $GPRMC or $GNRMC sentences has a valid time "
                                       "and position"};
    }
    return {};
  }

 private:
  void EndLine() {
    ++lineNumber_;
    std::string_view text = line_;
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
    if (!text.empty()) Sentence(text);
    line_.clear();
  }

  void Sentence(std::string_view text) {
    if (text.size() > kLongestSentence) return Skip("the line is too long for a sentence");
    if (text[0] != '$') return Skip("the line is no NMEA sentence (it does not begin with $)");
    const size_t star = text.rfind('*');
    if (star == std::string_view::npos || star + 3 != text.size()) {
      return Skip("the sentence has no checksum");
    }
    const int high = HexDigit(text[star + 1]), low = HexDigit(text[star + 2]);
    uint8_t sum = 0;
    for (size_t i = 1; i < star; ++i) sum ^= static_cast<uint8_t>(text[i]);
    if (high < 0 || low < 0 || sum != high * 16 + low) return Skip("its checksum is wrong");
    const std::string_view body = text.substr(1, star - 1);
    const auto fields = Fields(body);
    const std::string_view type = fields[0];
    if (type == "GPRMC" || type == "GNRMC") {
      ++sentences_;
      Rmc(fields);
    } else if (type == "GPGGA" || type == "GNGGA") {
      Gga(fields);
    }
  }

  void Skip(std::string_view why) { sink_.Skipped(lineNumber_, why); }

  void Rmc(const std::vector<std::string_view>& f) {
    if (f.size() < 10) return Skip("the $GPRMC sentence has too few fields");
    const std::string_view time = f[1], date = f[9];
    const int hour = TwoDigits(time, 0), minute = TwoDigits(time, 2), second = TwoDigits(time, 4);
    const int day = TwoDigits(date, 0), month = TwoDigits(date, 2), year = TwoDigits(date, 4);
    if (date.size() != 6 || !IsCalendarDate(2000 + year, month, day) ||
        !IsTimeOfDay(hour, minute, second)) {
      return Skip("its time or date is no time of day and date");
    }
    const auto latitude = Degrees(f[3], f[4], 2, 'N', 'S');
    const auto longitude = Degrees(f[5], f[6], 3, 'E', 'W');
    if (!latitude || !longitude) return Skip("its position is no latitude and longitude");
    Flush();
    ImportedPoint point;
    char iso[32];
    std::snprintf(iso, sizeof iso, "20%02d-%02d-%02dT%02d:%02d:%02dZ", year, month, day, hour,
                  minute, second);
    point.utcSeconds = *ParseIsoTime(iso);
    point.latitude = *latitude;
    point.longitude = *longitude;
    point.fixKind = f[2] == "A" ? kFix3D : kFixNone;
    if (const auto knots = ParseNumber(f[7]); knots && *knots >= 0) {
      point.speedKmh = static_cast<float>(*knots * kKmhPerKnot);
    }
    if (const auto course = ParseNumber(f[8]); course && *course >= 0 && *course <= 360) {
      point.headingDegrees = static_cast<float>(*course);
    }
    point.line = lineNumber_;
    pending_ = point;
    pendingTime_ = std::string(time.substr(0, 6));
    if (ggaTime_ == pendingTime_) ApplyFix();
  }

  // A GGA of the same second says whether there was a fix; its altitude has no place.
  void Gga(const std::vector<std::string_view>& f) {
    if (f.size() < 10) return;
    ggaTime_ = std::string(f[1].substr(0, 6));
    ggaQuality_ = f[6] == "0" ? kFixNone : kFix3D;
    if (!f[9].empty()) sink_.Dropped("elevation");
    if (pending_ && ggaTime_ == pendingTime_) ApplyFix();
  }

  void ApplyFix() {
    if (pending_ && ggaQuality_ == kFixNone) pending_->fixKind = kFixNone;
  }

  void Flush() {
    if (!pending_) return;
    ++points_;
    sink_.Point(*pending_);
    pending_.reset();
  }

  PointSink& sink_;
  std::string line_;
  long lineNumber_ = 0;
  size_t sentences_ = 0;
  size_t points_ = 0;
  std::optional<ImportedPoint> pending_;
  std::string pendingTime_;
  std::string ggaTime_;
  int ggaQuality_ = kFix3D;
};

}  // namespace

std::unique_ptr<TrackReader> MakeNmeaReader(PointSink& sink) {
  return std::make_unique<NmeaReader>(sink);
}

}  // namespace tavrin::imports
