// SPDX-License-Identifier: GPL-3.0-or-later
// What the logger session needs from the program around it: the window, the command line and
// the tests each implement this. The session reaches the outside through nothing else.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

#include "protocol/session_reports.h"
#include "store/track_header.h"
#include "store/track_point.h"

namespace tavrin {

// Timers the session starts; the host calls LoggerSession::OnTimer with one when it fires. The
// numbers are the window's timer ids.
enum class SessionTimer : int {
  Ack = 12,       // 100 ms: send the acknowledgement
  Activity = 13,  // 80 ms: end the receive flash of the connection image
  Silence = 14,   // the silence limit of a read: the logger has stopped answering
  Queued = 15,    // the pause before a command sent with SendCommandAfter
};

// What NotifyDeviceInfo reports, with the device page's notice codes.
enum class DeviceNotice : int {
  FullInfo = 5,    // options, note groups and memory figures were all taken over
  CountsOnly = 6,  // only the point counts changed
};

// The connection image, by its index in the image strip.
enum class ConnectionImage : int { Disconnected = 0, Receiving = 1, Connected = 3 };

// What the user asked the logger to do. The host hears how each ended through OperationEnded.
enum class Operation {
  Info,     // read the options, note groups and memory figures
  Options,  // write the save options
  Notes,    // write the note groups
  Erase,    // erase the memory
  Read,     // download tracks
  Stop,     // tell the logger to stop sending
};

enum class Outcome {
  Done,
  Refused,         // not sent: the user declined or an input was not valid (the user was told)
  Failed,          // the command could not be written, or the logger or a track file failed
  TimeOver,        // the logger gave up waiting for this program
  Stopped,         // ended early by the stop command, a disconnect or the logger's silence
  ConnectionLost,  // the line went down
};

// How an operation ended. The counts belong to a read; they are 0 for the others.
struct OperationEnd {
  Operation operation = Operation::Info;
  Outcome outcome = Outcome::Done;
  uint32_t points = 0;   // points saved in track files
  int tracks = 0;        // track files put in place
  int damagedItems = 0;  // sentences and frames dropped for a bad checksum
};

// A period to read, in UTC.
struct ReadPeriod {
  DateTime from;
  DateTime to;
};

// What the session asks before an operation that cannot be undone. Each front end puts it in its
// own words and answers: the window asks the user, the command line answers with its flag.
enum class SessionQuestion {
  EraseMemory,  // erase the logger's whole memory?
};

class ISessionHost {
 public:
  virtual ~ISessionHost() = default;

  // A line of the conversation on the line (">>> Get GPBT Message(Options).\r\n", "<<< ACK
  // Message.\r\n", "Empty Memory."): fixed texts, and the receive count.
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetProgress(int position) = 0;  // 0-1000
  // An outcome the user is told of, to be put into words and shown where the report says. May
  // run a nested event loop (a modal box); the session copes with being re-entered.
  virtual void Report(const SessionReport& report) = 0;
  // True to go on. May run a nested event loop, as a box does.
  virtual bool Confirm(SessionQuestion question) = 0;
  virtual void NotifyDeviceInfo(DeviceNotice what) = 0;
  // One-shot; starting a running timer restarts it.
  virtual void StartTimer(SessionTimer timer, int milliseconds) = 0;
  virtual void StopTimer(SessionTimer timer) = 0;
  // The period of a period read; empty when the user cancelled.
  virtual std::optional<ReadPeriod> AskReadPeriod() = 0;
  virtual void SetConnectionImage(ConnectionImage image) = 0;
  // A read put a track file in place: `entry` is the track as its file now holds it. Lists
  // of tracks are the front end's own; the session only tells.
  virtual void TrackFileSaved(const TrackEntry& entry) { (void)entry; }
  // The connection ended without being asked to (cable pulled, device gone).
  virtual void ConnectionLost() {}
  // An operation ended, after the session has reported what it reports about it.
  virtual void OperationEnded(const OperationEnd& end) { (void)end; }
  // Blocks the session's thread; hosts in tests may shorten it.
  virtual void Pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

  // Called by the link, maybe on another thread: arrange for OnDataArrived / OnConnectionLost to
  // run on the session's thread.
  virtual void PostDataArrived() = 0;
  virtual void PostConnectionLost() = 0;
};

}  // namespace tavrin
