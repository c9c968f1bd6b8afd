// SPDX-License-Identifier: GPL-3.0-or-later
// What changed among the stored tracks, told to whoever listens: the pages, the History page's
// index and the logbook each refresh what they hold from these notices instead of being told by
// each command that changes a file.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tavrin {

enum class TrackChange {
  Saved,      // a track file was written: a download's track, a recovered one, a cut
  Compacted,  // points of a track were marked deleted or dropped from its file
  Deleted,    // track files were deleted
  Imported,   // other devices' tracks were stored (by an import on its own store)
};

struct TrackChangeNotice {
  TrackChange change = TrackChange::Saved;
  std::vector<std::string> paths;  // the track files concerned
};

using TrackChangeFn = std::function<void(const TrackChangeNotice&)>;

class TrackChangeListeners {
 public:
  // The number to stop listening with.
  int Add(TrackChangeFn listener) {
    listeners_[++last_] = std::move(listener);
    return last_;
  }
  void Remove(int id) { listeners_.erase(id); }
  // Tells every listener, in the order they came; a listener may stop listening meanwhile.
  void Tell(const TrackChangeNotice& notice) const {
    const auto listeners = listeners_;
    for (const auto& [id, listener] : listeners) listener(notice);
  }

 private:
  std::map<int, TrackChangeFn> listeners_;
  int last_ = 0;
};

}  // namespace tavrin
