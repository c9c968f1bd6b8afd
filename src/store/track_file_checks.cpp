#include "store/track_file_checks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tavrin {
namespace {

constexpr char kMoveItOut[] = "move it out of the data folder.";

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

bool IsZeroed(const SAVELOG& record) {
  static constexpr SAVELOG kZero{};
  return std::memcmp(&record, &kZero, sizeof record) == 0;
}

bool IsTrackPoint(const SAVELOG& record) {
  return IsCalendarDateTime(record.GetDateTime());
}

std::string HeaderFault(const TRACKHEADER& header, off_t size) {
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

void RecordTally::CountNotPoint(const SAVELOG& record, size_t index) {
  if (NotPoints() == 0) firstBad = index;
  ++(IsZeroed(record) ? zeroed : badDates);
}

std::string RecordTally::Describe() const {
  std::string kinds;
  if (zeroed > 0) kinds = std::to_string(zeroed) + " zeroed";
  if (badDates > 0) {
    if (!kinds.empty()) kinds += ", ";
    kinds += std::to_string(badDates) + " with an impossible date/time";
  }
  return std::to_string(NotPoints()) + " of its " + std::to_string(records) +
         " records are not track points (" + kinds + "; the first is record " +
         std::to_string(firstBad + 1) + ")";
}

}  // namespace tavrin
