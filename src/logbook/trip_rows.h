// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook's rows: each stored track is a trip, with the figures the track list gives it (in
// the zone the listing shows), where it began and ended as the user's places name them, and what
// the user wrote of it; the odometer at its start and end once a reading was entered; totals per
// purpose.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/units.h"
#include "logbook/logbook_store.h"
#include "store/local_zone.h"
#include "store/track_catalogue.h"
#include "store/track_listing.h"

namespace tavrin::logbook {

struct TripRow {
  std::string track;       // the track file's name
  std::string path;        // empty for a trip whose track was deleted
  CalendarDate date;       // of its start, in the listing's zone
  std::string start, end;  // "08:10", in the listing's zone
  std::string from, to;    // a place's name, or the position ("37.5401, 127.0553")
  double km = 0;
  bool kmKnown = true;  // false for a deleted or missing track whose entry kept no copy of it
  uint32_t driveSeconds = 0;
  Purpose purpose = Purpose::None;
  std::string note;
  // Offered, never set: the purpose of the last trip between the same two named places.
  std::optional<Purpose> suggested;
  long long changedUtc = 0;  // when its purpose or note last changed; 0: never
  // Its track was deleted by the program, or its file is missing from the data folder (moved,
  // removed behind the program's back): the row is what the entry kept, and it still counts.
  bool trackDeleted = false;
  bool trackMissing = false;
  std::optional<double> odometerStart, odometerEnd;
};

struct LogbookFilter {
  std::optional<CalendarDate> from, to;  // local days
  std::optional<Purpose> purpose;
};

struct LogbookReport {
  std::vector<TripRow> trips;  // in time order
  std::map<Purpose, double> kmByPurpose;
  std::map<Purpose, size_t> tripsByPurpose;
  double km = 0;
};

// The mark of a row without its track, in a column or cell of its own: "track deleted",
// "track missing", or empty.
std::string_view TrackMark(const TripRow& trip);

// The position as a row names it when no place holds it.
std::string PositionName(double latitude, double longitude);
// The nearest of the places whose radius holds the position, or its PositionName.
std::string PlaceNameAt(const std::vector<NamedPlace>& places, double latitude, double longitude);

// The trips of the listing (every stored track, as TrackCatalogue::ListTracks gives them) and of
// the entries whose track was deleted or is missing from it, that the filter keeps.
// `zone` is the listing's, for the trips whose track was deleted.
LogbookReport MakeLogbookReport(const TrackListing& listing, const LogbookStore& store,
                                const LocalZone& zone, const LogbookFilter& filter);

// The trips (of a report made for every day) that the filter keeps, with their totals: another
// period of the same report without reading the track files again.
LogbookReport FilterReport(std::vector<TripRow> trips, const LogbookFilter& filter);

// The report with its distances (each trip's, the odometer readings, the totals) in `units`,
// for the pages that show it in miles.
LogbookReport InUnits(LogbookReport report, Units units);

}  // namespace tavrin::logbook
