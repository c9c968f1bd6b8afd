// SPDX-License-Identifier: GPL-3.0-or-later
// The pages the window writes only to show them (the map pages of the Track Record page and of
// the Photos dialog): they go when the window closes or leaves the data folder. Exports the user
// asked for, from the window or from tavrin, are never among them.
#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <vector>

namespace tavrin {

class ViewingPages {
 public:
  // Notes the file now at `path` as one of the window's own. Safe from any thread: the map pages
  // are written on one of their own.
  void Keep(const std::string& path);
  // Deletes each noted file that is still the one noted. A page of the same name written since
  // by someone else (tavrin export map) is another file, and stays.
  void RemoveAll();

 private:
  struct Page {
    std::string path;
    dev_t device;
    ino_t inode;
  };
  std::mutex mutex_;
  std::vector<Page> pages_;
};

}  // namespace tavrin
