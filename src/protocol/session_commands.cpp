// Connecting, the command catalogue and the sending of sentences.
#include <cstdio>

#include "protocol/logger_session.h"
#include "protocol/nmea.h"
#include "protocol/note_group.h"

namespace tavrin {
namespace {

constexpr int kRetryPauseMs = 200;
constexpr int kRetries = 2;

const char kTooManyCharacters[] = "글자 개수가 너무 많습니다.";
const char kLettersAndDigitsOnly[] =
    "사용할수 없는 글자가 존재합니다.\r\n 알파벳과 숫자만 허용됩니다.";

std::string Format(const char* format, auto... args) {
  char text[160];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

std::string PeriodFields(const ReadPeriod& p) {
  const auto date = [](const DateTime& t) { return Format("%06lld", ToDdmmyy(t)); };
  const auto time = [](const DateTime& t) { return Format("%06lld", ToHhmmss(t)); };
  return date(p.from) + "," + time(p.from) + "," + date(p.to) + "," + time(p.to);
}

}  // namespace

bool CheckNoteGroup(const std::string& group, size_t limit, ISessionHost& host) {
  const NoteGroupFaults faults = FindNoteGroupFaults(group, limit);
  if (faults.tooLong) {
    host.ShowMessage(kTooManyCharacters, MsgIcon::Error, MsgButtons::Ok);
    return false;
  }
  if (faults.notLettersOrDigits) {
    host.ShowMessage(kLettersAndDigitsOnly, MsgIcon::Error, MsgButtons::Ok);
    return false;
  }
  return true;
}

CLoggerSession::CLoggerSession(ISessionHost& host, CTrackStore& store)
    : host_(host), store_(store) {}

CLoggerSession::~CLoggerSession() {
  port_.Close();
  if (downloading_) CloseCurrentTrack(TrackEnd::CutShort);
}

void CLoggerSession::ResetProtocolState() {
  infoComplete_ = false;
  reader_.Reset();
  downloading_ = false;
  transferActive_ = false;
  receivedCount_ = 0;
  activity_ = false;
}

bool CLoggerSession::ConnectDevice(bool open) {
  if (!open) {
    // Disconnecting in the middle of a read stops it first, as the stop command does, so the
    // logger is not left sending and the open track keeps what arrived.
    if (transferActive_ && port_.IsOpen()) SendCommand(kCmdEnd);
    if (!port_.Close()) return false;
    host_.SetConnectionImage(kImageDisconnected);
    return true;
  }
  CSerialPort::Callbacks callbacks{[this] { host_.PostDataArrived(); },
                                   [this] { host_.PostConnectionLost(); }};
  if (auto error = port_.Open(device_, baud_, std::move(callbacks))) {
    openError_ = *error;
    return false;
  }
  openError_.clear();
  if (downloading_) EndDownloadCutShort();
  ResetProtocolState();
  host_.SetConnectionImage(kImageConnected);
  return true;
}

std::string CLoggerSession::BuildCommand(int number) {
  switch (number) {
    case kCmdNack:
      return Format("$PSRF200,%d,3,0,0,0,0*hh\r\n", readMode_);
    case kCmdAck:
      return Format("$PSRF200,%d,2,0,0,0,0*hh\r\n", readMode_);
    case kCmdGetInfo:
      return "$PSRF202,1,0,0,0,0,0*hh\r\n";
    case kCmdSetOptions:
      return Format("$PSRF200,9,%u,%u,%u,0,0*hh\r\n", deviceState_.saveBySpeed,
                    deviceState_.saveByTime, deviceState_.saveByDistance);
    case kCmdSetNotes: {
      const auto& g = deviceState_.noteGroups;
      return "$PSRF209," + g[0] + "," + g[1] + "," + g[2] + "," + g[3] + "*hh\r\n";
    }
    case kCmdErase:
      return "$PSRF200,4,0,0,0,0,0*hh\r\n";
    case kCmdEnd:
      return "$PSRF203,0*hh\r\n";
    case kCmdBypassStart:
      return "$PSRF201,1,Bypass Test*hh\r\n";
    case kCmdBypassEnd:
      return "$PSRF201,0*hh\r\n";
    case kCmdReadAllNmea:
    case kCmdReadAllBinary:
    case kCmdReadNewNmea:
    case kCmdReadNewBinary:
      return Format("$PSRF200,%d,0,0,0,0,0*hh\r\n", readMode_);  // set by SendCommand
    default:
      return {};
  }
}

void CLoggerSession::SendCommand(int number) {
  std::string status;
  std::string sentence;
  switch (number) {
    case kCmdNack:
    case kCmdAck:
    case kCmdBypassStart:
    case kCmdBypassEnd:
      status = number == kCmdBypassStart ? ">>> Bypass Mode Start.\r\n"
               : number == kCmdBypassEnd ? ">>> Bypass Mode Finished.\r\n"
                                         : "";
      break;
    case kCmdGetInfo:
      infoComplete_ = false;
      status = ">>> Get GPBT Message(Options).\r\n";
      break;
    case kCmdSetOptions:
      status = ">>> Set GPBT Message(Options).\r\n";
      break;
    case kCmdSetNotes:
      for (const std::string& group : deviceState_.noteGroups) {
        if (!CheckNoteGroup(group, kNoteGroupLetters, host_)) return;
      }
      infoComplete_ = false;
      status = ">>> Set GPBT Message(Information).\r\n";
      break;
    case kCmdErase:
      if (host_.ShowMessage("Do you remove all Flash memory?", MsgIcon::Warning,
                            MsgButtons::OkCancel) != MsgAnswer::Ok) {
        return;
      }
      infoComplete_ = false;
      status = ">>> All Erase Flash memory.\r\n";
      break;
    case kCmdEnd:
      if (downloading_) EndDownloadCutShort();
      transferActive_ = false;
      status = ">>> Set End Command.\r\n";
      break;
    case kCmdReadAllNmea:
    case kCmdReadAllBinary:
    case kCmdReadNewNmea:
    case kCmdReadNewBinary: {
      static constexpr struct {
        int command;
        uint8_t mode;
        const char* status;
      } kReads[] = {
          {kCmdReadAllNmea, kReadAllNmea, ">>> Get All Tracking data by NMEA.\r\n"},
          {kCmdReadAllBinary, kReadAllBinary, ">>> Get All Tracking data by Binary.\r\n"},
          {kCmdReadNewNmea, kReadNewNmea, ">>> Get new Tracking data by NMEA.\r\n"},
          {kCmdReadNewBinary, kReadNewBinary, ">>> Get new Tracking data by Binary.\r\n"},
      };
      for (const auto& read : kReads) {
        if (read.command != number) continue;
        readMode_ = read.mode;
        status = read.status;
      }
      break;
    }
    case kCmdReadPeriodNmea:
    case kCmdReadPeriodBinary: {
      const auto period = host_.AskReadPeriod();
      if (!period) return;
      const bool nmea = number == kCmdReadPeriodNmea;
      readMode_ = nmea ? kReadPeriodNmea : kReadPeriodBinary;
      sentence = Format("$PSRF200,%d,0,", readMode_) + PeriodFields(*period) + "*hh\r\n";
      status = nmea ? ">>> Get Selected Tracking data by NMEA.\r\n"
                    : ">>> Get Selected Tracking data by Binary.\r\n";
      break;
    }
    default:
      return;  // not a command: nothing is sent
  }
  if (number >= kCmdReadAllNmea) BeginTransfer();
  if (sentence.empty()) sentence = BuildCommand(number);
  if (!status.empty()) Status(status);
  SendSentence(std::move(sentence));
}

void CLoggerSession::SendSentence(std::string sentence) {
  FillChecksum(sentence);
  const auto* bytes = reinterpret_cast<const uint8_t*>(sentence.data());
  for (int attempt = 0;; ++attempt) {
    if (port_.Write(bytes, sentence.size()) == sentence.size()) return;
    host_.Pause(kRetryPauseMs);
    if (attempt == kRetries) return;
    Status(">>> Retry Send.\r\n");
  }
}

void CLoggerSession::BeginTransfer() {
  transferActive_ = true;
  damagedItems_ = 0;
  writtenTracks_.clear();
  pointsSaved_ = 0;
  transferPoints_ = 0;
  sectorsReceived_ = 0;
  storedCopiesKept_.clear();
  fileTroubleReported_ = false;
  badDateReported_ = false;
  currentTrackDamaged_ = false;
  store_.BeginDownload();
}

void CLoggerSession::EndDownloadCutShort() {
  downloading_ = false;
  CloseCurrentTrack(TrackEnd::CutShort);
  store_.ListTracks(host_.DeviceTrackList(), false);
}

}  // namespace tavrin
