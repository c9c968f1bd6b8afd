// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbook_csv.h"

#include <cstdio>
#include <ctime>

namespace tavrin::logbook {
namespace {

std::string Field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Km(double km) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", km);
  return text;
}

}  // namespace

std::string DateText(CalendarDate date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

std::string ChangedText(long long utc) {
  const std::time_t t = static_cast<std::time_t>(utc);
  std::tm parts{};
  gmtime_r(&t, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &parts);
  return text;
}

std::string LogbookCsv(const LogbookReport& report) {
  std::string csv =
      "Date,Start,End,From,To,km,Purpose,Note,Odometer start,Odometer end,Changed\r\n";
  for (const TripRow& trip : report.trips) {
    const std::string fields[] = {
        DateText(trip.date),
        trip.start,
        trip.end,
        trip.from,
        trip.to,
        trip.kmKnown ? Km(trip.km) : std::string(),
        std::string(PurposeWord(trip.purpose)),
        trip.trackDeleted ? (trip.note.empty() ? "track deleted" : trip.note + " (track deleted)")
                          : trip.note,
        trip.odometerStart ? Km(*trip.odometerStart) : std::string(),
        trip.odometerEnd ? Km(*trip.odometerEnd) : std::string(),
        trip.changedUtc != 0 ? ChangedText(trip.changedUtc) : std::string()};
    for (size_t i = 0; i < std::size(fields); ++i) {
      if (i > 0) csv += ',';
      csv += Field(fields[i]);
    }
    csv += "\r\n";
  }
  return csv;
}

}  // namespace tavrin::logbook
