// SPDX-License-Identifier: GPL-3.0-or-later
// Commands from the line as the emulated logger meets them: arbitrary bytes go to the engine's
// receive path (reads and their acknowledgements, erase, save options, note groups, end), with
// the input's first byte choosing a fault to play, and time runs on so that erase steps and the
// waits for acknowledgements play out. Nothing may crash, and the note groups the host sets must
// stay groups the logger can hold.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "emulator/logger_emulator.h"

namespace {

using namespace tavrin;
using namespace tavrin::emulator;
using namespace std::chrono_literals;

// A small memory of two tracks in sectors of four points, so that reads take several sectors.
LoggerMemory SmallMemory() {
  LoggerMemory memory;
  for (int i = 0; i < 10; ++i) {
    const int fix = i == 0 || i == 6 ? kFixTrackStart : kFix3D;
    memory.points.push_back(
        MakePoint({24, 5, 1 + i / 6, 8, 0, i}, fix, 37.5f + i * 1e-4f, 127.0f, 30, 90));
  }
  memory.newFrom = 6;
  memory.pointsPerSector = 4;
  memory.notes = {"A1", "", "", ""};
  return memory;
}

EmulatorOptions OptionsFor(uint8_t choice) {
  EmulatorOptions options;
  options.ackTimeout = 50ms;
  options.eraseDelay = 1ms;
  options.control = static_cast<ControlForm>(choice % 3);
  switch ((choice / 3) % 5) {
    case 1:
      options.faults.items.flipItem = 2;
      break;
    case 2:
      options.faults.items.dropItem = 3;
      break;
    case 3:
      options.faults.stopAfterSector = 1;
      break;
    case 4:
      options.faults.hangUpAfterSector = 1;
      break;
    default:
      break;
  }
  return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const LoggerMemory kMemory = SmallMemory();
  if (size == 0) return 0;
  size_t sent = 0;
  LoggerEmulator engine(kMemory, OptionsFor(data[0]),
                        [&sent](std::span<const uint8_t> bytes) { sent += bytes.size(); });
  auto now = LoggerEmulator::Clock::time_point{};
  // Line by line, each taken in and answered before the next arrives, as a host would send them.
  const std::span<const uint8_t> input(data + 1, size - 1);
  size_t start = 0;
  for (size_t i = 0; i < input.size(); ++i) {
    if (input[i] != '\n' && i + 1 != input.size()) continue;
    engine.Receive(input.subspan(start, i + 1 - start), now);
    engine.OutputDrained(now);
    engine.Poll(now);
    now += 10ms;
    start = i + 1;
  }
  // Whatever is timed plays out: erase steps, Time Over.
  for (int step = 0; step < 1000; ++step) {
    const auto deadline = engine.NextDeadline();
    if (!deadline) break;
    now = std::max(now, *deadline);
    engine.OutputDrained(now);
    engine.Poll(now);
  }
  for (const std::string& note : engine.Memory().notes) {
    if (!note.empty() && !IsValidNoteGroup(note)) std::abort();
  }
  return 0;
}
