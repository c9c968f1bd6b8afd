// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin-emulator: the GPS logger's side of the serial line on a pseudo-terminal, for testing the
// host without a device.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

#include "base/version.h"
#include "emulator/demo_memory.h"
#include "emulator/emulator_server.h"
#include "emulator/memory_file.h"
#include "emulator/port_registration.h"
#include "serial/port_discovery.h"

namespace {

using namespace tavrin::emulator;

struct Arguments {
  bool pty = false;
  std::string memoryFile;
  bool demo = false;
  uint32_t baud = 0;
  uint32_t pointsPerSector = 0;  // 0: as the memory file says
  uint32_t ackTimeoutMs = 3000;
  uint32_t eraseDelayMs = 20;
  double scanningSeconds = 0;
  std::string control = "auto";
  Faults faults;
  std::string saveMemory;
};

constexpr const char* kFooter = R"(
Without --memory or --demo the logger starts empty (32 Mbit).

The emulator answers the logger's commands: device information ($GPBT), save options and note
groups, erase with per-sector progress, and the six reads of tracks (all, new, period; binary
frames or $GPRMC), sector by sector, each waiting for the host's acknowledgement.

Faults (item numbers count the points of a read from 1, sectors count from 1; each fault strikes
once per read):
  --flip-item K            item K arrives with one damaged byte, so its checksum fails
  --drop-item K            item K is left out
  --stop-after-sector K    sector K and its Next Sector go out (no Success when K is the last
                           sector), then the read falls silent: acknowledgements are ignored
  --hangup-after-sector K  as --stop-after-sector, then, once the output has left, the
                           emulator closes the line and exits with status 0
  --time-over-after-sector K
                           sector K and its Next Sector go out, then Time Over at once, as
                           if the acknowledgement had come too late (not after the last sector)

The first line on standard output is the slave path to open as the serial port. The path is
also written to $XDG_RUNTIME_DIR/tavrin-lite/emulators/<pid>.port (or
/tmp/tavrin-lite-<uid>/emulators/ without XDG_RUNTIME_DIR) until the emulator ends.
SIGINT or SIGTERM end it with status 0; a problem at start-up ends it with status 1.)";

void AddOptions(CLI::App& app, Arguments& a) {
  app.add_flag("--pty", a.pty, "Serve on a new pseudo-terminal (required)")->required();
  auto* memory =
      app.add_option("--memory", a.memoryFile, "Load the logger's memory from a JSON file")
          ->option_text("FILE");
  auto* demo = app.add_flag("--demo", a.demo, "Start with three days of demo tracks around Seoul");
  memory->excludes(demo);
  app.add_option("--baud", a.baud,
                 "Pace the output like a serial line of N baud (default 0: unpaced)")
      ->option_text("N");
  app.add_option("--points-per-sector", a.pointsPerSector,
                 "Points in one sector of a read (default: the memory's, 4096)")
      ->check(CLI::Range(1u, 1u << 20))
      ->option_text("N");
  app.add_option("--ack-timeout", a.ackTimeoutMs,
                 "Milliseconds to wait for an acknowledgement before Time Over (default 3000)")
      ->check(CLI::Range(1u, 3'600'000u))
      ->option_text("MS");
  app.add_option("--erase-delay", a.eraseDelayMs,
                 "Milliseconds between erase progress answers (default 20)")
      ->check(CLI::Range(0u, 60'000u))
      ->option_text("MS");
  app.add_option("--scanning", a.scanningSeconds,
                 "For the first S seconds the logger is still scanning its memory, as one just "
                 "plugged in may be: its device information gives no sector positions, so a "
                 "host finds its figures do not add up (default 0)")
      ->check(CLI::Range(0.0, 3600.0))
      ->option_text("S");
  app.add_option("--control", a.control,
                 "Form of Next Sector, Success and Time Over: auto (frames for binary reads, "
                 "sentences for NMEA reads; the default), frames or sentences")
      ->check(CLI::IsMember({"auto", "frames", "sentences"}))
      ->option_text("auto|frames|sentences");
  const auto item = [&](const char* name, size_t& target, const char* text) {
    app.add_option(name, target, text)
        ->check(CLI::Range(size_t{1}, size_t{1} << 31))
        ->option_text("K");
  };
  item("--flip-item", a.faults.items.flipItem, "Damage point item K (see below)");
  item("--drop-item", a.faults.items.dropItem, "Leave out point item K");
  item("--stop-after-sector", a.faults.stopAfterSector, "Fall silent after sector K");
  item("--hangup-after-sector", a.faults.hangUpAfterSector, "Hang up after sector K");
  item("--time-over-after-sector", a.faults.timeOverAfterSector,
       "Give up with Time Over after sector K");
  app.add_option("--save-memory", a.saveMemory,
                 "Write the memory as JSON to this file when the emulator ends")
      ->option_text("FILE");
  app.footer(kFooter);
}

ControlForm ParseControl(const std::string& text) {
  return text == "frames"      ? ControlForm::kFrames
         : text == "sentences" ? ControlForm::kSentences
                               : ControlForm::kAuto;
}

int Fail(const std::string& reason) {
  std::cerr << "tavrin-emulator: " << reason << '\n';
  return 1;
}

// Blocks SIGINT and SIGTERM and hands them over as a readable descriptor, so the serving loop
// sees them between two steps and ends cleanly.
int SignalDescriptor() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) return -1;
  return signalfd(-1, &set, SFD_CLOEXEC);
}

std::optional<LoggerMemory> StartMemory(const Arguments& a, std::string& error) {
  LoggerMemory memory;
  if (a.demo) memory = DemoMemory();
  if (!a.memoryFile.empty()) {
    MemoryResult loaded = LoadMemoryFile(a.memoryFile);
    if (!loaded.memory) {
      error = loaded.error;
      return std::nullopt;
    }
    memory = std::move(*loaded.memory);
  }
  if (a.pointsPerSector != 0) memory.pointsPerSector = a.pointsPerSector;
  return memory;
}

int Run(const Arguments& a) {
  // A host that read the first line may close our output; that must not cost the saved memory.
  ::signal(SIGPIPE, SIG_IGN);
  const int stopFd = SignalDescriptor();
  if (stopFd < 0) return Fail("cannot watch for SIGINT and SIGTERM");
  std::string error;
  auto memory = StartMemory(a, error);
  if (!memory) return Fail(error);
  auto pty = PseudoTerminal::Open(error);
  if (!pty) return Fail(error + "; check that /dev/ptmx is available");
  const EmulatorOptions options{
      std::chrono::milliseconds(a.ackTimeoutMs), std::chrono::milliseconds(a.eraseDelayMs),
      ParseControl(a.control), a.faults,
      std::chrono::milliseconds(static_cast<long long>(a.scanningSeconds * 1000))};
  EmulatorServer server(std::move(*pty), std::move(*memory), options, a.baud);
  // Hosts find the port without being told it only through a registration they can trust.
  std::optional<PortRegistration> registration;
  if (const auto folder = tavrin::OwnRuntimeFolder("emulators"); !folder) {
    std::cerr << "tavrin-emulator: " << folder.Error().reason
              << "; meanwhile the port is not registered: name it to the host yourself\n";
  } else {
    auto created = PortRegistration::Create(*folder, server.SlavePath(), error);
    if (!created) return Fail(error);
    registration.emplace(std::move(*created));
  }

  std::cout << server.SlavePath() << std::endl;
  const ServeEnd end = server.Serve(stopFd, error);
  if (registration) registration->Remove();
  if (end == ServeEnd::kHungUp) std::cerr << "tavrin-emulator: hung up as the fault asked\n";
  if (!a.saveMemory.empty() && !SaveMemoryFile(server.Memory(), a.saveMemory, error)) {
    return Fail(error);
  }
  return end == ServeEnd::kFailed ? Fail(error + "; start tavrin-emulator again") : 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"tavrin-emulator: the GPS logger's side of the serial line, on a pseudo-terminal.",
               "tavrin-emulator"};
  app.set_version_flag("--version", std::string("tavrin-emulator ") + tavrin::kVersionAndBuild +
                                        tavrin::kLicenceNotice);
  Arguments arguments;
  AddOptions(app, arguments);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    return Fail(std::string(error.what()) + "; run tavrin-emulator --help for the options");
  }
  return Run(arguments);
}
