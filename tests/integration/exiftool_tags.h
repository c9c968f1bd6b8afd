// SPDX-License-Identifier: GPL-3.0-or-later
// A photo's tags as exiftool reads them, for the geotagging tests: exiftool is the outside reader
// that tells whether tagging changed anything it should not have.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>

#include "../support/program_run.h"
#include "export_test_support.h"

namespace tavrin::test {

// "[GPS] GPSLatitude" → "37.5", as `exiftool -a -G1 -s -n OPTIONS` prints them.
inline std::map<std::string, std::string> ExiftoolTags(const std::string& path,
                                                       const std::string& options = "") {
  std::map<std::string, std::string> tags;
  if (!ReaderInstalled("exiftool", "libimage-exiftool-perl")) return tags;
  const auto run = RunTool("exiftool -a -G1 -s -n " + options + " " + Quote(path));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) {
    const size_t colon = line.find(": ");
    if (colon == std::string::npos) continue;
    std::istringstream words(line.substr(0, colon));
    std::string group, name;
    words >> group >> name;
    // A tag exiftool finds twice (as in two images of one file) keeps both values.
    auto& value = tags[group + " " + name];
    value += (value.empty() ? "" : " | ") + line.substr(colon + 2);
  }
  return tags;
}

// The tags of a photo that tagging must not change: all but its GPS tags, the file system's
// figures and what exiftool works out from the others. `options` may add unknown tags (-u).
inline std::map<std::string, std::string> OtherTags(const std::string& path,
                                                    const std::string& options = "") {
  auto tags = ExiftoolTags(path, options);
  std::erase_if(tags, [](const auto& tag) {
    for (const char* group : {"[GPS]", "[System]", "[ExifTool]", "[Composite]"}) {
      if (tag.first.rfind(group, 0) == 0) return true;
    }
    return false;
  });
  return tags;
}

// What `exiftool -validate -warning` finds wrong with the photo.
inline std::set<std::string> ValidationWarnings(const std::string& path) {
  std::set<std::string> warnings;
  for (const auto& [name, value] : ExiftoolTags(path, "-validate -warning")) {
    if (name.find("Warning") == std::string::npos) continue;
    std::istringstream parts(value);
    for (std::string one; std::getline(parts, one, '|');) {
      while (!one.empty() && one.front() == ' ') one.erase(0, 1);
      while (!one.empty() && one.back() == ' ') one.pop_back();
      warnings.insert(one);
    }
  }
  return warnings;
}

}  // namespace tavrin::test
