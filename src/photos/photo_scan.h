// SPDX-License-Identifier: GPL-3.0-or-later
// Geotagging a set of photos: the photos found in the paths given, each one's UTC time and
// matched position (or why it has none), and the writing of those that are to be tagged, with
// progress and a way to stop. The command line and the window both run it this way.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "photos/photo_matching.h"
#include "store/local_zone.h"

namespace tavrin::photos {

struct GeotagOptions {
  LocalZone cameraZone;           // the camera clock's zone, for photos that do not say
  double clockOffsetSeconds = 0;  // added to the camera's time to give the true time
  double maxGapSeconds = kDefaultMaxGapSeconds;
  bool sidecar = false;    // write NAME.xmp even where the photo could be written
  bool overwrite = false;  // replace a position a photo already has
  bool keepModificationTime = true;
};

enum class PhotoState {
  ToTag,          // matched; not written yet
  Tagged,         // written
  OutOfRange,     // no stored point near its time
  AlreadyTagged,  // has a position and overwriting was not asked for
  Failed,         // cannot be read, has no time, or could not be written
};

struct PhotoItem {
  std::string path;
  std::optional<double> utcSeconds;     // its time, the clock's error corrected
  std::optional<GeoPosition> position;  // where it was taken, when matched
  PhotoState state = PhotoState::Failed;
  std::string reason;      // why it is not tagged, in words for the user
  bool toSidecar = false;  // its position goes into its XMP sidecar
};

struct FoundPhotos {
  std::vector<std::string> files;     // in the order given, each folder's files sorted by name
  std::vector<std::string> problems;  // paths that are neither a file nor a folder
};

// The photo files of the paths: a file is taken as it is; a folder gives its files with a photo's
// extension (JPEG, the common raw formats, HEIF, TIFF), its subfolders too when `recursive`.
FoundPhotos FindPhotos(const std::vector<std::string>& paths, bool recursive);
bool HasPhotoExtension(const std::string& path);

// Reads each photo's time and matches it; nothing is written.
PhotoItem PlanPhoto(const std::string& path, const TrackTimeline& timeline,
                    const GeotagOptions& options);
std::vector<PhotoItem> PlanPhotos(const std::vector<std::string>& files,
                                  const TrackTimeline& timeline, const GeotagOptions& options);

// Called after each photo written: how many are done of how many there are to write.
using GeotagProgressFn = std::function<void(size_t done, size_t total)>;

// Writes every photo in state ToTag, which becomes Tagged, or Failed with the reason. When
// `stop` turns true the photos not yet written stay ToTag.
void WritePhotos(std::vector<PhotoItem>& items, const GeotagOptions& options,
                 const GeotagProgressFn& progress = nullptr,
                 const std::atomic<bool>* stop = nullptr);

// A dry run: each photo in state ToTag meets what writing it would (the photo and its folder
// writable, the file whole and taggable, room for the copy); one that would fail becomes Failed
// with the words the run would give. Nothing is written.
void CheckPhotos(std::vector<PhotoItem>& items);

// How many photos stand in each state.
struct PhotoCounts {
  size_t toTag = 0;
  size_t tagged = 0;
  size_t outOfRange = 0;
  size_t alreadyTagged = 0;
  size_t failed = 0;
};
PhotoCounts CountPhotos(const std::vector<PhotoItem>& items);

// Makes exiv2 ready for photos read and written on other threads: its XMP parser is set up once,
// here, on the calling thread.
void PrepareForThreads();

// "37.5000000 127.0000000": the position as the command line prints it.
std::string FormatPosition(const GeoPosition& position);

}  // namespace tavrin::photos
