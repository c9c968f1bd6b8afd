// SPDX-License-Identifier: GPL-3.0-or-later
// What the session tells the user, without the words: each outcome is a kind with its figures
// and the place it is shown. The front ends put it into words (src/wording), so that the window
// can translate it and a program without a window can show it its own way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/message_box.h"
#include "protocol/note_group.h"
#include "store/track_point.h"

namespace tavrin {

// Each kind names in brackets the figures of SessionReport its words use.
enum class SessionReportKind {
  ReadDone,                 // a read ended with points (read, endedByFrame)
  NothingRead,              // a read ended without a point (read: the read mode says which)
  SuccessWithoutRead,       // an end of message came while no read ran (endedByFrame)
  TimeOver,                 // the logger gave up waiting, no read running
  ReadTimeOver,             // the logger gave up waiting during a read (read)
  FlashError,               // the logger's flash memory failed (flashErrorCode)
  MemoryErased,             // the erase finished
  ConnectionLost,           // the line went down, no read running (port)
  ReadConnectionLost,       // the line went down during a read (port, read)
  ReadStoppedByUser,        // the user's stop ended a read (read)
  LoggerStoppedAnswering,   // silent after sending something of the read (read)
  LoggerDidNotAnswer,       // silent from the read command on (read)
  TrackFileFailed,          // a track file of the read failed (trouble)
  ReadStoppedByTrackFile,   // the read was stopped for its first failed track file (trouble, read)
  ImpossibleStartDateTime,  // the track information's start cannot be (dateTime)
  ImpossiblePointDateTime,  // a point's date-time cannot be (pointNumber, dateTime)
  ImpossibleTrackDateTime,  // a saved track's drive time could not be worked out (trackName)
  NoteGroupRefused,         // a note group breaks the logger's rule (noteGroup, its faults)
};

// A stored track that a read left as it was instead of its own copy.
struct StoredCopyKept {
  std::string name;           // the track file's name, without its folder
  uint32_t pointsRead = 0;    // points of the track in this read
  uint32_t storedPoints = 0;  // points of the stored copy
  bool edited = false;        // the user deleted points of the stored copy
};

// How far a read got: the figures of its messages.
struct ReadFigures {
  uint32_t pointsReceived = 0;          // points that arrived since the read command
  uint32_t pointsSaved = 0;             // of those, the points in track files put in place
  size_t filesWritten = 0;              // track files put in place
  std::vector<std::string> trackNames;  // their names, without the folder, in order
  int sectorsReceived = 0;              // sectors the logger finished
  int damagedItems = 0;                 // sentences and frames dropped for a bad checksum
  std::vector<StoredCopyKept> storedCopiesKept;
  uint8_t readMode = 0;  // ReadMode of the read command
};

// What went wrong with a track file.
enum class TrackFileFault {
  NotCreated,       // its file could not be made: none of its points are saved
  NotWritten,       // a write failed when the track ended (points: those written before)
  NotCheckpointed,  // the points so far could not be made durable at a Next Sector
  NotPutInPlace,    // the finished file could not be renamed (points: kept in its .part file)
};

struct TrackFileTrouble {
  TrackFileFault fault = TrackFileFault::NotCreated;
  std::string path;
  int error = 0;  // errno, 0 when none was given
  uint32_t points = 0;
};

// Where a report is shown: the status line, a box the user closes, or both (the status first).
enum class ReportPlace { StatusLine, Box, StatusLineAndBox };

struct SessionReport {
  SessionReportKind kind = SessionReportKind::ReadDone;
  ReportPlace place = ReportPlace::StatusLineAndBox;
  MsgIcon icon = MsgIcon::Warning;

  ReadFigures read;
  TrackFileTrouble trouble;
  bool endedByFrame = false;  // the read's end came as a binary frame, not as a sentence
  int flashErrorCode = 0;
  std::string port;          // the link's name
  DateTime dateTime;         // the impossible date-time
  uint32_t pointNumber = 0;  // counted from 1 within the read
  std::string trackName;
  std::string noteGroup;
  NoteGroupFaults noteGroupFaults;

  bool OnStatusLine() const { return place != ReportPlace::Box; }
  bool InBox() const { return place != ReportPlace::StatusLine; }
};

// The refusal of a note group that breaks the logger's rule, as a box; empty when it keeps the
// rule. The session sends none that breaks it, and the device settings dialog takes none.
std::optional<SessionReport> NoteGroupRefusal(std::string_view group,
                                              size_t limit = kNoteGroupLetters);

}  // namespace tavrin
