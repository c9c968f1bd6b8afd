// Track files: a 64-byte header, then the points in recording order.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "store/posix_file.h"
#include "store/store_messages.h"
#include "store/track_store.h"

namespace tavrin {
namespace {

constexpr off_t kHeaderSize = sizeof(TRACKHEADER);
constexpr off_t kPointSize = sizeof(SAVELOG);

off_t PointOffset(size_t index) {
  return kHeaderSize + static_cast<off_t>(index) * kPointSize;
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

CTrackStore::CTrackStore(MessageBoxFn messageBox) : messageBox_(std::move(messageBox)) {}

CTrackStore::~CTrackStore() {
  // A track still open when the store goes away was cut short: keep what arrived.
  if (IsWriting()) CloseTrackFile(writeEntry_, appended_, TrackEnd::CutShort);
}

void CTrackStore::ShowError(const std::string& text) const {
  if (messageBox_) messageBox_(text, MsgIcon::Error, MsgButtons::Ok);
}

bool CTrackStore::PrepareDataFolder(const std::filesystem::path& dataFolder) {
  dataFolder_ = dataFolder.string();
  std::error_code error;
  std::filesystem::create_directories(dataFolder, error);
  if (!std::filesystem::is_directory(dataFolder, error)) return false;
  RecoverInterruptedTracks();
  return true;
}

std::string CTrackStore::TrackFileName(const TRACKHEADER& header) const {
  const DateTime6& t = header.firstDateTime;
  char name[64];
  std::snprintf(name, sizeof name, "/20%02u%02u%02u_%02u%02u%02u.bt0", t[0], t[1], t[2], t[3], t[4],
                t[5]);
  return dataFolder_ + name;
}

std::string CTrackStore::DayEntryName(const DateTime6& date) const {
  char name[32];
  std::snprintf(name, sizeof name, "/20%02u%02u%02u.bt1", date[0], date[1], date[2]);
  return dataFolder_ + name;
}

// ---- changing track files

bool CTrackStore::MarkPointsDeleted(const SAVESTATE& entry, std::span<const size_t> positions) {
  UniqueFd fd = OpenFile(entry.path, O_RDWR);
  if (!fd.Valid()) {
    ShowError(kCannotFindFile);
    return false;
  }
  const uint8_t deleted = 0x80;
  for (size_t position : positions) {
    if (!WriteAt(fd.Get(), &deleted, 1, PointOffset(position) + 3)) {
      ShowError("Could not mark points deleted in " + FileName(entry.path) + ": " +
                ErrnoText(errno) + ".");
      return false;
    }
  }
  return true;
}

bool CTrackStore::CompactTrackFile(SAVESTATE& entry) {
  UniqueFd fd = OpenFile(entry.path, O_RDWR);
  if (!fd.Valid()) {
    ShowError(kCannotFindFile);
    return false;
  }
  const off_t size = ::lseek(fd.Get(), 0, SEEK_END);
  const size_t records =
      size > kHeaderSize ? static_cast<size_t>(size - kHeaderSize) / kPointSize : 0;
  TRACKHEADER onDisk{};
  std::vector<SAVELOG> points(records);
  const ssize_t got = ReadAt(fd.Get(), points.data(), records * sizeof(SAVELOG), kHeaderSize);
  if (got < 0 || ReadAt(fd.Get(), &onDisk, sizeof onDisk, 0) < 0) {
    ShowError("Could not read " + FileName(entry.path) + ": " + ErrnoText(errno) + ".");
    return false;
  }
  points.resize(static_cast<size_t>(got) / sizeof(SAVELOG));

  // Records after the header's count belong to an older, longer track of the same name and
  // stay out, as they do for every reader.
  SAVESTATE compacted = entry;
  TRACKHEADER& h = compacted.header;
  size_t kept = 0;
  for (size_t i = 0; i < points.size() && kept < entry.header.pointCount; ++i) {
    if (points[i].IsDeleted()) continue;
    points[kept++] = points[i];
  }
  points.resize(kept);
  h.distance = 0;
  h.pointCount = static_cast<uint32_t>(kept);
  h.elapsedSeconds = 0;
  // The entry holds local date-times; the file must keep UTC ones.
  h.firstDateTime = onDisk.firstDateTime;
  h.lastDateTime = onDisk.lastDateTime;
  if (kept > 0) {
    h.firstDateTime = ToDateTime6(points.front().GetDateTime());
    h.lastDateTime = ToDateTime6(points.back().GetDateTime());
    const auto first = ToCalendarSeconds(points.front().GetDateTime());
    const auto last = ToCalendarSeconds(points.back().GetDateTime());
    if (!first || !last) {
      const DateTime bad = (first ? points.back() : points.front()).GetDateTime();
      ShowError("Track " + FileName(entry.path) + " has an invalid date/time (" +
                FormatDateTime(bad) + "). The deleted points were not removed.");
      return false;
    }
    h.elapsedSeconds = static_cast<uint32_t>(*last - *first);
  }

  std::vector<uint8_t> bytes(sizeof(TRACKHEADER) + kept * sizeof(SAVELOG));
  std::memcpy(bytes.data(), &h, sizeof h);
  if (kept > 0) std::memcpy(bytes.data() + sizeof h, points.data(), kept * sizeof(SAVELOG));
  fd.Reset();
  if (!ReplaceFileAtomically(entry.path, bytes.data(), bytes.size())) {
    ShowError("Could not save " + FileName(entry.path) + ": " + ErrnoText(errno) +
              ". The track is unchanged.");
    return false;
  }
  // The file holds UTC; the entry, like every listed entry, shows local date-times.
  ShiftDateTime6(h.firstDateTime, offset_);
  ShiftDateTime6(h.lastDateTime, offset_);
  compacted.averageSpeed = AverageSpeedKmh(h.distance, h.elapsedSeconds);
  entry = compacted;
  return true;
}

bool CTrackStore::DeleteTrackFile(const SAVESTATE& entry) {
  return ::unlink(entry.path.c_str()) == 0;
}

}  // namespace tavrin
