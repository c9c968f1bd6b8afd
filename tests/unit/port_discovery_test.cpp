// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/port_discovery.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "../support/fake_system.h"
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

}  // namespace
}  // namespace tavrin
