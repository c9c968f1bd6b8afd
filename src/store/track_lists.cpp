// SPDX-License-Identifier: GPL-3.0-or-later
// The track store's lists: tracks and days built from the track files' headers, each file's
// records judged once while it stays unchanged.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "store/posix_file.h"
#include "store/store_messages.h"
#include "store/track_catalogue.h"
#include "store/track_file_checks.h"

namespace tavrin {

struct TrackCatalogue::Listing {
  DayEntry openDay;
  bool dayOpen = false;
  TrackListing rows;  // what the listing hands back
};

namespace {

bool EndsWith(const char* name, const char* suffix) {
  const size_t n = std::strlen(name), k = std::strlen(suffix);
  return n > k && std::memcmp(name + n - k, suffix, k) == 0;
}

CalendarDate DateOf(const DateTime6& dt) {
  return CalendarDate{2000 + dt[0], dt[1], dt[2]};
}

bool SameDate(const DateTime6& a, const DateTime6& b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

}  // namespace

CalendarDate LocalDayOf(long long utcSeconds, const LocalZone& zone) {
  const DateTime shown = zone.ToLocal(FromCalendarSeconds(utcSeconds));
  return CalendarDate{2000 + shown.year, shown.month, shown.day};
}

std::vector<std::string> TrackCatalogue::TrackFileNames(int folderFd) const {
  std::vector<std::string> names;
  DIR* dir = ::fdopendir(::dup(folderFd));
  if (dir == nullptr) return names;
  while (const dirent* item = ::readdir(dir)) {
    if (EndsWith(item->d_name, ".bt0")) names.emplace_back(item->d_name);
  }
  ::closedir(dir);
  // Names carry the start date-time, so name order is chronological order.
  std::sort(names.begin(), names.end());
  return names;
}

TrackListing TrackCatalogue::ListTracks(IEntryRows* list, bool byDay) {
  return ListFiles(list, byDay, std::nullopt, std::nullopt);
}

TrackListing TrackCatalogue::ListTracksInPeriod(IEntryRows* list, bool byDay, CalendarDate from,
                                                CalendarDate to) {
  return ListFiles(list, byDay, from, to);
}

TrackListing TrackCatalogue::ListFiles(IEntryRows* list, bool byDay,
                                       const std::optional<CalendarDate>& from,
                                       const std::optional<CalendarDate>& to) {
  folder_.listing = true;
  struct ListingEnds {
    bool& listing;
    ~ListingEnds() { listing = false; }
  } ends{folder_.listing};
  if (list) list->RemoveAllRows();
  const bool period = from.has_value();
  Listing listing;
  listing.rows.byDay = byDay;
  const UniqueFd folder = OpenFile(folder_.path, O_RDONLY | O_DIRECTORY);
  if (!folder.Valid()) return std::move(listing.rows);
  const std::vector<std::string> names = TrackFileNames(folder.Get());
  listing.rows.tracks.reserve(names.size());
  if (!period) verdicts_.BeginListing();
  for (const std::string& name : names) {
    std::string path = folder_.path + "/" + name;
    OpenedTrackFile file =
        OpenTrackFileChecked(folder.Get(), name.c_str(), path, O_RDONLY, kFileOpenError);
    TrackEntry entry;
    // A file that cannot be read is told of and skipped, in a period too: one bad file must not
    // hide the good ones after it.
    if (!ReadListedHeader(file, std::move(path), entry)) continue;
    // Each end with the offset of its own date: a track may start in summer time and end after.
    entry.header.firstDateTime =
        folder_.zone.ToLocal(entry.header.firstDateTime, entry.firstRepeatedClock);
    if (period) {
      const CalendarDate first = DateOf(entry.header.firstDateTime);
      if (first < *from || *to < first) continue;
    }
    if (!JudgeRecords(file, entry)) continue;
    FinishListedEntry(entry);
    if (byDay) {
      AddToDay(listing, list, std::move(entry));
    } else {
      if (list) ShowEntryRow(*list, -1, entry);
      listing.rows.tracks.push_back(std::move(entry));
    }
  }
  if (!period) verdicts_.ForgetUnmet();
  if (byDay && listing.dayOpen) CloseDay(listing, list);
  return std::move(listing.rows);
}

bool TrackCatalogue::ReadListedHeader(OpenedTrackFile& file, std::string path, TrackEntry& entry) {
  std::optional<TrackFileProblem> problem;
  const bool readable = ReadTrackFileHeader(file, std::move(path), entry, problem);
  if (problem) folder_.Report(*problem);
  return readable;
}

bool TrackCatalogue::JudgeRecords(const OpenedTrackFile& file, TrackEntry& entry) {
  const bool distanceInDoubt = ImpossibleDistance(entry.header);
  const RecordVerdict& verdict =
      verdicts_.Of(entry.path, file, entry.header.pointCount, distanceInDoubt);
  if (auto problem = RecordsProblem(entry.path, verdict.tally, verdict.points)) {
    folder_.Report(*problem);
  }
  if (auto failure = ReadFailure(entry.path, verdict.tally)) folder_.Report(*failure);
  if (verdict.Clean()) {
    // The header's figures are those of its points, but for a distance summed before a step
    // across the 180th meridian was taken the short way round.
    if (verdict.crossesDateLine) entry.header.distance = verdict.distance;
    return true;
  }
  if (verdict.points == 0) return false;
  // The figures of the points the reader gives; the first date-time stays the header's, as the
  // file's name and its day follow it.
  TrackHeader& h = entry.header;
  entry.countedRecords = h.pointCount;
  h.pointCount = verdict.points;
  h.distance = verdict.distance;
  h.elapsedSeconds = verdict.elapsedSeconds;
  h.lastDateTime = verdict.lastDateTime;
  return true;
}

void TrackCatalogue::AddToDay(Listing& listing, IEntryRows* list, TrackEntry track) {
  if (listing.dayOpen &&
      SameDate(track.header.firstDateTime, listing.openDay.header.firstDateTime)) {
    // A track cut from another one repeats points already counted on its day.
    if (track.header.selectionMarker == kSelectionMarker) return;
    TrackHeader& day = listing.openDay.header;
    day.pointCount += track.header.pointCount;
    day.elapsedSeconds += track.header.elapsedSeconds;
    day.distance += track.header.distance;
    day.lastDateTime = track.header.lastDateTime;
    listing.openDay.lastRepeatedClock = track.lastRepeatedClock;
    listing.rows.tracks.push_back(std::move(track));
    return;
  }
  if (listing.dayOpen) CloseDay(listing, list);
  listing.openDay = DayEntry{};
  listing.openDay.header = track.header;
  listing.openDay.firstRepeatedClock = track.firstRepeatedClock;
  listing.openDay.lastRepeatedClock = track.lastRepeatedClock;
  listing.openDay.firstTrack = static_cast<int32_t>(listing.rows.tracks.size());
  listing.openDay.name = DayName(track.header.firstDateTime);
  listing.dayOpen = true;
  listing.rows.tracks.push_back(std::move(track));
}

void TrackCatalogue::CloseDay(Listing& listing, IEntryRows* list) {
  DayEntry& day = listing.openDay;
  day.endTrack = static_cast<int32_t>(listing.rows.tracks.size());
  day.averageSpeed = AverageSpeedKmh(day.header.distance, day.header.elapsedSeconds);
  if (list) ShowEntryRow(*list, -1, day);
  listing.rows.days.push_back(day);
  listing.dayOpen = false;
}

void TrackCatalogue::FinishListedEntry(TrackEntry& entry) const {
  entry.header.lastDateTime =
      folder_.zone.ToLocal(entry.header.lastDateTime, entry.lastRepeatedClock);
  entry.averageSpeed = AverageSpeedKmh(entry.header.distance, entry.header.elapsedSeconds);
}

std::optional<TrackEntry> TrackCatalogue::ListedTrack(const std::string& path) {
  OpenedTrackFile file = OpenTrackFileChecked(-1, nullptr, path, O_RDONLY, kFileOpenError);
  TrackEntry entry;
  if (!ReadListedHeader(file, path, entry) || !JudgeRecords(file, entry)) return std::nullopt;
  entry.header.firstDateTime =
      folder_.zone.ToLocal(entry.header.firstDateTime, entry.firstRepeatedClock);
  FinishListedEntry(entry);
  return entry;
}

std::string TrackCatalogue::DayName(const DateTime6& date) {
  char name[32];
  std::snprintf(name, sizeof name, "20%02u%02u%02u.bt1", date[0], date[1], date[2]);
  return name;
}

void TrackCatalogue::ShowEntryRow(IEntryRows& list, int index, const RowFigures& entry) const {
  const int row = index < 0 ? list.RowCount() : index;
  list.InsertRow(row, entry, row + 1);
}

}  // namespace tavrin
