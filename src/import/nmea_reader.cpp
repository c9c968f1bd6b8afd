// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/nmea_reader.h"

#include <optional>
#include <string>
#include <vector>

#include "base/civil_date.h"

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

// Seconds of the day of a time field: "hhmmss" with any fraction of a second (cut off), blanks
// around it allowed. Anything else in it is garbage, not a time.
std::optional<int> SecondOfDay(std::string_view field) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
  if (field.size() < 6) return std::nullopt;
  const int hour = TwoDigits(field, 0), minute = TwoDigits(field, 2), second = TwoDigits(field, 4);
  if (!IsTimeOfDay(hour, minute, second)) return std::nullopt;
  std::string_view fraction = field.substr(6);
  if (!fraction.empty()) {
    if (fraction.front() != '.') return std::nullopt;
    fraction.remove_prefix(1);
    for (const char c : fraction) {
      if (c < '0' || c > '9') return std::nullopt;
    }
  }
  return hour * 3600 + minute * 60 + second;
}

// A sentence's address: a talker of two letters and a type ("GPRMC", "GNGGA", "GLRMC").
bool IsSentenceOf(std::string_view address, std::string_view type) {
  return address.size() == 5 && address[0] >= 'A' && address[0] <= 'Z' && address[1] >= 'A' &&
         address[1] <= 'Z' && address.substr(2) == type;
}

constexpr std::string_view kNoSentence =
    "no NMEA sentence (a comment, a note, a sentence cut off, or bytes of another kind)";

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
    // A capture ends where it was stopped, in the middle of a sentence as likely as not.
    if (unfinished_) sink_.LeftOut(*unfinished_, "the file ends in the middle of this sentence");
    unfinished_.reset();
    Flush();
    if (points_ > 0) return {};
    if (voidFixes_ > 0 && sentences_ == voidFixes_) {
      return Failure{
          "each of its $GPRMC sentences says the receiver had no fix (status V), so "
          "none holds a position"};
    }
    return Failure{sentences_ == 0 ? "it holds no NMEA sentence with a checked position and "
                                     "time ($GPRMC or $GNRMC)"
                                   : "none of its $GPRMC or $GNRMC sentences has a valid time "
                                     "and position"};
  }

 private:
  void EndLine() {
    ++lineNumber_;
    std::string_view text = line_;
    if (lineNumber_ == 1 && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    if (!text.empty()) Line(text);
    line_.clear();
  }

  void Line(std::string_view text) {
    // A sentence without its checksum is cut off: at the file's end by the capture, and
    // anywhere else by a fault of the receiver or the line.
    if (unfinished_) sink_.Skipped(*unfinished_, "the sentence has no checksum");
    unfinished_.reset();
    if (text[0] != '$') return sink_.LeftOut(lineNumber_, kNoSentence);
    const std::string_view address = text.substr(1, text.find(',') - 1);
    // Sentences of other kinds (satellites, proprietary ones) hold nothing a point needs, and a
    // fault in one of them loses nothing.
    const bool rmc = IsSentenceOf(address, "RMC"), gga = IsSentenceOf(address, "GGA");
    if (!rmc && !gga) return;
    if (text.size() > kLongestSentence) return Skip("the line is too long for a sentence");
    const size_t star = text.rfind('*');
    if (star == std::string_view::npos || star + 3 != text.size()) {
      unfinished_ = lineNumber_;
      return;
    }
    const int high = HexDigit(text[star + 1]), low = HexDigit(text[star + 2]);
    uint8_t sum = 0;
    for (size_t i = 1; i < star; ++i) sum ^= static_cast<uint8_t>(text[i]);
    if (high < 0 || low < 0 || sum != high * 16 + low) return Skip("its checksum is wrong");
    const auto fields = Fields(text.substr(1, star - 1));
    if (rmc) {
      ++sentences_;
      Rmc(fields);
    } else {
      Gga(fields);
    }
  }

  void Skip(std::string_view why) { sink_.Skipped(lineNumber_, why); }

  void Rmc(const std::vector<std::string_view>& f) {
    if (f.size() < 10) return Skip("the $GPRMC sentence has too few fields");
    // A receiver without a fix writes its last position or none; neither is where it was.
    if (f[2] == "V") {
      ++voidFixes_;
      return sink_.LeftOut(lineNumber_,
                           "a $GPRMC sentence without a fix (status V), so without a position");
    }
    const std::string_view date = f[9];
    const auto second = SecondOfDay(f[1]);
    const int day = TwoDigits(date, 0), month = TwoDigits(date, 2), year = TwoDigits(date, 4);
    if (!second || date.size() != 6 || !IsCalendarDate(2000 + year, month, day)) {
      return Skip("its time or date is no time of day and date");
    }
    const auto latitude = Degrees(f[3], f[4], 2, 'N', 'S');
    const auto longitude = Degrees(f[5], f[6], 3, 'E', 'W');
    if (!latitude || !longitude) return Skip("its position is no latitude and longitude");
    Flush();
    ImportedPoint point;
    point.utcSeconds = DaysOfCivilDate(2000 + year, month, day) * 86400 + *second;
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
    pendingSecond_ = *second;
    if (ggaSecond_ == pendingSecond_) ApplyFix();
  }

  // A GGA of the same second says whether there was a fix; its altitude has no place.
  void Gga(const std::vector<std::string_view>& f) {
    if (f.size() < 10) return Skip("the $GPGGA sentence has too few fields");
    // Receivers write GGAs without a time before their first fix.
    if (f[1].find_first_not_of(' ') == std::string_view::npos) return;
    const auto second = SecondOfDay(f[1]);
    if (!second) return Skip("its time is no time of day");
    ggaSecond_ = *second;
    ggaQuality_ = f[6] == "0" ? kFixNone : kFix3D;
    if (!f[9].empty()) sink_.Dropped("elevation");
    if (pending_ && ggaSecond_ == pendingSecond_) ApplyFix();
  }

  void ApplyFix() {
    if (pending_ && ggaQuality_ == kFixNone) pending_->fixKind = kFixNone;
  }

  void Flush() {
    if (!pending_) return;
    ++points_;
    sink_.Point(*pending_, PointList::Track);
    pending_.reset();
  }

  PointSink& sink_;
  std::string line_;
  long lineNumber_ = 0;
  std::optional<long> unfinished_;  // the line of a sentence without its checksum
  size_t sentences_ = 0;
  size_t voidFixes_ = 0;
  size_t points_ = 0;
  std::optional<ImportedPoint> pending_;
  int pendingSecond_ = -1;
  int ggaSecond_ = -2;
  int ggaQuality_ = kFix3D;
};

}  // namespace

std::unique_ptr<TrackReader> MakeNmeaReader(PointSink& sink) {
  return std::make_unique<NmeaReader>(sink);
}

}  // namespace tavrin::imports
