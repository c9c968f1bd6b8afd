// SPDX-License-Identifier: GPL-3.0-or-later
// Lets a host find running emulators: each one leaves a file <pid>.port holding its slave path
// and a newline in a folder of the user's runtime directory, and removes it when it ends.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The folder comes from tavrin::OwnRuntimeFolder("emulators") (serial/port_discovery.h), which
// makes it and checks that it is this user's alone.
namespace tavrin::emulator {

class PortRegistration {
 public:
  // Writes <folder>/<pid>.port (the folder must be there); empty with `error` set when that fails.
  static std::optional<PortRegistration> Create(const std::filesystem::path& folder,
                                                const std::string& slavePath, std::string& error);

  PortRegistration(PortRegistration&& other) noexcept;
  PortRegistration& operator=(PortRegistration&&) = delete;
  ~PortRegistration();

  const std::filesystem::path& File() const { return file_; }
  void Remove();

 private:
  explicit PortRegistration(std::filesystem::path file) : file_(std::move(file)) {}
  std::filesystem::path file_;
};

}  // namespace tavrin::emulator
