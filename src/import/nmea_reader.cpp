// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/nmea_reader.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
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

// "ddmm.mmmm" or "dddmm.mmmm" with its hemisphere letter, read as one number whose hundreds are
// degrees: receivers that leave out leading zeros write 11 degrees 31.1 minutes as "1131.1".
std::optional<double> Degrees(std::string_view text, std::string_view hemisphere, char positive,
                              char negative) {
  if (hemisphere.size() != 1) return std::nullopt;
  const auto value = ParseNumber(text);
  if (!value || *value < 0) return std::nullopt;
  const double degrees = std::floor(*value / 100), minutes = *value - degrees * 100;
  if (minutes >= 60) return std::nullopt;
  const double signedDegrees = degrees + minutes / 60;
  if (hemisphere[0] == positive) return signedDegrees;
  if (hemisphere[0] == negative) return -signedDegrees;
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
constexpr int kSecondsPerDay = 86400;

// A day the log named ($RMC, $ZDA) or a fix was dated by, and the time of day it held then.
struct KnownDay {
  long long days = 0;
  int second = 0;
};

// The day of a fix given by its time of day alone, seen after (or before) the sentence that gave
// `known`: a log goes forward in time, so a fix far earlier in the day than a day known before it
// is of the next day (the log went past midnight), and one far later than a day known after it
// is of the day before.
KnownDay DayOfFix(const KnownDay& known, int second, bool after) {
  long long days = known.days;
  if (after && second + kSecondsPerDay / 2 < known.second) ++days;
  if (!after && second > known.second + kSecondsPerDay / 2) --days;
  return KnownDay{days, second};
}

// What the sentences of one second tell. A receiver writes several each second ($RMC, $GGA,
// $GLL, in an order of its own); together they are one point.
struct Epoch {
  enum Kind : uint8_t { kRmc = 1, kGga = 2, kGll = 4 };
  int second = -1;
  uint8_t kinds = 0;                      // which sentences came
  std::optional<ImportedPoint> rmc;       // dated, with speed and course
  std::optional<ImportedPoint> position;  // of a GGA or GLL: a time of day only, no date
  bool noFix = false;                     // a sentence said the receiver had none
};

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
    CloseEpoch();
    return Ending();
  }

 private:
  Result<void> Ending() {
    for (const ImportedPoint& fix : undated_) {
      sink_.Skipped(fix.line, "no $GPRMC or $GPZDA sentence of the log gives the date of its fix");
    }
    if (points_ > 0) return {};
    if (!undated_.empty()) {
      return Failure{
          "its $GPGGA and $GPGLL sentences give only the time of day of each fix, and no "
          "sentence gives the date ($GPRMC or $GPZDA), so no point can be dated. Log again with "
          "the receiver's $GPRMC or $GPZDA sentences on"};
    }
    if (voidFixes_ > 0 && sentences_ == voidFixes_) {
      return Failure{
          "each of its $GPRMC, $GPGGA and $GPGLL sentences says the receiver had no fix, so "
          "none holds a position"};
    }
    return Failure{sentences_ == 0 ? "it holds no NMEA sentence with a checked position and "
                                     "time ($GPRMC, $GPGGA or $GPGLL)"
                                   : "none of its $GPRMC, $GPGGA or $GPGLL sentences has a valid "
                                     "time and position"};
  }

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
    void (NmeaReader::*read)(const std::vector<std::string_view>&) = nullptr;
    if (IsSentenceOf(address, "RMC")) read = &NmeaReader::Rmc;
    if (IsSentenceOf(address, "GGA")) read = &NmeaReader::Gga;
    if (IsSentenceOf(address, "GLL")) read = &NmeaReader::Gll;
    if (IsSentenceOf(address, "ZDA")) read = &NmeaReader::Zda;
    if (!read) return;
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
    (this->*read)(Fields(text.substr(1, star - 1)));
  }

  void Skip(std::string_view why) { sink_.Skipped(lineNumber_, why); }

  void Rmc(const std::vector<std::string_view>& f) {
    if (f.size() < 10) return Skip("the $GPRMC sentence has too few fields");
    ++sentences_;
    // A receiver without a fix writes its last position or none; neither is where it was.
    if (f[2] == "V") {
      ++voidFixes_;
      if (const auto second = SecondOfDay(f[1])) EpochOf(*second, Epoch::kRmc).noFix = true;
      return sink_.LeftOut(lineNumber_,
                           "a $GPRMC sentence without a fix (status V), so without a position");
    }
    const std::string_view date = f[9];
    const auto second = SecondOfDay(f[1]);
    const int day = TwoDigits(date, 0), month = TwoDigits(date, 2), year = TwoDigits(date, 4);
    if (!second || date.size() != 6 || !IsCalendarDate(2000 + year, month, day)) {
      return Skip("its time or date is no time of day and date");
    }
    const auto latitude = Degrees(f[3], f[4], 'N', 'S');
    const auto longitude = Degrees(f[5], f[6], 'E', 'W');
    if (!latitude || !longitude) return Skip("its position is no latitude and longitude");
    Epoch& epoch = EpochOf(*second, Epoch::kRmc);
    const long long days = DaysOfCivilDate(2000 + year, month, day);
    LearnDay(KnownDay{days, *second});
    ImportedPoint point;
    point.utcSeconds = days * kSecondsPerDay + *second;
    point.latitude = *latitude;
    point.longitude = *longitude;
    point.fixKind = kFix3D;
    if (const auto knots = ParseNumber(f[7]); knots && *knots >= 0) {
      point.speedKmh = static_cast<float>(*knots * kKmhPerKnot);
    }
    if (const auto course = ParseNumber(f[8]); course && *course >= 0 && *course <= 360) {
      point.headingDegrees = static_cast<float>(*course);
    }
    point.line = lineNumber_;
    epoch.rmc = point;
  }

  // A GGA's time and position make a point of their own where no RMC of that second does; its
  // fix quality 0 says there was no fix. Its altitude has no place in a track file.
  void Gga(const std::vector<std::string_view>& f) {
    if (f.size() < 10) return Skip("the $GPGGA sentence has too few fields");
    // Receivers write GGAs without a time before their first fix.
    if (f[1].find_first_not_of(' ') == std::string_view::npos) return;
    const auto second = SecondOfDay(f[1]);
    if (!second) return Skip("its time is no time of day");
    ++sentences_;
    if (!f[9].empty()) sink_.Dropped("elevation");
    Epoch& epoch = EpochOf(*second, Epoch::kGga);
    if (f[6] == "0") {
      ++voidFixes_;
      epoch.noFix = true;
      return;
    }
    Position(epoch, f[2], f[3], f[4], f[5]);
  }

  // "$GPGLL,lat,N,lon,E,time,status": status V says there was no fix. Logs of NMEA before 2.0
  // write no time in it, and a position of no time is no point.
  void Gll(const std::vector<std::string_view>& f) {
    if (f.size() < 7 || f[5].find_first_not_of(' ') == std::string_view::npos) return;
    const auto second = SecondOfDay(f[5]);
    if (!second) return Skip("its time is no time of day");
    ++sentences_;
    Epoch& epoch = EpochOf(*second, Epoch::kGll);
    if (f[6] != "A") {
      ++voidFixes_;
      epoch.noFix = true;
      return;
    }
    Position(epoch, f[1], f[2], f[3], f[4]);
  }

  // "$GPZDA,time,dd,mm,yyyy,...": the date, for the fixes that have none. One without a date
  // (before the receiver knows it) tells nothing.
  void Zda(const std::vector<std::string_view>& f) {
    if (f.size() < 5 || f[2].size() != 2 || f[3].size() != 2 || f[4].size() != 4) return;
    const auto second = SecondOfDay(f[1]);
    const int day = TwoDigits(f[2], 0), month = TwoDigits(f[3], 0);
    const int year = TwoDigits(f[4], 0) * 100 + TwoDigits(f[4], 2);
    if (!second || year < 0 || !IsCalendarDate(year, month, day)) return;
    LearnDay(KnownDay{DaysOfCivilDate(year, month, day), *second});
  }

  void Position(Epoch& epoch, std::string_view latitudeText, std::string_view north,
                std::string_view longitudeText, std::string_view east) {
    // A receiver that has a fix of no position yet writes the fields empty.
    if (latitudeText.empty() && longitudeText.empty()) return;
    const auto latitude = Degrees(latitudeText, north, 'N', 'S');
    const auto longitude = Degrees(longitudeText, east, 'E', 'W');
    if (!latitude || !longitude) return Skip("its position is no latitude and longitude");
    if (epoch.position) return;  // the GGA and GLL of one second tell the same
    ImportedPoint point;
    point.utcSeconds = epoch.second;
    point.latitude = *latitude;
    point.longitude = *longitude;
    point.fixKind = kFix3D;
    point.line = lineNumber_;
    epoch.position = point;
  }

  // The epoch of a sentence of `second`: the one open, unless it is of another second or has a
  // sentence of this kind already (a receiver of several fixes a second).
  Epoch& EpochOf(int second, Epoch::Kind kind) {
    if (epoch_.second != second || (epoch_.kinds & kind) != 0) {
      CloseEpoch();
      epoch_.second = second;
    }
    epoch_.kinds |= kind;
    return epoch_;
  }

  void CloseEpoch() {
    Epoch epoch = std::exchange(epoch_, Epoch{});
    if (epoch.rmc) {
      if (epoch.noFix) epoch.rmc->fixKind = kFixNone;
      return Emit(*epoch.rmc);
    }
    if (!epoch.position || epoch.noFix) return;
    if (!day_) return undated_.push_back(*epoch.position);
    day_ = DayOfFix(*day_, epoch.second, true);
    epoch.position->utcSeconds = day_->days * kSecondsPerDay + epoch.second;
    Emit(*epoch.position);
  }

  // The first day the log names dates the fixes before it, back from the last.
  void LearnDay(const KnownDay& day) {
    if (!day_ && !undated_.empty()) {
      KnownDay known = day;
      for (auto fix = undated_.rbegin(); fix != undated_.rend(); ++fix) {
        known = DayOfFix(known, static_cast<int>(fix->utcSeconds), false);
        fix->utcSeconds += known.days * kSecondsPerDay;
      }
      for (const ImportedPoint& fix : undated_) Emit(fix);
      undated_.clear();
    }
    day_ = day;
  }

  void Emit(const ImportedPoint& point) {
    ++points_;
    sink_.Point(point, PointList::Track);
  }

  PointSink& sink_;
  std::string line_;
  long lineNumber_ = 0;
  std::optional<long> unfinished_;  // the line of a sentence without its checksum
  size_t sentences_ = 0;
  size_t voidFixes_ = 0;
  size_t points_ = 0;
  Epoch epoch_;
  std::optional<KnownDay> day_;         // the day of the last point or date sentence
  std::vector<ImportedPoint> undated_;  // fixes before the log's first date, in its order
};

}  // namespace

std::unique_ptr<TrackReader> MakeNmeaReader(PointSink& sink) {
  return std::make_unique<NmeaReader>(sink);
}

}  // namespace tavrin::imports
