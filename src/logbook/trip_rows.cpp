// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/trip_rows.h"

#include <fcntl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <tuple>

#include "base/great_circle.h"
#include "logbook/trip_ends.h"

namespace tavrin::logbook {
namespace {

std::string ClockText(const DateTime& time) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", time.hour, time.minute);
  return text;
}

CalendarDate DateOf(const DateTime& time) {
  return {2000 + time.year, time.month, time.day};
}

// A deleted track's start, from its file's name (its first UTC date-time), in the zone.
std::optional<DateTime> StartOfName(const std::string& name, const LocalZone& zone) {
  DateTime utc;
  if (std::sscanf(name.c_str(), "%4d%2d%2d_%2d%2d%2d", &utc.year, &utc.month, &utc.day, &utc.hour,
                  &utc.minute, &utc.second) != 6 ||
      utc.year < 2000) {
    return std::nullopt;
  }
  utc.year -= 2000;
  return zone.ToLocal(utc);
}

std::pair<std::string, std::string> PairOf(const TripRow& trip) {
  return std::minmax(trip.from, trip.to);
}

// Each trip between two named places without a purpose is offered the purpose of the last trip
// before it between the same two.
void OfferPurposes(std::vector<TripRow>& trips, const std::set<std::string>& placeNames) {
  std::map<std::pair<std::string, std::string>, Purpose> lastOfPair;
  for (TripRow& trip : trips) {
    if (!placeNames.contains(trip.from) || !placeNames.contains(trip.to)) continue;
    const auto pair = PairOf(trip);
    if (trip.purpose != Purpose::None) {
      lastOfPair[pair] = trip.purpose;
    } else if (const auto last = lastOfPair.find(pair); last != lastOfPair.end()) {
      trip.suggested = last->second;
    }
  }
}

// The reading at the start of its day, carried forward and back along the trips' distances: each
// trip reads from the latest reading on or before its day, or back from the first one.
void FollowOdometer(std::vector<TripRow>& trips, const std::vector<OdometerReading>& readings) {
  if (readings.empty()) return;
  std::vector<double> before(trips.size() + 1, 0);  // km driven before trip i
  for (size_t i = 0; i < trips.size(); ++i) {
    before[i + 1] = before[i] + trips[i].km;
  }
  const auto firstTripOn = [&](CalendarDate date) {
    return static_cast<size_t>(
        std::find_if(trips.begin(), trips.end(), [&](const TripRow& t) { return date <= t.date; }) -
        trips.begin());
  };
  for (size_t i = 0; i < trips.size(); ++i) {
    if (!trips[i].kmKnown) continue;
    const OdometerReading* from = &readings.front();
    for (const OdometerReading& reading : readings) {
      if (reading.date <= trips[i].date) from = &reading;
    }
    const double start = from->km + before[i] - before[firstTripOn(from->date)];
    trips[i].odometerStart = start;
    trips[i].odometerEnd = start + trips[i].km;
  }
}

// An entry whose track is gone keeps its row: as the file was when the entry last changed, or
// what its name still tells. A track the program did not see go (moved, a sync tool, a deletion
// while the logbook could not be opened) is missing, and counts the same.
std::optional<TripRow> KeptTrip(const TripEntry& entry, const std::vector<NamedPlace>& places,
                                const LocalZone& zone) {
  if (entry.removed) return std::nullopt;
  TripRow trip;
  trip.track = entry.track;
  trip.purpose = entry.purpose;
  trip.note = entry.note;
  trip.trackDeleted = entry.trackDeleted;
  trip.trackMissing = !entry.trackDeleted;
  if (const std::optional<TripSnapshot>& kept = entry.kept) {
    const DateTime start = zone.ToLocal(FromCalendarSeconds(kept->firstUtc));
    trip.date = DateOf(start);
    trip.start = ClockText(start);
    trip.end = ClockText(zone.ToLocal(FromCalendarSeconds(kept->lastUtc)));
    trip.km = kept->km;
    trip.from = PlaceNameAt(places, kept->fromLatitude, kept->fromLongitude);
    trip.to = PlaceNameAt(places, kept->toLatitude, kept->toLongitude);
  } else if (const std::optional<DateTime> start = StartOfName(entry.track, zone)) {
    trip.date = DateOf(*start);
    trip.start = ClockText(*start);
    trip.kmKnown = false;
  } else {
    return std::nullopt;
  }
  return trip;
}

}  // namespace

std::string_view TrackMark(const TripRow& trip) {
  if (trip.trackDeleted) return "track deleted";
  if (trip.trackMissing) return "track missing";
  return {};
}

std::string PositionName(double latitude, double longitude) {
  char text[48];
  std::snprintf(text, sizeof text, "%.4f, %.4f", latitude, longitude);
  return text;
}

std::string PlaceNameAt(const std::vector<NamedPlace>& places, double latitude, double longitude) {
  const NamedPlace* nearest = nullptr;
  double nearestMetres = 0;
  for (const NamedPlace& place : places) {
    const double metres = GreatCircleMetres(latitude, longitude, place.latitude, place.longitude);
    if (metres <= place.radius && (nearest == nullptr || metres < nearestMetres)) {
      nearest = &place;
      nearestMetres = metres;
    }
  }
  return nearest != nullptr ? nearest->name : PositionName(latitude, longitude);
}

LogbookReport MakeLogbookReport(const TrackListing& listing, const LogbookStore& store,
                                const LocalZone& zone, const LogbookFilter& filter) {
  const std::vector<NamedPlace> places = store.Places();
  std::map<std::string, TripEntry> entries = store.Entries();
  std::map<std::string, long long> changed;
  for (const LogbookChange& change : store.Changes()) {
    if (change.kind == "trip" && (change.field == "purpose" || change.field == "note"))
      changed[change.subject] = change.atUtc;
  }
  std::vector<TripRow> trips;
  for (const TrackEntry& track : listing.tracks) {
    TripRow trip;
    trip.path = track.path;
    trip.track = std::filesystem::path(track.path).filename().string();
    const DateTime start = FromDateTime6(track.header.firstDateTime);
    trip.date = DateOf(start);
    trip.start = ClockText(start);
    trip.end = ClockText(FromDateTime6(track.header.lastDateTime));
    trip.km = track.header.distance / 1000.0;
    trip.driveSeconds = track.header.elapsedSeconds;
    const TripEnds ends = ReadTripEnds(track.path, track.RecordsToRead());
    if (ends.first) trip.from = PlaceNameAt(places, ends.first->latitude, ends.first->longitude);
    if (ends.last) trip.to = PlaceNameAt(places, ends.last->latitude, ends.last->longitude);
    if (const auto entry = entries.find(trip.track); entry != entries.end()) {
      trip.purpose = entry->second.purpose;
      trip.note = entry->second.note;
      entries.erase(entry);
    }
    trips.push_back(std::move(trip));
  }
  for (const auto& entry : entries) {
    if (std::optional<TripRow> trip = KeptTrip(entry.second, places, zone)) {
      trips.push_back(std::move(*trip));
    }
  }
  std::stable_sort(trips.begin(), trips.end(), [](const TripRow& a, const TripRow& b) {
    return std::tie(a.date, a.start) < std::tie(b.date, b.start);
  });
  for (TripRow& trip : trips) {
    if (const auto when = changed.find(trip.track); when != changed.end()) {
      trip.changedUtc = when->second;
    }
  }
  std::set<std::string> placeNames;
  for (const NamedPlace& place : places) placeNames.insert(place.name);
  OfferPurposes(trips, placeNames);
  FollowOdometer(trips, store.Readings());
  return FilterReport(std::move(trips), filter);
}

LogbookReport FilterReport(std::vector<TripRow> trips, const LogbookFilter& filter) {
  LogbookReport report;
  for (TripRow& trip : trips) {
    if ((filter.from && trip.date < *filter.from) || (filter.to && *filter.to < trip.date) ||
        (filter.purpose && trip.purpose != *filter.purpose))
      continue;
    report.km += trip.km;
    report.kmByPurpose[trip.purpose] += trip.km;
    ++report.tripsByPurpose[trip.purpose];
    report.trips.push_back(std::move(trip));
  }
  return report;
}

LogbookReport InUnits(LogbookReport report, Units units) {
  if (units == Units::Metric) return report;
  const auto shown = [units](double km) { return ShownDistance(km, units); };
  for (TripRow& trip : report.trips) {
    trip.km = shown(trip.km);
    if (trip.odometerStart) trip.odometerStart = shown(*trip.odometerStart);
    if (trip.odometerEnd) trip.odometerEnd = shown(*trip.odometerEnd);
  }
  for (auto& [purpose, km] : report.kmByPurpose) km = shown(km);
  report.km = shown(report.km);
  return report;
}

}  // namespace tavrin::logbook
