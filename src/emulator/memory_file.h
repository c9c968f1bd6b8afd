// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator's memory as a readable JSON file:
//   {"memoryMbit":32,"pointsPerSector":4096,"saveBySpeed":12,"saveByTime":1,
//    "saveByDistance":100,"notes":["AB1","","",""],"newFrom":0,
//    "points":[{"time":"2024-05-01T08:00:00Z","lat":37.5,"lon":127.0,"speed":40,
//               "heading":90,"fix":"start"}]}
// Every key is optional and takes the logger's default; "fix" is start, nofix, 2d or fix (3D).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "emulator/logger_memory.h"

namespace tavrin::emulator {

// A memory, or the reason there is none, in words a user can act on.
struct MemoryResult {
  std::optional<LoggerMemory> memory;
  std::string error;
};

MemoryResult ParseMemoryJson(std::string_view text);
MemoryResult LoadMemoryFile(const std::filesystem::path& path);

std::string MemoryToJson(const LoggerMemory& memory);
// False with `error` set when the file cannot be written.
bool SaveMemoryFile(const LoggerMemory& memory, const std::filesystem::path& path,
                    std::string& error);

}  // namespace tavrin::emulator
