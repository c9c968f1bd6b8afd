// SPDX-License-Identifier: GPL-3.0-or-later
// The track download: the logger's read answers, its points, and the track files they go into.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "protocol/frames.h"
#include "protocol/logger_session.h"
#include "protocol/nmea.h"

namespace tavrin {
namespace {

long long FieldValue(const std::vector<std::string_view>& fields, size_t index) {
  return index < fields.size() ? ParseInteger(fields[index]) : 0;
}

constexpr int kProgressEvery = 32;

}  // namespace

std::string SectorsText(int sectors) {
  if (sectors == 0) return "before the first sector was complete";
  return "after " + std::to_string(sectors) + (sectors == 1 ? " sector" : " sectors");
}

void LoggerSession::OnPsrf200(std::string_view line) {
  const auto fields = SplitFields(line);
  const long long type = FieldValue(fields, 1);
  const int code = static_cast<int>(FieldValue(fields, 2));
  const long long a = FieldValue(fields, 3);
  if (IsReadMode(type)) {
    OnReadAnswer(code, a, FieldValue(fields, 4), FieldValue(fields, 5), FieldValue(fields, 6));
  } else if (type == 3) {
    OnFlashError(code);
  } else if (type == 4) {
    OnErase(code, a);
  } else {
    Status("<<< Unknown Message(200):\r\n");
  }
}

void LoggerSession::OnReadAnswer(int code, long long a, long long b, long long e, long long f) {
  switch (code) {
    case 1:
      if (a == 0 && b == 0) {
        OnNextSector();
      } else {
        OnTrackingInformation(a, b, e, f);
      }
      break;
    case 2:
      Status("<<< ACK Message.\r\n");
      break;
    case 3:
      Status("<<< NACK Message.\r\n");
      break;
    case 4:
      OnTimeOver();
      break;
    case 0:
      OnSuccess(false);
      break;
    default:
      Status("<<< Unknown Message(200,2)");
  }
}

void LoggerSession::OnTrackingInformation(long long a, long long b, long long e, long long f) {
  Status("<<< Tracking Data Information:\r\n");
  // A second information answer while a file is open ends that track; whether it was whole is
  // not known, so a stored copy with more points wins.
  if (downloading_) CloseCurrentTrack(TrackEnd::CutShort);
  current_ = TrackEntry{};
  // The answer's last two fields number the logger's tracks; the track files do not keep them.
  (void)e;
  (void)f;
  const DateTime first = FromDdmmyyHhmmss(a, b);
  TrackHeader& h = current_.header;
  h.firstDateTime = ToDateTime6(first);
  h.marker = kTrackMarker;
  h.memorySize = static_cast<uint8_t>(deviceState_.memorySize);
  h.saveBySpeed = deviceState_.saveBySpeed;
  h.saveByTime = deviceState_.saveByTime;
  h.saveByDistance = deviceState_.saveByDistance;
  SetNoteGroup(h.noteGroup1, deviceState_.noteGroups[0]);
  SetNoteGroup(h.noteGroup2, deviceState_.noteGroups[1]);
  SetNoteGroup(current_.noteGroup3, deviceState_.noteGroups[2]);
  SetNoteGroup(current_.noteGroup4, deviceState_.noteGroups[3]);
  // A track is named by its start; an impossible one would give a file no list can show.
  trackOpenDeferred_ = !IsCalendarDateTime(first);
  if (trackOpenDeferred_) {
    ReportBadDate("The logger announced its track data with an impossible start date/time (" +
                  FormatDateTime(first) + "). The track is named after its first point instead.");
  } else if (fileTrouble_.empty()) {
    OpenCurrentTrackFile();
  }
  downloading_ = true;
  transferActive_ = true;
  receivedCount_ = 0;
  trackPointCount_ = 0;
  host_.SetProgress(0);
  if (StopIfTrackFileFailed()) return;
  host_.StartTimer(SessionTimer::Ack, kAckDelayMs);
}

void LoggerSession::OnNextSector() {
  Status("<<< Next Sector:\r\n");
  if (transferActive_) ++sectorsReceived_;
  // What came so far is made durable before the next sector is asked for: a crash now loses at
  // most the sector to come, and a track that cannot be written stops the read here.
  if (downloading_) {
    if (auto kept =
            store_.Writer().CheckpointTrackFile(current_, static_cast<uint32_t>(trackPointCount_));
        !kept) {
      ReportTrackFileTrouble("Could not write the track file " + current_.path + ": " +
                                 kept.Error().SystemText() + ".",
                             "Free some disk space and read the tracks again.");
    }
  }
  if (StopIfTrackFileFailed()) return;
  host_.StartTimer(SessionTimer::Ack, kAckDelayMs);
}

void LoggerSession::OnSuccess(bool fromFrame) {
  Status("<<< Success : End of Message.\r\n");
  // The end of a read that was stopped because a track file failed: taking it would tell the
  // logger that the read succeeded after all.
  if (!transferActive_ && !fileTrouble_.empty()) return;
  if (downloading_) {
    host_.SetProgress(1000);
    downloading_ = false;
    CloseCurrentTrack(TrackEnd::Complete);
  }
  // The acknowledgement tells the logger that the read succeeded, and it then counts the tracks
  // as read: the last track is put in place first, and if it could not be, the read is stopped
  // instead.
  if (fileTrouble_.empty()) SendCommand(Command::Ack);
  if (StopIfTrackFileFailed()) return;
  const bool wasReading = transferActive_;
  transferActive_ = false;
  const std::string done = fromFrame ? "Read done." : "Read Done.";
  host_.SetProgress(0);
  if (!wasReading) {
    host_.ShowMessage(done, MsgIcon::Warning, MsgButtons::Ok);
    return;
  }
  ReportReadEnd(done);
  EndOperation(Operation::Read, readFailed_ ? Outcome::Failed : Outcome::Done);
}

// One box ends a read: what it found, then what went wrong on the way, so that "done" is never
// read before the warning that some points are missing.
void LoggerSession::ReportReadEnd(const std::string& done) {
  std::string text = transferPoints_ == 0 ? NothingReadText() : done;
  if (damagedItems_ > 0) {
    text += " " + std::to_string(damagedItems_) +
            (damagedItems_ == 1 ? " item was" : " items were") +
            " damaged on the line and dropped during the read, so some points may be missing. "
            "Read all tracks again to get them.";
    badDateReported_ = true;
  }
  text += StoredCopiesText();
  if (text != done) Status(text);
  host_.ShowMessage(text, MsgIcon::Warning, MsgButtons::Ok);
}

std::string LoggerSession::NothingReadText() const {
  if (readMode_ == kReadPeriodBinary || readMode_ == kReadPeriodNmea) {
    return "The logger holds no track point in the chosen period, so nothing was read. Choose "
           "another period, or get all tracks.";
  }
  if (readMode_ == kReadNewBinary || readMode_ == kReadNewNmea) {
    return "The logger holds no new track point, so nothing was read. Get All Tracks (tavrin "
           "read --all) reads the tracks read before again.";
  }
  return "The logger holds no track point, so nothing was read.";
}

void LoggerSession::OnTimeOver() {
  Status("<<< Time Over : Don't Receive Message.\r\n");
  SendCommand(Command::Ack);
  const bool wasReading = FinishTransferEarly();
  std::string text = "Error is Connection program to Device.";
  if (wasReading) {
    text += "\r\nThe logger gave up waiting for this program " + SectorsText(sectorsReceived_) +
            ". " + SavedSummary() +
            " Check the cable and that nothing else uses the port, then read the tracks again.";
  }
  host_.ShowMessage(text, MsgIcon::Error, MsgButtons::Ok);
  host_.SetProgress(0);
  if (wasReading) EndOperation(Operation::Read, Outcome::TimeOver);
}

void LoggerSession::OnRmc(std::string_view line) {
  if (!downloading_) return;
  StorePoint(DecodeRmc(SplitFields(line)));
}

void LoggerSession::OnPointFrame(std::span<const uint8_t> frame) {
  // Points without an open track file have nowhere to go.
  if (!downloading_) return;
  const auto point = DecodePointFrame(frame);
  if (!point) {
    CountDamaged();
    return;
  }
  StorePoint(*point);
}

void LoggerSession::StartNewTrackFile(const TrackPoint& first) {
  CloseCurrentTrack(TrackEnd::Complete);
  if (!fileTrouble_.empty()) return;  // the read stops: no track is begun that would end at once
  current_.averageSpeed = 0.0;
  current_.header.firstDateTime = ToDateTime6(first.GetDateTime());
  current_.header.marker = kTrackMarker;
  current_.header.distance = 0;
  OpenCurrentTrackFile();
  trackPointCount_ = 0;
}

// The host hears of the track when its file is put in place, with its points; a row before
// them would show a track of no points and no end.
void LoggerSession::OpenCurrentTrackFile() {
  trackOpenDeferred_ = false;
  const auto opened = store_.Writer().OpenTrackFile(current_);
  if (opened) return;
  ReportTrackFileTrouble("Cannot create the track file " + current_.path + ": " +
                             opened.Error().SystemText() + ". Its points are not saved.",
                         "Check the data folder and the free disk space, then read the tracks "
                         "again.");
}

TrackSaved LoggerSession::CloseCurrentTrack(TrackEnd end) {
  // A track that lost an item on the line is not whole: it must not replace a fuller copy.
  if (currentTrackDamaged_) end = TrackEnd::CutShort;
  currentTrackDamaged_ = false;
  const TrackSaved saved =
      store_.Writer().CloseTrackFile(current_, static_cast<uint32_t>(trackPointCount_), end);
  const std::string name = std::filesystem::path(saved.path).filename().string();
  if (saved.outcome == TrackSaved::Outcome::Saved) {
    writtenTracks_.push_back(saved.path);
    pointsSaved_ += saved.points;
    host_.TrackFileSaved(saved.entry);
  } else if (saved.outcome == TrackSaved::Outcome::StoredCopyKept) {
    storedCopiesKept_.push_back(saved);
  }
  if (saved.outcome == TrackSaved::Outcome::Failed) {
    ReportTrackFileTrouble("Cannot put the track file " + saved.path +
                               " in place: " + std::strerror(saved.error) + ". Its " +
                               std::to_string(saved.points) + " points are kept in " + name +
                               ".part and are saved at the next start.",
                           "Check the data folder.");
  } else if (saved.error != 0) {
    const std::string kept = saved.points == 0 ? "None of its points could be written."
                                               : "The " + std::to_string(saved.points) +
                                                     " points written before that are kept.";
    ReportTrackFileTrouble("Could not write the track file " + saved.path + ": " +
                               std::strerror(saved.error) + ". " + kept,
                           "Free some disk space and read the tracks again.");
  }
  if (!saved.datesValid) {
    ReportBadDate("Track " + name +
                  " has an invalid date/time; its drive time is set to 0. All of its points are "
                  "kept.");
  }
  return saved;
}

void LoggerSession::ReportTrackFileTrouble(const std::string& what, const std::string& advice) {
  readFailed_ = true;
  Status(what + " " + advice);
  if (!fileTrouble_.empty()) return;  // one box a read
  fileTrouble_ = what;
  // While the logger is still sending, the read is stopped first and one box tells both
  // (StopIfTrackFileFailed); a box now would let the logger go on meanwhile.
  if (endingRead_) host_.ShowMessage(what + " " + advice, MsgIcon::Error, MsgButtons::Ok);
}

bool LoggerSession::StopIfTrackFileFailed() {
  if (fileTrouble_.empty() || !transferActive_) return false;
  host_.StopTimer(SessionTimer::Ack);
  const bool newTracks = readMode_ == kReadNewBinary || readMode_ == kReadNewNmea;
  // The stop command keeps the points written so far, and the logger never hears that the read
  // succeeded: what it did not deliver stays new on it.
  FinishTransferEarly();
  if (IsConnected()) SendCommand(Command::Stop, {}, false);
  std::string text = fileTrouble_ + " The read was stopped there";
  text += newTracks ? ", before the logger was told that it succeeded, so the tracks that were "
                      "not saved are still new on the logger. "
                    : ". ";
  text += SavedSummary();
  text += newTracks ? " Free some disk space or make the data folder writable, then read the new "
                      "tracks again (Read New Tracks, or tavrin read --new): they are fetched "
                      "again."
                    : " Free some disk space or make the data folder writable, then read the "
                      "tracks again.";
  Status(text);
  host_.ShowMessage(text, MsgIcon::Error, MsgButtons::Ok);
  EndOperation(Operation::Read, Outcome::Failed);
  return true;
}

void LoggerSession::ReportBadDate(const std::string& text) {
  if (badDateReported_) return;
  badDateReported_ = true;
  Status(text);
  host_.ShowMessage(text, MsgIcon::Warning, MsgButtons::Ok);
}

std::string LoggerSession::SavedSummary() const {
  std::string text;
  if (transferPoints_ == 0) {
    text = "No track point had arrived, so no track file was written.";
  } else {
    const size_t files = writtenTracks_.size();
    const std::string where =
        " saved in " + std::to_string(files) + (files == 1 ? " track file." : " track files.");
    text = pointsSaved_ == transferPoints_
               ? "The " + std::to_string(pointsSaved_) + " points received are" + where
           : pointsSaved_ == 0
               ? "None of the " + std::to_string(transferPoints_) + " points received is saved."
               : "Of the " + std::to_string(transferPoints_) + " points received, " +
                     std::to_string(pointsSaved_) + " are" + where;
  }
  return text + StoredCopiesText();
}

std::string LoggerSession::StoredCopiesText() const {
  std::string text;
  for (const TrackSaved& kept : storedCopiesKept_) {
    const std::string name = std::filesystem::path(kept.path).filename().string();
    if (kept.storedEdited) {
      text += " The stored track " + name +
              " holds your edits (points you deleted), so it is kept as it is and the logger's "
              "copy (" +
              std::to_string(kept.points) +
              " points) is not stored. To take the logger's copy, delete the track on the Track "
              "Record page and read it again.";
    } else {
      text += " The stored track " + name + " has more points (" +
              std::to_string(kept.storedPoints) + ") than this read got (" +
              std::to_string(kept.points) + "), so it is kept as it was.";
    }
  }
  return text;
}

void LoggerSession::StorePoint(TrackPoint point) {
  ++transferPoints_;
  ++receivedCount_;
  if (IsCalendarDateTime(point.GetDateTime())) {
    WritePoint(point);
    if (StopIfTrackFileFailed()) return;
  } else {
    // No track could be cut or timed by such a point, and no reader would show it.
    ReportBadDate("Point " + std::to_string(transferPoints_) +
                  " of this read has an impossible date/time (" +
                  FormatDateTime(point.GetDateTime()) +
                  "). It is left out, and so is any other such point of this read.");
  }
  ReportProgress();
}

void LoggerSession::WritePoint(const TrackPoint& point) {
  if (trackOpenDeferred_) {
    current_.header.firstDateTime = ToDateTime6(point.GetDateTime());
    OpenCurrentTrackFile();
  } else if (trackPointCount_ > 0) {
    if (StartsNewTrack(store_.Writer().PreviousPoint(), point)) StartNewTrackFile(point);
  }
  current_.header.distance += store_.Writer().AppendPoint(point);
  ++trackPointCount_;
}

void LoggerSession::ReportProgress() {
  if (receivedCount_ % kProgressEvery != 0) return;
  const uint32_t denominator =
      readMode_ == kReadNewBinary ? deviceState_.newPoints : deviceState_.usedPoints;
  if (denominator == 0) return;  // no device figures yet: nothing to measure against
  host_.SetProgress(static_cast<int>(static_cast<long long>(receivedCount_) * 1000 / denominator));
  char text[64];
  std::snprintf(text, sizeof text, "<<< Receive(%d/%u)", receivedCount_, denominator);
  Status(text);
}

}  // namespace tavrin
