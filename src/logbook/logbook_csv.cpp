// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbook_csv.h"

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

}  // namespace

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
        trip.kmKnown ? KmText(trip.km) : std::string(),
        std::string(PurposeWord(trip.purpose)),
        trip.trackDeleted ? (trip.note.empty() ? "track deleted" : trip.note + " (track deleted)")
                          : trip.note,
        trip.odometerStart ? KmText(*trip.odometerStart) : std::string(),
        trip.odometerEnd ? KmText(*trip.odometerEnd) : std::string(),
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
