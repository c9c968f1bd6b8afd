// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ini_file.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "store/posix_file.h"

namespace tavrin {
namespace {

std::string Trim(const std::string& s) {
  const auto space = [](unsigned char c) { return std::isspace(c) != 0; };
  auto begin = std::find_if_not(s.begin(), s.end(), space);
  auto end = std::find_if_not(s.rbegin(), s.rend(), space).base();
  return begin < end ? std::string(begin, end) : std::string();
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

// "[NAME]" gives NAME; any other line gives nothing.
std::optional<std::string> SectionName(const std::string& line) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  const size_t close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

bool IsComment(const std::string& line) {
  const std::string t = Trim(line);
  return t.empty() || t[0] == ';' || t[0] == '#';
}

}  // namespace

IniFile IniFile::Load(const std::filesystem::path& path) {
  // A FIFO or a device under the settings name would block or never end.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return IniFile{};
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  return Parse(text.str());
}

IniFile IniFile::Parse(const std::string& text) {
  IniFile ini;
  bool sawLf = false, sawCrLf = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find('\n', start);
    Line line;
    if (lf == std::string::npos) {
      line.text = text.substr(start);
      start = text.size();
    } else {
      const bool cr = lf > start && text[lf - 1] == '\r';
      line.text = text.substr(start, lf - start - (cr ? 1 : 0));
      line.end = cr ? "\r\n" : "\n";
      (cr ? sawCrLf : sawLf) = true;
      start = lf + 1;
    }
    ini.lines_.push_back(std::move(line));
  }
  if (sawLf && !sawCrLf) ini.newline_ = "\n";
  return ini;
}

std::optional<size_t> IniFile::FindKey(const std::string& section, const std::string& key) const {
  bool inSection = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (auto name = SectionName(lines_[i].text)) {
      inSection = SameName(*name, section);
      continue;
    }
    if (!inSection || IsComment(lines_[i].text)) continue;
    const size_t eq = lines_[i].text.find('=');
    if (eq != std::string::npos && SameName(Trim(lines_[i].text.substr(0, eq)), key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniFile::Get(const std::string& section, const std::string& key) const {
  const auto index = FindKey(section, key);
  if (!index) return std::nullopt;
  const std::string& text = lines_[*index].text;
  std::string value = Trim(text.substr(text.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::optional<int> IniFile::ParseInt(const std::string& text) {
  const size_t digits = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (text.size() == digits || text.size() > digits + 10) return std::nullopt;
  const bool allDigits = std::all_of(text.begin() + static_cast<ptrdiff_t>(digits), text.end(),
                                     [](unsigned char c) { return c >= '0' && c <= '9'; });
  if (!allDigits) return std::nullopt;
  const long long value = std::stoll(text);
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int>(value);
}

std::string IniFile::GetString(const std::string& section, const std::string& key,
                               const std::string& fallback) const {
  return Get(section, key).value_or(fallback);
}

void IniFile::Set(const std::string& section, const std::string& key, const std::string& value) {
  const std::string text = key + "=" + value;
  if (const auto index = FindKey(section, key)) {
    lines_[*index].text = text;
    return;
  }
  // After the last key of the section, before any blank lines that close it.
  std::optional<size_t> insertAt;
  bool inSection = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (auto name = SectionName(lines_[i].text)) {
      inSection = SameName(*name, section);
      if (inSection) insertAt = i + 1;
      continue;
    }
    if (inSection && !Trim(lines_[i].text).empty()) insertAt = i + 1;
  }
  if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = newline_;
  if (!insertAt) {
    lines_.push_back(Line{"[" + section + "]", newline_});
    insertAt = lines_.size();
  }
  lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(*insertAt), Line{text, newline_});
}

std::string IniFile::Text() const {
  std::string out;
  for (const Line& line : lines_) out += line.text + line.end;
  return out;
}

Result<void> IniFile::Save(const std::filesystem::path& path) const {
  const std::string text = Text();
  auto replaced = ReplaceFileAtomically(path.string(), text.data(), text.size());
  if (!replaced) {
    return SystemFailure(replaced.Error().systemError,
                         "Cannot save the settings file " + path.string() + ": " +
                             replaced.Error().SystemText() +
                             ". Check that you may write to its folder and that the disk is not "
                             "full.");
  }
  return {};
}

}  // namespace tavrin
