// SPDX-License-Identifier: GPL-3.0-or-later
// The logger session's host on the command line: an event loop of its own for the posted
// data-arrived calls and the one-shot timers, progress on stderr, and questions answered by
// flags instead of by waiting on stdin.
#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "protocol/event_loop.h"
#include "protocol/logger_session.h"

namespace tavrin::cli {

// Where a read's progress goes: always on stderr (a bar on a terminal, a line every 10 %
// elsewhere), only when stderr is a terminal (tavrin watch, whose stderr may be a journal), or
// nowhere.
enum class ProgressLines { Always, OnTerminal, Never };

class CliHost : public ISessionHost {
 public:
  explicit CliHost(bool verbose, ProgressLines progress = ProgressLines::Always)
      : verbose_(verbose), progress_(progress) {}
  void Attach(LoggerSession* session) { session_ = session; }

  // ISessionHost
  void SetStatusText(const std::string& text) override;
  void SetProgress(int position) override;
  void Report(const SessionReport& report) override;
  // The command asked for --yes before it connected: the answer is that flag.
  bool Confirm(SessionQuestion /*question*/) override { return answerYes_; }
  void NotifyDeviceInfo(DeviceNotice) override {}
  void StartTimer(SessionTimer timer, int milliseconds) override;
  void StopTimer(SessionTimer timer) override;
  // The command line passes the period with the read command.
  std::optional<ReadPeriod> AskReadPeriod() override { return std::nullopt; }
  void SetConnectionImage(ConnectionImage) override {}
  void ConnectionLost() override { lost_ = true; }
  void OperationEnded(const OperationEnd& end) override { ended_.push_back(end); }
  void PostDataArrived() override;
  void PostConnectionLost() override;

  // A box's text on stderr when it is worth saying; an answer from the flags otherwise.
  MsgAnswer ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons);

  // The answer to the questions the session asks.
  void AnswerYes(bool yes) { answerYes_ = yes; }

  // Runs the loop until `done`, the logger has been silent for `silence`, or Ctrl-C was
  // pressed. Returns why it stopped.
  enum class Wait { Done, Silent, Interrupted };
  Wait RunUntil(const std::function<bool()>& done, std::chrono::milliseconds silence);

  // What happened so far.
  bool ConnectionWasLost() const { return lost_; }
  // How `operation` last ended among the ends from number `since` on; empty while it has not.
  std::optional<OperationEnd> Ended(Operation operation, size_t since = 0) const;
  size_t EndedCount() const { return ended_.size(); }
  void FinishProgress();

 private:
  void TouchActivity();

  bool verbose_;
  ProgressLines progress_;
  LoggerSession* session_ = nullptr;
  EventLoop loop_;
  bool answerYes_ = false;
  bool lost_ = false;
  std::vector<OperationEnd> ended_;
  int lastShownProgress_ = -1;
  bool progressLineOpen_ = false;
  std::atomic<std::chrono::steady_clock::rep> lastActivity_{0};
};

// Ctrl-C and SIGTERM set a flag that the waiting loop notices; a second Ctrl-C ends at once.
void InstallInterruptHandler();
bool Interrupted();
// Set by Ctrl+C or SIGTERM once InstallInterruptHandler ran: for work that stops on its own.
const std::atomic<bool>& InterruptFlag();

}  // namespace tavrin::cli
