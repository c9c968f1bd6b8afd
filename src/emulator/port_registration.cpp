// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/port_registration.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace tavrin::emulator {

namespace fs = std::filesystem;

std::optional<PortRegistration> PortRegistration::Create(const fs::path& folder,
                                                         const std::string& slavePath,
                                                         std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  // Only the user's own programs need to read it; /tmp is shared with everyone.
  if (!ec) fs::permissions(folder.parent_path(), fs::perms::owner_all, ec);
  if (ec) {
    error =
        "cannot create the folder " + folder.string() + " to register the port: " + ec.message();
    return std::nullopt;
  }
  const fs::path file = folder / (std::to_string(::getpid()) + ".port");
  std::ofstream out(file, std::ios::trunc);
  out << slavePath << '\n';
  out.close();
  if (!out) {
    error = "cannot write " + file.string() + " to register the port";
    return std::nullopt;
  }
  return PortRegistration(file);
}

PortRegistration::PortRegistration(PortRegistration&& other) noexcept
    : file_(std::move(other.file_)) {
  other.file_.clear();
}

PortRegistration::~PortRegistration() {
  Remove();
}

void PortRegistration::Remove() {
  if (file_.empty()) return;
  std::error_code ignored;
  fs::remove(file_, ignored);
  file_.clear();
}

}  // namespace tavrin::emulator
