// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/imported_point.h"

#include <charconv>
#include <cmath>

#include "base/civil_date.h"

namespace tavrin::imports {
namespace {

std::string_view Trimmed(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

// `count` digits at `at`, or -1.
int Digits(std::string_view text, size_t at, size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

std::optional<long long> ParseIsoTime(std::string_view text) {
  text = Trimmed(text);
  // YYYY-MM-DDThh:mm:ss
  if (text.size() < 19 || text[4] != '-' || text[7] != '-' ||
      (text[10] != 'T' && text[10] != ' ') || text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  const int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
  const int hour = Digits(text, 11, 2), minute = Digits(text, 14, 2), second = Digits(text, 17, 2);
  if (year < 0 || !IsCalendarDate(year, month, day) || !IsTimeOfDay(hour, minute, second)) {
    return std::nullopt;
  }
  size_t at = 19;
  if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
    ++at;
    const size_t digitsFrom = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    if (at == digitsFrom) return std::nullopt;
  }
  long long offsetSeconds = 0;
  if (at < text.size()) {
    const std::string_view zone = text.substr(at);
    if (zone == "Z") {
    } else if ((zone[0] == '+' || zone[0] == '-') && (zone.size() == 6 || zone.size() == 5)) {
      const int hours = Digits(zone, 1, 2);
      const int minutes =
          zone.size() == 6 ? (zone[3] == ':' ? Digits(zone, 4, 2) : -1) : Digits(zone, 3, 2);
      if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) return std::nullopt;
      offsetSeconds = (hours * 3600LL + minutes * 60LL) * (zone[0] == '-' ? -1 : 1);
    } else {
      return std::nullopt;
    }
  }
  return DaysOfCivilDate(year, month, day) * 86400 + hour * 3600LL + minute * 60LL + second -
         offsetSeconds;
}

std::optional<double> ParseNumber(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace tavrin::imports
