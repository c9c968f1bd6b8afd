// SPDX-License-Identifier: GPL-3.0-or-later
// The conversation with the logger: the link it is handed and everything the protocol remembers
// between messages — read mode, device options and note groups, memory figures, the assembly
// of incoming items and the track being downloaded. It runs on one thread (the window's or the
// command line's) and reaches the outside only through its host and its link.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "protocol/device_state.h"
#include "protocol/read_modes.h"
#include "protocol/response_reader.h"
#include "protocol/session_host.h"
#include "serial/logger_link.h"
#include "store/track_store.h"

namespace tavrin {

// What SendCommand can ask of the logger. Each command keeps the number it has always had.
enum class Command : int {
  Nack = 0,
  Ack = 1,
  GetInfo = 2,
  SetOptions = 3,
  SetNotes = 4,
  Erase = 5,
  Stop = 6,
  BypassStart = 7,
  BypassEnd = 8,
  ReadAllNmea = 10,
  ReadPeriodNmea = 11,
  ReadAllBinary = 12,
  ReadPeriodBinary = 13,
  ReadNewNmea = 14,
  ReadNewBinary = 15,
};

constexpr int kAckDelayMs = 100;
constexpr int kActivityFlashMs = 80;

// What a command carries. What is left empty comes from the device fields (options, note
// groups) or from the host's question (the period), as the device page's buttons do it.
struct CommandInputs {
  std::optional<SaveOptions> saveOptions{};  // Command::SetOptions
  std::optional<NoteGroups> noteGroups{};    // Command::SetNotes
  std::optional<ReadPeriod> period{};        // Command::ReadPeriodNmea, Command::ReadPeriodBinary
};

// Opens the link for a port name and baud rate; Connect uses it. The serial port's opener
// is the default; a test or the window's built-in logger hands in another.
using LinkOpener =
    std::function<Result<std::unique_ptr<ILoggerLink>>(const std::string& device, uint32_t baud)>;
Result<std::unique_ptr<ILoggerLink>> OpenSerialLink(const std::string& device, uint32_t baud);

class LoggerSession {
 public:
  LoggerSession(ISessionHost& host, TrackStore& store);
  ~LoggerSession();
  LoggerSession(const LoggerSession&) = delete;
  LoggerSession& operator=(const LoggerSession&) = delete;

  // ---- connection
  void SetPort(const std::string& device, uint32_t baud) {
    device_ = device;
    baud_ = baud;
  }
  // Opens the port chosen by SetPort and takes it as the link. A failed open leaves the reason
  // in OpenError().
  bool Connect();
  // Stops what runs and closes the link; false when there was no open link to close.
  bool Disconnect();
  void SetLinkOpener(LinkOpener opener) { opener_ = std::move(opener); }
  // Takes `link` as the line to the logger, closing the one it had; the session is connected
  // while the link is open.
  void AttachLink(std::unique_ptr<ILoggerLink> link);
  bool IsConnected() const { return link_ && link_->IsOpen(); }
  const std::string& OpenError() const { return openError_; }
  // The system's error number behind OpenError(), 0 when none.
  int OpenErrorNumber() const { return openErrorNumber_; }
  // The port chosen by SetPort, or the name of the attached link.
  const std::string& PortDevice() const { return link_ ? link_->Name() : device_; }
  // Records the line's bytes in `trace` from now on, also on links attached later.
  void SetTrace(ByteTrace* trace);
  uint64_t BytesReceived() const { return bytesReceived_; }

  // ---- commands
  // True when the command went out; false when the user declined it, its inputs were refused or
  // it could not be written (its operation then ends with that outcome).
  bool SendCommand(Command command) { return SendCommand(command, CommandInputs{}); }
  bool SendCommand(Command command, const CommandInputs& inputs);
  // Sends `command` once `milliseconds` have passed (SessionTimer::Queued), for a logger that
  // takes two sentences apart more surely with a pause between them. One command waits at a
  // time; closing, losing or replacing the link drops it unsent.
  void SendCommandAfter(int milliseconds, Command command, CommandInputs inputs);
  // Asks the logger for its memory figures again, without a word on the status line and without
  // an operation: after a read, the counts the page shows would otherwise be those from before
  // it. The answer comes as DeviceNotice::CountsOnly. False when it could not be sent.
  bool AskForFiguresQuietly();
  // Fills in the checksum of a sentence ending in "*hh\r\n" and writes it, retrying twice.
  // False when it could not be written.
  bool SendSentence(std::string sentence);

  // ---- events the host delivers on the session's thread
  void OnDataArrived();
  void OnTimer(SessionTimer timer);
  void OnConnectionLost();
  // The logger has sent nothing for longer than the host is willing to wait during a read: the
  // read ends as if the line had gone down, keeping what arrived.
  void OnLoggerSilent();
  // With a limit above 0 the session watches a read itself: no byte for that long calls
  // OnLoggerSilent (through SessionTimer::Silence). 0, the start value, leaves it to the host.
  void SetSilenceLimit(int milliseconds) { silenceMs_ = milliseconds; }

  // ---- state
  const DeviceState& DeviceInfo() const { return deviceState_; }
  bool InfoComplete() const { return infoComplete_; }
  uint8_t ReadModeValue() const { return readMode_; }
  bool DownloadInProgress() const { return downloading_; }
  // Points received since the last Tracking Data Information answer.
  int ReceivedCount() const { return receivedCount_; }
  // Paths of the track files the last read put in place, in order, also when it was cut short.
  const std::vector<std::string>& WrittenTracks() const { return writtenTracks_; }
  // Points of the last read that are saved in those files.
  uint32_t PointsSaved() const { return pointsSaved_; }
  // Sectors of the last read that the logger finished.
  int SectorsReceived() const { return sectorsReceived_; }
  // Sentences and frames dropped for a bad checksum since the last read command.
  int DamagedItems() const { return damagedItems_; }
  // The figures of the last read so far, for the messages that tell how it ended.
  ReadFigures ReadSoFar() const;
  // True from a read command until the transfer ends one way or another.
  bool TransferActive() const { return transferActive_; }

 private:
  // Reader and dispatch.
  void ShowReceiving();
  void HandleByte(uint8_t byte);
  void Dispatch(const ResponseReader::Item& item);
  void DispatchSentence(std::string_view line);
  void DispatchFrame(std::span<const uint8_t> frame);
  void CountDamaged();

  // Download answers.
  void OnPsrf200(std::string_view line);
  // $PSRF200 answers to a read; binary frames reach OnNextSector, OnSuccess and OnTimeOver
  // directly.
  void OnReadAnswer(int code, long long a, long long b, long long e, long long f);
  void OnTrackingInformation(long long a, long long b, long long e, long long f);
  void OnNextSector();
  void OnSuccess(bool fromFrame);
  void OnTimeOver();
  void OnRmc(std::string_view line);
  void OnPointFrame(std::span<const uint8_t> frame);
  void StorePoint(TrackPoint point);
  void WritePoint(const TrackPoint& point);
  void ReportProgress();
  void StartNewTrackFile(const TrackPoint& first);
  void OpenCurrentTrackFile();
  TrackSaved CloseCurrentTrack(TrackEnd end);
  void ReportTrackFileTrouble(const TrackFileTrouble& trouble);
  // Ends a read whose track file failed before the logger is asked for more or told that the
  // read succeeded, so that the tracks not saved stay new on it; true when it did.
  bool StopIfTrackFileFailed();
  void WatchForSilence();
  void ReportBadDate(SessionReport report);
  void ReportReadEnd(bool fromFrame);
  // A report of `kind` with the read's figures so far.
  SessionReport ReadReport(SessionReportKind kind, ReportPlace place, MsgIcon icon) const;
  void BeginTransfer();

  // Device answers.
  void OnGpbt(std::string_view line);
  void EndGpbt();
  void OnFlashError(int code);
  void OnErase(int code, long long a);

  // Commands.
  bool SendCommand(Command command, CommandInputs inputs, bool fromUser);
  bool PrepareCommand(Command command, CommandInputs& inputs);
  bool NoteGroupsAccepted(const NoteGroups& groups);
  std::string BuildCommand(Command command, const CommandInputs& inputs);
  void AfterSending(Operation operation, bool written);
  void SendQueuedCommand();
  void DropQueuedCommand();
  // Ends the download of a read that stops early; the open track keeps what arrived.
  void EndDownloadCutShort();
  // Ends a read that a stop command ended; the user's own stop is told what it saved.
  void EndStoppedRead(bool byUser);
  // Ends a running transfer, keeping what arrived, without telling the host; false when none ran.
  bool FinishTransferEarly();

  // Outcomes.
  void EndOperation(Operation operation, Outcome outcome);
  // Ends the waits for answers (info, erase) with `outcome`.
  void EndPendingOperations(Outcome outcome);
  void ResetProtocolState();
  void Status(const std::string& text) { host_.SetStatusText(text); }

  ISessionHost& host_;
  TrackWriter& writer_;  // the session writes track files and does nothing else with the store
  std::unique_ptr<ILoggerLink> link_;
  LinkOpener opener_ = OpenSerialLink;
  std::string device_;
  uint32_t baud_ = 0;
  std::string openError_;
  int openErrorNumber_ = 0;
  ByteTrace* trace_ = nullptr;
  uint64_t bytesReceived_ = 0;

  bool infoPending_ = false;        // an info command waits for the full $GPBT answer
  bool erasePending_ = false;       // an erase waits for its end
  bool readFailed_ = false;         // the logger or a track file failed during the read
  bool stoppingRead_ = false;       // the user's stop command is going out during a read
  bool readStoppedByUser_ = false;  // the last read was ended by the user's stop

  DeviceState deviceState_;
  bool infoComplete_ = false;
  uint8_t readMode_ = 0;

  ResponseReader reader_;
  bool activity_ = false;

  bool downloading_ = false;
  bool transferActive_ = false;
  int receivedCount_ = 0;
  int trackPointCount_ = 0;
  TrackEntry current_;
  int damagedItems_ = 0;
  std::vector<std::string> writtenTracks_;
  uint32_t pointsSaved_ = 0;
  uint32_t transferPoints_ = 0;  // points received since the read command
  int sectorsReceived_ = 0;
  std::vector<StoredCopyKept> storedCopiesKept_;
  std::optional<TrackFileTrouble> fileTrouble_;  // the first track file of the read that failed
  bool endingRead_ = false;           // the read is ending for another reason: tell trouble now
  bool badDateReported_ = false;      // one box a read for impossible date-times
  bool trackOpenDeferred_ = false;    // the start was impossible: the first point names the track
  bool currentTrackDamaged_ = false;  // an item of the open track was dropped for its checksum
  int silenceMs_ = 0;                 // 0: the host watches for a silent logger

  struct QueuedCommand {
    Command command;
    CommandInputs inputs;
  };
  std::optional<QueuedCommand> queued_;  // waits for SessionTimer::Queued
};

}  // namespace tavrin
