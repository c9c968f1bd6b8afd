// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/port_discovery.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

namespace tavrin {
namespace fs = std::filesystem;

namespace {

std::string FirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

// The first line of a registration file of this user's own, never through a link; empty for
// anything else.
std::string FirstLineOfOwnFile(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  struct stat status {};
  char text[512] = {};
  ssize_t got = 0;
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid()) {
    got = ::read(fd, text, sizeof text - 1);
  }
  ::close(fd);
  std::string line(text, got > 0 ? static_cast<size_t>(got) : 0);
  line = line.substr(0, line.find('\n'));
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

// Names in the order people expect: ttyS2 before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (std::isdigit(static_cast<unsigned char>(a[i])) &&
        std::isdigit(static_cast<unsigned char>(b[j]))) {
      size_t ei = i, ej = j;
      while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
      while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
      const std::string na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ei;
      j = ej;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

// `pid` as the registration file names it; a name that is no number cannot be checked and counts
// as alive.
bool ProcessAlive(const std::string& pid) {
  char* end = nullptr;
  const long value = std::strtol(pid.c_str(), &end, 10);
  if (pid.empty() || *end != '\0' || value <= 0) return true;
  return ::kill(static_cast<pid_t>(value), 0) == 0 || errno == EPERM;
}

int FindExact(const IComboList& list, const std::string& text) {
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Text(i) == text) return i;
  }
  return -1;
}

}  // namespace

fs::path UserRuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime && runtime[0] == '/'
             ? fs::path(runtime) / "tavrin-lite"
             : fs::path("/tmp") / ("tavrin-lite-" + std::to_string(::getuid()));
}

fs::path EmulatorRegistryFolder() {
  return UserRuntimeFolder() / "emulators";
}

std::string UntrustedFolderReason(const fs::path& folder) {
  struct stat status {};
  if (::lstat(folder.c_str(), &status) != 0) {
    return folder.string() + " cannot be looked at (" + std::strerror(errno) + ")";
  }
  if (S_ISLNK(status.st_mode)) return folder.string() + " is a link, not a folder";
  if (!S_ISDIR(status.st_mode)) return folder.string() + " is not a folder";
  if (status.st_uid != ::geteuid()) {
    return folder.string() + " belongs to another user (uid " + std::to_string(status.st_uid) + ")";
  }
  if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return folder.string() + " may be written by other users";
  }
  return {};
}

Result<fs::path> OwnRuntimeFolder(const std::string& name) {
  const fs::path top = UserRuntimeFolder();
  for (const fs::path& level : {top, top / name}) {
    if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) {
      const int error = errno;
      return SystemFailure(error, level.string() + " cannot be made (" + std::strerror(error) +
                                      "); check that " + level.parent_path().string() +
                                      " is there and yours to write");
    }
    if (std::string reason = UntrustedFolderReason(level); !reason.empty()) {
      return Failure{reason +
                     ", so it is not used: another user may have put it there to have "
                     "files overwritten. Remove it (rm -r '" +
                     top.string() + "') and start again"};
    }
  }
  return top / name;
}

PortDiscovery::PortDiscovery(fs::path sysRoot, fs::path devRoot, fs::path emulatorRegistry)
    : sysRoot_(std::move(sysRoot)),
      devRoot_(std::move(devRoot)),
      emulatorRegistry_(std::move(emulatorRegistry)) {}

PortDiscovery PortDiscovery::ForThisSystem() {
  return PortDiscovery("/sys", "/dev", EmulatorRegistryFolder());
}

std::optional<PortInfo> PortDiscovery::Describe(const std::string& name) const {
  std::error_code error;
  const fs::path ttyFolder = sysRoot_ / "class" / "tty" / name;
  if (!fs::exists(ttyFolder / "device", error)) return std::nullopt;  // virtual consoles, ptys
  // Legacy 16550 slots without a chip behind them report type 0.
  const fs::path type = ttyFolder / "type";
  if (fs::exists(type, error) && FirstLine(type) == "0") return std::nullopt;
  PortInfo port{name, (devRoot_ / name).string(), "", "", false};
  // Walk up from the tty's device to the USB device that carries the identity.
  fs::path node = fs::canonical(ttyFolder / "device", error);
  for (int depth = 0; !error && depth < 8 && !node.empty() && node != node.root_path(); ++depth) {
    if (fs::exists(node / "idVendor", error) && fs::exists(node / "idProduct", error)) {
      port.usbVendor = FirstLine(node / "idVendor");
      port.usbProduct = FirstLine(node / "idProduct");
      break;
    }
    node = node.parent_path();
  }
  return port;
}

std::vector<PortInfo> PortDiscovery::EmulatorPorts() const {
  std::vector<PortInfo> ports;
  std::error_code error;
  if (emulatorRegistry_.empty()) return ports;
  // Registrations another user could have placed name ports we must not open.
  if (!UntrustedFolderReason(emulatorRegistry_).empty() ||
      !UntrustedFolderReason(emulatorRegistry_.parent_path()).empty()) {
    return ports;
  }
  for (const auto& item : fs::directory_iterator(emulatorRegistry_, error)) {
    if (item.path().extension() != ".port") continue;
    const std::string path = FirstLineOfOwnFile(item.path());
    // A registration left behind by an emulator that died names a pty that is gone, or one
    // that another program has since been given.
    if (path.empty() || !fs::exists(path, error) || !ProcessAlive(item.path().stem().string())) {
      continue;
    }
    ports.push_back(PortInfo{path, path, "", "", true});
  }
  return ports;
}

std::vector<PortInfo> PortDiscovery::Ports() const {
  std::vector<PortInfo> ports;
  std::error_code error;
  for (const auto& item : fs::directory_iterator(sysRoot_ / "class" / "tty", error)) {
    if (auto port = Describe(item.path().filename().string())) ports.push_back(*port);
  }
  for (PortInfo& port : EmulatorPorts()) ports.push_back(std::move(port));
  std::sort(ports.begin(), ports.end(),
            [](const PortInfo& a, const PortInfo& b) { return NaturalLess(a.name, b.name); });
  return ports;
}

std::optional<PortInfo> PortDiscovery::Find(const std::string& nameOrPath) const {
  for (const PortInfo& port : Ports()) {
    if (port.name == nameOrPath || port.devicePath == nameOrPath) return port;
  }
  return std::nullopt;
}

std::vector<std::string> PortDiscovery::PortEntries(PortKind kind) const {
  std::vector<std::string> entries;
  for (const PortInfo& port : Ports()) {
    if (kind == PortKind::Serial) {
      entries.push_back(" " + port.name);
    } else if (port.IsLogger()) {
      entries.push_back(port.name);
    }
  }
  return entries;
}

void PortDiscovery::ListSerialPorts(IComboList* portList, IComboList* baudList) const {
  if (portList) {
    portList->Reset();
    for (const std::string& entry : PortEntries(PortKind::Serial)) portList->Add(entry);
    portList->Select(0);
  }
  if (baudList) {
    baudList->Reset();
    for (int baud : kSerialBauds) baudList->Add(" " + std::to_string(baud));
    baudList->Select(kSerialDefaultBaudIndex);
  }
}

void PortDiscovery::ListUsbPorts(IComboList* portList, IComboList* baudList) const {
  if (portList) {
    portList->Reset();
    for (const std::string& entry : PortEntries(PortKind::Usb)) portList->Add(entry);
    portList->Select(0);
  }
  if (baudList) {
    baudList->Reset();
    baudList->Add(std::to_string(kUsbBaud));
    baudList->Select(0);
  }
}

void PortDiscovery::RescanPorts(IComboList* portList, RescanMode mode, PortKind kind) const {
  if (!portList) return;
  const std::vector<std::string> entries = PortEntries(kind);
  if (mode == RescanMode::Removal) {
    portList->Reset();
    for (const std::string& entry : entries) portList->Add(entry);
    portList->Select(0);
    return;
  }
  int arrived = -1;
  for (const std::string& entry : entries) {
    if (FindExact(*portList, entry) >= 0) continue;
    portList->Add(entry);
    if (arrived < 0) arrived = portList->Count() - 1;
  }
  if (arrived >= 0) portList->Select(arrived);
}

PortChangeWatcher::PortChangeWatcher(const PortDiscovery& discovery)
    : discovery_(discovery), known_(Names()) {}

std::vector<std::string> PortChangeWatcher::Names() const {
  std::vector<std::string> names;
  for (const PortInfo& port : discovery_.Ports()) names.push_back(port.devicePath);
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<RescanMode> PortChangeWatcher::Poll() {
  std::vector<std::string> now = Names();
  std::optional<RescanMode> change;
  // A removal rebuilds the whole list, so it also covers a port that arrived at the same time.
  if (!std::includes(now.begin(), now.end(), known_.begin(), known_.end())) {
    change = RescanMode::Removal;
  } else if (now != known_) {
    change = RescanMode::Arrival;
  }
  known_ = std::move(now);
  return change;
}

}  // namespace tavrin
