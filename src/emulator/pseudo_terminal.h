// SPDX-License-Identifier: GPL-3.0-or-later
// A pseudo-terminal whose slave side a host program opens as its serial port. The slave is put
// in raw mode (no echo, no CR/LF translation) and one slave descriptor stays open here, so the
// master keeps working while the host closes and reopens the port.
#pragma once

#include <optional>
#include <string>

namespace tavrin::emulator {

class PseudoTerminal {
 public:
  // A new pseudo-terminal, or empty with `error` set.
  static std::optional<PseudoTerminal> Open(std::string& error);

  PseudoTerminal(PseudoTerminal&& other) noexcept;
  PseudoTerminal& operator=(PseudoTerminal&&) = delete;
  ~PseudoTerminal();

  // Non-blocking master side: what the host writes is read here, what the logger says is
  // written here.
  int MasterFd() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }
  // Bytes written to the master that the host has not read yet.
  int UnreadByHost() const;
  // Closes both sides: a host reading the port sees the line hang up.
  void Close();

 private:
  PseudoTerminal(int master, int slave, std::string slavePath);

  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace tavrin::emulator
