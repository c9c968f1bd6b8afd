// SPDX-License-Identifier: GPL-3.0-or-later
// Where an export of a track file goes: the parts of the track file's path it is named from.
#pragma once

#include <string>
#include <string_view>

namespace tavrin {

// The folder of a path: everything before its last slash ("." when there is none).
inline std::string FolderOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string(".") : std::string(path.substr(0, slash));
}

// The file name: everything after the last slash.
inline std::string NameOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The file name cut at its last dot: the name the export files take.
inline std::string StemOf(std::string_view path) {
  const std::string name = NameOf(path);
  return name.substr(0, name.rfind('.'));
}

}  // namespace tavrin
