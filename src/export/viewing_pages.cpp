// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/viewing_pages.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace tavrin {

void ViewingPages::Keep(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return;  // nothing there to remove later
  const std::lock_guard<std::mutex> lock(mutex_);
  // A page rewritten under its name replaces the file noted before (written whole, then renamed
  // over it), so only the newest file of a name is noted.
  std::erase_if(pages_, [&path](const Page& page) { return page.path == path; });
  pages_.push_back({path, info.st_dev, info.st_ino});
}

void ViewingPages::RemoveAll() {
  const std::lock_guard<std::mutex> lock(mutex_);
  for (const Page& page : pages_) {
    struct stat info {};
    if (::lstat(page.path.c_str(), &info) != 0) continue;
    if (info.st_dev == page.device && info.st_ino == page.inode) ::unlink(page.path.c_str());
  }
  pages_.clear();
}

}  // namespace tavrin
