// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbook_texts.h"

#include <cstdio>
#include <ctime>

namespace tavrin::logbook {
namespace {

std::string UtcText(long long utc, const char* format) {
  const std::time_t t = static_cast<std::time_t>(utc);
  std::tm parts{};
  gmtime_r(&t, &parts);
  char text[32];
  std::strftime(text, sizeof text, format, &parts);
  return text;
}

}  // namespace

std::string DateText(CalendarDate date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

std::string ChangedText(long long utc) {
  return UtcText(utc, "%Y-%m-%d %H:%M UTC");
}

std::string FileTimeText(long long utc) {
  return UtcText(utc, "%Y%m%d-%H%M%S");
}

std::string KmText(double km) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", km);
  return text;
}

}  // namespace tavrin::logbook
