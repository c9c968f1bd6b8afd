// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the points a reader finds into track files. Each track of the file is taken on its own
// (routes and waypoints only when the file has no track): its points checked, put in time order,
// a repeat of a second kept once, cut into tracks where a download cuts them (StartsNewTrack),
// given speed and heading from their neighbours where the file had none, and written through the
// store's crash-safe path under a free name, unless the store holds the same track already.
#pragma once

#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "import/file_import.h"
#include "import/imported_point.h"
#include "store/track_store.h"

namespace tavrin::imports {

// 2000-01-01 00:00:00 to 2099-12-31 23:59:59 UTC: the years a track file names.
constexpr long long kFirstStorableSecond = 946684800;
constexpr long long kLastStorableSecond = 4102444799;

// Fills in speed and heading where the file gave none, from the point before and after.
void FillMotion(std::span<ImportedPoint> track);

// Puts a list's points in time order, the first of the file's order first among points of the
// same second, without a copy of the list.
void SortByTime(std::vector<ImportedPoint>& points);

class TrackSplitter final : public PointSink {
 public:
  // With `holdTracks` nothing is written until WriteHeld: an all-or-nothing import.
  TrackSplitter(TrackStore& store, FileImport& result, bool holdTracks);

  void Point(const ImportedPoint& point, PointList list) override;
  void ListEnds(PointList list) override;
  void Dropped(std::string_view what) override;
  void Skipped(long line, std::string_view why) override;
  void LeftOut(long line, std::string_view why) override;

  // The file is read to its end: its last lists are written (or held).
  void Finish();
  bool WriteFailed() const { return writeFailed_; }
  // The file is abandoned: nothing more of it is written.
  void Discard();
  void WriteHeld();
  // Puts what was skipped, dropped and repeated into the file's result, each kind once.
  void Summarise();

 private:
  struct LineCount {
    long firstLine = 0;
    size_t count = 0;
  };
  using CountsByKind = std::map<std::string, LineCount, std::less<>>;

  bool Storable(const ImportedPoint& point);
  void FirstTrackPoint();
  void EndList(std::vector<ImportedPoint>& points);
  void DropRepeats(std::vector<ImportedPoint>& points);
  void WriteList(std::span<ImportedPoint> points);
  void WriteTrack(std::span<ImportedPoint> track);
  static void Count(CountsByKind& counts, long line, std::string_view why);

  TrackStore& store_;
  FileImport& result_;
  bool holdTracks_;
  uint32_t order_ = 0;
  bool hasTrack_ = false;
  std::vector<ImportedPoint> track_;
  // Until the file shows a track, its routes and waypoints are kept: they may be all it has.
  std::vector<ImportedPoint> route_;
  std::vector<std::vector<ImportedPoint>> routes_;
  std::vector<ImportedPoint> waypoints_;
  std::vector<std::vector<ImportedPoint>> held_;
  size_t repeated_ = 0;
  LineCount otherPosition_;
  size_t unorderedLists_ = 0;
  bool writeFailed_ = false;
  std::set<std::string> dropped_;
  CountsByKind skipped_;
  CountsByKind leftOut_;
};

}  // namespace tavrin::imports
