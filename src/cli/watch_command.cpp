// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/watch_command.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <chrono>
#include <iostream>
#include <map>
#include <set>
#include <thread>

#include "cli/cli_host.h"
#include "cli/device_commands.h"
#include "desktop/desktop_notice.h"
#include "serial/arrival_retries.h"
#include "serial/port_claim.h"
#include "serial/port_discovery.h"

namespace tavrin::cli {
namespace {

using namespace std::chrono_literals;

struct WatchOptions {
  bool once = false;
  bool quiet = false;
  double timeoutSeconds = 10;
};

// The logger ports there now, by device path.
std::set<std::string> LoggerPorts(const PortDiscovery& discovery) {
  std::set<std::string> ports;
  for (const PortInfo& port : discovery.Ports()) {
    if (port.IsLogger()) ports.insert(port.devicePath);
  }
  return ports;
}

// One line a read: what arrived and where it went, or why nothing did.
std::string ReadLine(const std::string& port, const ReadResult& read) {
  if (read.noNewTracks) return "read " + port + ": no new tracks";
  const ReadFigures& f = read.figures;
  std::string line = "read " + port + ": " + std::to_string(f.filesWritten) + " new track" +
                     (f.filesWritten == 1 ? "" : "s") + ", " + std::to_string(f.pointsSaved) +
                     " points into " + read.dataFolder;
  if (read.exitCode == kExitDamaged) line += " (items were damaged on the line: read again)";
  if (read.exitCode == kExitFailure) line += " (the read failed; what arrived is kept)";
  return line;
}

// How the read ended, for its notice.
ReadEnd EndOf(const ReadResult& read) {
  if (read.exitCode == kExitFailure) return ReadEnd::Failed;
  if (read.noNewTracks) return ReadEnd::NoNewTracks;
  return read.exitCode == kExitDamaged ? ReadEnd::DoneWithDamage : ReadEnd::Done;
}

// The window, to show the new tracks: beside this program when it is there, else on the path.
void OpenTheWindow() {
  const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/tavrin-lite");
  QProcess::startDetached(QFileInfo(beside).isExecutable() ? beside : QStringLiteral("tavrin-lite"),
                          {});
}

// Waits a second between looks, waking at once for Ctrl-C or SIGTERM, and answering a notice's
// action meanwhile.
void Pause() {
  for (int step = 0; step < 10 && !Interrupted(); ++step) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(100ms);
  }
}

// One watch: the loggers it has claimed, those it tries again, and what it has said once.
class Watch {
 public:
  Watch(const GlobalOptions& global, const WatchOptions& options)
      : global_(global), options_(options), notices_(OpenTheWindow) {}

  int Run();

 private:
  void Say(const std::string& line) const {
    if (!options_.quiet) std::cout << line << std::endl;
  }
  void LookAtPorts(const std::set<std::string>& now);
  // Claims the port when not yet claimed; false when another program has it.
  bool Claim(const std::string& port);
  // One try at reading the port; the read's exit status once it is over, nothing while it is
  // to be tried again or left to another.
  std::optional<int> Try(const std::string& port);
  void TellOfRead(const std::string& port, const ReadResult& result);

  const GlobalOptions& global_;
  const WatchOptions& options_;
  DesktopNotices notices_;
  std::set<std::string> present_;
  std::map<std::string, PortClaim> claims_;
  ArrivalRetries retries_;
  bool claimProblemTold_ = false;
};

void Watch::LookAtPorts(const std::set<std::string>& now) {
  for (const std::string& port : present_) {
    if (now.contains(port)) continue;
    Say("left " + port);
    claims_.erase(port);
    retries_.Forget(port);
  }
  // A logger there when the watch begins counts as arrived: it is read too.
  for (const std::string& port : now) {
    if (present_.contains(port)) continue;
    Say("arrived " + port);
    retries_.Arrived(port, ArrivalRetries::Clock::now());
  }
  present_ = now;
}

bool Watch::Claim(const std::string& port) {
  if (claims_.contains(port)) return true;
  // The window may have seen it arrive too: only one of the two reads it, and keeps it until
  // the logger leaves.
  std::string heldBy;
  std::optional<PortClaim> claim = PortClaim::Take(port, "the watcher", heldBy);
  if (!claim) {
    Say(port + " is read by " + heldBy);
    return false;
  }
  if (!claim->Problem().empty() && !claimProblemTold_) {
    std::cerr << "tavrin: " << claim->Problem() << "\n";
    claimProblemTold_ = true;
  }
  claims_.insert_or_assign(port, std::move(*claim));
  return true;
}

void Watch::TellOfRead(const std::string& port, const ReadResult& result) {
  Say(ReadLine(port, result));
  notices_.Show(ReadNoticeSummary(result.figures.filesWritten, result.figures.pointsSaved,
                                  result.exitCode == kExitFailure),
                ReadNoticeBody(EndOf(result), QString::fromStdString(port),
                               QString::fromStdString(result.dataFolder)));
}

std::optional<int> Watch::Try(const std::string& port) {
  if (!Claim(port)) {
    retries_.Forget(port);
    return std::nullopt;
  }
  ReadOptions read;
  read.readNew = true;
  read.port.port = port;
  read.port.storesTracks = true;
  read.port.timeoutSeconds = options_.timeoutSeconds;
  read.port.progress = options_.quiet ? ProgressLines::Never : ProgressLines::OnTerminal;
  read.port.holdNotReady = true;
  const ReadResult result = ReadTracks(global_, read);
  if (!result.notReady.empty()) {
    if (retries_.TryAgain(port, ArrivalRetries::Clock::now())) {
      Say("not ready " + port + ": trying again in " +
          std::to_string(ArrivalRetries::kPause.count()) + " s");
      return std::nullopt;
    }
    Fail("gave up on " + port + " after " + std::to_string(ArrivalRetries::kLongest.count()) +
         " s of tries: " + result.notReady);
  }
  retries_.Forget(port);
  TellOfRead(port, result);
  return result.exitCode;
}

int Watch::Run() {
  Say("watching for loggers; Ctrl-C ends");
  const PortDiscovery discovery = PortDiscovery::ForThisSystem();
  while (!Interrupted()) {
    LookAtPorts(LoggerPorts(discovery));
    for (const std::string& port : retries_.Due(ArrivalRetries::Clock::now())) {
      if (Interrupted()) break;
      const std::optional<int> exitCode = Try(port);
      if (exitCode && options_.once) return *exitCode;
    }
    Pause();
  }
  Say("stopped");
  return kExitOk;
}

int RunWatch(const GlobalOptions& global, const WatchOptions& options) {
  int argc = 1;
  char name[] = "tavrin";
  char* argv[] = {name, nullptr};
  const QCoreApplication application(argc, argv);
  InstallInterruptHandler();
  Watch watch(global, options);
  return watch.Run();
}

}  // namespace

void AddWatchCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto o = std::make_shared<WatchOptions>();
  CLI::App* command = app.add_subcommand(
      "watch",
      "Waits for loggers and reads each arriving logger's new tracks into the data folder, as "
      "read --new does; a logger already plugged in is read at once. A logger still scanning "
      "its memory, or a port not yet handed to the user, is tried again every 3 s for up to "
      "30 s. One line an event on stdout (arrived, not ready, read, left), failures on stderr, "
      "the read's progress on stderr when it is a terminal. The logger is never erased. Ctrl-C "
      "or SIGTERM ends it, keeping what arrived.");
  command->add_flag("--once", o->once,
                    "End after the first logger is read, with read's exit status");
  command->add_flag("--quiet", o->quiet, "No lines on stdout and no progress on stderr");
  command->add_option("--timeout", o->timeoutSeconds,
                      "Seconds of silence from the logger before a read gives up (default 10)");
  command->callback([&global, o, &run] { run = [&global, o] { return RunWatch(global, *o); }; });
}

}  // namespace tavrin::cli
