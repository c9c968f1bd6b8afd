// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbook_csv.h"

#include <cstdio>
#include <string_view>

namespace tavrin::logbook {
namespace {

// A text the user wrote that a spreadsheet would run as a formula is written as text, with the
// leading ' spreadsheets take for that; a position ("-33.8688, 151.2093") is no formula.
std::string Guarded(const std::string& text) {
  double latitude = 0, longitude = 0;
  char rest = 0;
  const bool position = std::sscanf(text.c_str(), "%lf, %lf%c", &latitude, &longitude, &rest) == 2;
  if (text.empty() || position || std::string_view("=+-@").find(text[0]) == std::string::npos) {
    return text;
  }
  return "'" + text;
}

std::string Field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string LogbookCsv(const LogbookReport& report) {
  std::string csv =
      "Date,Start,End,From,To,km,Purpose,Note,Odometer start,Odometer end,Changed,Track\r\n";
  for (const TripRow& trip : report.trips) {
    const std::string fields[] = {
        DateText(trip.date),
        trip.start,
        trip.end,
        Guarded(trip.from),
        Guarded(trip.to),
        trip.kmKnown ? KmText(trip.km) : std::string(),
        std::string(PurposeWord(trip.purpose)),
        Guarded(trip.note),
        trip.odometerStart ? KmText(*trip.odometerStart) : std::string(),
        trip.odometerEnd ? KmText(*trip.odometerEnd) : std::string(),
        trip.changedUtc != 0 ? ChangedText(trip.changedUtc) : std::string(),
        std::string(TrackMark(trip))};
    for (size_t i = 0; i < std::size(fields); ++i) {
      if (i > 0) csv += ',';
      csv += Field(fields[i]);
    }
    csv += "\r\n";
  }
  return csv;
}

}  // namespace tavrin::logbook
