// SPDX-License-Identifier: GPL-3.0-or-later
// The history index: for every track file of a data folder, its span, its box and the boxes of
// its runs of points, in an SQLite database in the user's cache folder. It is derived from the
// track files alone and kept current on each use by their sizes and modification times; a
// missing, old or damaged database is made again, and without one the search reads every file.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/sqlite_handle.h"
#include "index/place.h"
#include "index/point_runs.h"
#include "store/local_zone.h"
#include "store/store_messages.h"
#include "store/track_catalogue.h"

namespace tavrin::index {

// The database for a data folder: "<cache>/tavrin-lite/history-<hash of the folder>.sqlite",
// with <cache> $XDG_CACHE_HOME or ~/.cache (empty strings: unset).
std::string IndexFileFor(const std::string& dataFolder, const std::string& xdgCacheHome,
                         const std::string& home);
// The same with this process's environment.
std::string IndexFileFor(const std::string& dataFolder);

// One time a track was in the place: its file, when it came and left (UTC seconds), and how
// close it came (metres; 0 inside a box).
struct Passage {
  std::string path;
  long long firstUtc = 0, lastUtc = 0;
  double closest = 0;
};

// Local days, both included, in a zone: the days of a search.
struct LocalPeriod {
  CalendarDate from{0, 1, 1}, to{9999, 12, 31};
  LocalZone zone;
  bool Holds(const TrackPoint& point) const;
};

// A track file as the index holds it.
struct IndexedTrack {
  std::string path;
  long long firstUtc = 0, lastUtc = 0;
  uint32_t points = 0;
  GeoBox box;
  std::vector<PointRun> runs;  // where in the file the points of a part of the map lie
};

struct IndexProgress {
  size_t done = 0, total = 0;  // track files looked at, and to look at
};

// How an update went: files indexed again, files gone, files that could not be read.
struct IndexUpdate {
  size_t indexed = 0, removed = 0, unreadable = 0, tracks = 0;
  bool stopped = false;
  bool failed = false;  // the database could not be written: it is no longer used
};

class HistoryIndex {
 public:
  // `reporter` is told, once for each state of the file, of a track file that cannot be read.
  HistoryIndex(std::string dataFolder, TrackFileProblemFn reporter);

  // Opens the database at `file`, making it (and its folder) when missing and again when it is
  // damaged or of another version. False, with Trouble(), when no database can be used there:
  // the searches then read the track files themselves.
  bool Open(const std::string& file);
  bool IsOpen() const { return db_.IsOpen(); }
  const std::string& Trouble() const { return trouble_; }

  // Indexes the track files that are new or changed and forgets those gone, telling `progress`
  // as it goes; `stop` set ends it early, keeping what was done. When the database cannot be
  // written the update is undone and the index is closed (Trouble() says why).
  IndexUpdate Update(const std::function<void(const IndexProgress&)>& progress = nullptr,
                     const std::atomic<bool>* stop = nullptr);

  // The passages through the place within the period, in time order. The index is brought up
  // to date first; without one, every track file is read.
  std::vector<Passage> Find(const Place& place, const std::optional<LocalPeriod>& period);
  // The track files with a point in the period (every one without a period), in time order,
  // the index brought up to date first; without one, from every file's own summary.
  std::vector<IndexedTrack> Tracks(const std::optional<LocalPeriod>& period);
  // The track files the index keeps as unusable (told of when they were read): a command that
  // is run again names them again, as a listing does.
  std::vector<std::string> UnusableFiles() const;

 private:
  struct Stored;
  bool MakeTables();
  bool Recreate(const std::string& file);
  // Stops using the database, with why in Trouble().
  void GiveUp(const std::string& why);

  std::string dataFolder_;
  TrackFileProblemFn reporter_;
  Database db_;
  std::string file_;
  std::string trouble_;
  bool busy_ = false;  // the last open failed because another program held the database
};

}  // namespace tavrin::index
