// SPDX-License-Identifier: GPL-3.0-or-later
// Which serial ports exist, and which of them is the logger: the tty devices under
// /sys/class/tty that have a device behind them, the USB identity of the device above each, and
// the pseudo-terminals that a running logger emulator has registered.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"

namespace tavrin {

constexpr char kLoggerVendor[] = "0e8d";
constexpr char kLoggerProduct[] = "3329";

// Baud rates offered for a plain serial port, and the one rate of the logger's USB port.
constexpr int kSerialBauds[] = {4800, 9600, 19200, 38400, 57600, 115200};
constexpr int kSerialDefaultBaudIndex = 5;
constexpr int kUsbBaud = 230400;

struct PortInfo {
  std::string name;        // ttyACM0, or the pty path for an emulator
  std::string devicePath;  // /dev/ttyACM0
  std::string usbVendor;   // four hex digits, empty when not on USB
  std::string usbProduct;
  bool emulator = false;

  bool IsLogger() const {
    return emulator || (usbVendor == kLoggerVendor && usbProduct == kLoggerProduct);
  }
  // The rate the logger's port runs at, or the usual serial default.
  int DefaultBaud() const { return IsLogger() ? kUsbBaud : kSerialBauds[kSerialDefaultBaudIndex]; }
};

// A drop-down list as the device page and the command line see it.
class IComboList {
 public:
  virtual ~IComboList() = default;
  virtual void Reset() = 0;
  virtual void Add(const std::string& text) = 0;
  virtual int Count() const = 0;
  virtual std::string Text(int index) const = 0;
  virtual void Select(int index) = 0;
};

enum class RescanMode { Arrival = 1, Removal = 2 };
// The two ways of connecting: the logger's USB ports, or any serial port.
enum class PortKind { Usb, Serial };

class PortDiscovery {
 public:
  // Roots are parameters so that tests can build fake trees: the sysfs root ("/sys"), the
  // device folder ("/dev") and the folder where emulators register ("" for none).
  PortDiscovery(std::filesystem::path sysRoot, std::filesystem::path devRoot,
                std::filesystem::path emulatorRegistry);
  // The real system, with this user's emulator registry.
  static PortDiscovery ForThisSystem();

  // Every port that exists now, in name order (the order the lists show them in).
  std::vector<PortInfo> Ports() const;
  std::optional<PortInfo> Find(const std::string& nameOrPath) const;

  // The serial way: every port with a leading space, the six serial rates with 115200 chosen.
  void ListSerialPorts(IComboList* portList, IComboList* baudList) const;
  // The USB way: only the logger's ports, no leading space, and the single USB rate.
  void ListUsbPorts(IComboList* portList, IComboList* baudList) const;
  // After a device arrived (the ports of this kind that are new are added and the first of
  // them chosen; without one the choice stays) or went away (the list of this kind is rebuilt
  // and its first port chosen).
  void RescanPorts(IComboList* portList, RescanMode mode, PortKind kind) const;

 private:
  // The entries of one kind's list, as it shows them.
  std::vector<std::string> PortEntries(PortKind kind) const;
  std::optional<PortInfo> Describe(const std::string& name) const;
  std::vector<PortInfo> EmulatorPorts() const;

  std::filesystem::path sysRoot_;
  std::filesystem::path devRoot_;
  std::filesystem::path emulatorRegistry_;
};

// Notices ports coming and going between two looks, for a window that rescans on a timer: each
// Poll says whether ports arrived (then RescanPorts with Arrival), went away (Removal), or
// nothing changed.
class PortChangeWatcher {
 public:
  explicit PortChangeWatcher(const PortDiscovery& discovery);
  std::optional<RescanMode> Poll();

 private:
  std::vector<std::string> Names() const;
  const PortDiscovery& discovery_;
  std::vector<std::string> known_;
};

// The program's folder in the user's runtime folder: $XDG_RUNTIME_DIR/tavrin-lite, or
// /tmp/tavrin-lite-<uid> without one.
std::filesystem::path UserRuntimeFolder();

// Where a running emulator registers its pseudo-terminal: $XDG_RUNTIME_DIR/tavrin-lite/emulators,
// or /tmp/tavrin-lite-<uid>/emulators without a runtime folder.
std::filesystem::path EmulatorRegistryFolder();

// Why `folder` may not hold this user's claims and registrations, empty when it may: it must be
// a folder itself (not a link to one), owned by this user, that no group or other user may write.
// Under /tmp anyone could have made it first, to have our files written through their links.
std::string UntrustedFolderReason(const std::filesystem::path& folder);
// The runtime folder's subfolder `name` ("claims", "emulators"), each level made 0700 where
// missing and checked as UntrustedFolderReason does; else what is wrong and what to do.
Result<std::filesystem::path> OwnRuntimeFolder(const std::string& name);

}  // namespace tavrin
