// SPDX-License-Identifier: GPL-3.0-or-later
// What the track writer, the file operations and the catalogue share: the data folder, the zone
// the lists show date-times in, and where problems and changes are told.
#pragma once

#include <filesystem>
#include <string>

#include "base/message_box.h"
#include "base/result.h"
#include "store/local_zone.h"
#include "store/store_messages.h"
#include "store/track_changes.h"
#include "store/track_header.h"

namespace tavrin {

struct TrackFolder {
  std::string path;  // the data folder
  LocalZone zone;
  MessageBoxFn messageBox;      // failures that are no single file's, and notices
  TrackFileProblemFn reporter;  // problems of single track files; a box when none is set
  TrackChangeListeners changes;
  bool listing = false;  // a listing runs: its problems are told as such

  void ShowError(const std::string& text) const;
  void ShowNotice(const std::string& text) const;
  void Report(const TrackFileProblem& problem) const;
  // "<data folder>/20yymmdd_hhmmss.bt0" from the header's first date-time (UTC).
  std::string TrackFileName(const TrackHeader& header) const;
};

// Whether track files can be kept in `folder`: makes it when missing, then makes and removes a
// file in it. Permission bits do not stop root and a read-only mount passes access(), so only a
// file actually made tells. The failure says why in words the user can act on.
Result<void> CheckTrackFolder(const std::filesystem::path& folder);
// Makes a file of a track header's size in `folder` and removes it again: the error number of
// what failed, 0 when tracks can be written there.
int TrackWriteError(const std::string& folder);

}  // namespace tavrin
