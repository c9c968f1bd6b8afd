// SPDX-License-Identifier: GPL-3.0-or-later
// A small INI file reader and writer that changes only the keys it is asked to set and keeps
// every other line (comments, unknown keys, hand-written values) exactly as it was.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"

namespace tavrin {

class IniFile {
 public:
  // A missing or unreadable file, or anything but a regular file, reads as empty.
  static IniFile Load(const std::filesystem::path& path);
  static IniFile Parse(const std::string& text);

  // Section and key names match without regard to case. Values are trimmed and lose one pair of
  // enclosing quotes.
  std::optional<std::string> Get(const std::string& section, const std::string& key) const;
  // A whole signed decimal number ("-210", "+5") that fits an int; empty for anything else, so
  // that "1x" or "0x10" is not taken for a number.
  static std::optional<int> ParseInt(const std::string& text);
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& fallback) const;

  // Replaces the value of an existing key in place, or adds the key at the end of its section,
  // or adds the section at the end of the file.
  void Set(const std::string& section, const std::string& key, const std::string& value);

  std::string Text() const;
  // Written through a temporary file and renamed, so a failed save never leaves half a file.
  Result<void> Save(const std::filesystem::path& path) const;

 private:
  struct Line {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n" or "" for a last line without one
  };
  std::optional<size_t> FindKey(const std::string& section, const std::string& key) const;

  std::vector<Line> lines_;
  std::string newline_ = "\r\n";
};

}  // namespace tavrin
