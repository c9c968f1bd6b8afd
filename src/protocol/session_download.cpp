// SPDX-License-Identifier: GPL-3.0-or-later
// The track download: the logger's read answers, its points, and the track files they go into.
#include <unistd.h>

#include <cstdio>
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
    SessionReport report;
    report.kind = SessionReportKind::ImpossibleStartDateTime;
    report.dateTime = first;
    ReportBadDate(report);
  } else if (!fileTrouble_) {
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
    if (auto kept = writer_.CheckpointTrackFile(current_, static_cast<uint32_t>(trackPointCount_));
        !kept) {
      ReportTrackFileTrouble(
          {TrackFileFault::NotCheckpointed, current_.path, kept.Error().systemError, 0});
    }
  }
  if (StopIfTrackFileFailed()) return;
  host_.StartTimer(SessionTimer::Ack, kAckDelayMs);
}

void LoggerSession::OnSuccess(bool fromFrame) {
  Status("<<< Success : End of Message.\r\n");
  // The end of a read that was stopped because a track file failed: taking it would tell the
  // logger that the read succeeded after all.
  if (!transferActive_ && fileTrouble_) return;
  if (downloading_) {
    host_.SetProgress(1000);
    downloading_ = false;
    CloseCurrentTrack(TrackEnd::Complete);
  }
  // The acknowledgement tells the logger that the read succeeded, and it then counts the tracks
  // as read: the last track is put in place first, and if it could not be, the read is stopped
  // instead.
  if (!fileTrouble_) SendCommand(Command::Ack);
  if (StopIfTrackFileFailed()) return;
  const bool wasReading = transferActive_;
  transferActive_ = false;
  host_.SetProgress(0);
  // After the user's stop the logger may still finish its message: the read did not succeed.
  if (!wasReading && readStoppedByUser_) return;
  if (!wasReading) {
    SessionReport report;
    report.kind = SessionReportKind::SuccessWithoutRead;
    report.place = ReportPlace::Box;
    report.endedByFrame = fromFrame;
    host_.Report(report);
    return;
  }
  ReportReadEnd(fromFrame);
  EndOperation(Operation::Read, readFailed_ ? Outcome::Failed : Outcome::Done);
}

// One box ends a read: what it found, then what went wrong on the way, so that "done" is never
// read before the warning that some points are missing. A plain "done" stays off the status line.
void LoggerSession::ReportReadEnd(bool fromFrame) {
  SessionReport report = ReadReport(
      transferPoints_ == 0 ? SessionReportKind::NothingRead : SessionReportKind::ReadDone,
      ReportPlace::StatusLineAndBox, MsgIcon::Warning);
  report.endedByFrame = fromFrame;
  if (transferPoints_ != 0 && damagedItems_ == 0 && storedCopiesKept_.empty()) {
    report.place = ReportPlace::Box;
  }
  if (damagedItems_ > 0) badDateReported_ = true;
  host_.Report(report);
}

SessionReport LoggerSession::ReadReport(SessionReportKind kind, ReportPlace place,
                                        MsgIcon icon) const {
  SessionReport report;
  report.kind = kind;
  report.place = place;
  report.icon = icon;
  report.read = ReadSoFar();
  return report;
}

void LoggerSession::OnTimeOver() {
  Status("<<< Time Over : Don't Receive Message.\r\n");
  SendCommand(Command::Ack);
  const bool wasReading = FinishTransferEarly();
  host_.Report(
      ReadReport(wasReading ? SessionReportKind::ReadTimeOver : SessionReportKind::TimeOver,
                 ReportPlace::Box, MsgIcon::Error));
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
  if (fileTrouble_) return;  // the read stops: no track is begun that would end at once
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
  const auto opened = writer_.OpenTrackFile(current_);
  if (opened) return;
  ReportTrackFileTrouble(
      {TrackFileFault::NotCreated, current_.path, opened.Error().systemError, 0});
}

TrackSaved LoggerSession::CloseCurrentTrack(TrackEnd end) {
  // A track that lost an item on the line is not whole: it must not replace a fuller copy.
  if (currentTrackDamaged_) end = TrackEnd::CutShort;
  currentTrackDamaged_ = false;
  const TrackSaved saved =
      writer_.CloseTrackFile(current_, static_cast<uint32_t>(trackPointCount_), end);
  const std::string name = std::filesystem::path(saved.path).filename().string();
  if (saved.outcome == TrackSaved::Outcome::Saved) {
    writtenTracks_.push_back(saved.path);
    pointsSaved_ += saved.points;
    host_.TrackFileSaved(saved.entry);
  } else if (saved.outcome == TrackSaved::Outcome::StoredCopyKept) {
    storedCopiesKept_.push_back({name, saved.points, saved.storedPoints, saved.storedEdited});
  }
  if (saved.outcome == TrackSaved::Outcome::Failed) {
    ReportTrackFileTrouble({TrackFileFault::NotPutInPlace, saved.path, saved.error, saved.points});
  } else if (saved.error != 0) {
    ReportTrackFileTrouble({TrackFileFault::NotWritten, saved.path, saved.error, saved.points});
  }
  if (!saved.datesValid) {
    SessionReport report;
    report.kind = SessionReportKind::ImpossibleTrackDateTime;
    report.trackName = name;
    ReportBadDate(report);
  }
  return saved;
}

void LoggerSession::ReportTrackFileTrouble(const TrackFileTrouble& trouble) {
  readFailed_ = true;
  const bool first = !fileTrouble_;  // one box a read
  if (first) fileTrouble_ = trouble;
  // While the logger is still sending, the read is stopped first and one box tells both
  // (StopIfTrackFileFailed); a box now would let the logger go on meanwhile.
  SessionReport report;
  report.kind = SessionReportKind::TrackFileFailed;
  report.place = first && endingRead_ ? ReportPlace::StatusLineAndBox : ReportPlace::StatusLine;
  report.icon = MsgIcon::Error;
  report.trouble = trouble;
  host_.Report(report);
}

bool LoggerSession::StopIfTrackFileFailed() {
  if (!fileTrouble_ || !transferActive_) return false;
  host_.StopTimer(SessionTimer::Ack);
  // The stop command keeps the points written so far, and the logger never hears that the read
  // succeeded: what it did not deliver stays new on it.
  FinishTransferEarly();
  if (IsConnected()) SendCommand(Command::Stop, {}, false);
  SessionReport report = ReadReport(SessionReportKind::ReadStoppedByTrackFile,
                                    ReportPlace::StatusLineAndBox, MsgIcon::Error);
  report.trouble = *fileTrouble_;
  host_.Report(report);
  EndOperation(Operation::Read, Outcome::Failed);
  return true;
}

void LoggerSession::ReportBadDate(SessionReport report) {
  if (badDateReported_) return;
  badDateReported_ = true;
  report.place = ReportPlace::StatusLineAndBox;
  report.icon = MsgIcon::Warning;
  host_.Report(report);
}

ReadFigures LoggerSession::ReadSoFar() const {
  ReadFigures read;
  read.pointsReceived = transferPoints_;
  read.pointsSaved = pointsSaved_;
  read.filesWritten = writtenTracks_.size();
  for (const std::string& path : writtenTracks_) {
    read.trackNames.push_back(path.substr(path.rfind('/') + 1));
  }
  read.sectorsReceived = sectorsReceived_;
  read.damagedItems = damagedItems_;
  read.storedCopiesKept = storedCopiesKept_;
  read.readMode = readMode_;
  return read;
}

void LoggerSession::StorePoint(TrackPoint point) {
  ++transferPoints_;
  ++receivedCount_;
  if (IsCalendarDateTime(point.GetDateTime())) {
    WritePoint(point);
    if (StopIfTrackFileFailed()) return;
  } else {
    // No track could be cut or timed by such a point, and no reader would show it.
    SessionReport report;
    report.kind = SessionReportKind::ImpossiblePointDateTime;
    report.pointNumber = transferPoints_;
    report.dateTime = point.GetDateTime();
    ReportBadDate(report);
  }
  ReportProgress();
}

void LoggerSession::WritePoint(const TrackPoint& point) {
  if (trackOpenDeferred_) {
    current_.header.firstDateTime = ToDateTime6(point.GetDateTime());
    OpenCurrentTrackFile();
  } else if (trackPointCount_ > 0) {
    if (StartsNewTrack(writer_.PreviousPoint(), point)) StartNewTrackFile(point);
  }
  current_.header.distance += writer_.AppendPoint(point);
  ++trackPointCount_;
}

void LoggerSession::ReportProgress() {
  if (receivedCount_ % kProgressEvery != 0) return;
  const uint32_t denominator = readMode_ == kReadNewBinary || readMode_ == kReadNewNmea
                                   ? deviceState_.newPoints
                                   : deviceState_.usedPoints;
  if (denominator == 0) return;  // no device figures yet: nothing to measure against
  host_.SetProgress(static_cast<int>(static_cast<long long>(receivedCount_) * 1000 / denominator));
  char text[64];
  std::snprintf(text, sizeof text, "<<< Receive(%d/%u)", receivedCount_, denominator);
  Status(text);
}

}  // namespace tavrin
