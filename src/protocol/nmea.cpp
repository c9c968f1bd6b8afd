// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/nmea.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace tavrin {
namespace {

// The host's reading of a received checksum digit: '0'-'9' by value, anything above by its code
// minus 0x37, so both 'A' and 'a' work (the latter only after masking to four bits).
unsigned ReceivedDigit(char c) {
  const unsigned code = static_cast<unsigned char>(c);
  return code <= '9' ? code - 0x30 : code - 0x37;
}

}  // namespace

char ChecksumDigit(unsigned value) {
  return "0123456789ABCDEF"[value & 0x0F];
}

uint8_t NmeaChecksum(std::string_view body) {
  uint8_t sum = 0;
  for (char c : body) sum ^= static_cast<uint8_t>(c);
  return sum;
}

void FillChecksum(std::string& sentence) {
  const size_t n = sentence.size();
  if (n < 5) return;
  const uint8_t sum = n - 5 <= 1 ? 0 : NmeaChecksum(std::string_view(sentence).substr(1, n - 6));
  sentence[n - 4] = ChecksumDigit(sum >> 4);
  sentence[n - 3] = ChecksumDigit(sum);
}

std::string MakeSentence(std::string_view body) {
  std::string sentence = "$";
  sentence.append(body);
  sentence += "*hh\r\n";
  FillChecksum(sentence);
  return sentence;
}

bool SentenceChecksumOk(std::string_view line) {
  const size_t n = line.size();
  if (n < 6) return false;
  const uint8_t computed = NmeaChecksum(line.substr(1, n - 6));
  const uint8_t received = static_cast<uint8_t>(((ReceivedDigit(line[n - 4]) << 4) & 0xF0) |
                                                (ReceivedDigit(line[n - 3]) & 0x0F));
  return computed == received;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  if (!line.empty() && line[0] == '$') line.remove_prefix(1);
  const size_t star = line.find('*');
  if (star != std::string_view::npos) line = line.substr(0, star);
  size_t start = 0;
  while (true) {
    const size_t comma = line.find(',', start);
    fields.push_back(
        line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return fields;
}

long long ParseInteger(std::string_view field) {
  size_t i = 0;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  long long value = 0;
  constexpr long long kLimit = std::numeric_limits<long long>::max() / 10 - 10;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    if (value < kLimit) value = value * 10 + (field[i] - '0');
  }
  return negative ? -value : value;
}

double ParseNumber(std::string_view field) {
  const std::string text(field.substr(0, 64));
  const double value = std::strtod(text.c_str(), nullptr);
  return std::isfinite(value) ? value : 0.0;
}

namespace {

// ddmm.mmmm (or dddmm.mmmm) into degrees, as single precision.
float DegreesFromNmea(double value) {
  const double degrees = std::trunc(value / 100.0);
  return static_cast<float>(degrees + (value - 100.0 * degrees) / 60.0);
}

// The integer part of a field's number; a value no logger sends (beyond 15 digits) reads as 0
// rather than overflowing.
long long IntegerPart(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 1e15) return 0;
  return static_cast<long long>(value);
}

// A coordinate field; an absurd value is stored as 0 and false tells the hemisphere field to
// leave it so.
bool ReadCoordinate(std::string_view field, float& degrees) {
  degrees = DegreesFromNmea(ParseNumber(field));
  if (degrees <= 18000.0f) return true;
  degrees = 0;
  return false;
}

uint8_t LowByteOfInteger(double value) {
  return static_cast<uint8_t>(IntegerPart(value) & 0xFF);
}

}  // namespace

void SetDdmmyy(DateTime& t, long long ddmmyy) {
  t.day = static_cast<int>(ddmmyy / 10000);
  t.month = static_cast<int>(ddmmyy / 100 % 100);
  t.year = static_cast<int>(ddmmyy % 100);
}

void SetHhmmss(DateTime& t, long long hhmmss) {
  t.hour = static_cast<int>(hhmmss / 10000);
  t.minute = static_cast<int>(hhmmss / 100 % 100);
  t.second = static_cast<int>(hhmmss % 100);
}

DateTime FromDdmmyyHhmmss(long long ddmmyy, long long hhmmss) {
  DateTime t;
  SetDdmmyy(t, ddmmyy);
  SetHhmmss(t, hhmmss);
  return t;
}

long long ToDdmmyy(const DateTime& t) {
  const int twoDigitYear = ((t.year % 100) + 100) % 100;  // DDMMYY has room for two
  return t.day * 10000LL + t.month * 100LL + twoDigitYear;
}

long long ToHhmmss(const DateTime& t) {
  return t.hour * 10000LL + t.minute * 100LL + t.second;
}

TrackPoint DecodeRmc(const std::vector<std::string_view>& fields) {
  TrackPoint p;
  DateTime t;  // only the parsed parts are written
  bool latitudeValid = true, longitudeValid = true;
  for (size_t k = 1; k < fields.size() && k <= 9; ++k) {
    const std::string_view f = fields[k];
    if (f.empty()) continue;
    switch (k - 1) {
      case 0:  // hhmmss.sss
        SetHhmmss(t, IntegerPart(ParseNumber(f)));
        break;
      case 1:  // status
        p.monthFix |= 0x40;
        p.SetFixKind(f[0] == 'S' ? kFixTrackStart : f[0] == 'A' ? kFix3D : kFixNone);
        break;
      case 2:
        latitudeValid = ReadCoordinate(f, p.latitude);
        break;
      case 3:
        if (f[0] == 'S' && latitudeValid) p.latitude = -p.latitude;
        break;
      case 4:
        longitudeValid = ReadCoordinate(f, p.longitude);
        break;
      case 5:
        if (f[0] == 'W' && longitudeValid) p.longitude = -p.longitude;
        break;
      case 6:
        p.speed = LowByteOfInteger(ParseNumber(f) * 1.852);
        break;
      case 7:
        p.heading = LowByteOfInteger(ParseNumber(f) * 0.5);
        break;
      case 8:  // ddmmyy
        SetDdmmyy(t, IntegerPart(ParseNumber(f)));
        break;
    }
  }
  p.SetDateTime(t);
  return p;
}

namespace {

// Degrees as ddmm.mmmmmmmm with its hemisphere letter.
std::string NmeaCoordinate(float value, int degreeDigits, char positive, char negative) {
  const double magnitude = std::fabs(static_cast<double>(value));
  const double degrees = std::trunc(magnitude);
  const double minutes = (magnitude - degrees) * 60.0;
  char text[48];
  std::snprintf(text, sizeof text, "%0*d%011.8f,%c", degreeDigits, static_cast<int>(degrees),
                minutes, value < 0 ? negative : positive);
  return text;
}

}  // namespace

std::string EncodeRmc(const TrackPoint& point) {
  const char status = point.FixKind() == kFixTrackStart ? 'S'
                      : point.FixKind() == kFixNone     ? 'V'
                                                        : 'A';
  // Half a unit more than the stored value, so that the host's truncation gives it back.
  const double knots = (point.speed + 0.5) / 1.852;
  const double course = point.heading * 2.0 + 0.5;
  char body[160];
  std::snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.000,%c,%s,%s,%.4f,%.1f,%02d%02d%02d,,,A",
                point.Hour(), point.Minute(), point.Second(), status,
                NmeaCoordinate(point.latitude, 2, 'N', 'S').c_str(),
                NmeaCoordinate(point.longitude, 3, 'E', 'W').c_str(), knots, course, point.Day(),
                point.Month(), point.Year());
  return MakeSentence(body);
}

}  // namespace tavrin
