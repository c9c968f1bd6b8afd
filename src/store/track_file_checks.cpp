// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/track_file_checks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "store/live_records.h"

namespace tavrin {
namespace {

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

// A dangling link fails to open with "No such file or directory", which would send the user
// looking for a file that the folder plainly lists; name the missing target instead.
std::string OpenFailureDetail(int folderFd, const char* name, const std::string& path, int error) {
  char target[4096];
  const ssize_t n = folderFd >= 0 ? ::readlinkat(folderFd, name, target, sizeof target - 1)
                                  : ::readlink(path.c_str(), target, sizeof target - 1);
  if (error == ENOENT && n > 0) {
    target[n] = '\0';
    return std::string("It is a link to ") + target +
           ", which does not exist; remove the link or put its track file back.";
  }
  if (error == EACCES || error == EPERM) {
    return "It cannot be opened: " + ErrnoText(error) +
           ". Give yourself permission to read it, or " + kMoveItOut;
  }
  return "It cannot be opened: " + ErrnoText(error) + ". Check that it is there, or " + kMoveItOut;
}

std::string DateText(const DateTime6& six) {
  return FormatDateTime(FromDateTime6(six));
}

}  // namespace

OpenedTrackFile OpenTrackFileChecked(int folderFd, const char* name, const std::string& path,
                                     int flags, const char* failureMessage) {
  OpenedTrackFile opened;
  const int fd = ::openat(folderFd >= 0 ? folderFd : AT_FDCWD, folderFd >= 0 ? name : path.c_str(),
                          flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    opened.problem =
        TrackFileProblem{failureMessage, path, OpenFailureDetail(folderFd, name, path, errno)};
    return opened;
  }
  opened.fd.Reset(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    opened.problem =
        TrackFileProblem{failureMessage, path, "It cannot be examined: " + ErrnoText(errno) + "."};
    return opened;
  }
  if (!S_ISREG(info.st_mode)) {
    opened.problem =
        TrackFileProblem{failureMessage, path,
                         "It is " + KindOf(info.st_mode) + ", not a track file; " + kMoveItOut};
    return opened;
  }
  opened.size = info.st_size;
  opened.mtimeNs =
      static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
  opened.inode = info.st_ino;
  return opened;
}

size_t StoredRecords(int fd, off_t size) {
  off_t end = size;
  // Where holes cannot be told, SEEK_HOLE answers with the end of the file.
  const off_t hole = ::lseek(fd, kTrackHeaderBytes, SEEK_HOLE);
  if (hole >= kTrackHeaderBytes && hole < end) end = hole;
  if (end <= kTrackHeaderBytes) return 0;
  return static_cast<size_t>((end - kTrackHeaderBytes) / kTrackRecordBytes);
}

bool IsZeroed(const TrackPoint& record) {
  static constexpr TrackPoint kZero{};
  return std::memcmp(&record, &kZero, sizeof record) == 0;
}

bool IsOnTheGlobe(const TrackPoint& record) {
  return std::fabs(record.latitude) <= kMostLatitude &&
         std::fabs(record.longitude) <= kMostLongitude;
}

bool IsTrackPoint(const TrackPoint& record) {
  return IsCalendarDateTime(record.GetDateTime()) && IsOnTheGlobe(record);
}

size_t KeepPoints(TrackPoint* records, size_t count, size_t firstIndex, RecordTally& tally) {
  // Nearly every chunk holds only live points: one pass without a branch finds that out.
  if (AllLivePoints(records, count)) [[likely]]
    return count;
  size_t live = 0;
  for (size_t i = 0; i < count; ++i) {
    if (records[i].IsDeleted() || !tally.IsPoint(records[i], firstIndex + i)) continue;
    if (live != i) records[live] = records[i];
    ++live;
  }
  return live;
}

std::string HeaderFault(const TrackHeader& header, off_t size) {
  if (size < kTrackHeaderBytes) {
    return "The file is " + std::to_string(size) + " bytes, shorter than a track header (" +
           std::to_string(kTrackHeaderBytes) + " bytes); " + kMoveItOut;
  }
  if (header.marker != kTrackMarker) {
    return "It does not begin with the track marker, so it is not a track file; " +
           std::string(kMoveItOut);
  }
  if (!IsCalendarDateTime(FromDateTime6(header.firstDateTime))) {
    return "Its header's first date/time (" + DateText(header.firstDateTime) +
           ") is not a real date; " + kMoveItOut;
  }
  // A track closed without points keeps a last date-time of zero.
  if (header.pointCount > 0 && !IsCalendarDateTime(FromDateTime6(header.lastDateTime))) {
    return "Its header's last date/time (" + DateText(header.lastDateTime) +
           ") is not a real date; " + kMoveItOut;
  }
  return {};
}

void RecordTally::CountNotPoint(const TrackPoint& record, size_t index) {
  if (NotPoints() == 0) firstBad = index;
  if (IsZeroed(record)) {
    ++zeroed;
  } else if (!IsCalendarDateTime(record.GetDateTime())) {
    ++badDates;
  } else {
    ++offGlobe;
  }
}

std::string RecordTally::Describe() const {
  std::string kinds;
  if (zeroed > 0) kinds = std::to_string(zeroed) + " zeroed";
  const auto add = [&kinds](size_t count, const char* kind) {
    if (count == 0) return;
    if (!kinds.empty()) kinds += ", ";
    kinds += std::to_string(count) + kind;
  };
  add(badDates, " with an impossible date/time");
  add(offGlobe, " with a position off the globe");
  return std::to_string(NotPoints()) + " of its " + std::to_string(records) +
         " records are not track points (" + kinds + "; the first is record " +
         std::to_string(firstBad + 1) + ")";
}

std::optional<TrackFileProblem> RecordsProblem(const std::string& path, const RecordTally& tally,
                                               size_t loaded) {
  if (tally.NotPoints() == 0) return std::nullopt;
  return TrackFileProblem{
      kDataError, path,
      tally.Describe() + (loaded > 0
                              ? "; they are left out and the other points are used."
                              : std::string("; nothing of it can be used, so ") + kMoveItOut)};
}

std::optional<TrackFileProblem> ReadFailure(const std::string& path, const RecordTally& tally) {
  if (tally.readError == 0) return std::nullopt;
  return TrackFileProblem{kDataError, path,
                          "Reading it failed after " + std::to_string(tally.records) +
                              " records: " + ErrnoText(tally.readError) +
                              ". Copy the file off a failing disk or read the track again."};
}

// Cuts a count beyond the records the file holds down to them, so that no reader, list or sum
// goes past the file, and tells of records that follow a count of 0.
static std::optional<TrackFileProblem> CheckCount(TrackEntry& entry, size_t stored) {
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
bool ReadTrackFileHeader(int folderFd, const char* name, std::string path, TrackEntry& entry,
                         std::optional<TrackFileProblem>& problem) {
  OpenedTrackFile file = OpenTrackFileChecked(folderFd, name, path, O_RDONLY, kFileOpenError);
  return ReadTrackFileHeader(file, std::move(path), entry, problem);
}

bool ReadTrackFileHeader(OpenedTrackFile& file, std::string path, TrackEntry& entry,
                         std::optional<TrackFileProblem>& problem) {
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

}  // namespace tavrin
