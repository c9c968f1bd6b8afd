// SPDX-License-Identifier: GPL-3.0-or-later
// Every test process keeps what the program caches (the history index) in a folder of its own,
// never in the user's: XDG_CACHE_HOME points there for the process and the programs it starts,
// and the folder goes with the process.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tavrin::test {

class PrivateCache {
 public:
  PrivateCache()
      : folder_(std::filesystem::temp_directory_path() /
                ("tavrin-test-cache-" + std::to_string(::getpid()))) {
    ::setenv("XDG_CACHE_HOME", folder_.c_str(), 1);
  }
  ~PrivateCache() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  PrivateCache(const PrivateCache&) = delete;
  PrivateCache& operator=(const PrivateCache&) = delete;

 private:
  std::filesystem::path folder_;
};

}  // namespace tavrin::test
