// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary settings files: reading never fails, and setting a key keeps every other line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  tavrin::IniFile ini = tavrin::IniFile::Parse(text);
  if (const auto offset = ini.Get("MAIN", "LocalTimeOffset")) tavrin::IniFile::ParseInt(*offset);
  ini.GetString("PROGRAM", "UserDataPath", "");
  const std::string before = ini.Text();
  if (before != text) std::abort();  // parsing alone changes nothing
  ini.Set("MAIN", "Language", "3");
  const tavrin::IniFile again = tavrin::IniFile::Parse(ini.Text());
  const auto language = again.Get("MAIN", "Language");
  if (!language || tavrin::IniFile::ParseInt(*language) != 3) std::abort();
  return 0;
}
