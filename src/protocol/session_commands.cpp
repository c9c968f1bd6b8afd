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
    host_.SetConnectionImage(ConnectionImage::Disconnected);
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
  host_.SetConnectionImage(ConnectionImage::Connected);
  return true;
}

namespace {

// Every command once: the status it shows, the sentence it sends ("%d" takes the read mode;
// empty where the sentence is made from what the command carries) and the read mode it sets.
struct CommandEntry {
  int number;
  const char* status;  // "" shows nothing
  const char* sentence;
  uint8_t readMode;  // 0: the read mode stays
};

constexpr CommandEntry kCommands[] = {
    {kCmdNack, "", "$PSRF200,%d,3,0,0,0,0*hh\r\n", 0},
    {kCmdAck, "", "$PSRF200,%d,2,0,0,0,0*hh\r\n", 0},
    {kCmdGetInfo, ">>> Get GPBT Message(Options).\r\n", "$PSRF202,1,0,0,0,0,0*hh\r\n", 0},
    {kCmdSetOptions, ">>> Set GPBT Message(Options).\r\n", "", 0},
    {kCmdSetNotes, ">>> Set GPBT Message(Information).\r\n", "", 0},
    {kCmdErase, ">>> All Erase Flash memory.\r\n", "$PSRF200,4,0,0,0,0,0*hh\r\n", 0},
    {kCmdEnd, ">>> Set End Command.\r\n", "$PSRF203,0*hh\r\n", 0},
    {kCmdBypassStart, ">>> Bypass Mode Start.\r\n", "$PSRF201,1,Bypass Test*hh\r\n", 0},
    {kCmdBypassEnd, ">>> Bypass Mode Finished.\r\n", "$PSRF201,0*hh\r\n", 0},
    {kCmdReadAllNmea, ">>> Get All Tracking data by NMEA.\r\n", "$PSRF200,%d,0,0,0,0,0*hh\r\n",
     kReadAllNmea},
    {kCmdReadAllBinary, ">>> Get All Tracking data by Binary.\r\n", "$PSRF200,%d,0,0,0,0,0*hh\r\n",
     kReadAllBinary},
    {kCmdReadNewNmea, ">>> Get new Tracking data by NMEA.\r\n", "$PSRF200,%d,0,0,0,0,0*hh\r\n",
     kReadNewNmea},
    {kCmdReadNewBinary, ">>> Get new Tracking data by Binary.\r\n", "$PSRF200,%d,0,0,0,0,0*hh\r\n",
     kReadNewBinary},
    {kCmdReadPeriodNmea, ">>> Get Selected Tracking data by NMEA.\r\n", "", kReadPeriodNmea},
    {kCmdReadPeriodBinary, ">>> Get Selected Tracking data by Binary.\r\n", "", kReadPeriodBinary},
};

const CommandEntry* FindCommand(int number) {
  for (const CommandEntry& command : kCommands) {
    if (command.number == number) return &command;
  }
  return nullptr;
}

}  // namespace

// The checks, questions and state changes that come before a command goes out; false when it
// must not go out.
bool CLoggerSession::PrepareCommand(int number, std::optional<ReadPeriod>& period) {
  switch (number) {
    case kCmdSetNotes:
      for (const std::string& group : deviceState_.noteGroups) {
        if (!CheckNoteGroup(group, kNoteGroupLetters, host_)) return false;
      }
      break;
    case kCmdErase:
      if (host_.ShowMessage("Do you remove all Flash memory?", MsgIcon::Warning,
                            MsgButtons::OkCancel) != MsgAnswer::Ok) {
        return false;
      }
      break;
    case kCmdEnd:
      if (downloading_) EndDownloadCutShort();
      transferActive_ = false;
      break;
    case kCmdReadPeriodNmea:
    case kCmdReadPeriodBinary:
      period = host_.AskReadPeriod();
      if (!period) return false;
      break;
    default:
      break;
  }
  // The next $GPBT answer is taken over in full after these.
  if (number == kCmdGetInfo || number == kCmdSetNotes || number == kCmdErase) {
    infoComplete_ = false;
  }
  return true;
}

std::string CLoggerSession::BuildCommand(int number, const std::optional<ReadPeriod>& period) {
  switch (number) {
    case kCmdSetOptions:
      return Format("$PSRF200,9,%u,%u,%u,0,0*hh\r\n", deviceState_.saveBySpeed,
                    deviceState_.saveByTime, deviceState_.saveByDistance);
    case kCmdSetNotes: {
      const auto& g = deviceState_.noteGroups;
      return "$PSRF209," + g[0] + "," + g[1] + "," + g[2] + "," + g[3] + "*hh\r\n";
    }
    case kCmdReadPeriodNmea:
    case kCmdReadPeriodBinary:
      return Format("$PSRF200,%d,0,", readMode_) + PeriodFields(*period) + "*hh\r\n";
    default:
      return Format(FindCommand(number)->sentence, readMode_);
  }
}

void CLoggerSession::SendCommand(int number) {
  const CommandEntry* command = FindCommand(number);
  if (command == nullptr) return;  // not a command: nothing is sent
  std::optional<ReadPeriod> period;
  if (!PrepareCommand(number, period)) return;
  if (command->readMode != 0) {
    readMode_ = command->readMode;
    BeginTransfer();
  }
  std::string sentence = BuildCommand(number, period);
  if (*command->status != '\0') Status(command->status);
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
