// SPDX-License-Identifier: GPL-3.0-or-later
// The words of reports whose figures change the sentence: counts that pick a form or a plural,
// the order of what a read's end tells, and the track file named in a fault.
#include "wording/session_wording.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "protocol/read_modes.h"

namespace tavrin {
namespace {

ReadFigures Read(uint32_t received, uint32_t saved, size_t files) {
  ReadFigures read;
  read.pointsReceived = received;
  read.pointsSaved = saved;
  read.filesWritten = files;
  return read;
}

TEST(SessionWording, TheSavedSummaryTellsAllSomeOrNoneOfThePointsReceived) {
  EXPECT_EQ(SavedSummary(Read(0, 0, 0)),
            "No track point had arrived, so no track file was written.");
  EXPECT_EQ(SavedSummary(Read(7, 7, 1)), "The 7 points received are saved in 1 track file.");
  EXPECT_EQ(SavedSummary(Read(9, 5, 2)), "Of the 9 points received, 5 are saved in 2 track files.");
  EXPECT_EQ(SavedSummary(Read(4, 0, 0)), "None of the 4 points received is saved.");
}

TEST(SessionWording, AReadsEndTellsDamageBeforeTheStoredCopiesKept) {
  SessionReport report;
  report.kind = SessionReportKind::ReadDone;
  report.endedByFrame = true;
  report.read = Read(3, 3, 1);
  report.read.damagedItems = 1;
  report.read.storedCopiesKept = {{"20240101_100000.bt0", 3, 5, true}};
  EXPECT_EQ(SessionReportText(report),
            "Read done. 1 item was damaged on the line and dropped during the read, so some "
            "points may be missing. Read all tracks again to get them. The stored track "
            "20240101_100000.bt0 holds your edits (points you deleted), so it is kept as it is "
            "and the logger's copy (3 points) is not stored. To take the logger's copy, delete "
            "the track on the Track Record page and read it again.");
}

TEST(SessionWording, ATimeOverBeforeTheFirstSectorSaysSo) {
  SessionReport report;
  report.kind = SessionReportKind::ReadTimeOver;
  report.read = Read(0, 0, 0);
  EXPECT_EQ(SessionReportText(report),
            "Error is Connection program to Device.\r\nThe logger gave up waiting for this program "
            "before the first sector was complete. No track point had arrived, so no track file "
            "was written. Check the cable and that nothing else uses the port, then read the "
            "tracks again.");
}

TEST(SessionWording, ATrackFileFaultNamesTheFileAndWhatOfItIsKept) {
  SessionReport report;
  report.kind = SessionReportKind::TrackFileFailed;
  report.trouble = {TrackFileFault::NotPutInPlace, "/data/20240101_100000.bt0", EACCES, 12};
  EXPECT_EQ(SessionReportText(report),
            "Cannot put the track file /data/20240101_100000.bt0 in place: Permission denied. Its "
            "12 points are kept in 20240101_100000.bt0.part and are saved at the next start. "
            "Check the data folder.");

  report.kind = SessionReportKind::ReadStoppedByTrackFile;
  report.trouble = {TrackFileFault::NotWritten, "/data/20240101_100000.bt0", ENOSPC, 0};
  report.read = Read(2, 0, 0);
  report.read.readMode = kReadAllBinary;
  EXPECT_EQ(SessionReportText(report),
            "Could not write the track file /data/20240101_100000.bt0: No space left on device. "
            "None of its points could be written. The read was stopped there. None of the 2 "
            "points received is saved. Free some disk space or make the data folder writable, "
            "then read the tracks again.");
}

}  // namespace
}  // namespace tavrin
