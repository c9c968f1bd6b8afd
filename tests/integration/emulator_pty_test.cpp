// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin-emulator as a host meets it: a separate process on a real pseudo-terminal, found through
// its first line of output and its registration file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "../support/emulator_process.h"
#include "emulator/demo_memory.h"
#include "emulator/host_record.h"
#include "emulator/memory_file.h"
#include "emulator/paced_writer.h"
#include "emulator/read_selection.h"
#include "emulator_support.h"
#include "test_support.h"

namespace tavrin::emulator {
namespace {

using namespace test;
using tavrin::test::EmulatorProcess;
using tavrin::test::ReadSome;
using tavrin::test::TempDir;

// The host's side of the port, opened as the host opens it, without touching the line settings:
// the emulator must already have made the line raw.
class Port {
 public:
  explicit Port(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
    EXPECT_GE(fd_, 0) << path;
  }
  ~Port() { ::close(fd_); }

  void Send(const std::string& body) {
    const std::string s = MakeSentence(body);
    EXPECT_EQ(::write(fd_, s.data(), s.size()), static_cast<ssize_t>(s.size()));
  }
  // Reads until `count` more items have arrived; fewer when the line goes quiet or hangs up.
  std::vector<Item> Receive(size_t count) {
    while (splitter_.items.size() < count) {
      const auto bytes = ReadSome(fd_);
      if (bytes.empty()) break;
      splitter_.Feed(bytes);
    }
    EXPECT_EQ(splitter_.strayBytes, 0u);
    std::vector<Item> items = std::move(splitter_.items);
    splitter_.items.clear();
    return items;
  }
  // Reads until an item passes `last`.
  std::vector<Item> ReceiveUntil(const std::function<bool(const Item&)>& last) {
    std::vector<Item> all;
    while (true) {
      auto items = Receive(1);
      if (items.empty()) return all;
      for (auto& item : items) all.push_back(std::move(item));
      if (last(all.back())) return all;
    }
  }
  int Fd() const { return fd_; }

 private:
  int fd_;
  ItemSplitter splitter_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Registration(const TempDir& runtime, pid_t pid) {
  return runtime / ("tavrin-lite/emulators/" + std::to_string(pid) + ".port");
}

bool IsControl(const Item& item) {
  return !item.IsPoint();
}

// A host's read: the command, then an acknowledgement after the information answer, after each
// Next Sector and after Success. Returns the decoded points.
std::vector<TrackPoint> Download(Port& port, int mode) {
  const std::string m = std::to_string(mode);
  port.Send("PSRF200," + m + ",0,0,0,0,0");
  const auto info = port.Receive(1);
  EXPECT_EQ(info.size(), 1u);
  std::vector<TrackPoint> points;
  for (int block = 0; block < 1000; ++block) {
    port.Send("PSRF200," + m + ",2,0,0,0,0");
    const auto items = port.ReceiveUntil(IsControl);
    if (items.empty()) break;
    for (size_t i = 0; i + 1 < items.size(); ++i) {
      const Item& it = items[i];
      points.push_back(it.frame ? *DecodePointFrame(it.bytes) : DecodeRmc(SplitFields(it.Text())));
    }
    const Item& end = items.back();
    const bool success = end.frame ? end.FrameType() == kFrameEndOfMessage
                                   : end.Text() == MakeSentence("PSRF200," + m + ",0,0,0,0,0");
    if (success) {
      port.Send("PSRF200," + m + ",2,0,0,0,0");  // the end is taken
      break;
    }
  }
  return points;
}

void ExpectHostRecords(const std::vector<TrackPoint>& got, std::span<const TrackPoint> memory,
                       int mode) {
  ASSERT_EQ(got.size(), memory.size());
  for (size_t i = 0; i < got.size(); ++i) {
    const TrackPoint want = HostRecord(memory[i], mode);
    EXPECT_EQ(std::memcmp(&got[i], &want, sizeof want), 0) << "record " << i;
  }
}

TEST(EmulatorProgram, DemoAnswersInformationAndRegistersItsPort) {
  TempDir runtime;
  EmulatorProcess emulator(TAVRIN_EMULATOR_PROGRAM, {"--pty", "--demo"}, runtime.Path().string());
  const std::string path = emulator.FirstLine();
  ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path << emulator.Errors();
  const std::string registration = Registration(runtime, emulator.Pid());
  EXPECT_EQ(ReadFile(registration), path + "\n");

  for (int connection = 0; connection < 2; ++connection) {  // the host closes and reopens
    Port port(path);
    const std::string ask = "$PSRF202,1,0,0,0,0,0*26\r\n";
    ASSERT_EQ(::write(port.Fd(), ask.data(), ask.size()), static_cast<ssize_t>(ask.size()));
    const auto items = port.Receive(1);
    ASSERT_EQ(items.size(), 1u);
    ASSERT_TRUE(SentenceChecksumOk(items[0].Text())) << items[0].Text();
    const auto f = Fields(items[0].Text());
    ASSERT_EQ(f.size(), 15u);
    EXPECT_EQ(f[0], "GPBT");
    EXPECT_EQ(ParseInteger(f[13]), static_cast<long long>(DemoMemory().points.size()));
  }
  EXPECT_EQ(emulator.Stop(SIGTERM), 0);
  EXPECT_FALSE(std::filesystem::exists(registration));
}

TEST(EmulatorProgram, NewReadOverThePortTakesTheLastDayAndIsSaved) {
  TempDir runtime;
  EmulatorProcess emulator(
      TAVRIN_EMULATOR_PROGRAM,
      {"--pty", "--demo", "--points-per-sector", "700", "--save-memory", runtime / "after.json"},
      runtime.Path().string());
  const std::string path = emulator.FirstLine();
  ASSERT_FALSE(path.empty()) << emulator.Errors();
  Port port(path);
  const LoggerMemory demo = DemoMemory();
  ExpectHostRecords(Download(port, kReadNewBinary), demo.NewPoints(), kReadNewBinary);
  // Answered after the acknowledgement of the end, which it therefore follows: nothing new left.
  port.Send("PSRF202,1,0,0,0,0,0");
  const auto info = port.Receive(1);
  ASSERT_EQ(info.size(), 1u);
  EXPECT_EQ(ParseInteger(Fields(info[0].Text()).at(14)), 0);
  EXPECT_EQ(emulator.Stop(SIGINT), 0);
  const MemoryResult saved = LoadMemoryFile(runtime / "after.json");
  ASSERT_TRUE(saved.memory) << saved.error;
  EXPECT_EQ(saved.memory->newFrom, demo.points.size());
}

TEST(EmulatorProgram, PacedNmeaReadOfAMemoryFileArrivesWhole) {
  TempDir runtime;
  LoggerMemory memory = Memory(30, 8);
  std::string error;
  ASSERT_TRUE(SaveMemoryFile(memory, runtime / "memory.json", error)) << error;
  EmulatorProcess emulator(
      TAVRIN_EMULATOR_PROGRAM,
      {"--pty", "--memory", runtime / "memory.json", "--baud", "115200", "--control", "frames"},
      runtime.Path().string());
  const std::string path = emulator.FirstLine();
  ASSERT_FALSE(path.empty()) << emulator.Errors();
  Port port(path);
  ExpectHostRecords(Download(port, kReadAllNmea), memory.points, kReadAllNmea);
  EXPECT_EQ(emulator.Stop(SIGTERM), 0);
}

TEST(EmulatorProgram, HangUpClosesTheLineAfterTheSector) {
  TempDir runtime;
  EmulatorProcess emulator(
      TAVRIN_EMULATOR_PROGRAM,
      {"--pty", "--demo", "--points-per-sector", "50", "--hangup-after-sector", "1"},
      runtime.Path().string());
  const std::string path = emulator.FirstLine();
  ASSERT_FALSE(path.empty()) << emulator.Errors();
  Port port(path);
  port.Send("PSRF200,1,0,0,0,0,0");
  ASSERT_EQ(port.Receive(1).size(), 1u);
  port.Send("PSRF200,1,2,0,0,0,0");
  const auto items = port.Receive(1000);  // everything up to the hang-up
  ASSERT_EQ(items.size(), 51u);
  EXPECT_EQ(items.back().FrameType(), kFrameNextSector);
  EXPECT_EQ(emulator.Stop(0), 0);
  EXPECT_FALSE(std::filesystem::exists(Registration(runtime, emulator.Pid())));
  uint8_t byte;
  EXPECT_LE(::read(port.Fd(), &byte, 1), 0) << "the line is gone";
}

// The processor time a process has used so far, user and system, from /proc/<pid>/stat.
double CpuSeconds(pid_t pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  // The fields after the program name, which is in parentheses and may hold spaces, start with
  // the third field; utime and stime are the 14th and 15th.
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  for (int i = 3; i < 14; ++i) fields >> field;
  long long user = 0, system = 0;
  fields >> user >> system;
  return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// A host in a process of its own that starts an NMEA read, takes in part of the sector and then
// stops reading; `midSector` becomes readable at that point.
pid_t StartHostThatStopsMidSector(const std::string& path, int midSector) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  const auto send = [fd](const std::string& body) {
    const std::string s = MakeSentence(body);
    return ::write(fd, s.data(), s.size()) == static_cast<ssize_t>(s.size());
  };
  if (fd < 0 || !send("PSRF200,2,0,0,0,0,0") || ReadSome(fd).empty() ||
      !send("PSRF200,2,2,0,0,0,0")) {
    ::_exit(1);
  }
  for (size_t got = 0; got < 8192;) {
    const auto bytes = ReadSome(fd);
    if (bytes.empty()) ::_exit(1);
    got += bytes.size();
  }
  [[maybe_unused]] const ssize_t told = ::write(midSector, "!", 1);
  while (true) ::pause();
}

TEST(EmulatorProgram, AfterItsHostIsKilledMidSectorItWaitsQuietlyForTheNext) {
  TempDir runtime;
  // A fast line and one sector of every point: far more than the pseudo-terminal holds, so the
  // sector is still being sent when the host dies, and the line is soon full.
  EmulatorProcess emulator(
      TAVRIN_EMULATOR_PROGRAM,
      {"--pty", "--demo", "--baud", "4000000", "--points-per-sector", "1000000"},
      runtime.Path().string());
  const std::string path = emulator.FirstLine();
  ASSERT_FALSE(path.empty()) << emulator.Errors();

  int midSector[2];
  ASSERT_EQ(::pipe(midSector), 0);
  const pid_t host = StartHostThatStopsMidSector(path, midSector[1]);
  ::close(midSector[1]);
  const auto told = ReadSome(midSector[0]);
  ::close(midSector[0]);
  ::kill(host, SIGKILL);
  ::waitpid(host, nullptr, 0);
  ASSERT_EQ(told.size(), 1u) << "the host never got into the sector";

  // Time for the rest of the line to fill; then the emulator can only wait.
  std::this_thread::sleep_for(500ms);
  const double before = CpuSeconds(emulator.Pid());
  std::this_thread::sleep_for(1s);
  EXPECT_LT(CpuSeconds(emulator.Pid()) - before, 0.2) << "the emulator keeps busy without a host";

  // The next host ends the transfer and is answered.
  Port next(path);
  next.Send("PSRF203,0");
  next.Send("PSRF202,1,0,0,0,0,0");
  std::string received;
  while (received.find("$GPBT,") == std::string::npos) {
    const auto bytes = ReadSome(next.Fd());
    if (bytes.empty()) break;
    received.append(bytes.begin(), bytes.end());
    // Only the tail matters: the rest of the old sector comes first.
    if (received.size() > 4096) received.erase(0, received.size() - 4096);
  }
  EXPECT_NE(received.find("$GPBT,"), std::string::npos) << "the next host is not answered";
  EXPECT_EQ(emulator.Stop(SIGTERM), 0);
}

TEST(EmulatorProgram, StartUpProblemsGiveOneLineAndStatusOne) {
  TempDir runtime;
  const struct {
    std::vector<std::string> args;
    std::string saying;
  } cases[] = {
      {{"--pty", "--memory", runtime / "absent.json"}, "absent.json"},
      {{"--pty", "--demo", "--memory", runtime / "absent.json"}, "--help"},
      {{"--demo"}, "--pty"},
      {{"--pty", "--control", "smoke"}, "--control"},
  };
  for (const auto& c : cases) {
    EmulatorProcess emulator(TAVRIN_EMULATOR_PROGRAM, c.args, runtime.Path().string());
    EXPECT_EQ(emulator.Stop(0), 1);
    const std::string errors = emulator.Errors();
    EXPECT_NE(errors.find(c.saying), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(emulator.FirstLine(), "");
  }
}

TEST(PacedWriter, FullDescriptorLosesNothing) {
  int fds[2];
  ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
  std::vector<uint8_t> sent(300'000);
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<uint8_t>(i * 31 + i / 251);
  const auto t0 = PacedWriter::Clock::now();
  PacedWriter writer(fds[1], 0, t0);
  writer.Enqueue(std::span(sent).first(1000));
  writer.Enqueue(std::span(sent).subspan(1000));
  std::vector<uint8_t> received;
  std::string error;
  while (received.size() < sent.size()) {
    ASSERT_TRUE(writer.Flush(t0, error)) << error;
    uint8_t buffer[7000];
    const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
    if (got > 0) received.insert(received.end(), buffer, buffer + got);
    ASSERT_TRUE(got > 0 || !writer.Empty()) << "bytes lost";
  }
  EXPECT_TRUE(writer.Empty());
  EXPECT_EQ(received, sent);
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(PacedWriter, KeepsThePaceOfTheBaudRate) {
  int fds[2];
  ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
  const auto t0 = PacedWriter::Clock::time_point{};
  PacedWriter writer(fds[1], 9600, t0);  // 960 bytes a second
  writer.Enqueue(std::vector<uint8_t>(5000, 'x'));
  std::string error;
  auto now = t0;
  int wakes = 0;
  while (now < t0 + 1s) {
    ASSERT_TRUE(writer.Flush(now, error)) << error;
    const auto next = writer.NextWriteTime(now);
    ASSERT_TRUE(next.has_value());
    ASSERT_GT(*next, now) << "a flush leaves the bucket empty";
    now = *next;
    ++wakes;
  }
  const size_t written = 5000 - writer.Pending();
  // A second of the line carries 960 bytes, plus the burst the bucket starts with.
  EXPECT_GE(written, 960u);
  EXPECT_LE(written, 960u + 16u);
  EXPECT_LT(wakes, 200) << "bytes leave in bursts, not one by one";
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(PacedWriter, AFullLineIsWaitedForRatherThanRetried) {
  int fds[2];
  ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
  const std::vector<uint8_t> block(4096, 'f');
  while (::write(fds[1], block.data(), block.size()) > 0) {
  }
  const auto t0 = PacedWriter::Clock::time_point{};
  PacedWriter writer(fds[1], 9600, t0);
  writer.Enqueue(std::vector<uint8_t>(100, 'x'));
  std::string error;
  const auto later = t0 + 1s;  // the pace allows a burst
  ASSERT_TRUE(writer.Flush(later, error)) << error;
  EXPECT_EQ(writer.Pending(), 100u);
  // The wait is for the descriptor to take bytes again, not a timer that fires at once.
  EXPECT_TRUE(writer.WantsWritable(later));
  EXPECT_FALSE(writer.NextWriteTime(later).has_value());
  ::close(fds[0]);
  ::close(fds[1]);
}

}  // namespace
}  // namespace tavrin::emulator
