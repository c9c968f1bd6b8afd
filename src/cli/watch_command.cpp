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
#include "gui/common/desktop_notice.h"
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

int RunWatch(const GlobalOptions& global, const WatchOptions& o) {
  int argc = 1;
  char name[] = "tavrin";
  char* argv[] = {name, nullptr};
  const QCoreApplication application(argc, argv);
  DesktopNotices notices(OpenTheWindow);
  InstallInterruptHandler();
  const PortDiscovery discovery = PortDiscovery::ForThisSystem();
  const auto say = [&o](const std::string& line) {
    if (!o.quiet) std::cout << line << std::endl;
  };
  say("watching for loggers; Ctrl-C ends");
  std::set<std::string> present;
  std::map<std::string, PortClaim> claims;
  while (!Interrupted()) {
    const std::set<std::string> now = LoggerPorts(discovery);
    for (const std::string& port : present) {
      if (now.contains(port)) continue;
      say("left " + port);
      claims.erase(port);
    }
    // A logger there when the watch begins counts as arrived: it is read too.
    for (const std::string& port : now) {
      if (present.contains(port) || Interrupted()) continue;
      say("arrived " + port);
      // The window may have seen it arrive too: only one of the two reads it, and keeps it
      // until the logger leaves.
      std::string heldBy;
      std::optional<PortClaim> claim = PortClaim::Take(port, "the watcher", heldBy);
      if (!claim) {
        say(port + " is read by " + heldBy);
        continue;
      }
      claims.insert_or_assign(port, std::move(*claim));
      ReadOptions read;
      read.readNew = true;
      read.port.port = port;
      read.port.storesTracks = true;
      read.port.timeoutSeconds = o.timeoutSeconds;
      const ReadResult result = ReadTracks(global, read);
      say(ReadLine(port, result));
      notices.Show(ReadNoticeSummary(result.figures.filesWritten, result.figures.pointsSaved,
                                     result.exitCode == kExitFailure),
                   ReadNoticeBody(EndOf(result), QString::fromStdString(port),
                                  QString::fromStdString(result.dataFolder)));
      if (o.once) return result.exitCode;
    }
    present = now;
    Pause();
  }
  say("stopped");
  return kExitOk;
}

}  // namespace

void AddWatchCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto o = std::make_shared<WatchOptions>();
  CLI::App* command = app.add_subcommand(
      "watch",
      "Waits for loggers and reads each arriving logger's new tracks into the data folder, as "
      "read --new does; a logger already plugged in is read at once. One line an event on "
      "stdout (arrived, read, left), failures on stderr. The logger is never erased. Ctrl-C or "
      "SIGTERM ends it, keeping what arrived.");
  command->add_flag("--once", o->once,
                    "End after the first logger is read, with read's exit status");
  command->add_flag("--quiet", o->quiet, "No lines on stdout");
  command->add_option("--timeout", o->timeoutSeconds,
                      "Seconds of silence from the logger before a read gives up (default 10)");
  command->callback([&global, o, &run] { run = [&global, o] { return RunWatch(global, *o); }; });
}

}  // namespace tavrin::cli
