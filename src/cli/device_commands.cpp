// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/device_commands.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

#include "cli/command_line.h"
#include "cli/device_connection.h"
#include "protocol/note_group.h"
#include "serial/port_discovery.h"
#include "wording/session_wording.h"

namespace tavrin::cli {
namespace {

constexpr double kMostTimeoutSeconds = 24 * 60 * 60;

void AddPortOptions(CLI::App* command, PortOptions& options) {
  command->add_option("--port", options.port, "The logger's port: a name (ttyACM0) or a path")
      ->required();
  command
      ->add_option("--baud", options.baud,
                   "Baud rate (default: 230400 on the logger's USB port, 115200 elsewhere)")
      ->check(BaudRate());
  command
      ->add_option("--timeout", options.timeoutSeconds,
                   "Seconds of silence from the logger before giving up (default 10, at most a "
                   "day)")
      ->check(PositiveSeconds(kMostTimeoutSeconds));
}

// ---- ports

int RunPorts() {
  for (const PortInfo& port : PortDiscovery::ForThisSystem().Ports()) {
    const std::string usb = port.usbVendor.empty() ? "-" : port.usbVendor + ":" + port.usbProduct;
    std::cout << port.devicePath << '\t' << usb << '\t' << (port.IsLogger() ? "logger" : "other")
              << '\n';
  }
  return kExitOk;
}

// ---- info

void PrintInfo(const DeviceState& d) {
  const uint32_t capacity = d.memorySize >= 8 ? d.Capacity() : 0;
  const int remaining =
      capacity == 0 ? 0
                    : static_cast<int>(
                          100.0 - static_cast<double>(static_cast<uint32_t>(d.usedPoints * 100u)) /
                                      static_cast<double>(capacity));
  std::cout << "note-groups: " << d.noteGroups[0] << ',' << d.noteGroups[1] << ','
            << d.noteGroups[2] << ',' << d.noteGroups[3] << '\n'
            << "save-by-speed: " << int{d.saveBySpeed} << '\n'
            << "save-by-time: " << int{d.saveByTime} << '\n'
            << "save-by-distance: " << d.saveByDistance << '\n'
            << "memory-size-mbit: " << d.memorySize << '\n'
            << "used-points: " << d.usedPoints << '\n'
            << "new-points: " << d.newPoints << '\n'
            << "capacity-points: " << capacity << '\n'
            << "remaining-percent: " << remaining << '\n';
}

int RunInfo(const GlobalOptions& global, const PortOptions& options) {
  DeviceConnection device(global, options);
  if (!device.Connect() || !device.ReadInfo()) return kExitFailure;
  PrintInfo(device.Session().DeviceInfo());
  return kExitOk;
}

// ---- read

// The two UTC times of --period, in order; false with the reason on stderr.
bool ParsePeriod(const std::vector<std::string>& texts, std::optional<ReadPeriod>& period) {
  if (texts.empty()) return true;
  std::string why;
  const auto from = ParseLoggerTime(texts[0], why);
  const auto to = from ? ParseLoggerTime(texts[1], why) : std::nullopt;
  if (!from || !to) {
    Fail("read --period: " + why + ". It takes two UTC times FROM TO, for example " +
         "2024-05-01T00:00:00 2024-05-01T23:59:59.");
    return false;
  }
  if (After(*from, *to)) {
    Fail("read --period: FROM " + texts[0] + " comes after TO " + texts[1] +
         "; give the earlier time first.");
    return false;
  }
  period = ReadPeriod{*from, *to};
  return true;
}

Command ReadCommandFor(const ReadOptions& o) {
  if (o.readNew) return o.nmea ? Command::ReadNewNmea : Command::ReadNewBinary;
  if (o.readAll) return o.nmea ? Command::ReadAllNmea : Command::ReadAllBinary;
  return o.nmea ? Command::ReadPeriodNmea : Command::ReadPeriodBinary;
}

}  // namespace

ReadResult ReadTracks(const GlobalOptions& global, const ReadOptions& o) {
  ReadResult result;
  std::optional<ReadPeriod> period;
  if (!ParsePeriod(o.period, period)) return result;
  result.exitCode = kExitFailure;
  InstallInterruptHandler();
  DeviceConnection device(global, o.port);
  result.dataFolder = device.Context().Store().DataFolder();
  if (!device.Connect()) {
    result.notReady = device.NotReady();
    return result;
  }
  if (!device.ReadInfo()) return result;
  LoggerSession& session = device.Session();
  switch (session.DeviceInfo().WhatBlocksARead(o.readNew)) {
    case DeviceState::ReadBlock::EmptyMemory:
      Fail("the logger's memory is empty: there are no tracks to read.");
      return result;
    case DeviceState::ReadBlock::FiguresDoNotAddUp: {
      const std::string why =
          "Reading data or Empty track data. The logger's memory figures do not add up (it may "
          "still be scanning its memory); wait a moment and try again.";
      if (o.port.holdNotReady) {
        result.notReady = why;
      } else {
        Fail(why);
      }
      return result;
    }
    case DeviceState::ReadBlock::NoNewTracks:
      result.noNewTracks = true;
      result.exitCode = kExitOk;
      return result;
    case DeviceState::ReadBlock::None:
      break;
  }
  const size_t before = device.Host().EndedCount();
  CommandInputs inputs;
  inputs.period = period;
  session.SendCommand(ReadCommandFor(o), inputs);
  const auto ended =
      device.WaitQuietly([&] { return device.Host().Ended(Operation::Read, before).has_value(); });
  if (ended == DeviceConnection::Ended::Interrupted) {
    if (session.IsConnected()) session.SendCommand(Command::Stop);
    Fail("stopped by the user. " + SavedSummary(session.ReadSoFar()));
  } else if (ended == DeviceConnection::Ended::Silent) {
    session.OnLoggerSilent();
  }
  // Every track put in place is named, whatever ended the read.
  result.written = session.WrittenTracks();
  result.figures = session.ReadSoFar();
  if (ended != DeviceConnection::Ended::Done) return result;
  // Time over, a flash error or a track file that failed: the session has said which.
  const OperationEnd end = *device.Host().Ended(Operation::Read, before);
  if (end.outcome != Outcome::Done) return result;
  result.exitCode = end.damagedItems > 0 ? kExitDamaged : kExitOk;
  return result;
}

namespace {

int RunRead(const GlobalOptions& global, const ReadOptions& o) {
  const ReadResult result = ReadTracks(global, o);
  for (const std::string& path : result.written) std::cout << path << '\n';
  if (result.noNewTracks) std::cerr << "tavrin: no new tracks on the logger.\n";
  return result.exitCode;
}

// ---- set-options

struct SetOptions {
  PortOptions port;
  std::optional<int> speed, time, distance;
  std::optional<std::string> notes;
};

std::optional<std::array<std::string, 4>> SplitNotes(const std::string& text) {
  std::array<std::string, 4> groups;
  std::stringstream in(text);
  std::string group;
  size_t count = 0;
  while (std::getline(in, group, ',')) {
    if (count == groups.size()) return std::nullopt;
    groups[count++] = group;
  }
  return groups;
}

int RunSetOptions(const GlobalOptions& global, const SetOptions& o) {
  if (!o.speed && !o.time && !o.distance && !o.notes) {
    Fail("set-options needs at least one of --speed, --time, --distance, --notes.");
    return kExitUsage;
  }
  std::array<std::string, 4> groups;
  if (o.notes) {
    const auto split = SplitNotes(*o.notes);
    if (!split) {
      Fail("--notes takes at most four groups separated by commas, for example AB1,,X,Z9.");
      return kExitUsage;
    }
    for (size_t i = 0; i < split->size(); ++i) {
      if (const std::string fault = NoteGroupFault((*split)[i], i + 1, kNoteGroupLetters);
          !fault.empty()) {
        Fail("--notes: " + fault + ".");
        return kExitUsage;
      }
    }
    groups = *split;
  }
  DeviceConnection device(global, o.port);
  if (!device.Connect() || !device.ReadInfo()) return kExitFailure;
  const DeviceState& d = device.Session().DeviceInfo();
  if (o.speed || o.time || o.distance) {
    // What is not given stays as the logger has it.
    SaveOptions options{d.saveBySpeed, d.saveByTime, d.saveByDistance};
    if (o.speed) options.bySpeed = static_cast<uint8_t>(*o.speed);
    if (o.time) options.byTime = static_cast<uint8_t>(*o.time);
    if (o.distance) options.byDistance = static_cast<uint16_t>(*o.distance);
    CommandInputs inputs;
    inputs.saveOptions = options;
    if (!device.RunOperation(Operation::Options, Command::SetOptions, inputs,
                             "the save options to be written")) {
      return kExitFailure;
    }
  }
  if (o.notes) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    CommandInputs inputs;
    inputs.noteGroups = groups;
    if (!device.RunOperation(Operation::Notes, Command::SetNotes, inputs,
                             "the note groups to be written")) {
      return kExitFailure;
    }
  }
  return kExitOk;
}

// ---- erase, stop, bypass

struct EraseOptions {
  PortOptions port;
  bool yes = false;
};

int RunErase(const GlobalOptions& global, const EraseOptions& o) {
  const PortOptions& port = o.port;
  const bool yes = o.yes;
  if (!yes) {
    Fail("erase deletes every track in the logger's memory; add --yes to confirm.");
    return kExitUsage;
  }
  DeviceConnection device(global, port);
  if (!device.Connect()) return kExitFailure;
  device.Host().AnswerYes(true);
  return device.RunOperation(Operation::Erase, Command::Erase, {}, "the erase to finish")
             ? kExitOk
             : kExitFailure;
}

int RunStop(const GlobalOptions& global, const PortOptions& port) {
  DeviceConnection device(global, port);
  if (!device.Connect()) return kExitFailure;
  return device.RunOperation(Operation::Stop, Command::Stop, {}, "the stop command to be sent")
             ? kExitOk
             : kExitFailure;
}

struct BypassOptions {
  PortOptions port;
  std::string text;
};

int RunBypass(const GlobalOptions& global, const BypassOptions& o) {
  const PortOptions& port = o.port;
  const std::string& text = o.text;
  if (text.find_first_of("$*\r\n") != std::string::npos) {
    Fail("the bypass text may not contain $, * or line breaks.");
    return kExitUsage;
  }
  DeviceConnection device(global, port);
  if (!device.Connect()) return kExitFailure;
  if (!device.Session().SendSentence("$PSRF201,1," + text + "*hh\r\n")) {
    Fail("the text could not be written to " + device.Session().PortDevice() + ".");
    return kExitFailure;
  }
  return kExitOk;
}

// Makes `run` the command's action once the command line has chosen it.
template <typename Options>
void RunWhenChosen(CLI::App* command, const GlobalOptions& global, std::function<int()>& run,
                   std::shared_ptr<Options> options,
                   int (*action)(const GlobalOptions&, const Options&)) {
  command->callback([&global, &run, options, action] {
    run = [&global, options, action] { return action(global, *options); };
  });
}

void AddReadCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto read = std::make_shared<ReadOptions>();
  read->port.storesTracks = true;
  CLI::App* command = app.add_subcommand(
      "read",
      "Downloads tracks into the data folder and prints the path of each track file "
      "written, also when the read ends early. Progress goes to stderr; Ctrl-C stops the "
      "read and keeps what arrived. Exit status: 0 done, 1 failed or stopped early, 3 done "
      "but items were damaged on the line (read again).");
  AddPortOptions(command, read->port);
  auto* which = command->add_option_group("which tracks");
  which->add_flag("--new", read->readNew, "The tracks not read before");
  which->add_flag("--all", read->readAll, "Every track in the logger");
  which
      ->add_option("--period", read->period,
                   "The tracks between two UTC times FROM TO, each YYYY-MM-DDThh:mm:ss")
      ->expected(2);
  which->require_option(1);
  command->add_flag("--nmea", read->nmea, "Ask for $GPRMC sentences instead of binary frames");
  RunWhenChosen(command, global, run, read, RunRead);
}

void AddSetOptionsCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto set = std::make_shared<SetOptions>();
  CLI::App* command = app.add_subcommand(
      "set-options", "Writes the logger's save options and/or its four note groups.");
  AddPortOptions(command, set->port);
  command->add_option("--speed", set->speed, "Save a point every KMH of speed")
      ->check(WholeNumber())
      ->check(CLI::Range(0, 255));
  command->add_option("--time", set->time, "Save a point every S seconds")
      ->check(WholeNumber())
      ->check(CLI::Range(0, 255));
  command->add_option("--distance", set->distance, "Save a point every M metres")
      ->check(WholeNumber())
      ->check(CLI::Range(0, 65535));
  command->add_option("--notes", set->notes,
                      "Four note groups G1,G2,G3,G4: up to 5 letters or digits each");
  RunWhenChosen(command, global, run, set, RunSetOptions);
}

void AddInfoCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto info = std::make_shared<PortOptions>();
  CLI::App* command = app.add_subcommand(
      "info", "Asks the logger for its options, note groups and memory figures.");
  AddPortOptions(command, *info);
  RunWhenChosen(command, global, run, info, RunInfo);
}

// Erase, stop and bypass: a word to the logger and little more.
void AddLineCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto erase = std::make_shared<EraseOptions>();
  CLI::App* eraseCommand =
      app.add_subcommand("erase", "Erases the logger's whole memory (asks for --yes).");
  AddPortOptions(eraseCommand, erase->port);
  eraseCommand->add_flag("--yes", erase->yes, "Yes, delete every track in the logger");
  RunWhenChosen(eraseCommand, global, run, erase, RunErase);

  auto stop = std::make_shared<PortOptions>();
  CLI::App* stopCommand =
      app.add_subcommand("stop", "Tells the logger to stop the transfer it is sending.");
  AddPortOptions(stopCommand, *stop);
  RunWhenChosen(stopCommand, global, run, stop, RunStop);

  auto bypass = std::make_shared<BypassOptions>();
  CLI::App* bypassCommand =
      app.add_subcommand("bypass", "Sends TEXT to the logger in its bypass mode.");
  AddPortOptions(bypassCommand, bypass->port);
  bypassCommand->add_option("TEXT", bypass->text, "The text to pass through")->required();
  RunWhenChosen(bypassCommand, global, run, bypass, RunBypass);
}

}  // namespace

void AddDeviceCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  app.add_subcommand("ports",
                     "The serial ports, one a line: device path, USB vendor:product "
                     "(or -), and whether it is the logger.")
      ->callback([&run] { run = RunPorts; });
  AddInfoCommand(app, global, run);
  AddReadCommand(app, global, run);
  AddSetOptionsCommand(app, global, run);
  AddLineCommands(app, global, run);
}

}  // namespace tavrin::cli
