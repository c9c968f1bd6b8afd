// The track store's lists: tracks and days built from the track files' headers, and the points
// of the track or day the user opens.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "store/posix_file.h"
#include "store/store_messages.h"
#include "store/track_store.h"

namespace tavrin {

struct CTrackStore::Listing {
  SAVESTATE openDay;
  bool dayOpen = false;
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

enum class HeaderRead { Ok, OpenFailed, DataError };

// `folderFd` and `name` open the file without walking the whole path again; -1 and the full
// path work too.
HeaderRead ReadHeader(int folderFd, const char* name, std::string path, SAVESTATE& entry) {
  UniqueFd fd(::openat(folderFd >= 0 ? folderFd : AT_FDCWD, folderFd >= 0 ? name : path.c_str(),
                       O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return HeaderRead::OpenFailed;
  const ssize_t got = ReadAt(fd.Get(), &entry.header, sizeof entry.header, 0);
  if (got != static_cast<ssize_t>(sizeof entry.header) || entry.header.marker != kTrackMarker) {
    return HeaderRead::DataError;
  }
  entry.path = std::move(path);
  return HeaderRead::Ok;
}

}  // namespace

std::vector<std::string> CTrackStore::TrackFileNames(int folderFd) const {
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

void CTrackStore::ListTracks(IEntryRows* list, bool byDay) {
  ListFiles(list, byDay, std::nullopt, std::nullopt);
}

void CTrackStore::ListTracksInPeriod(IEntryRows* list, bool byDay, CalendarDate from,
                                     CalendarDate to) {
  ListFiles(list, byDay, from, to);
}

void CTrackStore::ListFiles(IEntryRows* list, bool byDay, const std::optional<CalendarDate>& from,
                            const std::optional<CalendarDate>& to) {
  if (list) list->RemoveAllRows();
  trackEntries_.clear();
  if (byDay) dayEntries_.clear();
  const bool period = from.has_value();
  Listing listing;
  const UniqueFd folder = OpenFile(dataFolder_, O_RDONLY | O_DIRECTORY);
  if (!folder.Valid()) return;
  const std::vector<std::string> names = TrackFileNames(folder.Get());
  trackEntries_.reserve(names.size());
  for (const std::string& name : names) {
    SAVESTATE entry;
    switch (ReadHeader(folder.Get(), name.c_str(), dataFolder_ + "/" + name, entry)) {
      case HeaderRead::OpenFailed:
        ShowError(kFileOpenError);
        if (period) return;  // a period listing ends here, an open day stays unlisted
        continue;
      case HeaderRead::DataError:
        ShowError(kDataError);
        continue;
      case HeaderRead::Ok:
        break;
    }
    ShiftDateTime6(entry.header.firstDateTime, offset_);
    if (period) {
      const CalendarDate first = DateOf(entry.header.firstDateTime);
      if (first < *from || *to < first) continue;
    }
    ShiftDateTime6(entry.header.lastDateTime, offset_);
    entry.averageSpeed = AverageSpeedKmh(entry.header.distance, entry.header.elapsedSeconds);
    if (byDay) {
      AddToDay(listing, list, std::move(entry));
    } else {
      if (list) ShowEntryRow(*list, -1, entry);
      trackEntries_.push_back(std::move(entry));
    }
  }
  if (byDay && listing.dayOpen) CloseDay(listing, list);
}

void CTrackStore::AddToDay(Listing& listing, IEntryRows* list, SAVESTATE track) {
  if (listing.dayOpen &&
      SameDate(track.header.firstDateTime, listing.openDay.header.firstDateTime)) {
    // A track cut from another one repeats points already counted on its day.
    if (track.header.selectionMarker == kSelectionMarker) return;
    TRACKHEADER& day = listing.openDay.header;
    day.pointCount += track.header.pointCount;
    day.elapsedSeconds += track.header.elapsedSeconds;
    day.distance += track.header.distance;
    day.lastDateTime = track.header.lastDateTime;
    trackEntries_.push_back(std::move(track));
    return;
  }
  if (listing.dayOpen) CloseDay(listing, list);
  listing.openDay = SAVESTATE{};
  listing.openDay.header = track.header;
  listing.openDay.firstTrack = static_cast<int32_t>(trackEntries_.size());
  listing.openDay.path = DayEntryName(track.header.firstDateTime);
  listing.dayOpen = true;
  trackEntries_.push_back(std::move(track));
}

void CTrackStore::CloseDay(Listing& listing, IEntryRows* list) {
  SAVESTATE& day = listing.openDay;
  day.endTrack = static_cast<int32_t>(trackEntries_.size());
  day.averageSpeed = AverageSpeedKmh(day.header.distance, day.header.elapsedSeconds);
  if (list) ShowEntryRow(*list, -1, day);
  dayEntries_.push_back(day);
  listing.dayOpen = false;
}

void CTrackStore::ShowEntryRow(IEntryRows& list, int index, const SAVESTATE& entry) const {
  const int row = index < 0 ? list.RowCount() : index;
  list.InsertRow(row, entry, row + 1);
}

std::optional<SAVESTATE> CTrackStore::ReadTrackHeader(const std::string& path) {
  SAVESTATE entry;
  switch (ReadHeader(-1, nullptr, path, entry)) {
    case HeaderRead::OpenFailed:
      ShowError(kFileOpenError);
      return std::nullopt;
    case HeaderRead::DataError:
      ShowError(kDataError);
      return std::nullopt;
    case HeaderRead::Ok:
      break;
  }
  return entry;
}

// ---- points

PointVector& CTrackStore::TargetPoints(IPointRows* list) {
  return list ? pointList_ : exportPointList_;
}

bool CTrackStore::ReadTrackPoints(const SAVESTATE& entry, PointVector& out) {
  UniqueFd fd = OpenFile(entry.path, O_RDONLY);
  if (!fd.Valid()) {
    ShowError(kCannotFindFile);
    return false;
  }
  ReadPointsFrom(fd.Get(), entry, out);
  return true;
}

void CTrackStore::ReadPointsFrom(int fd, const SAVESTATE& entry, PointVector& out) {
  // Read straight into the tail of `out` in chunks small enough to stay in cache while they are
  // filtered and shifted. Deleted points do not count toward the header's count, so the file
  // may hold more records than that.
  constexpr size_t kChunkPoints = 4096;
  const size_t wanted = entry.header.pointCount;
  const bool shift = !offset_.IsZero();
  size_t kept = 0;
  off_t offset = sizeof(TRACKHEADER);
  while (kept < wanted) {
    const size_t batch = std::min(wanted - kept, kChunkPoints);
    const size_t start = out.size();
    out.resize(start + batch);
    SAVELOG* chunk = out.data() + start;
    const ssize_t got = ReadAt(fd, chunk, batch * sizeof(SAVELOG), offset);
    const size_t records = got > 0 ? static_cast<size_t>(got) / sizeof(SAVELOG) : 0;
    offset += static_cast<off_t>(records * sizeof(SAVELOG));
    size_t live = 0;
    for (size_t i = 0; i < records; ++i) {
      if (chunk[i].IsDeleted()) continue;
      if (live != i) chunk[live] = chunk[i];
      ++live;
    }
    if (shift) ShiftPoints(chunk, live, offset_);
    out.resize(start + live);
    kept += live;
    if (records < batch) break;  // end of file
  }
}

bool CTrackStore::LoadTrackPoints(const SAVESTATE& entry, IPointRows* list) {
  UniqueFd fd = OpenFile(entry.path, O_RDONLY);
  if (!fd.Valid()) {
    ShowError(kCannotFindFile);
    return false;
  }
  if (list) list->RemoveAllRows();
  PointVector& points = TargetPoints(list);
  points.clear();
  ReadPointsFrom(fd.Get(), entry, points);
  if (list) list->AppendPointRows(points, 1);
  return true;
}

bool CTrackStore::LoadDayPoints(const SAVESTATE& day, IPointRows* list) {
  if (list) list->RemoveAllRows();
  PointVector& points = TargetPoints(list);
  points.clear();
  const auto end = std::min<size_t>(std::max(day.endTrack, 0), trackEntries_.size());
  for (size_t i = std::max(day.firstTrack, 0); i < end; ++i) {
    const size_t before = points.size();
    UniqueFd fd = OpenFile(trackEntries_[i].path, O_RDONLY);
    if (!fd.Valid()) {
      ShowError(kCannotFindFile);
      return false;  // the points loaded so far stay
    }
    ReadPointsFrom(fd.Get(), trackEntries_[i], points);
    if (list) {
      list->AppendPointRows(std::span(points).subspan(before), static_cast<int>(before) + 1);
    }
  }
  return true;
}

// ---- removing

bool CTrackStore::DeleteDay(size_t index, const SAVESTATE& day) {
  const bool valid = index < dayEntries_.size() && day.firstTrack >= 0 &&
                     day.firstTrack <= day.endTrack &&
                     static_cast<size_t>(day.endTrack) <= trackEntries_.size();
  if (!valid) return false;
  for (int32_t i = day.firstTrack; i < day.endTrack; ++i) {
    if (::unlink(trackEntries_[i].path.c_str()) != 0) return false;
  }
  const int32_t removed = day.endTrack - day.firstTrack;
  trackEntries_.erase(trackEntries_.begin() + day.firstTrack, trackEntries_.begin() + day.endTrack);
  dayEntries_.erase(dayEntries_.begin() + static_cast<ptrdiff_t>(index));
  for (size_t i = index; i < dayEntries_.size(); ++i) {
    dayEntries_[i].firstTrack -= removed;
    dayEntries_[i].endTrack -= removed;
  }
  return true;
}

bool CTrackStore::RemoveTrackEntry(size_t index) {
  if (index >= trackEntries_.size()) return false;
  trackEntries_.erase(trackEntries_.begin() + static_cast<ptrdiff_t>(index));
  return true;
}

}  // namespace tavrin
