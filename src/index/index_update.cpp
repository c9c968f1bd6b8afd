// SPDX-License-Identifier: GPL-3.0-or-later
// Bringing the index up to date with the data folder: only files whose size, modification time
// or inode changed are read again, in transactions of a few hundred files, so that a stop or a
// kill keeps what was done.
#include <fcntl.h>

#include <algorithm>
#include <future>
#include <unordered_map>

#include "index/history_index.h"
#include "index/track_scan.h"
#include "store/posix_file.h"

namespace tavrin::index {
namespace {

constexpr size_t kFilesPerTransaction = 256;

struct KnownFile {
  int64_t id = 0;
  long long size = 0, mtimeNs = 0, inode = 0;
};

bool Same(const KnownFile& known, const FolderFile& file) {
  return known.size == file.size && known.mtimeNs == file.mtimeNs && known.inode == file.inode;
}

std::unordered_map<std::string, KnownFile> KnownFiles(const Database& db) {
  std::unordered_map<std::string, KnownFile> known;
  Statement rows = db.Prepare("SELECT name, id, size, mtime, inode FROM tracks");
  while (rows.Step()) known[rows.Text(0)] = {rows.Int(1), rows.Int(2), rows.Int(3), rows.Int(4)};
  return known;
}

class TrackRows {
 public:
  explicit TrackRows(const Database& db)
      : remove_(db.Prepare("DELETE FROM tracks WHERE id = ?")),
        removeBox_(db.Prepare("DELETE FROM track_boxes WHERE id = ?")),
        insert_(db.Prepare(
            "INSERT INTO tracks(name, size, mtime, inode, usable, points, first_time, last_time,"
            " runs) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)")),
        insertBox_(db.Prepare("INSERT INTO track_boxes VALUES(?, ?, ?, ?, ?, ?, ?)")),
        db_(db) {}

  bool Remove(int64_t id) { return Run(remove_.Bind(1, id)) && Run(removeBox_.Bind(1, id)); }

  // A file that cannot be used is kept too, without points, so that it is told of only once.
  bool Add(const FolderFile& file, const std::optional<TrackSummary>& summary) {
    const TrackSummary none;
    const TrackSummary& s = summary ? *summary : none;
    insert_.Bind(1, file.name).Bind(2, int64_t{file.size}).Bind(3, int64_t{file.mtimeNs});
    insert_.Bind(4, int64_t{file.inode}).Bind(5, int64_t{summary.has_value()});
    insert_.Bind(6, int64_t{s.points}).Bind(7, int64_t{s.firstTime}).Bind(8, int64_t{s.lastTime});
    insert_.Bind(9, RunsBlob(s.runs));
    if (!Run(insert_)) return false;
    if (!summary) return true;
    insertBox_.Bind(1, db_.LastInsertId()).Bind(2, s.box.south).Bind(3, s.box.north);
    insertBox_.Bind(4, s.box.west).Bind(5, s.box.east);
    insertBox_.Bind(6, static_cast<double>(s.firstTime)).Bind(7, static_cast<double>(s.lastTime));
    return Run(insertBox_);
  }

 private:
  static bool Run(Statement& statement) {
    statement.Step();
    const bool ok = !statement.Failed();
    statement.Reset();
    return ok;
  }

  Statement remove_, removeBox_, insert_, insertBox_;
  const Database& db_;
};

}  // namespace

IndexUpdate HistoryIndex::Update(const std::function<void(const IndexProgress&)>& progress,
                                 const std::atomic<bool>* stop) {
  IndexUpdate update;
  if (!db_.IsOpen()) return update;
  const std::vector<FolderFile> files = ScanTrackFiles(dataFolder_);
  update.tracks = files.size();
  std::unordered_map<std::string, KnownFile> known = KnownFiles(db_);
  std::vector<const FolderFile*> changed;
  size_t stillThere = 0;
  for (const FolderFile& file : files) {
    const auto found = known.find(file.name);
    if (found != known.end() && Same(found->second, file)) {
      known.erase(found);
      continue;
    }
    changed.push_back(&file);
    stillThere += found != known.end();
  }
  // What is left of `known` is gone from the folder or changed: its rows go first.
  if (known.empty() && changed.empty()) return update;
  TrackRows rows(db_);
  bool written = db_.Exec("BEGIN IMMEDIATE");
  for (const auto& [name, file] : known) written = written && rows.Remove(file.id);
  update.removed = known.size() - stillThere;
  const UniqueFd folder = OpenFile(dataFolder_, O_RDONLY | O_DIRECTORY);
  IndexProgress told{0, changed.size()};
  // The files of the next transaction are read and summed up on other threads while this one
  // writes the rows of the files before.
  const auto summarise = [&](size_t from) {
    const size_t to = std::min(changed.size(), from + kFilesPerTransaction);
    return std::async(std::launch::async, [&, from, to] {
      return SummariseFiles(folder.Get(), dataFolder_, {changed.data() + from, to - from});
    });
  };
  auto next = summarise(0);
  for (size_t from = 0; from < changed.size(); from += kFilesPerTransaction) {
    std::vector<SummarisedFile> done = next.get();
    const bool stopping = stop != nullptr && stop->load();
    if (!stopping && from + kFilesPerTransaction < changed.size()) {
      next = summarise(from + kFilesPerTransaction);
    }
    for (size_t i = 0; i < done.size(); ++i) {
      for (const TrackFileProblem& problem : done[i].problems) {
        if (reporter_) reporter_(problem);
      }
      written = written && rows.Add(*changed[from + i], done[i].summary);
      ++(done[i].summary ? update.indexed : update.unreadable);
    }
    told.done += done.size();
    written = written && db_.Exec("COMMIT; BEGIN IMMEDIATE");
    if (!written) break;  // the files being summed up are waited for as `next` goes
    if (progress) progress(told);
    if (stopping && told.done < told.total) {
      update.stopped = true;
      break;
    }
  }
  if (written && db_.Exec("COMMIT")) return update;
  // A full disk, a file-size limit, a database another program holds too long: what this update
  // wrote is undone, and the searches read the track files themselves from now on.
  GiveUp("cannot be written (" + db_.LastError() + ")");
  update.failed = true;
  return update;
}

}  // namespace tavrin::index
