// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the points a reader finds into track files: each point checked and made a track point,
// cut into tracks where a download cuts them (StartsNewTrack), given speed and heading from its
// neighbours where the file had none, and written through the store's crash-safe path under a
// free name, unless the store holds the same track already.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "import/file_import.h"
#include "import/imported_point.h"
#include "store/track_store.h"

namespace tavrin::imports {

// 2000-01-01 00:00:00 to 2099-12-31 23:59:59 UTC: the years a track file names.
constexpr long long kFirstStorableSecond = 946684800;
constexpr long long kLastStorableSecond = 4102444799;

DateTime UtcDateTime(long long utcSeconds);

// Fills in speed and heading where the file gave none, from the point before and after.
void FillMotion(std::vector<ImportedPoint>& track);

class TrackSplitter final : public PointSink {
 public:
  // With `holdTracks` nothing is written until WriteHeld: an all-or-nothing import.
  TrackSplitter(TrackStore& store, FileImport& result, bool holdTracks);

  void Point(const ImportedPoint& point) override;
  void Dropped(std::string_view what) override;
  void Skipped(long line, std::string_view why) override;

  // The file is read to its end: its last track is written (or held).
  void Finish();
  bool WriteFailed() const { return writeFailed_; }
  // The file is abandoned: the track being gathered is not written.
  void Discard() {
    track_.clear();
    held_.clear();
  }
  void WriteHeld();
  // Puts what was skipped, dropped and repeated into the file's result, each kind once.
  void Summarise();

 private:
  void EndTrack();
  void WriteTrack(std::vector<ImportedPoint>& track);

  struct SkippedKind {
    long firstLine = 0;
    size_t count = 0;
  };

  TrackStore& store_;
  FileImport& result_;
  bool holdTracks_;
  std::vector<ImportedPoint> track_;
  std::vector<std::vector<ImportedPoint>> held_;
  TrackPoint previous_{};
  long long previousSeconds_ = 0;
  bool havePrevious_ = false;
  size_t repeated_ = 0;
  bool writeFailed_ = false;
  std::set<std::string> dropped_;
  std::map<std::string, SkippedKind, std::less<>> skipped_;
};

}  // namespace tavrin::imports
