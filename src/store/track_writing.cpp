// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the tracks of a download. Points go into "<track>.part" beside the track file; only a
// finished (or deliberately kept) track is renamed over its name, after its bytes are on disk.
// So a read that is stopped, times out, loses its line, fills the disk or is killed never
// destroys a track that was already stored, and a header never counts more points than its
// file holds.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "store/posix_file.h"
#include "store/track_file_checks.h"
#include "store/track_writer.h"

namespace tavrin {
namespace {

constexpr size_t kPendingLimit = 4096;  // points kept in memory before they are written
constexpr char kPartSuffix[] = ".part";
constexpr int kMostTracksInOneSecond = 99;
// A compaction's ".new" copy older than this was left by a crash, not by one in progress.
constexpr long kStaleCopySeconds = 600;

std::string PartPath(const std::string& trackPath) {
  return trackPath + kPartSuffix;
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() > suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

uint32_t RecordsIn(off_t fileSize) {
  if (fileSize <= kTrackHeaderBytes) return 0;
  return static_cast<uint32_t>(
      std::min<off_t>((fileSize - kTrackHeaderBytes) / kTrackRecordBytes, UINT32_MAX));
}

// Points of the track file stored under `path`: its count, bounded by the records the file
// really holds. Empty when no readable track file is there.
// What stands under a track's name already.
struct StoredCopy {
  uint32_t points = 0;
  bool editedByUser = false;
};

std::optional<StoredCopy> FindStoredCopy(const std::string& path) {
  UniqueFd fd = OpenFile(path, O_RDONLY | O_NONBLOCK);
  struct stat info {};
  if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  TrackHeader header;
  if (ReadAt(fd.Get(), &header, sizeof header, 0) != kTrackHeaderBytes ||
      header.marker != kTrackMarker) {
    return std::nullopt;
  }
  // Bounded as every reader bounds it, so the copy kept is judged by the points it shows.
  return StoredCopy{static_cast<uint32_t>(
                        std::min<size_t>(header.pointCount, StoredRecords(fd.Get(), info.st_size))),
                    header.selectionMarker == kEditedMarker};
}

// Count, last date-time and drive time of a header whose last point is `last`. False when a
// date-time is not a calendar date-time: the drive time is then 0.
bool FinishHeader(TrackHeader& h, uint32_t count, const TrackPoint& last) {
  h.pointCount = count;
  h.lastDateTime = ToDateTime6(last.GetDateTime());
  const auto first = ToCalendarSeconds(FromDateTime6(h.firstDateTime));
  const auto lastSeconds = ToCalendarSeconds(FromDateTime6(h.lastDateTime));
  h.elapsedSeconds = first && lastSeconds ? static_cast<uint32_t>(*lastSeconds - *first) : 0;
  return first && lastSeconds;
}

// Which copy of a track stands under its name after a read that saved `saved` points of it.
bool NewCopyWins(uint32_t saved, TrackEnd end, const std::optional<StoredCopy>& stored) {
  if (saved == 0) return !stored && end == TrackEnd::Complete;  // an empty track replaces nothing
  if (!stored) return true;
  if (stored->editedByUser) return false;  // the user's deletions stand
  return end == TrackEnd::Complete || stored->points < saved;
}

}  // namespace

namespace {

// The n-th name for tracks that start in the same second: the plain name first, then "_02",
// "_03", ... before ".bt0", which keep the names in the order the tracks came.
std::string NumberedTrackName(const std::string& base, int n) {
  if (n == 1) return base;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "_%02d.bt0", n);
  return base.substr(0, base.size() - 4) + suffix;
}

}  // namespace

std::string TrackWriter::FreeTrackName(const TrackHeader& header) const {
  const std::string base = folder_.TrackFileName(header);
  for (int n = 1; n <= kMostTracksInOneSecond; ++n) {
    const std::string name = NumberedTrackName(base, n);
    if (!takenNames_.contains(name)) return name;
  }
  return base;
}

Result<void> TrackWriter::OpenNewTrackFile(TrackEntry& entry) {
  // Names on the disk count as taken, so that the name handed out is the first free one.
  const std::string base = folder_.TrackFileName(entry.header);
  for (int n = 1; n <= kMostTracksInOneSecond; ++n) {
    const std::string name = NumberedTrackName(base, n);
    std::error_code ignored;
    const bool onDisk =
        std::filesystem::exists(name, ignored) || std::filesystem::exists(PartPath(name), ignored);
    if (!onDisk && !takenNames_.contains(name)) return OpenTrackFile(entry);
    takenNames_.insert(name);
  }
  return Failure{"Every name for a track starting at " + FileName(base) +
                 " is taken. Delete some of those tracks and try again."};
}

Result<void> TrackWriter::OpenTrackFile(TrackEntry& entry) {
  if (IsWriting()) CloseTrackFile(writeEntry_, appended_, TrackEnd::CutShort);
  previous_ = TrackPoint{};
  lastWritten_ = TrackPoint{};
  pendingPoints_.clear();
  writeError_ = 0;
  appended_ = 0;
  entry.path = FreeTrackName(entry.header);
  const std::string part = PartPath(entry.path);
  UniqueFd fd = OpenFile(part, O_RDWR | O_CREAT);
  if (!fd.Valid()) return SystemFailure(errno);
  // The lock tells a program starting meanwhile that this ".part" is not left over.
  if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return SystemFailure(errno);
  int error = ::ftruncate(fd.Get(), 0) != 0 ? errno : 0;
  if (error == 0) {
    if (auto written = WriteAt(fd.Get(), &entry.header, kTrackHeaderBytes, 0); !written) {
      error = written.Error().systemError;
    }
  }
  if (error != 0) {
    ::unlink(part.c_str());
    return SystemFailure(error);
  }
  writeFd_ = fd.Release();
  writeEnd_ = kTrackHeaderBytes;
  writePath_ = entry.path;
  writeEntry_ = entry;
  takenNames_.insert(entry.path);
  return {};
}

uint32_t TrackWriter::AppendPoint(const TrackPoint& point) {
  const uint32_t meters = DistanceMeters(previous_, point);
  previous_ = point;
  if (IsWriting()) {
    ++appended_;
    pendingPoints_.push_back(point);
    if (pendingPoints_.size() >= kPendingLimit) FlushPoints();
  }
  return meters;
}

bool StartsNewTrack(const TrackPoint& previous, const TrackPoint& point) {
  return point.FixKind() == kFixTrackStart ||
         SecondsBetween(previous, point).value_or(0) > kTrackGapSeconds;
}

std::optional<long long> TrackWriter::PointGapSeconds(const TrackPoint& point) const {
  return SecondsBetween(previous_, point);
}

void TrackWriter::NoteWriteError(int error) {
  if (writeError_ == 0) writeError_ = error != 0 ? error : EIO;
}

// After the first failed write nothing more is written: the file keeps an unbroken run of
// points from the start of the track, which is what its header may count.
bool TrackWriter::FlushPoints() {
  if (pendingPoints_.empty() || !IsWriting() || writeError_ != 0) {
    pendingPoints_.clear();
    return writeError_ == 0;
  }
  const size_t bytes = pendingPoints_.size() * sizeof(TrackPoint);
  if (auto written = WriteAt(writeFd_, pendingPoints_.data(), bytes, writeEnd_)) {
    writeEnd_ += static_cast<off_t>(bytes);
    lastWritten_ = pendingPoints_.back();
  } else {
    NoteWriteError(written.Error().systemError);
  }
  pendingPoints_.clear();
  return writeError_ == 0;
}

uint32_t TrackWriter::WrittenPoints() const {
  return RecordsIn(writeEnd_);
}

Result<void> TrackWriter::WriteHeader(const TrackHeader& header) {
  return WriteAt(writeFd_, &header, sizeof header, 0);
}

Result<void> TrackWriter::CheckpointTrackFile(const TrackEntry& entry, uint32_t count) {
  if (!IsWriting()) return SystemFailure(EBADF);
  FlushPoints();
  // The header goes out only after the points it counts are on disk.
  if (::fdatasync(writeFd_) != 0) NoteWriteError(errno);
  const uint32_t saved = std::min(count, WrittenPoints());
  TrackHeader header = entry.header;
  if (saved > 0) FinishHeader(header, saved, lastWritten_);
  if (auto written = WriteHeader(header); !written) NoteWriteError(written.Error().systemError);
  if (writeError_ != 0) return SystemFailure(writeError_);
  return {};
}

TrackSaved TrackWriter::CloseTrackFile(TrackEntry entry, uint32_t count, TrackEnd end) {
  if (!IsWriting()) return TrackSaved{TrackSaved::Outcome::NothingSaved, entry.path};
  FlushPoints();
  const uint32_t saved = std::min(count, WrittenPoints());
  bool datesValid = true;
  if (saved > 0) {
    if (::fdatasync(writeFd_) != 0) NoteWriteError(errno);
    datesValid = FinishHeader(entry.header, saved, lastWritten_);
    if (auto written = WriteHeader(entry.header); !written) {
      NoteWriteError(written.Error().systemError);
    }
  }
  // Records past the count (a failed write's torn tail) are no part of the track.
  if (::ftruncate(writeFd_, kTrackHeaderBytes + static_cast<off_t>(saved) * kTrackRecordBytes) !=
          0 ||
      ::fdatasync(writeFd_) != 0) {
    NoteWriteError(errno);
  }
  const TrackEnd effectiveEnd = writeError_ != 0 ? TrackEnd::CutShort : end;
  TrackSaved result = PutInPlace(writePath_, saved, effectiveEnd);
  if (result.error == 0) result.error = writeError_;
  result.datesValid = datesValid;
  if (result.outcome == TrackSaved::Outcome::Saved) {
    entry.averageSpeed = AverageSpeedKmh(entry.header.distance, entry.header.elapsedSeconds);
    result.entry = std::move(entry);
  }
  ::close(writeFd_);  // after the rename, so the ".part" is never unlocked while it exists
  writeFd_ = -1;
  writeError_ = 0;
  if (result.outcome == TrackSaved::Outcome::Saved) {
    folder_.changes.Tell({TrackChange::Saved, {result.path}});
  }
  return result;
}

TrackSaved TrackWriter::PutInPlace(const std::string& track, uint32_t saved, TrackEnd end) const {
  TrackSaved result;
  result.path = track;
  result.points = saved;
  const std::string part = PartPath(track);
  const auto stored = FindStoredCopy(track);
  if (!NewCopyWins(saved, end, stored)) {
    ::unlink(part.c_str());
    result.outcome = stored && saved > 0 ? TrackSaved::Outcome::StoredCopyKept
                                         : TrackSaved::Outcome::NothingSaved;
    result.storedPoints = stored ? stored->points : 0;
    result.storedEdited = stored && stored->editedByUser;
    return result;
  }
  if (::rename(part.c_str(), track.c_str()) != 0) {
    // The points stay in the ".part" file; the next start tries again.
    result.outcome = TrackSaved::Outcome::Failed;
    result.error = errno;
    return result;
  }
  SyncFolderOf(track);
  result.outcome = TrackSaved::Outcome::Saved;
  return result;
}

TrackWriter::~TrackWriter() {
  // A track still open when the writer goes away was cut short: keep what arrived.
  if (IsWriting()) CloseTrackFile(writeEntry_, appended_, TrackEnd::CutShort);
}

Result<TrackSaved> TrackWriter::CreateTrack(const TrackEntry& source,
                                            std::span<const TrackPoint> points) {
  if (points.empty()) return Failure{"No point is selected for the new track."};
  TrackEntry entry = source;
  entry.header.firstDateTime = ToDateTime6(points.front().GetDateTime());
  entry.header.distance = 0;
  entry.header.selectionMarker = kSelectionMarker;
  BeginDownload();
  if (auto opened = OpenNewTrackFile(entry); !opened) return opened.Error();
  AppendPoint(points.front());
  for (size_t i = 1; i < points.size(); ++i) entry.header.distance += AppendPoint(points[i]);
  return CloseTrackFile(entry, static_cast<uint32_t>(points.size()), TrackEnd::Complete);
}

// ---- what a killed download left behind

void TrackWriter::RecoverInterruptedTracks() {
  std::vector<std::string> parts, staleCopies;
  if (DIR* dir = ::opendir(folder_.path.c_str())) {
    while (const dirent* item = ::readdir(dir)) {
      const std::string name = item->d_name;
      if (EndsWith(name, std::string(".bt0") + kPartSuffix)) parts.push_back(name);
      if (EndsWith(name, ".bt0.new")) staleCopies.push_back(name);
    }
    ::closedir(dir);
  }
  std::sort(parts.begin(), parts.end());
  for (const std::string& name : parts) RecoverPart(name);
  const std::time_t now = std::time(nullptr);
  for (const std::string& name : staleCopies) {
    const std::string copy = folder_.path + "/" + name;
    struct stat info {};
    if (::stat(copy.c_str(), &info) == 0 && now - info.st_mtime > kStaleCopySeconds) {
      ::unlink(copy.c_str());  // the track itself was never touched by the crashed compaction
    }
  }
}

void TrackWriter::RecoverPart(const std::string& name) {
  const std::string part = folder_.path + "/" + name;
  UniqueFd fd = OpenFile(part, O_RDWR | O_NONBLOCK);
  // A download that runs now holds the lock: its file is not left over.
  if (!fd.Valid() || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return;
  const auto count = MakeHonest(fd.Get());
  if (!count) return;  // left for another try rather than risk its points
  const TrackSaved result = PutInPlace(part.substr(0, part.size() - std::strlen(kPartSuffix)),
                                       *count, TrackEnd::CutShort);
  fd.Reset();  // after the rename: the lock guards the ".part" while it exists
  const std::string track = FileName(result.path);
  const std::string points = std::to_string(*count) + " points";
  if (result.outcome == TrackSaved::Outcome::Saved) {
    folder_.changes.Tell({TrackChange::Saved, {result.path}});
    folder_.ShowNotice(
        "A download that was interrupted left track " + track + " unfinished. Its " + points +
        " saved before the interruption are now in the track list; read the tracks again "
        "to get the rest.");
  } else if (result.outcome == TrackSaved::Outcome::StoredCopyKept) {
    folder_.ShowNotice("A download that was interrupted left an unfinished copy of track " + track +
                       " (" + points + "). The stored track, with " +
                       std::to_string(result.storedPoints) + " points, is kept.");
  } else if (result.outcome == TrackSaved::Outcome::Failed) {
    folder_.ShowNotice("A download that was interrupted left track " + track +
                       " unfinished, and it cannot be put in place: " + ErrnoText(result.error) +
                       ". Its points stay in " + name + ".");
  }
}

// Cuts an unfinished track file to the points its header may count and makes that durable.
// Returns the count (0 for a file that is no track), or nothing when the file could not be fixed.
std::optional<uint32_t> TrackWriter::MakeHonest(int fd) const {
  struct stat info {};
  TrackHeader header;
  const bool readable = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                        ReadAt(fd, &header, sizeof header, 0) == kTrackHeaderBytes &&
                        header.marker == kTrackMarker;
  const auto count = static_cast<uint32_t>(
      readable ? std::min<size_t>(header.pointCount, StoredRecords(fd, info.st_size)) : 0);
  if (count == 0) return 0;
  if (count < header.pointCount) {
    TrackPoint last;
    if (ReadAt(fd, &last, sizeof last, kTrackHeaderBytes + (count - 1) * kTrackRecordBytes) !=
        kTrackRecordBytes) {
      return std::nullopt;
    }
    FinishHeader(header, count, last);
    if (!WriteAt(fd, &header, sizeof header, 0).Ok()) return std::nullopt;
  }
  if (::ftruncate(fd, kTrackHeaderBytes + count * kTrackRecordBytes) != 0 || ::fdatasync(fd) != 0) {
    return std::nullopt;
  }
  return count;
}

}  // namespace tavrin
