// SPDX-License-Identifier: GPL-3.0-or-later
// The tavrin command against tavrin-emulator on a pseudo-terminal: a fixture that starts the
// emulator on a memory of its own and runs the real tavrin with a data folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <sstream>

#include "../support/emulator_process.h"
#include "../support/program_run.h"
#include "../support/sample_memory.h"
#include "emulator/memory_file.h"
#include "store/track_store.h"
#include "test_support.h"

namespace tavrin::test {

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class CliDevice : public ::testing::Test {
 protected:
  CliDevice() {
    memoryFile = dir / "memory.json";
    std::string error;
    EXPECT_TRUE(emulator::SaveMemoryFile(memory, memoryFile, error)) << error;
    std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nLocalTimeOffset=0\r\n";
  }

  void Start(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--pty", "--memory", memoryFile};
    args.insert(args.end(), extra.begin(), extra.end());
    process = std::make_unique<test::EmulatorProcess>(TAVRIN_EMULATOR_PROGRAM, args, dir / "run");
    pty = process->FirstLine();
    ASSERT_FALSE(pty.empty()) << process->Errors();
  }

  std::vector<std::string> Command(std::vector<std::string> words) {
    std::vector<std::string> argv = {TAVRIN_CLI, "--data", dir / "DataLog", "--config",
                                     dir / "TVR.ini"};
    argv.insert(argv.end(), words.begin(), words.end());
    return argv;
  }
  test::ProgramResult Tavrin(std::vector<std::string> words) {
    return test::RunProgram(Command(std::move(words)), dir.Path());
  }

  // name: value lines of `tavrin info`.
  std::map<std::string, std::string> Info() {
    const auto result = Tavrin({"info", "--port", pty});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::map<std::string, std::string> values;
    for (const std::string& line : Lines(result.out)) {
      const size_t colon = line.find(": ");
      if (colon != std::string::npos) values[line.substr(0, colon)] = line.substr(colon + 2);
    }
    return values;
  }

  // The points of the given track files, in order.
  std::vector<TrackPoint> PointsOf(const std::vector<std::string>& paths) {
    TrackStore store;
    PointVector points;
    for (const std::string& path : paths) {
      const auto entry = store.Files().ReadTrackHeader(path);
      EXPECT_TRUE(entry) << path;
      if (entry) store.Files().ReadTrackPoints(*entry, points);
    }
    return std::vector<TrackPoint>(points.begin(), points.end());
  }
  std::vector<TrackPoint> Expected(int mode, size_t from = 0, size_t to = SIZE_MAX) const {
    return test::ExpectedRecords(memory, mode, from, to);
  }
  // Every track file in the data folder, in name order.
  std::vector<std::string> StoredPaths() {
    TrackStore store;
    EXPECT_TRUE(store.PrepareDataFolder(dir / "DataLog"));
    const TrackListing listing = store.Catalogue().ListTracks(nullptr, false);
    std::vector<std::string> paths;
    for (const auto& entry : listing.tracks) paths.push_back(entry.path);
    return paths;
  }
  static bool Same(const std::vector<TrackPoint>& a, const std::vector<TrackPoint>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(TrackPoint)) == 0);
  }

  emulator::LoggerMemory memory = test::SampleMemory();
  test::TempDir dir;
  std::string memoryFile;
  std::unique_ptr<test::EmulatorProcess> process;
  std::string pty;
};

}  // namespace tavrin::test
