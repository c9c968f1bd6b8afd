// SPDX-License-Identifier: GPL-3.0-or-later
// Bringing the index up to date with the data folder: only files whose size, modification time
// or inode changed are read again, in transactions of a few hundred files, so that a stop or a
// kill keeps what was done.
#include <fcntl.h>

#include <algorithm>
#include <unordered_map>

#include "index/history_index.h"
#include "index/track_scan.h"
#include "store/posix_file.h"

namespace tavrin::index {
namespace {

constexpr size_t kFilesPerTransaction = 256;

struct KnownFile {
  int64_t id = 0;
  FileStamp stamp;
};

std::unordered_map<std::string, KnownFile> KnownFiles(const Database& db) {
  std::unordered_map<std::string, KnownFile> known;
  Statement rows = db.Prepare("SELECT name, id, size, mtime, inode FROM tracks");
  while (rows.Step()) {
    known[rows.Text(0)] = {rows.Int(1), {rows.Int(2), rows.Int(3), rows.Int(4)}};
  }
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
  bool Add(const std::string& name, const SummarisedFile& file) {
    const std::optional<TrackSummary>& summary = file.summary;
    const TrackSummary none;
    const TrackSummary& s = summary ? *summary : none;
    insert_.Bind(1, name).Bind(2, int64_t{file.stamp.size}).Bind(3, int64_t{file.stamp.mtimeNs});
    insert_.Bind(4, int64_t{file.stamp.inode}).Bind(5, int64_t{summary.has_value()});
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

int64_t DataVersion(const Database& db) {
  Statement version = db.Prepare("PRAGMA data_version");
  return version.Step() ? version.Int(0) : -1;
}

// Removes the rows of the named files that `known` holds.
bool RemoveRowsOf(std::span<const std::string* const> names,
                  const std::unordered_map<std::string, KnownFile>& known, TrackRows& rows) {
  for (const std::string* name : names) {
    const auto found = known.find(*name);
    if (found != known.end() && !rows.Remove(found->second.id)) return false;
  }
  return true;
}

// What an update does: the rows to remove first (files gone or changed) and the files to read.
struct UpdatePlan {
  std::vector<int64_t> outdated;
  std::vector<const std::string*> changed;
  size_t tracks = 0;  // track files in the folder
  size_t gone = 0;    // of the rows removed, those whose file is no longer there
};

// The folder's track files, with each one's stamp once it has been looked at.
class FolderLook {
 public:
  FolderLook(int folderFd, std::vector<std::string> names)
      : folderFd_(folderFd), names_(std::move(names)), stamps_(names_.size()) {}

  // A file the index knows is looked at; one it does not know is read without a look first,
  // and its stamp is taken as it is read.
  UpdatePlan PlanAgainst(std::unordered_map<std::string, KnownFile> known) {
    UpdatePlan plan;
    size_t stillThere = 0;
    for (size_t i = 0; i < names_.size(); ++i) {
      const auto found = known.find(names_[i]);
      if (found != known.end()) {
        const std::optional<FileStamp>& now = StampAt(i);
        if (!now) continue;  // gone since the listing: its row goes with the others in `known`
        if (*now == found->second.stamp) {
          known.erase(found);
          ++plan.tracks;
          continue;
        }
        ++stillThere;
      }
      plan.changed.push_back(&names_[i]);
      ++plan.tracks;
    }
    // What is left of `known` is gone from the folder or changed.
    for (const auto& [name, file] : known) plan.outdated.push_back(file.id);
    plan.gone = known.size() - stillThere;
    return plan;
  }

 private:
  const std::optional<FileStamp>& StampAt(size_t i) {
    if (!stamps_[i].first) stamps_[i] = {true, StampOf(folderFd_, names_[i])};
    return stamps_[i].second;
  }

  int folderFd_;
  std::vector<std::string> names_;
  std::vector<std::pair<bool, std::optional<FileStamp>>> stamps_;
};

}  // namespace

IndexUpdate HistoryIndex::Update(const std::function<void(const IndexProgress&)>& progress,
                                 const std::atomic<bool>* stop) {
  IndexUpdate update;
  if (!db_.IsOpen()) return update;
  const UniqueFd folder = OpenFile(dataFolder_, O_RDONLY | O_DIRECTORY);
  FolderLook look(folder.Get(), TrackFileNames(folder.Get()));
  int64_t version = DataVersion(db_);
  UpdatePlan plan = look.PlanAgainst(KnownFiles(db_));
  if (plan.changed.empty() && plan.outdated.empty()) {
    update.tracks = plan.tracks;
    return update;
  }
  TrackRows rows(db_);
  bool written = db_.Exec("BEGIN IMMEDIATE");
  // Another program (the window, another tavrin) may have written the rows since they were read:
  // the plan is made again from the rows as they are now that no other program can write.
  if (written && DataVersion(db_) != version) plan = look.PlanAgainst(KnownFiles(db_));
  for (const int64_t id : plan.outdated) written = written && rows.Remove(id);
  update.tracks = plan.tracks;
  update.removed = plan.gone;
  const std::vector<const std::string*>& changed = plan.changed;
  IndexProgress told{0, changed.size()};
  // The files are read and summed up on other threads while this one stores those before.
  SummaryStream stream(folder.Get(), dataFolder_, changed);
  for (size_t i = 0; written && i < changed.size(); ++i) {
    const SummarisedFile file = stream.Take(i);
    for (const TrackFileProblem& problem : file.problems) {
      if (reporter_) reporter_(problem);
    }
    written = rows.Add(*changed[i], file);
    ++(file.summary ? update.indexed : update.unreadable);
    if ((i + 1) % kFilesPerTransaction != 0 && i + 1 != changed.size()) continue;
    told.done = i + 1;
    // Read while no other program can write: any commit of another after this one's changes it.
    version = DataVersion(db_);
    written = written && db_.Exec("COMMIT");
    written = written && db_.Exec("BEGIN IMMEDIATE");
    // Rows another program wrote in between for the files still to come give way to this one's.
    if (written && DataVersion(db_) != version) {
      written = RemoveRowsOf({changed.begin() + static_cast<ptrdiff_t>(i + 1), changed.end()},
                             KnownFiles(db_), rows);
    }
    if (!written) break;
    if (progress) progress(told);
    if (stop != nullptr && stop->load() && told.done < told.total) {
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
