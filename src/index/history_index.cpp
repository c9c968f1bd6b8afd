// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/history_index.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tavrin::index {
namespace {

// Raised when what the tables hold changes: an older database is made again.
constexpr int kSchemaVersion = 2;

// The tracks' boxes are a narrow plain table: a decade is some ten thousand rows, which SQLite
// passes over in about a millisecond, while an R-tree would cost some six internal writes a track
// and more than halve the speed of making the index.
constexpr char kTables[] =
    "CREATE TABLE IF NOT EXISTS tracks("
    " id INTEGER PRIMARY KEY, name TEXT UNIQUE NOT NULL, size INTEGER NOT NULL,"
    " mtime INTEGER NOT NULL, inode INTEGER NOT NULL, usable INTEGER NOT NULL,"
    " points INTEGER NOT NULL, first_time INTEGER NOT NULL, last_time INTEGER NOT NULL,"
    " runs BLOB);"
    "CREATE TABLE IF NOT EXISTS track_boxes("
    " id INTEGER PRIMARY KEY, south REAL NOT NULL, north REAL NOT NULL, west REAL NOT NULL,"
    " east REAL NOT NULL, first_time INTEGER NOT NULL, last_time INTEGER NOT NULL);";

constexpr char kSetVersion[] = "PRAGMA user_version = 2";
static_assert(kSchemaVersion == 2, "kSetVersion names the version");

// FNV-1a: a short, stable name for a folder's path.
uint64_t PathHash(const std::string& text) {
  uint64_t hash = 14695981039346656037ULL;
  for (const unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  return hash;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

bool LocalPeriod::Holds(const TrackPoint& point) const {
  const DateTime shown = zone.ToLocal(point.GetDateTime());
  const CalendarDate date{2000 + shown.year, shown.month, shown.day};
  return from <= date && date <= to;
}

std::string IndexFileFor(const std::string& dataFolder, const std::string& xdgCacheHome,
                         const std::string& home) {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::weakly_canonical(dataFolder, error);
  if (error) folder = std::filesystem::absolute(dataFolder, error);
  const std::filesystem::path cache = !xdgCacheHome.empty() && xdgCacheHome.front() == '/'
                                          ? std::filesystem::path(xdgCacheHome)
                                          : std::filesystem::path(home) / ".cache";
  char name[40];
  std::snprintf(name, sizeof name, "history-%016llx.sqlite",
                static_cast<unsigned long long>(PathHash(folder.string())));
  return (cache / "tavrin-lite" / name).string();
}

std::string IndexFileFor(const std::string& dataFolder) {
  return IndexFileFor(dataFolder, Environment("XDG_CACHE_HOME"), Environment("HOME"));
}

HistoryIndex::HistoryIndex(std::string dataFolder, TrackFileProblemFn reporter)
    : dataFolder_(std::move(dataFolder)), reporter_(std::move(reporter)) {}

bool HistoryIndex::Open(const std::string& file) {
  file_ = file;
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), error);
  busy_ = false;
  if (!db_.Open(file)) {
    busy_ = db_.LastFailureWasBusy();
    if (!db_.IsOpen()) {
      // Not even opened (no permission for the cache folder or the file): nothing to make anew.
      GiveUp("cannot be opened (" + db_.LastError() + ")");
      return false;
    }
  } else if (MakeTables()) {
    return true;
  }
  // Another program making or changing it at this moment is waited for only so long; its work
  // must not be thrown away.
  if (busy_) {
    GiveUp("is busy in another program");
    return false;
  }
  // Damaged, of another version, or not a database at all: it is only derived data.
  return Recreate(file);
}

// The tables are made in a transaction of their own, so that two programs opening a new index at
// once make them once.
bool HistoryIndex::MakeTables() {
  if (!db_.Exec("BEGIN IMMEDIATE")) {
    busy_ = db_.LastFailureWasBusy();
    return false;
  }
  Statement version = db_.Prepare("PRAGMA user_version");
  const bool read = version.Step();
  const int64_t found = read ? version.Int(0) : -1;
  version = Statement();
  const bool made = read && (found == 0 || found == kSchemaVersion) && db_.Exec(kTables) &&
                    (found != 0 || db_.Exec(kSetVersion)) && db_.Exec("COMMIT");
  if (!made) {
    busy_ = db_.LastFailureWasBusy();
    db_.Exec("ROLLBACK");
    return false;
  }
  Statement check = db_.Prepare("PRAGMA quick_check");
  return check.Step() && check.Text(0) == "ok";
}

bool HistoryIndex::Recreate(const std::string& file) {
  db_.Close();
  std::error_code error;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::filesystem::remove(file + suffix, error);
  }
  if (db_.Open(file) && MakeTables()) return true;
  file_ = file;
  GiveUp("cannot be used (" + db_.LastError() + ")");
  return false;
}

void HistoryIndex::GiveUp(const std::string& why) {
  trouble_ = "The history index " + file_ + " " + why +
             "; searches read every track file instead, which is slower.";
  if (db_.IsOpen()) db_.Exec("ROLLBACK");
  db_.Close();
}

}  // namespace tavrin::index
