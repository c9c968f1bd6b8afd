// The track store: the data folder of track files, the track being written during a download,
// and the lists of tracks, days and points that the pages show and the exports read.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/message_box.h"
#include "store/savelog.h"
#include "store/store_messages.h"
#include "store/track_header.h"
#include "store/track_rows.h"

namespace tavrin {

constexpr long long kTrackGapSeconds = 600;  // a longer silence starts a new track

// A calendar date with the full year, for period listings; both ends are included.
struct CalendarDate {
  int year = 0;
  int month = 0;
  int day = 0;
  friend auto operator<=>(const CalendarDate&, const CalendarDate&) = default;
};

struct RecordTally;

class CTrackStore {
 public:
  explicit CTrackStore(MessageBoxFn messageBox = nullptr);
  ~CTrackStore();
  CTrackStore(const CTrackStore&) = delete;
  CTrackStore& operator=(const CTrackStore&) = delete;

  // Problems with single track files go here, with the file and the reason, instead of as a bare
  // message box text: the window shows the box and the reason, the command line prints both.
  void SetProblemReporter(TrackFileProblemFn reporter) { reporter_ = std::move(reporter); }

  // ---- data folder and time zone
  // Sets the folder of the track files and creates it when missing.
  bool PrepareDataFolder(const std::filesystem::path& dataFolder);
  const std::string& DataFolder() const { return dataFolder_; }
  void SetTimeZoneOffset(TimeZoneOffset offset) { offset_ = offset; }
  TimeZoneOffset Offset() const { return offset_; }

  // "<data folder>/20yymmdd_hhmmss.bt0" from the header's first date-time (UTC).
  std::string TrackFileName(const TRACKHEADER& header) const;
  // "<data folder>/20yymmdd.bt1": names a day; no such file is ever made.
  std::string DayEntryName(const DateTime6& date) const;

  // ---- writing a track
  // Starts a new track file named from the entry's first date-time and writes its header. An
  // existing file of that name (the same track read again) is written over from its start.
  bool OpenTrackFile(SAVESTATE& entry);
  // Writes one point after the previous one; returns the metres from the previous point.
  uint32_t AppendPoint(const SAVELOG& point);
  // Seconds from the previous point (0 when none); empty when a date-time is not a calendar
  // date-time.
  std::optional<long long> PointGapSeconds(const SAVELOG& point) const;
  // Makes what has been written so far durable: the points, then a header that counts them, so
  // that a crash loses nothing written before this call.
  bool CheckpointTrackFile(const SAVESTATE& entry, uint32_t count);
  // Finishes the file: with count > 0 the header gets the count, the last date-time from the
  // previous point and the elapsed seconds.
  bool CloseTrackFile(SAVESTATE entry, uint32_t count);
  bool IsWriting() const { return writeFd_ >= 0; }
  const SAVELOG& PreviousPoint() const { return previous_; }

  // ---- reading and changing track files
  // The file's header as a track entry. A count beyond the records the file holds is cut to
  // them (and reported); a file that is no track file is reported and gives nothing.
  std::optional<SAVESTATE> ReadTrackHeader(const std::string& path);
  // Appends the points among the first `pointCount` records of the entry's file (deleted ones
  // and records without a real date-time left out, the rest shifted into the time zone) to
  // `out`. False when the file cannot be read or none of its counted records is a point.
  bool ReadTrackPoints(const SAVESTATE& entry, PointVector& out);
  // Sets the deleted mark of the points at the given positions in the file.
  bool MarkPointsDeleted(const SAVESTATE& entry, std::span<const size_t> positions);
  // Drops the deleted points from the entry's file and updates the entry to match. The file is
  // rewritten beside the old one and renamed over it, so a failure leaves the old track whole.
  bool CompactTrackFile(SAVESTATE& entry);
  bool DeleteTrackFile(const SAVESTATE& entry);

  // ---- lists
  void ListTracks(IEntryRows* list, bool byDay);
  void ListTracksInPeriod(IEntryRows* list, bool byDay, CalendarDate from, CalendarDate to);
  void ShowEntryRow(IEntryRows& list, int index, const SAVESTATE& entry) const;
  // With a list: fills the point list and the list. Without: fills the export point list.
  bool LoadTrackPoints(const SAVESTATE& entry, IPointRows* list);
  bool LoadDayPoints(const SAVESTATE& day, IPointRows* list);
  bool DeleteDay(size_t index, const SAVESTATE& day);
  bool RemoveTrackEntry(size_t index);
  // The download adds the entry of each track file it opens.
  void AddTrackEntry(const SAVESTATE& entry) { trackEntries_.push_back(entry); }

  const std::vector<SAVESTATE>& TrackEntries() const { return trackEntries_; }
  const std::vector<SAVESTATE>& DayEntries() const { return dayEntries_; }
  const PointVector& PointList() const { return pointList_; }
  const PointVector& ExportPointList() const { return exportPointList_; }
  PointVector& ExportPointList() { return exportPointList_; }

 private:
  struct Listing;

  void ShowError(const std::string& text) const;
  void Report(const TrackFileProblem& problem) const;
  std::vector<std::string> TrackFileNames(int folderFd) const;
  void ListFiles(IEntryRows* list, bool byDay, const std::optional<CalendarDate>& from,
                 const std::optional<CalendarDate>& to);
  void AddToDay(Listing& listing, IEntryRows* list, SAVESTATE track);
  void CloseDay(Listing& listing, IEntryRows* list);
  bool FlushPoints();
  bool WriteHeader(const TRACKHEADER& header);
  bool FinishHeader(SAVESTATE& entry, uint32_t count);
  PointVector& TargetPoints(IPointRows* list);
  bool ReadPointsFrom(int fd, off_t size, const SAVESTATE& entry, PointVector& out);
  // Tells of the records of a read that were no points and of a failed read; false when the read
  // gave nothing usable.
  bool ReportRecords(const std::string& path, const RecordTally& tally, size_t loaded) const;
  std::optional<std::vector<SAVELOG>> KeptPoints(int fd, off_t size, const SAVESTATE& entry) const;

  MessageBoxFn messageBox_;
  TrackFileProblemFn reporter_;
  std::string dataFolder_;
  TimeZoneOffset offset_;

  int writeFd_ = -1;
  off_t writeEnd_ = 0;  // where the next point goes
  std::string writePath_;
  SAVELOG previous_{};
  std::vector<SAVELOG> pendingPoints_;  // appended but not yet written
  int writeError_ = 0;                  // first errno of a failed write to the open file

  std::vector<SAVESTATE> trackEntries_;
  std::vector<SAVESTATE> dayEntries_;
  PointVector pointList_;
  PointVector exportPointList_;
};

}  // namespace tavrin
