// SPDX-License-Identifier: GPL-3.0-or-later
// The track store: one data folder of track files, with the three things done to it. The writer
// writes track files crash-safe (a download's, a cut, a recovered one); the file operations read,
// mark, compact and delete files named by their paths; the catalogue lists the tracks and days
// and tells its listeners what changed. The points a page shows or an export writes belong to
// their caller, which loads them through the file operations.
#pragma once

#include <filesystem>
#include <string>

#include "base/message_box.h"
#include "base/result.h"
#include "store/local_zone.h"
#include "store/track_catalogue.h"
#include "store/track_files.h"
#include "store/track_folder.h"
#include "store/track_writer.h"

namespace tavrin {

class TrackStore {
 public:
  explicit TrackStore(MessageBoxFn messageBox = nullptr);
  TrackStore(const TrackStore&) = delete;
  TrackStore& operator=(const TrackStore&) = delete;

  TrackWriter& Writer() { return writer_; }
  TrackFiles& Files() { return files_; }
  TrackCatalogue& Catalogue() { return catalogue_; }

  // Problems with single track files go here, with the file and the reason, instead of as a bare
  // message box text: the window shows the box and the reason, the command line prints both.
  void SetProblemReporter(TrackFileProblemFn reporter) { folder_.reporter = std::move(reporter); }
  // Tells a problem found by another reader of the folder's files (the history index) the same way.
  void ReportProblem(const TrackFileProblem& problem) const { folder_.Report(problem); }

  // Sets the folder of the track files, creates it when missing and recovers the tracks a
  // download that was killed left behind.
  Result<void> PrepareDataFolder(const std::filesystem::path& dataFolder);
  const std::string& DataFolder() const { return folder_.path; }
  // Names the data folder without making it or recovering anything in it, for a command that
  // only reads the track files it is given: their problems then say whether a file is in it.
  void NameDataFolder(std::string dataFolder) { folder_.path = std::move(dataFolder); }
  // The zone the lists show date-times in. Headers are shifted into it when they are listed;
  // points stay in UTC in the point lists and are shifted only where they are shown.
  void SetTimeZone(LocalZone zone) { folder_.zone = std::move(zone); }
  // One offset all year.
  void SetTimeZoneOffset(TimeZoneOffset offset) {
    folder_.zone = LocalZone::Fixed(offset.TotalMinutes());
  }
  const LocalZone& Zone() const { return folder_.zone; }
  // "<data folder>/20yymmdd_hhmmss.bt0" from the header's first date-time (UTC).
  std::string TrackFileName(const TrackHeader& header) const {
    return folder_.TrackFileName(header);
  }
  // Whether track files can be made and written in the data folder, found by writing a test
  // file there: permission bits do not stop root, and a read-only or full file system passes
  // access(). A read asks this before it asks the logger for anything.
  Result<void> CheckTracksCanBeWritten() const;

 private:
  TrackFolder folder_;  // first: the three below hold on to it
  TrackWriter writer_{folder_};
  TrackFiles files_{folder_};
  TrackCatalogue catalogue_{folder_};
};

}  // namespace tavrin
