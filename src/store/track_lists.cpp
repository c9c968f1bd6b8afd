// SPDX-License-Identifier: GPL-3.0-or-later
// The track store's lists: tracks and days built from the track files' headers, and the points
// of the track or day the user opens.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "store/posix_file.h"
#include "store/store_messages.h"
#include "store/track_file_checks.h"
#include "store/track_store.h"

namespace tavrin {

struct TrackStore::Listing {
  TrackEntry openDay;
  bool dayOpen = false;
  TrackListing rows;  // what the listing hands back
};

namespace {

const std::string kMoveOutText = "move it out of the data folder.";

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

// Cuts a count beyond the records the file holds down to them, so that no reader, list or sum
// goes past the file, and tells of records that follow a count of 0.
std::optional<TrackFileProblem> CheckCount(TrackEntry& entry, size_t stored) {
  uint32_t& count = entry.header.pointCount;
  if (count > stored) {
    TrackFileProblem problem{
        kDataError, entry.path,
        "Its header counts " + std::to_string(count) + " points, but the file holds only " +
            std::to_string(stored) +
            "; only those are read. The file was cut short or never fully written; read the "
            "track from the logger again if it still holds it."};
    count = static_cast<uint32_t>(stored);
    return problem;
  }
  if (count == 0 && stored > 0) {
    return TrackFileProblem{kDataError, entry.path,
                            "Its header counts no points, but " + std::to_string(stored) +
                                " records follow it; they are left out. If a download of this "
                                "track was cut short, read it from the logger again."};
  }
  return std::nullopt;
}

// Reads the header of a track file into `entry`. False when the file cannot be listed, with the
// reason in `problem`; a file that can be listed may come with a problem too (see CheckCount).
// `folderFd` and `name` open the file without walking the whole path again; -1 and the full path
// work too.
bool ReadHeader(int folderFd, const char* name, std::string path, TrackEntry& entry,
                std::optional<TrackFileProblem>& problem) {
  OpenedTrackFile file = OpenTrackFileChecked(folderFd, name, path, O_RDONLY, kFileOpenError);
  if (file.problem) {
    problem = std::move(file.problem);
    return false;
  }
  const ssize_t got = ReadAt(file.fd.Get(), &entry.header, sizeof entry.header, 0);
  if (got < 0) {
    problem =
        TrackFileProblem{kFileOpenError, path, "It cannot be read: " + ErrnoText(errno) + "."};
    return false;
  }
  const off_t size = got < kTrackHeaderBytes ? got : file.size;
  if (std::string fault = HeaderFault(entry.header, size); !fault.empty()) {
    problem = TrackFileProblem{kDataError, path, std::move(fault)};
    return false;
  }
  entry.path = std::move(path);
  problem = CheckCount(entry, StoredRecords(file.fd.Get(), file.size));
  return true;
}

}  // namespace

std::vector<std::string> TrackStore::TrackFileNames(int folderFd) const {
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

TrackListing TrackStore::ListTracks(IEntryRows* list, bool byDay) {
  return ListFiles(list, byDay, std::nullopt, std::nullopt);
}

TrackListing TrackStore::ListTracksInPeriod(IEntryRows* list, bool byDay, CalendarDate from,
                                            CalendarDate to) {
  return ListFiles(list, byDay, from, to);
}

TrackListing TrackStore::ListFiles(IEntryRows* list, bool byDay,
                                   const std::optional<CalendarDate>& from,
                                   const std::optional<CalendarDate>& to) {
  listing_ = true;
  struct ListingEnds {
    bool& listing;
    ~ListingEnds() { listing = false; }
  } ends{listing_};
  if (list) list->RemoveAllRows();
  const bool period = from.has_value();
  Listing listing;
  listing.rows.byDay = byDay;
  const UniqueFd folder = OpenFile(dataFolder_, O_RDONLY | O_DIRECTORY);
  if (!folder.Valid()) return std::move(listing.rows);
  const std::vector<std::string> names = TrackFileNames(folder.Get());
  listing.rows.tracks.reserve(names.size());
  for (const std::string& name : names) {
    TrackEntry entry;
    std::optional<TrackFileProblem> problem;
    // A file that cannot be read is told of and skipped, in a period too: one bad file must not
    // hide the good ones after it.
    const bool readable =
        ReadHeader(folder.Get(), name.c_str(), dataFolder_ + "/" + name, entry, problem);
    if (problem) Report(*problem);
    if (!readable) continue;
    // Each end with the offset of its own date: a track may start in summer time and end after.
    entry.header.firstDateTime = zone_.ToLocal(entry.header.firstDateTime);
    if (period) {
      const CalendarDate first = DateOf(entry.header.firstDateTime);
      if (first < *from || *to < first) continue;
    }
    entry.header.lastDateTime = zone_.ToLocal(entry.header.lastDateTime);
    entry.averageSpeed = AverageSpeedKmh(entry.header.distance, entry.header.elapsedSeconds);
    if (byDay) {
      AddToDay(listing, list, std::move(entry));
    } else {
      if (list) ShowEntryRow(*list, -1, entry);
      listing.rows.tracks.push_back(std::move(entry));
    }
  }
  if (byDay && listing.dayOpen) CloseDay(listing, list);
  return std::move(listing.rows);
}

void TrackStore::AddToDay(Listing& listing, IEntryRows* list, TrackEntry track) {
  if (listing.dayOpen &&
      SameDate(track.header.firstDateTime, listing.openDay.header.firstDateTime)) {
    // A track cut from another one repeats points already counted on its day.
    if (track.header.selectionMarker == kSelectionMarker) return;
    TrackHeader& day = listing.openDay.header;
    day.pointCount += track.header.pointCount;
    day.elapsedSeconds += track.header.elapsedSeconds;
    day.distance += track.header.distance;
    day.lastDateTime = track.header.lastDateTime;
    listing.rows.tracks.push_back(std::move(track));
    return;
  }
  if (listing.dayOpen) CloseDay(listing, list);
  listing.openDay = TrackEntry{};
  listing.openDay.header = track.header;
  listing.openDay.firstTrack = static_cast<int32_t>(listing.rows.tracks.size());
  listing.openDay.path = DayEntryName(track.header.firstDateTime);
  listing.dayOpen = true;
  listing.rows.tracks.push_back(std::move(track));
}

void TrackStore::CloseDay(Listing& listing, IEntryRows* list) {
  TrackEntry& day = listing.openDay;
  day.endTrack = static_cast<int32_t>(listing.rows.tracks.size());
  day.averageSpeed = AverageSpeedKmh(day.header.distance, day.header.elapsedSeconds);
  if (list) ShowEntryRow(*list, -1, day);
  listing.rows.days.push_back(day);
  listing.dayOpen = false;
}

void TrackStore::ShowEntryRow(IEntryRows& list, int index, const TrackEntry& entry) const {
  const int row = index < 0 ? list.RowCount() : index;
  list.InsertRow(row, entry, row + 1);
}

std::optional<TrackEntry> TrackStore::ReadTrackHeader(const std::string& path) {
  TrackEntry entry;
  std::optional<TrackFileProblem> problem;
  const bool readable = ReadHeader(-1, nullptr, path, entry, problem);
  if (problem) Report(*problem);
  if (!readable) return std::nullopt;
  return entry;
}

void TrackStore::Report(const TrackFileProblem& problem) const {
  if (reporter_) {
    TrackFileProblem told = problem;
    told.inListing = listing_;
    reporter_(told);
  } else {
    ShowError(problem.message);
  }
}

// ---- points

bool TrackStore::ReadTrackPoints(const TrackEntry& entry, PointVector& out) {
  OpenedTrackFile file = OpenTrackFileChecked(-1, nullptr, entry.path, O_RDONLY, kCannotFindFile);
  if (file.problem) {
    Report(*file.problem);
    return false;
  }
  return ReadPointsFrom(file.fd.Get(), file.size, entry, out);
}

bool TrackStore::ReadPointsFrom(int fd, off_t size, const TrackEntry& entry, PointVector& out) {
  // Only the first `pointCount` records are the track: a shorter track written over a longer one
  // leaves the old records after them, deleted points among them or not. The file bounds the
  // count too, so a header that claims millions of points cannot grow `out` past the file.
  const size_t counted = std::min<size_t>(entry.header.pointCount, StoredRecords(fd, size));
  // Read straight into the tail of `out` in chunks small enough to stay in cache while they are
  // filtered. The points stay in UTC: a local time in the hour that repeats when summer time ends
  // could not be told back to its instant, and exports and new tracks need the instant.
  constexpr size_t kChunkPoints = 4096;
  const size_t before = out.size();
  RecordTally tally;
  while (tally.records < counted) {
    const size_t batch = std::min(counted - tally.records, kChunkPoints);
    const size_t start = out.size();
    out.resize(start + batch);
    TrackPoint* chunk = out.data() + start;
    const ssize_t got =
        ReadAt(fd, chunk, batch * sizeof(TrackPoint),
               kTrackHeaderBytes + static_cast<off_t>(tally.records) * kTrackRecordBytes);
    const size_t records = got > 0 ? static_cast<size_t>(got) / sizeof(TrackPoint) : 0;
    if (got < 0) tally.readError = errno;
    size_t live = records;
    // Nearly every chunk holds only live points: one pass without a branch finds that out.
    if (!AllLivePoints(chunk, records)) {
      live = 0;
      for (size_t i = 0; i < records; ++i) {
        if (chunk[i].IsDeleted() || !tally.IsPoint(chunk[i], tally.records + i)) continue;
        if (live != i) chunk[live] = chunk[i];
        ++live;
      }
    }
    out.resize(start + live);
    tally.records += records;
    if (records < batch) break;  // a read error, or the file shrank since it was opened
  }
  return ReportRecords(entry.path, tally, out.size() - before);
}

bool TrackStore::ReportRecords(const std::string& path, const RecordTally& tally,
                               size_t loaded) const {
  if (tally.NotPoints() > 0) {
    Report(TrackFileProblem{
        kDataError, path,
        tally.Describe() + (loaded > 0 ? "; they are left out and the other points are used."
                                       : "; nothing of it can be used, so " + kMoveOutText)});
  }
  if (tally.readError != 0) {
    Report(TrackFileProblem{kDataError, path,
                            "Reading it failed after " + std::to_string(tally.records) +
                                " records: " + ErrnoText(tally.readError) +
                                ". Copy the file off a failing disk or read the track again."});
    return false;
  }
  return loaded > 0 || tally.NotPoints() == 0;
}

bool TrackStore::LoadTrackPoints(const TrackEntry& entry, PointVector& points, IPointRows* list) {
  OpenedTrackFile file = OpenTrackFileChecked(-1, nullptr, entry.path, O_RDONLY, kCannotFindFile);
  if (file.problem) {
    Report(*file.problem);  // the lists and rows stay as they were
    return false;
  }
  if (list) list->RemoveAllRows();
  points.clear();
  const bool usable = ReadPointsFrom(file.fd.Get(), file.size, entry, points);
  if (list) list->AppendPointRows(points, 1, zone_);
  return usable;
}

bool TrackStore::LoadDayPoints(std::span<const TrackEntry> tracks, PointVector& points,
                               IPointRows* list) {
  if (list) list->RemoveAllRows();
  points.clear();
  for (const TrackEntry& track : tracks) {
    const size_t before = points.size();
    OpenedTrackFile file = OpenTrackFileChecked(-1, nullptr, track.path, O_RDONLY, kCannotFindFile);
    if (file.problem) {
      Report(*file.problem);
      return false;  // the points loaded so far stay
    }
    // A track that gives no point has been reported; the day goes on with its other tracks.
    ReadPointsFrom(file.fd.Get(), file.size, track, points);
    if (list) {
      list->AppendPointRows(std::span(points).subspan(before), static_cast<int>(before) + 1, zone_);
    }
  }
  return true;
}

// One notice for all the files, so that a day of tracks is one change to whoever listens.
bool TrackStore::DeleteTrackFiles(std::span<const TrackEntry> tracks) {
  TrackChangeNotice deleted{TrackChange::Deleted, {}};
  bool all = true;
  for (const TrackEntry& track : tracks) {
    if (!UnlinkTrackFile(track)) {
      all = false;
      break;
    }
    deleted.paths.push_back(track.path);
  }
  if (!deleted.paths.empty()) changes_.Tell(deleted);
  return all;
}

}  // namespace tavrin
