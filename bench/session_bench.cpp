// SPDX-License-Identifier: GPL-3.0-or-later
// How fast the session drains the receive queue and stores points into track files: a writer
// thread plays the logger on a pseudo-terminal and sends a whole logger's worth of points
// without pauses; the session handles them on its event loop as it would in the program.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <thread>

#include "../tests/support/pty_pair.h"
#include "../tests/support/session_test_host.h"
#include "protocol/frames.h"
#include "protocol/nmea.h"

namespace {

using namespace tavrin;

constexpr int kPoints = 258048;  // a full 32-Mbit logger

std::vector<TrackPoint> Track() {
  std::vector<TrackPoint> points;
  points.reserve(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    const int s = i;  // one point a second from 2024-05-01 00:00:00
    const DateTime t{24, 5, 1 + s / 86400, s / 3600 % 24, s / 60 % 60, s % 60};
    points.push_back(MakePoint(t, i == 0 ? kFixTrackStart : kFix3D, 37.5f + i * 1e-6f,
                               127.0f + i * 1e-6f, 40, 90));
  }
  return points;
}

std::string Stream(const std::vector<TrackPoint>& points, bool nmea) {
  std::string bytes;
  for (const TrackPoint& p : points) {
    if (nmea) {
      bytes += EncodeRmc(p);
    } else {
      const auto frame = EncodePointFrame(p);
      bytes.append(frame.begin(), frame.end());
    }
  }
  return bytes;
}

void DrainAndStore(benchmark::State& state, bool nmea) {
  const auto points = Track();
  const std::string stream = Stream(points, nmea);
  for (auto _ : state) {
    state.PauseTiming();
    char pattern[] = "/tmp/tavrin-session-bench-XXXXXX";
    const std::filesystem::path folder = ::mkdtemp(pattern);
    test::PtyPair pty;
    test::SessionTestHost host;
    TrackStore store;
    if (!store.PrepareDataFolder(folder)) std::abort();
    LoggerSession session(host, store);
    host.session = &session;
    session.SetPort(pty.SlavePath(), 230400);
    session.Connect();
    session.SendCommand(nmea ? Command::ReadAllNmea : Command::ReadAllBinary);
    pty.Read(200);
    const int mode = nmea ? kReadAllNmea : kReadAllBinary;
    pty.Write(MakeSentence("PSRF200," + std::to_string(mode) + ",1,10524,0,1,1"));
    host.RunUntil([&] { return session.DownloadInProgress(); });
    state.ResumeTiming();

    std::thread logger([&] {
      pty.Write(stream);
      pty.Write(MakeSentence("PSRF200," + std::to_string(mode) + ",0,0,0,0,0"));
    });
    host.RunUntil([&] { return !session.TransferActive(); }, 120000);
    logger.join();

    state.PauseTiming();
    if (session.ReceivedCount() != kPoints) state.SkipWithError("points missing");
    session.Disconnect();
    std::filesystem::remove_all(folder);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
  state.counters["points"] = kPoints;
  state.counters["stream_MB"] = static_cast<double>(stream.size()) / 1e6;
}

void BM_DrainAndStore_Binary(benchmark::State& state) {
  DrainAndStore(state, false);
}
void BM_DrainAndStore_Nmea(benchmark::State& state) {
  DrainAndStore(state, true);
}

BENCHMARK(BM_DrainAndStore_Binary)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DrainAndStore_Nmea)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
