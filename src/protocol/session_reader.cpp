// SPDX-License-Identifier: GPL-3.0-or-later
// The drain of the receive queue: items are assembled, checked and handed to their handlers.
#include "protocol/frames.h"
#include "protocol/logger_session.h"
#include "protocol/nmea.h"

namespace tavrin {

void LoggerSession::OnDataArrived() {
  if (!link_) return;
  link_->AcknowledgeDataArrived();
  const size_t available = link_->Waiting();
  if (available > 0 && transferActive_) WatchForSilence();
  ShowReceiving();
  // Only what is there now, taken one byte at a time: a handler's message box may run a nested
  // drain that takes the rest, and the bytes must still be handled in the order they came.
  for (size_t i = 0; i < available; ++i) {
    uint8_t byte;
    if (!link_ || !link_->TakeByte(byte)) break;
    ++bytesReceived_;
    HandleByte(byte);
  }
}

void LoggerSession::ShowReceiving() {
  if (activity_) return;
  host_.StartTimer(SessionTimer::Activity, kActivityFlashMs);
  activity_ = true;
  host_.SetConnectionImage(ConnectionImage::Receiving);
}

void LoggerSession::HandleByte(uint8_t byte) {
  if (auto item = reader_.Push(byte)) Dispatch(*item);
}

void LoggerSession::OnTimer(SessionTimer timer) {
  host_.StopTimer(timer);
  if (timer == SessionTimer::Ack) {
    // A read that has ended (stopped, or its track file failed) asks for nothing more, even when
    // a Next Sector was still on its way.
    if (transferActive_) SendCommand(Command::Ack);
  } else if (timer == SessionTimer::Silence) {
    OnLoggerSilent();
  } else if (timer == SessionTimer::Queued) {
    SendQueuedCommand();
  } else if (timer == SessionTimer::Activity) {
    host_.SetConnectionImage(IsConnected() ? ConnectionImage::Connected
                                           : ConnectionImage::Disconnected);
    activity_ = false;
  }
}

void LoggerSession::Dispatch(const ResponseReader::Item& item) {
  if (item.binary) {
    DispatchFrame(item.Bytes());
  } else {
    DispatchSentence(item.Text());
  }
}

void LoggerSession::CountDamaged() {
  if (transferActive_) ++damagedItems_;
  if (downloading_) currentTrackDamaged_ = true;
}

void LoggerSession::DispatchSentence(std::string_view line) {
  if (!SentenceChecksumOk(line)) {
    CountDamaged();
    return;
  }
  const std::string_view name = line.substr(1);
  if (name.starts_with("GPRMC")) {
    OnRmc(line);
  } else if (name.starts_with("PSRF200,")) {
    OnPsrf200(line);
  } else if (name.starts_with("GPBT")) {
    OnGpbt(line);
  }
}

void LoggerSession::DispatchFrame(std::span<const uint8_t> frame) {
  if (!FrameChecksumOk(frame)) {
    Status("<<< Unknown Check sum fail.\r\n");
    CountDamaged();
    return;
  }
  switch (frame[1]) {
    case kFramePoint:
    case kFrameTrackStart:
      OnPointFrame(frame);
      break;
    case kFrameIgnored:
      break;
    case kFrameNextSector:
      OnNextSector();
      break;
    case kFrameEndOfMessage:
      OnSuccess(true);
      break;
    case kFrameTimeOver:
      OnTimeOver();
      break;
    default:
      Status("<<< Unknown Data(Bin).\r\n");
  }
}

void LoggerSession::OnConnectionLost() {
  if (!IsConnected()) return;
  OnDataArrived();  // whatever arrived before the line went down still counts
  const std::string device = link_->Name();
  link_->Close();
  DropQueuedCommand();
  const bool wasReading = FinishTransferEarly();
  host_.StopTimer(SessionTimer::Ack);
  host_.SetConnectionImage(ConnectionImage::Disconnected);
  host_.SetProgress(0);
  SessionReport report = ReadReport(
      wasReading ? SessionReportKind::ReadConnectionLost : SessionReportKind::ConnectionLost,
      ReportPlace::StatusLine, MsgIcon::Error);
  report.port = device;
  host_.Report(report);
  // The pages hear of the loss between the status line and the box, as they always have.
  host_.ConnectionLost();
  report.place = ReportPlace::Box;
  host_.Report(report);
  if (wasReading) EndOperation(Operation::Read, Outcome::ConnectionLost);
  EndPendingOperations(Outcome::ConnectionLost);
}

void LoggerSession::WatchForSilence() {
  if (silenceMs_ > 0) host_.StartTimer(SessionTimer::Silence, silenceMs_);
}

void LoggerSession::OnLoggerSilent() {
  if (!transferActive_) return;
  const bool anythingCame = transferPoints_ > 0 || sectorsReceived_ > 0;
  FinishTransferEarly();
  // A logger that wakes up again must not go on sending.
  if (IsConnected()) SendCommand(Command::Stop, {}, false);
  host_.StopTimer(SessionTimer::Ack);
  host_.SetProgress(0);
  host_.Report(ReadReport(anythingCame ? SessionReportKind::LoggerStoppedAnswering
                                       : SessionReportKind::LoggerDidNotAnswer,
                          ReportPlace::StatusLineAndBox, MsgIcon::Error));
  EndOperation(Operation::Read, Outcome::Failed);
}

}  // namespace tavrin
