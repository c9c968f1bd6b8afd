// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin watch against emulated loggers that register their ports as they start, on a private
// session bus with a notification service of the test's own: an arriving logger is read without
// being asked, into the same files as tavrin read --new makes, and a notice counts what came; a
// logger read already gives nothing new; a logger pulled out mid-read keeps what arrived and the
// notice says so; a logger still scanning its memory is tried again until it is ready; SIGTERM
// ends the watch cleanly.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "../support/program_run.h"
#include "cli_fixture.h"

namespace tavrin {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

size_t Count(const std::string& text, const std::string& part) {
  size_t found = 0;
  for (size_t at = 0; (at = text.find(part, at)) != std::string::npos; ++at) ++found;
  return found;
}

// Waits up to a minute for the program's output to say enough.
void WaitForOutput(const test::Program& program,
                   const std::function<bool(const std::string&)>& enough) {
  for (int i = 0; i < 600 && !enough(program.OutputSoFar()); ++i) {
    std::this_thread::sleep_for(100ms);
  }
}

class CliWatch : public test::CliDevice {
 protected:
  CliWatch() {
    runtime = dir / "run";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    // A session bus of the test's own, with a notification service that writes down notices.
    const auto bus = test::RunProgramWithin(
        {"/usr/bin/dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"},
        dir.Path(), 30s);
    const auto lines = test::Lines(bus.out);
    EXPECT_EQ(lines.size(), 2u) << bus.out << bus.err;
    if (lines.size() == 2) busAddress = lines[0], busPid = std::stoi(lines[1]);
    noticeServer = std::make_unique<test::Program>(
        std::vector<std::string>{TAVRIN_NOTICE_SERVER, dir / "notices"}, dir.Path(),
        [this] { ::setenv("DBUS_SESSION_BUS_ADDRESS", busAddress.c_str(), 1); });
    for (int i = 0; i < 100 && !ServiceThere(); ++i) std::this_thread::sleep_for(50ms);
  }
  ~CliWatch() override {
    noticeServer.reset();
    if (busPid > 0) ::kill(busPid, SIGTERM);
  }

  // Whether the notification service has its name on the bus yet.
  bool ServiceThere() {
    const auto owner = test::RunProgramWithin(
        {"/usr/bin/dbus-send", "--bus=" + busAddress, "--print-reply",
         "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
         "org.freedesktop.DBus.NameHasOwner", "string:org.freedesktop.Notifications"},
        dir.Path(), 10s);
    return owner.out.find("boolean true") != std::string::npos;
  }
  std::string Notices() {
    std::ifstream in(dir / "notices");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // A program of the test that sees the emulators this test starts, and only those, and the
  // test's own session bus.
  test::Program Start(const std::vector<std::string>& argv) {
    return test::Program(argv, dir.Path(), [this] {
      ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
      ::setenv("DBUS_SESSION_BUS_ADDRESS", busAddress.c_str(), 1);
    });
  }
  std::vector<std::string> Watch(const fs::path& data, std::vector<std::string> more) {
    std::vector<std::string> argv = {TAVRIN_CLI, "--data",        data,
                                     "--config", dir / "TVR.ini", "watch"};
    argv.insert(argv.end(), more.begin(), more.end());
    return argv;
  }
  std::unique_ptr<test::EmulatorProcess> Emulator(std::vector<std::string> faults = {}) {
    std::vector<std::string> args = {"--pty", "--memory", memoryFile};
    args.insert(args.end(), faults.begin(), faults.end());
    auto emulator =
        std::make_unique<test::EmulatorProcess>(TAVRIN_EMULATOR_PROGRAM, args, runtime.string());
    EXPECT_FALSE(emulator->FirstLine().empty()) << emulator->Errors();
    return emulator;
  }
  static std::map<std::string, std::vector<uint8_t>> Files(const fs::path& folder) {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& item : fs::directory_iterator(folder)) {
      if (item.path().extension() == ".bt0")
        files[item.path().filename().string()] = test::ReadBytes(item.path().string());
    }
    return files;
  }

  fs::path runtime;
  std::string busAddress;
  int busPid = -1;
  std::unique_ptr<test::Program> noticeServer;
};

TEST_F(CliWatch, AnArrivingLoggerIsReadAsReadNewReadsItAndOnlyOnce) {
  test::Program watch = Start(Watch(dir / "DataLog", {"--once"}));
  std::this_thread::sleep_for(300ms);  // waiting before the logger comes
  const auto logger = Emulator();
  const test::ProgramResult watched = watch.WaitAtMost(60s);
  ASSERT_FALSE(watched.timedOut);
  EXPECT_EQ(watched.exitCode, 0) << watched.err;
  EXPECT_NE(watched.out.find("arrived "), std::string::npos) << watched.out;
  EXPECT_NE(watched.out.find(": 5 new tracks, 3000 points into " + std::string(dir / "DataLog")),
            std::string::npos)
      << watched.out;
  EXPECT_NE(Notices().find("Tavrin Lite: 5 new tracks, 3,000 points\tRead from "),
            std::string::npos)
      << Notices();
  EXPECT_NE(Notices().find("\topen,Open Tavrin Lite\n"), std::string::npos) << Notices();

  // A twin logger read by tavrin read --new gives the same files, byte for byte.
  const auto twin = Emulator();
  const std::string twinPort = [&] {
    for (const auto& item : fs::directory_iterator(runtime / "tavrin-lite" / "emulators")) {
      std::ifstream file(item.path());
      std::string path;
      std::getline(file, path);
      if (item.path().stem() == std::to_string(twin->Pid())) return path;
    }
    return std::string();
  }();
  ASSERT_FALSE(twinPort.empty());
  const auto read = test::RunProgramWithin({TAVRIN_CLI, "--data", dir / "Twin", "--config",
                                            dir / "TVR.ini", "read", "--port", twinPort, "--new"},
                                           dir.Path(), 60s);
  ASSERT_EQ(read.exitCode, 0) << read.err;
  EXPECT_EQ(Files(dir / "DataLog"), Files(dir / "Twin"));
  EXPECT_EQ(Files(dir / "DataLog").size(), 5u);

  // Both loggers are there when the next watch begins: each is read, and has nothing new.
  test::Program again = Start(Watch(dir / "DataLog", {}));
  WaitForOutput(again, [](const std::string& out) { return Count(out, ": no new tracks") == 2; });
  again.Signal(SIGTERM);
  const test::ProgramResult stopped = again.WaitAtMost(30s);
  EXPECT_EQ(stopped.exitCode, 0) << stopped.err;
  EXPECT_EQ(test::Lines(stopped.out).size(), 6u) << stopped.out;
  EXPECT_EQ(Count(stopped.out, ": no new tracks"), 2u) << stopped.out;
  EXPECT_NE(stopped.out.find("stopped"), std::string::npos) << stopped.out;
  EXPECT_EQ(Files(dir / "DataLog").size(), 5u);
}

TEST_F(CliWatch, ALoggerPulledOutMidReadKeepsWhatArrivedAndTheNoticeSaysSo) {
  test::Program watch = Start(Watch(dir / "DataLog", {"--once", "--timeout", "3"}));
  const auto logger = Emulator({"--points-per-sector", "1000", "--hangup-after-sector", "1"});
  const test::ProgramResult watched = watch.WaitAtMost(60s);
  ASSERT_FALSE(watched.timedOut);
  EXPECT_EQ(watched.exitCode, 1) << watched.out << watched.err;
  EXPECT_NE(watched.out.find("(the read failed; what arrived is kept)"), std::string::npos)
      << watched.out;
  size_t kept = 0;
  for (const auto& [name, bytes] : Files(dir / "DataLog")) kept += (bytes.size() - 64) / 16;
  EXPECT_EQ(kept, 1000u);
  EXPECT_NE(Notices().find("Tavrin Lite: the read failed; 1,000 points kept\tThe read from "),
            std::string::npos)
      << Notices();
}

// A logger just plugged in may still be scanning its memory, its figures not adding up yet: it
// is tried again a few seconds apart and read once it is ready. The watch's stderr is no
// terminal here (a journal, say): no progress lines go there. The notice's body is markup to
// the notification service: the data folder's <, > and & reach it escaped.
TEST_F(CliWatch, ALoggerStillScanningItsMemoryIsReadOnceItIsReady) {
  const fs::path data = dir / "Data <&> Log";
  test::Program watch = Start(Watch(data, {"--once"}));
  const auto logger = Emulator({"--scanning", "4"});
  const test::ProgramResult watched = watch.WaitAtMost(90s);
  ASSERT_FALSE(watched.timedOut);
  EXPECT_EQ(watched.exitCode, 0) << watched.out << watched.err;
  EXPECT_GE(Count(watched.out, "not ready /dev/pts/"), 1u) << watched.out;
  EXPECT_NE(watched.out.find(": 5 new tracks, 3000 points into " + data.string()),
            std::string::npos)
      << watched.out;
  EXPECT_EQ(Files(data).size(), 5u);
  EXPECT_EQ(watched.err, "");
  EXPECT_NE(Notices().find("Read from /dev/pts/"), std::string::npos) << Notices();
  EXPECT_NE(Notices().find(" into " + dir / "Data &lt;&amp;&gt; Log" + ".\t"), std::string::npos)
      << Notices();
}

// Two programs waiting for loggers at once (two watchers here; the window and a watcher alike):
// one logger arriving is read by exactly one of them, and the other says who reads it.
TEST_F(CliWatch, OneArrivalIsReadByOneWatcherOnly) {
  test::Program first = Start(Watch(dir / "DataLog", {}));
  test::Program second = Start(Watch(dir / "DataLog", {}));
  std::this_thread::sleep_for(500ms);
  const auto logger = Emulator();
  // Both have seen it arrive, and one has read it.
  for (int i = 0; i < 600; ++i) {
    const std::string both = first.OutputSoFar() + second.OutputSoFar();
    if (Count(both, ": 5 new tracks") + Count(both, " is read by the watcher") >= 2) break;
    std::this_thread::sleep_for(100ms);
  }
  first.Signal(SIGTERM);
  second.Signal(SIGTERM);
  const std::string out = first.WaitAtMost(30s).out + second.WaitAtMost(30s).out;
  EXPECT_EQ(Count(out, "arrived "), 2u) << out;
  EXPECT_EQ(Count(out, ": 5 new tracks, 3000 points"), 1u) << out;
  EXPECT_EQ(Count(out, " is read by the watcher"), 1u) << out;
  EXPECT_EQ(Files(dir / "DataLog").size(), 5u);
}

}  // namespace
}  // namespace tavrin
