// SPDX-License-Identifier: GPL-3.0-or-later
// The texts name the window's buttons and the command line's flags: both front ends show them.
#include "wording/session_wording.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "protocol/read_modes.h"

namespace tavrin {
namespace {

const char kConnectionError[] = "Error is Connection program to Device.";

std::string Count(uint32_t n) {
  return std::to_string(n);
}

bool NewTracksRead(uint8_t mode) {
  return mode == kReadNewBinary || mode == kReadNewNmea;
}

// A read's end as the sentence and the frame spell it.
std::string DoneText(bool endedByFrame) {
  return endedByFrame ? "Read done." : "Read Done.";
}

std::string StoredCopiesText(const std::vector<StoredCopyKept>& copies) {
  std::string text;
  for (const StoredCopyKept& kept : copies) {
    if (kept.edited) {
      text += " The stored track " + kept.name +
              " holds your edits (points you deleted), so it is kept as it is and the logger's "
              "copy (" +
              Count(kept.pointsRead) +
              " points) is not stored. To take the logger's copy, delete the track on the Track "
              "Record page and read it again.";
    } else {
      text += " The stored track " + kept.name + " has more points (" + Count(kept.storedPoints) +
              ") than this read got (" + Count(kept.pointsRead) + "), so it is kept as it was.";
    }
  }
  return text;
}

std::string NothingReadText(uint8_t mode) {
  if (mode == kReadPeriodBinary || mode == kReadPeriodNmea) {
    return "The logger holds no track point in the chosen period, so nothing was read. Choose "
           "another period, or get all tracks.";
  }
  if (NewTracksRead(mode)) {
    return "The logger holds no new track point, so nothing was read. Get All Tracks (tavrin "
           "read --all) reads the tracks read before again.";
  }
  return "The logger holds no track point, so nothing was read.";
}

// What it found, then what went wrong on the way, so that "done" is never read before the
// warning that some points are missing.
std::string ReadEndText(const SessionReport& report) {
  const ReadFigures& read = report.read;
  std::string text = report.kind == SessionReportKind::NothingRead ? NothingReadText(read.readMode)
                                                                   : DoneText(report.endedByFrame);
  if (read.damagedItems > 0) {
    text += " " + std::to_string(read.damagedItems) +
            (read.damagedItems == 1 ? " item was" : " items were") +
            " damaged on the line and dropped during the read, so some points may be missing. "
            "Read all tracks again to get them.";
  }
  return text + StoredCopiesText(read.storedCopiesKept);
}

// The system's words for an error number, nothing without one.
std::string SystemText(int error) {
  return error != 0 ? std::strerror(error) : "";
}

// What went wrong with the track file, without the advice.
std::string TroubleText(const TrackFileTrouble& trouble) {
  const std::string& path = trouble.path;
  switch (trouble.fault) {
    case TrackFileFault::NotCreated:
      return "Cannot create the track file " + path + ": " + SystemText(trouble.error) +
             ". Its points are not saved.";
    case TrackFileFault::NotCheckpointed:
      return "Could not write the track file " + path + ": " + SystemText(trouble.error) + ".";
    case TrackFileFault::NotPutInPlace:
      return "Cannot put the track file " + path + " in place: " + std::strerror(trouble.error) +
             ". Its " + Count(trouble.points) + " points are kept in " +
             std::filesystem::path(path).filename().string() +
             ".part and are saved at the next start.";
    case TrackFileFault::NotWritten:
      return "Could not write the track file " + path + ": " + std::strerror(trouble.error) + ". " +
             (trouble.points == 0
                  ? "None of its points could be written."
                  : "The " + Count(trouble.points) + " points written before that are kept.");
  }
  return {};
}

// What to do about it when the read ends anyway.
const char* TroubleAdvice(TrackFileFault fault) {
  switch (fault) {
    case TrackFileFault::NotCreated:
      return "Check the data folder and the free disk space, then read the tracks again.";
    case TrackFileFault::NotPutInPlace:
      return "Check the data folder.";
    case TrackFileFault::NotCheckpointed:
    case TrackFileFault::NotWritten:
      break;
  }
  return "Free some disk space and read the tracks again.";
}

std::string ReadStoppedByTrackFileText(const SessionReport& report) {
  const bool newTracks = NewTracksRead(report.read.readMode);
  std::string text = TroubleText(report.trouble) + " The read was stopped there";
  text += newTracks ? ", before the logger was told that it succeeded, so the tracks that were "
                      "not saved are still new on the logger. "
                    : ". ";
  text += SavedSummary(report.read);
  text += newTracks ? " Free some disk space or make the data folder writable, then read the new "
                      "tracks again (Read New Tracks, or tavrin read --new): they are fetched "
                      "again."
                    : " Free some disk space or make the data folder writable, then read the "
                      "tracks again.";
  return text;
}

// The read's end that came too soon: the logger or the line gave out.
std::string ReadCutShortText(const SessionReport& report) {
  const ReadFigures& read = report.read;
  const std::string sectors = SectorsText(read.sectorsReceived);
  switch (report.kind) {
    case SessionReportKind::ReadTimeOver:
      return std::string(kConnectionError) + "\r\nThe logger gave up waiting for this program " +
             sectors + ". " + SavedSummary(read) +
             " Check the cable and that nothing else uses the port, then read the tracks again.";
    case SessionReportKind::ReadConnectionLost:
      return "The connection to the logger on " + report.port + " was lost " + sectors + ". " +
             SavedSummary(read) + " Check the cable, connect again and read the tracks again.";
    case SessionReportKind::LoggerStoppedAnswering:
      return "The logger stopped answering " + sectors + ". " + SavedSummary(read) +
             " Read the tracks again to get the rest.";
    case SessionReportKind::LoggerDidNotAnswer:
      return "The logger did not answer the read command. " + SavedSummary(read) +
             " Check that the logger is switched on and that the port and baud rate are right.";
    default:
      return {};
  }
}

// " They are in a.bt0 and b.bt0.": the first few track files a read wrote, by name.
std::string TrackNamesText(const std::vector<std::string>& names) {
  constexpr size_t kNamed = 5;
  if (names.empty()) return {};
  std::string text = names.size() == 1 ? " It is " : " They are ";
  text += "in " + names[0];
  const size_t named = std::min(names.size(), kNamed);
  for (size_t i = 1; i < named; ++i) text += (i + 1 == names.size() ? " and " : ", ") + names[i];
  if (names.size() > kNamed) text += " and " + Count(uint32_t(names.size() - kNamed)) + " more";
  return text + ".";
}

// What the user's stop left: what arrived, where it is, and how to get the rest.
std::string ReadStoppedText(const ReadFigures& read) {
  std::string text = "The read was stopped " + SectorsText(read.sectorsReceived) + ". " +
                     SavedSummary(read) + TrackNamesText(read.trackNames);
  if (read.pointsSaved > 0) text += " The last track is cut short.";
  if (NewTracksRead(read.readMode)) {
    return text + " Read New Tracks (tavrin read --new) gets the rest.";
  }
  if (read.readMode == kReadPeriodBinary || read.readMode == kReadPeriodNmea) {
    return text + " Read the period again to get the rest.";
  }
  return text + " Get All Tracks (tavrin read --all) gets the rest.";
}

std::string ImpossibleDateTimeText(const SessionReport& report) {
  switch (report.kind) {
    case SessionReportKind::ImpossibleStartDateTime:
      return "The logger announced its track data with an impossible start date/time (" +
             FormatDateTime(report.dateTime) +
             "). The track is named after its first point instead.";
    case SessionReportKind::ImpossiblePointDateTime:
      return "Point " + Count(report.pointNumber) + " of this read has an impossible date/time (" +
             FormatDateTime(report.dateTime) +
             "). It is left out, and so is any other such point of this read.";
    case SessionReportKind::ImpossibleTrackDateTime:
      return "Track " + report.trackName +
             " has an invalid date/time; its drive time is set to 0. All of its points are kept.";
    default:
      return {};
  }
}

// The length is told first, as the user sees the length before the characters.
std::string NoteGroupRefusalText(const SessionReport& report) {
  if (report.noteGroupFaults.tooLong) {
    return "A note group holds at most " + std::to_string(kNoteGroupLetters) +
           " characters: " + report.noteGroup + ".";
  }
  return "A note group may hold only the letters A-Z, a-z and the digits 0-9: " + report.noteGroup +
         ".";
}

}  // namespace

std::string SectorsText(int sectors) {
  if (sectors == 0) return "before the first sector was complete";
  return "after " + std::to_string(sectors) + (sectors == 1 ? " sector" : " sectors");
}

std::string SavedSummary(const ReadFigures& read) {
  std::string text;
  if (read.pointsReceived == 0) {
    text = "No track point had arrived, so no track file was written.";
  } else {
    const size_t files = read.filesWritten;
    const std::string where =
        " saved in " + std::to_string(files) + (files == 1 ? " track file." : " track files.");
    text = read.pointsSaved == read.pointsReceived
               ? "The " + Count(read.pointsSaved) + " points received are" + where
           : read.pointsSaved == 0
               ? "None of the " + Count(read.pointsReceived) + " points received is saved."
               : "Of the " + Count(read.pointsReceived) + " points received, " +
                     Count(read.pointsSaved) + " are" + where;
  }
  return text + StoredCopiesText(read.storedCopiesKept);
}

std::string SessionReportText(const SessionReport& report) {
  switch (report.kind) {
    case SessionReportKind::ReadDone:
    case SessionReportKind::NothingRead:
      return ReadEndText(report);
    case SessionReportKind::SuccessWithoutRead:
      return DoneText(report.endedByFrame);
    case SessionReportKind::TimeOver:
    case SessionReportKind::FlashError:
      return kConnectionError;
    case SessionReportKind::ReadTimeOver:
    case SessionReportKind::ReadConnectionLost:
    case SessionReportKind::LoggerStoppedAnswering:
    case SessionReportKind::LoggerDidNotAnswer:
      return ReadCutShortText(report);
    case SessionReportKind::ReadStoppedByUser:
      return ReadStoppedText(report.read);
    case SessionReportKind::MemoryErased:
      return "Deleted all Memory.";
    case SessionReportKind::ConnectionLost:
      return "The connection to the logger on " + report.port +
             " was lost. Check the cable and connect again.";
    case SessionReportKind::TrackFileFailed:
      return TroubleText(report.trouble) + " " + TroubleAdvice(report.trouble.fault);
    case SessionReportKind::ReadStoppedByTrackFile:
      return ReadStoppedByTrackFileText(report);
    case SessionReportKind::ImpossibleStartDateTime:
    case SessionReportKind::ImpossiblePointDateTime:
    case SessionReportKind::ImpossibleTrackDateTime:
      return ImpossibleDateTimeText(report);
    case SessionReportKind::NoteGroupRefused:
      return NoteGroupRefusalText(report);
  }
  return {};
}

}  // namespace tavrin
