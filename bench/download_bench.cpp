// SPDX-License-Identifier: GPL-3.0-or-later
// End-to-end downloads of a full 32-Mbit logger (258,048 points) from tavrin-emulator over a
// pseudo-terminal: unpaced, and paced at 230,400 baud against the line's own limit (bytes x 10 /
// baud, plus the 100 ms the host waits before each acknowledgement). Prints its figures.
//
//   download_bench [--paced]     (the paced run takes about five minutes)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "../tests/support/emulator_process.h"
#include "../tests/support/session_test_host.h"
#include "emulator/memory_file.h"
#include "full_logger.h"

namespace {

using namespace tavrin;
namespace fs = std::filesystem;

using bench::FullLogger;
using bench::kSectorPoints;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Result {
  double seconds = 0, cpuSeconds = 0;
  uint64_t bytes = 0;
  int points = 0;
  bool ok = false;
};

Result Run(const fs::path& folder, const std::string& memoryFile, Command command, int baud) {
  std::vector<std::string> args = {"--pty", "--memory", memoryFile};
  if (baud) args.insert(args.end(), {"--baud", std::to_string(baud)});
  test::EmulatorProcess process(EMULATOR, args, (folder / "run").string());
  const std::string pty = process.FirstLine();
  const fs::path data =
      folder / ("data-" + std::to_string(static_cast<int>(command)) + "-" + std::to_string(baud));
  test::SessionTestHost host;
  TrackStore store;
  if (!store.PrepareDataFolder(data)) std::abort();
  LoggerSession session(host, store);
  host.session = &session;
  session.SetPort(pty, 230400);
  Result result;
  if (!session.Connect()) {
    std::fprintf(stderr, "cannot open %s: %s\n", pty.c_str(), session.OpenError().c_str());
    return result;
  }
  session.SendCommand(Command::GetInfo);
  host.RunUntil([&] { return !host.deviceNotices.empty(); }, 60000);
  const uint64_t before = session.BytesReceived();
  const double cpuBefore = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  session.SendCommand(command);
  result.ok = host.RunUntil([&] { return !session.TransferActive(); }, 1800 * 1000);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.cpuSeconds = CpuSeconds() - cpuBefore;
  result.bytes = session.BytesReceived() - before;
  result.points = session.ReceivedCount();
  session.Disconnect();
  fs::remove_all(data);
  return result;
}

void Report(const char* name, const Result& r, int baud, int sectors) {
  std::printf(
      "%-28s %s points=%d bytes=%llu time=%.2f s  %.2f MB/s  host cpu=%.2f s (%.2f%% of a core)\n",
      name, r.ok ? "ok  " : "FAIL", r.points, static_cast<unsigned long long>(r.bytes), r.seconds,
      r.bytes / r.seconds / 1e6, r.cpuSeconds, 100.0 * r.cpuSeconds / r.seconds);
  if (baud) {
    const double limit = static_cast<double>(r.bytes) * 10.0 / baud + 0.1 * sectors;
    std::printf("%-28s line-rate limit=%.2f s  ratio=%.4f (host adds %.2f%%)\n", "", limit,
                r.seconds / limit, 100.0 * (r.seconds / limit - 1.0));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool paced = argc > 1 && std::strcmp(argv[1], "--paced") == 0;
  char pattern[] = "/tmp/tavrin-download-bench-XXXXXX";
  const fs::path folder = ::mkdtemp(pattern);
  const auto memory = FullLogger();
  const std::string memoryFile = (folder / "memory.json").string();
  std::string error;
  if (!emulator::SaveMemoryFile(memory, memoryFile, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const int sectors = static_cast<int>((memory.points.size() + kSectorPoints - 1) / kSectorPoints);
  std::printf("full logger: %zu points in %d sectors of %d\n", memory.points.size(), sectors,
              kSectorPoints);
  Report("unpaced binary", Run(folder, memoryFile, Command::ReadAllBinary, 0), 0, sectors);
  Report("unpaced NMEA", Run(folder, memoryFile, Command::ReadAllNmea, 0), 0, sectors);
  if (paced) {
    Report("paced 230400 binary", Run(folder, memoryFile, Command::ReadAllBinary, 230400), 230400,
           sectors);
  }
  fs::remove_all(folder);
  return 0;
}
