// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/port_discovery.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "../support/fake_system.h"
#include "serial/arrival_retries.h"
#include "serial/port_claim.h"
#include "test_support.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;

class FakeCombo : public IComboList {
 public:
  void Reset() override {
    items.clear();
    selected = -1;
  }
  void Add(const std::string& text) override { items.push_back(text); }
  int Count() const override { return static_cast<int>(items.size()); }
  std::string Text(int index) const override { return items.at(static_cast<size_t>(index)); }
  void Select(int index) override { selected = index < Count() ? index : -1; }
  std::vector<std::string> items;
  int selected = -1;
};

using test::FakeSystem;

TEST(PortDiscovery, FindsPortsAndTellsTheLoggerByItsUsbIdentity) {
  FakeSystem system;
  const auto ports = system.Discovery().Ports();
  ASSERT_EQ(ports.size(), 3u);
  EXPECT_EQ(ports[0].name, "ttyACM0");
  EXPECT_TRUE(ports[0].IsLogger());
  EXPECT_EQ(ports[0].DefaultBaud(), 230400);
  EXPECT_EQ(ports[1].name, "ttyS0");
  EXPECT_EQ(ports[1].usbVendor, "");
  EXPECT_EQ(ports[2].name, "ttyUSB0");
  EXPECT_EQ(ports[2].usbVendor + ":" + ports[2].usbProduct, "0403:6001");
  EXPECT_FALSE(ports[2].IsLogger());
  EXPECT_EQ(ports[2].DefaultBaud(), 115200);
  EXPECT_EQ(ports[2].devicePath, (system.dir.Path() / "dev/ttyUSB0").string());
}

TEST(PortDiscovery, UsbListShowsOnlyThePluggedInLogger) {
  FakeSystem system;
  FakeCombo ports, bauds;
  system.Discovery().ListUsbPorts(&ports, &bauds);
  EXPECT_EQ(ports.items, std::vector<std::string>{"ttyACM0"});
  EXPECT_EQ(ports.selected, 0);
  EXPECT_EQ(bauds.items, std::vector<std::string>{"230400"});
  system.Unplug("ttyACM0");
  system.Discovery().ListUsbPorts(&ports, nullptr);
  EXPECT_TRUE(ports.items.empty());
}

TEST(PortDiscovery, SerialListShowsEveryPortWithALeadingSpace) {
  FakeSystem system;
  FakeCombo ports, bauds;
  system.Discovery().ListSerialPorts(&ports, &bauds);
  EXPECT_EQ(ports.items, (std::vector<std::string>{" ttyACM0", " ttyS0", " ttyUSB0"}));
  EXPECT_EQ(bauds.items,
            (std::vector<std::string>{" 4800", " 9600", " 19200", " 38400", " 57600", " 115200"}));
  EXPECT_EQ(bauds.selected, 5);
}

TEST(PortDiscovery, ArrivalAddsTheNewPortAndChoosesItAndRemovalRebuilds) {
  FakeSystem system;
  system.Unplug("ttyACM0");
  FakeCombo ports;
  system.Discovery().ListSerialPorts(&ports, nullptr);
  ASSERT_EQ(ports.items, (std::vector<std::string>{" ttyS0", " ttyUSB0"}));
  system.AddUsbTty("ttyACM0", "1-1", "0e8d", "3329");
  system.Discovery().RescanPorts(&ports, RescanMode::Arrival, PortKind::Serial);
  EXPECT_EQ(ports.items, (std::vector<std::string>{" ttyS0", " ttyUSB0", " ttyACM0"}));
  EXPECT_EQ(ports.selected, 2) << "the port that arrived is chosen";
  system.Unplug("ttyUSB0");
  system.Discovery().RescanPorts(&ports, RescanMode::Removal, PortKind::Serial);
  EXPECT_EQ(ports.items, (std::vector<std::string>{" ttyACM0", " ttyS0"}));
  EXPECT_EQ(ports.selected, 0);
}

TEST(PortDiscovery, TheUsbListFollowsTheLoggersOnlyAsTheyComeAndGo) {
  FakeSystem system;
  system.Unplug("ttyACM0");
  FakeCombo ports;
  system.Discovery().ListUsbPorts(&ports, nullptr);
  ASSERT_TRUE(ports.items.empty());
  system.AddUsbTty("ttyACM0", "1-1", "0e8d", "3329");
  system.Discovery().RescanPorts(&ports, RescanMode::Arrival, PortKind::Usb);
  EXPECT_EQ(ports.items, std::vector<std::string>{"ttyACM0"}) << "no serial port joins it";
  EXPECT_EQ(ports.selected, 0);
  system.AddUsbTty("ttyACM1", "1-5", "0e8d", "3329");
  system.Discovery().RescanPorts(&ports, RescanMode::Arrival, PortKind::Usb);
  EXPECT_EQ(ports.items, (std::vector<std::string>{"ttyACM0", "ttyACM1"}));
  EXPECT_EQ(ports.selected, 1) << "the logger that arrived is chosen";
  system.AddUsbTty("ttyUSB1", "1-6", "0403", "6001");
  system.Discovery().RescanPorts(&ports, RescanMode::Arrival, PortKind::Usb);
  EXPECT_EQ(ports.items.size(), 2u) << "another USB device is no logger";
  EXPECT_EQ(ports.selected, 1) << "and leaves the choice alone";
  system.Unplug("ttyACM0");
  system.Discovery().RescanPorts(&ports, RescanMode::Removal, PortKind::Usb);
  EXPECT_EQ(ports.items, std::vector<std::string>{"ttyACM1"});
}

TEST(PortDiscovery, WatcherTellsArrivalFromRemoval) {
  FakeSystem system;
  const PortDiscovery discovery = system.Discovery();
  PortChangeWatcher watcher(discovery);
  EXPECT_FALSE(watcher.Poll());
  system.Unplug("ttyACM0");
  EXPECT_EQ(watcher.Poll(), RescanMode::Removal);
  EXPECT_FALSE(watcher.Poll());
  system.AddUsbTty("ttyACM0", "1-1", "0e8d", "3329");
  EXPECT_EQ(watcher.Poll(), RescanMode::Arrival);
}

TEST(PortDiscovery, RunningEmulatorsCountAsLoggerPorts) {
  FakeSystem system;
  const std::string pty = system.dir / "pts-7";
  std::ofstream(pty) << "";
  system.RegisterEmulator(std::to_string(::getpid()) + ".port", pty);
  system.RegisterEmulator("999.port", system.dir / "gone");  // its pty is gone
  const pid_t finished = ::fork();
  if (finished == 0) ::_exit(0);
  ::waitpid(finished, nullptr, 0);
  system.RegisterEmulator(std::to_string(finished) + ".port", pty);  // it died, pty reused
  FakeCombo ports;
  system.Discovery().ListUsbPorts(&ports, nullptr);
  EXPECT_EQ(ports.items, (std::vector<std::string>{pty, "ttyACM0"}));
  const auto found = system.Discovery().Find(pty);
  ASSERT_TRUE(found);
  EXPECT_TRUE(found->emulator);
}

// Claims and emulators' registrations live in the runtime folder, which without XDG_RUNTIME_DIR
// is one under /tmp that any user could make first. Here XDG_RUNTIME_DIR is a folder of the
// test's, so that nothing outside it is touched.
class RuntimeFolder : public ::testing::Test {
 protected:
  RuntimeFolder() {
    if (const char* was = std::getenv("XDG_RUNTIME_DIR")) saved = was;
    ::setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
  }
  ~RuntimeFolder() override {
    if (saved) {
      ::setenv("XDG_RUNTIME_DIR", saved->c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
  }
  static std::string Text(const fs::path& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void Own(const std::vector<fs::path>& paths, uid_t uid, gid_t gid) {
    for (const fs::path& path : paths) ASSERT_EQ(::lchown(path.c_str(), uid, gid), 0) << path;
  }
  // The emulators registered there, as port discovery finds them.
  size_t RegisteredPorts() const {
    return PortDiscovery(dir.Path() / "sys", dir.Path() / "dev", EmulatorRegistryFolder())
        .Ports()
        .size();
  }

  test::TempDir dir;
  std::optional<std::string> saved;
};

TEST_F(RuntimeFolder, AnotherUsersFolderAndALinkedClaimFileAreNeverWrittenThrough) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a folder to another user needs root";
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "this machine has no user nobody to own the folder";
  const fs::path folder = dir.Path() / "tavrin-lite";
  const fs::path link = folder / "claims" / "_dev_pts_9.claim";
  const fs::path registration = folder / "emulators" / (std::to_string(::getpid()) + ".port");
  const fs::path precious = dir.Path() / "precious";
  std::ofstream(precious) << "root's own words\n";
  fs::create_directories(folder / "claims");
  fs::create_directories(folder / "emulators");
  fs::create_symlink(precious, link);
  std::ofstream(registration) << "/dev/null\n";  // a port that is there, of a process alive
  const std::vector<fs::path> planted = {folder, folder / "claims", folder / "emulators", link,
                                         registration};
  Own(planted, nobody->pw_uid, nobody->pw_gid);

  std::string heldBy;
  const auto claim = PortClaim::Take("/dev/pts/9", "the watcher", heldBy);
  ASSERT_TRUE(claim) << "the read goes on, without a claim file";
  EXPECT_NE(claim->Problem().find(folder.string() + " belongs to another user (uid " +
                                  std::to_string(nobody->pw_uid) + ")"),
            std::string::npos)
      << claim->Problem();
  EXPECT_NE(claim->Problem().find("Remove it (rm -r '" + folder.string() + "')"), std::string::npos)
      << claim->Problem();
  EXPECT_EQ(Text(precious), "root's own words\n");
  EXPECT_EQ(RegisteredPorts(), 0u) << "a registration another user could have written";

  // Given back to this user, the folder serves: its registration is read, yet the link that
  // stands for a claim file is not followed.
  Own(planted, 0, 0);
  EXPECT_EQ(RegisteredPorts(), 1u);
  const auto linked = PortClaim::Take("/dev/pts/9", "the watcher", heldBy);
  ASSERT_TRUE(linked);
  EXPECT_NE(linked->Problem().find(link.string() + " cannot be opened"), std::string::npos)
      << linked->Problem();
  EXPECT_EQ(Text(precious), "root's own words\n");
  EXPECT_TRUE(fs::is_symlink(link));
  const auto plain = PortClaim::Take("/dev/pts/10", "the watcher", heldBy);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->Problem(), "");
  EXPECT_EQ(Text(folder / "claims" / "_dev_pts_10.claim"), "the watcher");
}

TEST_F(RuntimeFolder, IsMadeForThisUserAloneAndRefusedWhenOthersMayWriteIt) {
  const auto made = OwnRuntimeFolder("claims");
  ASSERT_TRUE(made) << made.Error().reason;
  for (const fs::path& level : {dir.Path() / "tavrin-lite", *made}) {
    struct stat status {};
    ASSERT_EQ(::lstat(level.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u) << level;
  }
  fs::permissions(*made, fs::perms::others_write, fs::perm_options::add);
  const auto shared = OwnRuntimeFolder("claims");
  ASSERT_FALSE(shared);
  EXPECT_NE(shared.Error().reason.find(made->string() + " may be written by other users"),
            std::string::npos)
      << shared.Error().reason;
}

// A logger not ready when it arrives is tried every few seconds, and given up in the end.
TEST(ArrivalRetries, TriesAgainAFewSecondsApartForAWhileOnly) {
  using namespace std::chrono_literals;
  const auto arrived = ArrivalRetries::Clock::time_point{} + 1h;
  ArrivalRetries retries;
  retries.Arrived("/dev/ttyACM0", arrived);
  EXPECT_EQ(retries.Due(arrived), std::vector<std::string>{"/dev/ttyACM0"});
  auto now = arrived;
  int tries = 1;
  while (retries.TryAgain("/dev/ttyACM0", now)) {
    EXPECT_TRUE(retries.Due(now + 2s).empty());
    now = *retries.NextDue();
    EXPECT_EQ(now, arrived + tries * 3s);
    ++tries;
  }
  EXPECT_EQ(tries, 11) << "every 3 s for 30 s";
  EXPECT_FALSE(retries.NextDue());
  EXPECT_TRUE(retries.Due(now + 1h).empty());
}

}  // namespace
}  // namespace tavrin
