// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/trip_rows.h"

#include <fcntl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <tuple>

#include "base/great_circle.h"
#include "store/posix_file.h"
#include "store/track_file_checks.h"

namespace tavrin::logbook {
namespace {

constexpr uint32_t kEndRecords = 64;  // looked at for the first and last point, before all

struct TripEnds {
  std::optional<TrackPoint> first, last;
};

bool IsLivePoint(const TrackPoint& p) {
  return IsTrackPoint(p) && !p.IsDeleted();
}

// The first and last points of a track file: its first and last records nearly always; the
// whole file only when those are no points.
TripEnds ReadTripEnds(const std::string& path, uint32_t records) {
  TripEnds ends;
  const UniqueFd fd = OpenFile(path, O_RDONLY);
  if (!fd.Valid() || records == 0) return ends;
  const auto readRecords = [&](uint32_t first, uint32_t count) {
    std::vector<TrackPoint> read(count);
    const ssize_t got = ReadAt(fd.Get(), read.data(), count * sizeof(TrackPoint),
                               kTrackHeaderBytes + static_cast<off_t>(first) * kTrackRecordBytes);
    read.resize(got > 0 ? static_cast<size_t>(got) / sizeof(TrackPoint) : 0);
    return read;
  };
  const auto firstLive = [](const std::vector<TrackPoint>& points) -> std::optional<TrackPoint> {
    const auto found = std::find_if(points.begin(), points.end(), IsLivePoint);
    return found == points.end() ? std::nullopt : std::optional(*found);
  };
  const auto lastLive = [](const std::vector<TrackPoint>& points) -> std::optional<TrackPoint> {
    const auto found = std::find_if(points.rbegin(), points.rend(), IsLivePoint);
    return found == points.rend() ? std::nullopt : std::optional(*found);
  };
  ends.first = firstLive(readRecords(0, std::min(records, kEndRecords)));
  const uint32_t tail = records > kEndRecords ? records - kEndRecords : 0;
  ends.last = lastLive(readRecords(tail, records - tail));
  if (!ends.first || !ends.last) {
    const std::vector<TrackPoint> all = readRecords(0, records);
    ends.first = firstLive(all);
    ends.last = lastLive(all);
  }
  return ends;
}

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
    before[i + 1] = before[i] + (trips[i].trackDeleted ? 0 : trips[i].km);
  }
  const auto firstTripOn = [&](CalendarDate date) {
    return static_cast<size_t>(
        std::find_if(trips.begin(), trips.end(), [&](const TripRow& t) { return date <= t.date; }) -
        trips.begin());
  };
  for (size_t i = 0; i < trips.size(); ++i) {
    if (trips[i].trackDeleted) continue;
    const OdometerReading* from = &readings.front();
    for (const OdometerReading& reading : readings) {
      if (reading.date <= trips[i].date) from = &reading;
    }
    const double start = from->km + before[i] - before[firstTripOn(from->date)];
    trips[i].odometerStart = start;
    trips[i].odometerEnd = start + trips[i].km;
  }
}

}  // namespace

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
  // Entries whose track is gone keep their row, with what the file's name still tells.
  for (const auto& [name, entry] : entries) {
    if (!entry.trackDeleted) continue;
    const std::optional<DateTime> start = StartOfName(name, zone);
    if (!start) continue;
    TripRow trip;
    trip.track = name;
    trip.date = DateOf(*start);
    trip.start = ClockText(*start);
    trip.purpose = entry.purpose;
    trip.note = entry.note;
    trip.trackDeleted = true;
    trips.push_back(std::move(trip));
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
    report.trips.push_back(std::move(trip));
  }
  return report;
}

}  // namespace tavrin::logbook
