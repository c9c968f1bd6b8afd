// SPDX-License-Identifier: GPL-3.0-or-later
// A computer's serial ports as port discovery sees them, built in a temporary folder: sysfs
// entries for USB and platform ttys, their /dev paths and an emulator registry.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "../unit/test_support.h"
#include "serial/port_discovery.h"

namespace tavrin::test {

namespace fs = std::filesystem;

// A sysfs tree like a laptop's: the logger on ttyACM0, a USB serial adapter on ttyUSB0, a real
// 16550 on ttyS0, an empty 16550 slot ttyS1 and a virtual console without a device.
class FakeSystem {
 public:
  FakeSystem() {
    AddUsbTty("ttyACM0", "1-1", "0e8d", "3329");
    AddUsbTty("ttyUSB0", "1-2", "0403", "6001");
    AddPlatformTty("ttyS0", "4");
    AddPlatformTty("ttyS1", "0");
    fs::create_directories(Sys() / "class/tty/tty0");
    fs::create_directories(dir.Path() / "emulators");
  }
  fs::path Sys() const { return dir.Path() / "sys"; }
  PortDiscovery Discovery() const {
    return PortDiscovery(Sys(), dir.Path() / "dev", dir.Path() / "emulators");
  }
  void Unplug(const std::string& name) { fs::remove_all(Sys() / "class/tty" / name); }
  void AddUsbTty(const std::string& name, const std::string& usb, const char* vendor,
                 const char* product) {
    const fs::path device = Sys() / "devices/pci0000:00/usb1" / usb;
    const fs::path interface = device / (usb + ":1.0");
    fs::create_directories(interface / "tty" / name);
    std::ofstream(device / "idVendor") << vendor << "\n";
    std::ofstream(device / "idProduct") << product << "\n";
    fs::create_directories(Sys() / "class/tty" / name);
    fs::create_directory_symlink(interface, Sys() / "class/tty" / name / "device");
  }
  void AddPlatformTty(const std::string& name, const char* type) {
    const fs::path device = Sys() / "devices/platform/serial8250";
    fs::create_directories(device);
    fs::create_directories(Sys() / "class/tty" / name);
    fs::create_directory_symlink(device, Sys() / "class/tty" / name / "device");
    std::ofstream(Sys() / "class/tty" / name / "type") << type << "\n";
  }
  void RegisterEmulator(const std::string& file, const std::string& ptyPath) {
    std::ofstream(dir.Path() / "emulators" / file) << ptyPath << "\n";
  }

  TempDir dir;
};

}  // namespace tavrin::test
