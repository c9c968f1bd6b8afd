// SPDX-License-Identifier: GPL-3.0-or-later
// Connecting, the command catalogue and the sending of sentences.
#include <cstdio>

#include "protocol/logger_session.h"
#include "protocol/nmea.h"
#include "protocol/note_group.h"
#include "serial/serial_port.h"

namespace tavrin {
namespace {

constexpr int kRetryPauseMs = 200;
constexpr int kRetries = 2;

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

LoggerSession::LoggerSession(ISessionHost& host, TrackStore& store)
    : host_(host), writer_(store.Writer()) {}

LoggerSession::~LoggerSession() {
  if (link_) link_->Close();
  if (downloading_) CloseCurrentTrack(TrackEnd::CutShort);
}

void LoggerSession::ResetProtocolState() {
  // What one logger told of itself must not be taken for another's: an empty note group in an
  // answer leaves the field as it was.
  deviceState_ = DeviceState{};
  infoComplete_ = false;
  reader_.Reset();
  downloading_ = false;
  transferActive_ = false;
  receivedCount_ = 0;
  activity_ = false;
}

void LoggerSession::SetTrace(ByteTrace* trace) {
  trace_ = trace;
  if (link_) link_->SetTrace(trace);
}

bool LoggerSession::Connect() {
  auto link = opener_(device_, baud_);
  if (!link) {
    openError_ = link.Error().reason;
    openErrorNumber_ = link.Error().systemError;
    return false;
  }
  openError_.clear();
  openErrorNumber_ = 0;
  AttachLink(std::move(*link));
  return true;
}

bool LoggerSession::Disconnect() {
  // Disconnecting in the middle of a read stops it first, as the stop command does, so the
  // logger is not left sending and the open track keeps what arrived.
  if (transferActive_ && IsConnected()) SendCommand(Command::Stop, {}, false);
  EndPendingOperations(Outcome::Stopped);
  DropQueuedCommand();
  if (!link_ || !link_->Close()) return false;
  deviceState_ = DeviceState{};
  host_.SetConnectionImage(ConnectionImage::Disconnected);
  return true;
}

Result<std::unique_ptr<ILoggerLink>> OpenSerialLink(const std::string& device, uint32_t baud) {
  auto port = SerialPort::OpenLink(device, baud);
  if (!port) return port.Error();
  return std::unique_ptr<ILoggerLink>(std::move(*port));
}

void LoggerSession::AttachLink(std::unique_ptr<ILoggerLink> link) {
  if (link_) link_->Close();
  if (transferActive_) {
    FinishTransferEarly();
    EndOperation(Operation::Read, Outcome::Stopped);
  }
  EndPendingOperations(Outcome::Stopped);
  DropQueuedCommand();
  ResetProtocolState();
  link_ = std::move(link);
  link_->SetTrace(trace_);
  link_->Start({[this] { host_.PostDataArrived(); }, [this] { host_.PostConnectionLost(); }});
  host_.SetConnectionImage(ConnectionImage::Connected);
}

namespace {

// Every command once: the status it shows, the sentence it sends ("%d" takes the read mode;
// empty where the sentence is made from what the command carries), the read mode it sets and
// the user's operation it is.
struct CommandEntry {
  Command command;
  const char* status;  // "" shows nothing
  const char* sentence;
  uint8_t readMode;                    // 0: the read mode stays
  std::optional<Operation> operation;  // empty: the session's own (acknowledgements, bypass)
};

constexpr CommandEntry kCommands[] = {
    {Command::Nack, "", "$PSRF200,%d,3,0,0,0,0*hh\r\n", 0, std::nullopt},
    {Command::Ack, "", "$PSRF200,%d,2,0,0,0,0*hh\r\n", 0, std::nullopt},
    {Command::GetInfo, ">>> Get GPBT Message(Options).\r\n", "$PSRF202,1,0,0,0,0,0*hh\r\n", 0,
     Operation::Info},
    {Command::SetOptions, ">>> Set GPBT Message(Options).\r\n", "", 0, Operation::Options},
    {Command::SetNotes, ">>> Set GPBT Message(Information).\r\n", "", 0, Operation::Notes},
    {Command::Erase, ">>> All Erase Flash memory.\r\n", "$PSRF200,4,0,0,0,0,0*hh\r\n", 0,
     Operation::Erase},
    {Command::Stop, ">>> Set End Command.\r\n", "$PSRF203,0*hh\r\n", 0, Operation::Stop},
    {Command::BypassStart, ">>> Bypass Mode Start.\r\n", "$PSRF201,1,Bypass Test*hh\r\n", 0,
     std::nullopt},
    {Command::BypassEnd, ">>> Bypass Mode Finished.\r\n", "$PSRF201,0*hh\r\n", 0, std::nullopt},
    {Command::ReadAllNmea, ">>> Get All Tracking data by NMEA.\r\n", "$PSRF200,%d,0,0,0,0,0*hh\r\n",
     kReadAllNmea, Operation::Read},
    {Command::ReadAllBinary, ">>> Get All Tracking data by Binary.\r\n",
     "$PSRF200,%d,0,0,0,0,0*hh\r\n", kReadAllBinary, Operation::Read},
    {Command::ReadNewNmea, ">>> Get new Tracking data by NMEA.\r\n", "$PSRF200,%d,0,0,0,0,0*hh\r\n",
     kReadNewNmea, Operation::Read},
    {Command::ReadNewBinary, ">>> Get new Tracking data by Binary.\r\n",
     "$PSRF200,%d,0,0,0,0,0*hh\r\n", kReadNewBinary, Operation::Read},
    {Command::ReadPeriodNmea, ">>> Get Selected Tracking data by NMEA.\r\n", "", kReadPeriodNmea,
     Operation::Read},
    {Command::ReadPeriodBinary, ">>> Get Selected Tracking data by Binary.\r\n", "",
     kReadPeriodBinary, Operation::Read},
};

const CommandEntry* FindCommand(Command command) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.command == command) return &entry;
  }
  return nullptr;
}

}  // namespace

// Each group checked in order; the first refused one tells the user why.
bool LoggerSession::NoteGroupsAccepted(const NoteGroups& groups) {
  for (const std::string& group : groups) {
    if (const auto refusal = NoteGroupRefusal(group)) {
      host_.Report(*refusal);
      return false;
    }
  }
  return true;
}

// The checks, questions and state changes that come before a command goes out; false when it
// must not go out. Inputs the call did not carry are filled in here.
bool LoggerSession::PrepareCommand(Command command, CommandInputs& inputs) {
  switch (command) {
    case Command::SetOptions:
      if (!inputs.saveOptions) {
        inputs.saveOptions = SaveOptions{deviceState_.saveBySpeed, deviceState_.saveByTime,
                                         deviceState_.saveByDistance};
      }
      break;
    case Command::SetNotes:
      if (!inputs.noteGroups) inputs.noteGroups = deviceState_.noteGroups;
      if (!NoteGroupsAccepted(*inputs.noteGroups)) return false;
      break;
    case Command::Erase:
      if (!host_.Confirm(SessionQuestion::EraseMemory)) return false;
      break;
    case Command::Stop:
      // The read's end is told once the stop has gone out: a box before it would leave the
      // logger sending for as long as the box stands.
      stoppingRead_ = FinishTransferEarly();
      break;
    case Command::ReadPeriodNmea:
    case Command::ReadPeriodBinary:
      if (!inputs.period) inputs.period = host_.AskReadPeriod();
      if (!inputs.period) return false;
      break;
    default:
      break;
  }
  // The next $GPBT answer is taken over in full after these.
  if (command == Command::GetInfo || command == Command::SetNotes || command == Command::Erase) {
    infoComplete_ = false;
  }
  return true;
}

std::string LoggerSession::BuildCommand(Command command, const CommandInputs& inputs) {
  switch (command) {
    case Command::SetOptions: {
      const SaveOptions& o = *inputs.saveOptions;
      return Format("$PSRF200,9,%u,%u,%u,0,0*hh\r\n", o.bySpeed, o.byTime, o.byDistance);
    }
    case Command::SetNotes: {
      const NoteGroups& g = *inputs.noteGroups;
      return "$PSRF209," + g[0] + "," + g[1] + "," + g[2] + "," + g[3] + "*hh\r\n";
    }
    case Command::ReadPeriodNmea:
    case Command::ReadPeriodBinary:
      return Format("$PSRF200,%d,0,", readMode_) + PeriodFields(*inputs.period) + "*hh\r\n";
    default:
      return Format(FindCommand(command)->sentence, readMode_);
  }
}

bool LoggerSession::SendCommand(Command command, const CommandInputs& inputs) {
  return SendCommand(command, inputs, true);
}

// `fromUser` is false for the commands the session sends on its own account (acknowledgements,
// the stop that ends a silent read): they end no operation of the user's.
bool LoggerSession::SendCommand(Command command, CommandInputs inputs, bool fromUser) {
  const CommandEntry* entry = FindCommand(command);
  if (entry == nullptr) return false;  // not a command: nothing is sent
  if (!PrepareCommand(command, inputs)) {
    if (fromUser && entry->operation) EndOperation(*entry->operation, Outcome::Refused);
    return false;
  }
  if (entry->readMode != 0) {
    readMode_ = entry->readMode;
    BeginTransfer();
  }
  std::string sentence = BuildCommand(command, inputs);
  if (*entry->status != '\0') Status(entry->status);
  const bool written = SendSentence(std::move(sentence));
  if (command == Command::Stop && stoppingRead_) EndStoppedRead(fromUser);
  // What was sent is what the logger now holds.
  if (written && inputs.saveOptions) {
    deviceState_.saveBySpeed = inputs.saveOptions->bySpeed;
    deviceState_.saveByTime = inputs.saveOptions->byTime;
    deviceState_.saveByDistance = inputs.saveOptions->byDistance;
  }
  if (written && inputs.noteGroups) deviceState_.noteGroups = *inputs.noteGroups;
  if (fromUser && entry->operation) AfterSending(*entry->operation, written);
  return written;
}

bool LoggerSession::AskForFiguresQuietly() {
  if (!IsConnected()) return false;
  return SendSentence(FindCommand(Command::GetInfo)->sentence);
}

void LoggerSession::SendCommandAfter(int milliseconds, Command command, CommandInputs inputs) {
  queued_ = QueuedCommand{command, std::move(inputs)};
  host_.StartTimer(SessionTimer::Queued, milliseconds);
}

void LoggerSession::SendQueuedCommand() {
  if (!queued_) return;
  const QueuedCommand queued = std::move(*queued_);
  queued_.reset();
  SendCommand(queued.command, queued.inputs);
}

void LoggerSession::DropQueuedCommand() {
  queued_.reset();
  host_.StopTimer(SessionTimer::Queued);
}

// Commands that the logger answers leave their operation waiting; the others end here.
void LoggerSession::AfterSending(Operation operation, bool written) {
  if (!written) {
    if (operation == Operation::Read) FinishTransferEarly();
    EndOperation(operation, Outcome::Failed);
  } else if (operation == Operation::Info) {
    infoPending_ = true;
  } else if (operation == Operation::Erase) {
    erasePending_ = true;
  } else if (operation != Operation::Read) {
    EndOperation(operation, Outcome::Done);
  }
}

bool LoggerSession::SendSentence(std::string sentence) {
  FillChecksum(sentence);
  const auto* bytes = reinterpret_cast<const uint8_t*>(sentence.data());
  for (int attempt = 0;; ++attempt) {
    if (link_ && link_->Write(bytes, sentence.size()) == sentence.size()) return true;
    host_.Pause(kRetryPauseMs);
    if (attempt == kRetries) return false;
    Status(">>> Retry Send.\r\n");
  }
}

void LoggerSession::BeginTransfer() {
  transferActive_ = true;
  WatchForSilence();
  damagedItems_ = 0;
  writtenTracks_.clear();
  pointsSaved_ = 0;
  transferPoints_ = 0;
  sectorsReceived_ = 0;
  storedCopiesKept_.clear();
  fileTrouble_.reset();
  badDateReported_ = false;
  currentTrackDamaged_ = false;
  readFailed_ = false;
  readStoppedByUser_ = false;
  writer_.BeginDownload();
}

// A stop the session sends on its own account (a disconnect) is told by whoever asked for it.
void LoggerSession::EndStoppedRead(bool byUser) {
  stoppingRead_ = false;
  readStoppedByUser_ = true;
  if (byUser) {
    host_.Report(ReadReport(SessionReportKind::ReadStoppedByUser, ReportPlace::StatusLineAndBox,
                            MsgIcon::Warning));
  }
  EndOperation(Operation::Read, Outcome::Stopped);
}

void LoggerSession::EndDownloadCutShort() {
  downloading_ = false;
  CloseCurrentTrack(TrackEnd::CutShort);
}

bool LoggerSession::FinishTransferEarly() {
  endingRead_ = true;
  if (downloading_) EndDownloadCutShort();
  endingRead_ = false;
  const bool wasActive = transferActive_;
  transferActive_ = false;
  // Whatever ended the read, the progress bar no longer measures anything.
  if (wasActive) host_.SetProgress(0);
  return wasActive;
}

void LoggerSession::EndOperation(Operation operation, Outcome outcome) {
  OperationEnd end{operation, outcome};
  if (operation == Operation::Read) {
    host_.StopTimer(SessionTimer::Silence);
    end.points = pointsSaved_;
    end.tracks = static_cast<int>(writtenTracks_.size());
    end.damagedItems = damagedItems_;
  }
  host_.OperationEnded(end);
}

void LoggerSession::EndPendingOperations(Outcome outcome) {
  if (infoPending_) {
    infoPending_ = false;
    EndOperation(Operation::Info, outcome);
  }
  if (erasePending_) {
    erasePending_ = false;
    EndOperation(Operation::Erase, outcome);
  }
}

}  // namespace tavrin
