// SPDX-License-Identifier: GPL-3.0-or-later
// The track store's own message texts, shared by its file and list operations, and the record
// of what is wrong with one track file.
#pragma once

#include <functional>
#include <string>

namespace tavrin {

inline constexpr char kCannotFindFile[] = "Error.. Cannot find file.";
inline constexpr char kFileOpenError[] = "Unknown Data file(File Open Error).";
inline constexpr char kDataError[] = "Unknown Data file(Data Error).";
// How a problem's detail ends when the file is best taken out of the listings' way; a file named
// from outside the data folder gets other words for it (TrackFolder::Report).
inline constexpr char kMoveItOut[] = "move it out of the data folder.";

// One problem with one track file. The window shows `message` in its box and `Line()` on the
// status line; the command line prints `Line()`. Five bad files must read as five different
// lines, so the file and the reason travel with the short text.
struct TrackFileProblem {
  const char* message = kDataError;  // one of the short texts above
  std::string path;                  // the track file
  std::string detail;                // what is wrong, and what the user can do about it
  bool inListing = false;            // met while listing the folder, which meets it every time

  std::string Line() const { return path + ": " + message + " " + detail; }
};

using TrackFileProblemFn = std::function<void(const TrackFileProblem&)>;

}  // namespace tavrin
