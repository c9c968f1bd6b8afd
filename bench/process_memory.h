// SPDX-License-Identifier: GPL-3.0-or-later
// What the window's benchmarks share: a work folder of their own and the memory of the process
// tree they measure.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tavrin::bench {

// A new folder under the temporary folder, named after `what`.
inline std::filesystem::path MakeWorkFolder(const std::string& what) {
  std::string pattern =
      (std::filesystem::temp_directory_path() / ("tavrin-" + what + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) std::exit(1);
  return pattern;
}

// The proportional memory of this process and all its descendants (the web engine's), from
// /proc/PID/smaps_rollup, in MiB; `processes` gets how many there are, `own` this process's part.
inline double TreePssMiB(int* processes, double* own = nullptr) {
  std::multimap<pid_t, pid_t> children;
  for (const std::filesystem::directory_entry& entry :
       std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // "pid (command) state ppid ...": the command may hold spaces and parentheses.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    children.insert({parent, static_cast<pid_t>(std::stol(name))});
  }
  std::vector<pid_t> tree{::getpid()};
  for (size_t k = 0; k < tree.size(); ++k) {
    const auto [first, last] = children.equal_range(tree[k]);
    for (auto it = first; it != last; ++it) tree.push_back(it->second);
  }
  double kib = 0;
  for (pid_t pid : tree) {
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string key;
    double value = 0;
    while (rollup >> key) {
      if (key == "Pss:" && rollup >> value) {
        kib += value;
        if (own != nullptr && pid == ::getpid()) *own = value / 1024.0;
        break;
      }
    }
  }
  *processes = static_cast<int>(tree.size());
  return kib / 1024.0;
}

// Prints the tree's memory, `when` being empty or a few words that begin with a space.
inline void PrintTreeMemory(const char* when) {
  int processes = 0;
  double own = 0;
  const double pss = TreePssMiB(&processes, &own);
  std::printf(
      "  proportional memory (PSS) of the process tree%s: %.0f MiB in %d processes (the window's "
      "%.0f MiB, the web engine's %.0f MiB)\n",
      when, pss, processes, own, pss - own);
}

}  // namespace tavrin::bench
