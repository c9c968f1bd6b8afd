// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/photo_scan.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include "photos/exiv2_access.h"
#include "photos/photo_time.h"
#include "photos/photo_writing.h"

namespace tavrin::photos {
namespace {

namespace fs = std::filesystem;

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f s", seconds);
  return text;
}

std::string NotMatchedReason(const PositionMatch& match, double maxGapSeconds) {
  switch (match.state) {
    case MatchState::BeyondGap:
      return "not tagged: " + Seconds(match.gapSeconds) +
             " from the nearest stored point (at most " + Seconds(maxGapSeconds) +
             " allowed with --max-gap)";
    case MatchState::BeforeTracks:
      return "not tagged: taken " + Seconds(match.gapSeconds) + " before the first stored point";
    case MatchState::AfterTracks:
      return "not tagged: taken " + Seconds(match.gapSeconds) + " after the last stored point";
    case MatchState::BetweenTracks:
      return "not tagged: taken between two stored tracks, " + Seconds(match.gapSeconds) +
             " from the nearer one";
    case MatchState::NoStoredPoints:
    case MatchState::Matched:
      break;
  }
  return "not tagged: no stored point to match";
}

void AddFolder(const fs::path& folder, bool recursive, std::vector<std::string>& files) {
  std::vector<std::string> found;
  std::error_code error;
  const auto take = [&found](const fs::directory_entry& entry) {
    std::error_code ignored;
    const std::string name = entry.path().filename().string();
    // Our own temporary copies, and hidden files, are no photos of the user's.
    if (!name.empty() && name[0] != '.' && entry.is_regular_file(ignored) &&
        HasPhotoExtension(name)) {
      found.push_back(entry.path().string());
    }
  };
  if (recursive) {
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
      take(*it);
    }
  } else {
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      take(*it);
    }
  }
  std::sort(found.begin(), found.end());
  files.insert(files.end(), found.begin(), found.end());
}

}  // namespace

bool HasPhotoExtension(const std::string& path) {
  static const std::set<std::string> kExtensions = {
      ".jpg", ".jpeg", ".jpe", ".mpo", ".cr2",  ".cr3",  ".crw", ".nef",  ".nrw", ".arw",
      ".srf", ".sr2",  ".orf", ".rw2", ".raf",  ".pef",  ".dng", ".srw",  ".rwl", ".3fr",
      ".erf", ".kdc",  ".mrw", ".x3f", ".heic", ".heif", ".hif", ".avif", ".tif", ".tiff"};
  std::string extension = fs::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return kExtensions.count(extension) > 0;
}

FoundPhotos FindPhotos(const std::vector<std::string>& paths, bool recursive) {
  FoundPhotos found;
  for (const std::string& path : paths) {
    std::error_code error;
    const auto status = fs::status(path, error);
    if (fs::is_directory(status)) {
      AddFolder(path, recursive, found.files);
    } else if (fs::is_regular_file(status)) {
      found.files.push_back(path);
    } else if (fs::exists(status)) {
      // Reading a pipe would wait for a writer, a device for ever.
      found.problems.push_back(path +
                               " is not a photo file (it is a pipe, a device or a socket); name "
                               "a photo or a folder of photos.");
    } else {
      found.problems.push_back(path + " does not exist; check the path.");
    }
  }
  return found;
}

PhotoItem PlanPhoto(const std::string& path, const TrackTimeline& timeline,
                    const GeotagOptions& options) {
  PhotoItem item;
  item.path = path;
  const auto facts = ReadPhotoFacts(path);
  if (!facts) {
    item.reason = facts.Error().reason;
    return item;
  }
  if (!facts->time) {
    item.reason = path +
                  " has no capture time (DateTimeOriginal), so it cannot be matched; it was "
                  "left as it is.";
    return item;
  }
  item.utcSeconds = CameraTimeToUtc(*facts->time, options.cameraZone) + options.clockOffsetSeconds;
  item.toSidecar = options.sidecar || !facts->isJpeg;
  const bool tagged = facts->hasPosition || (item.toSidecar && SidecarHasPosition(path));
  const PositionMatch match = timeline.Match(*item.utcSeconds, options.maxGapSeconds);
  if (match.state == MatchState::Matched) item.position = match.position;
  if (tagged && !options.overwrite) {
    item.state = PhotoState::AlreadyTagged;
    item.reason = "already tagged: it has a position (--overwrite replaces it)";
  } else if (match.state != MatchState::Matched) {
    item.state = PhotoState::OutOfRange;
    item.reason = NotMatchedReason(match, options.maxGapSeconds);
  } else {
    item.state = PhotoState::ToTag;
  }
  return item;
}

std::vector<PhotoItem> PlanPhotos(const std::vector<std::string>& files,
                                  const TrackTimeline& timeline, const GeotagOptions& options) {
  std::vector<PhotoItem> items;
  items.reserve(files.size());
  for (const std::string& file : files) items.push_back(PlanPhoto(file, timeline, options));
  return items;
}

void WritePhotos(std::vector<PhotoItem>& items, const GeotagOptions& options,
                 const GeotagProgressFn& progress, const std::atomic<bool>* stop) {
  const size_t total =
      static_cast<size_t>(std::count_if(items.begin(), items.end(), [](const PhotoItem& item) {
        return item.state == PhotoState::ToTag;
      }));
  size_t done = 0;
  for (PhotoItem& item : items) {
    if (item.state != PhotoState::ToTag) continue;
    if (stop != nullptr && stop->load()) return;
    const Result<void> written =
        item.toSidecar ? WriteSidecar(item.path, *item.position, *item.utcSeconds)
                       : WritePositionInPhoto(item.path, *item.position, *item.utcSeconds,
                                              options.keepModificationTime);
    if (written) {
      item.state = PhotoState::Tagged;
    } else {
      item.state = PhotoState::Failed;
      item.reason = written.Error().reason;
    }
    if (progress) progress(++done, total);
  }
}

void CheckPhotos(std::vector<PhotoItem>& items) {
  for (PhotoItem& item : items) {
    if (item.state != PhotoState::ToTag) continue;
    const Result<void> checked =
        item.toSidecar ? CheckSidecar(item.path, *item.position, *item.utcSeconds)
                       : CheckPositionInPhoto(item.path, *item.position, *item.utcSeconds);
    if (!checked) {
      item.state = PhotoState::Failed;
      item.reason = checked.Error().reason;
    }
  }
}

std::string FormatPosition(const GeoPosition& position) {
  char text[64];
  std::snprintf(text, sizeof text, "%.7f %.7f", position.latitude, position.longitude);
  return text;
}

PhotoCounts CountPhotos(const std::vector<PhotoItem>& items) {
  PhotoCounts counts;
  for (const PhotoItem& item : items) {
    switch (item.state) {
      case PhotoState::ToTag:
        ++counts.toTag;
        break;
      case PhotoState::Tagged:
        ++counts.tagged;
        break;
      case PhotoState::OutOfRange:
        ++counts.outOfRange;
        break;
      case PhotoState::AlreadyTagged:
        ++counts.alreadyTagged;
        break;
      case PhotoState::Failed:
        ++counts.failed;
        break;
    }
  }
  return counts;
}

void PrepareForThreads() {
  SilenceExiv2();
  static const bool ready = Exiv2::XmpParser::initialize();
  (void)ready;
}

}  // namespace tavrin::photos
