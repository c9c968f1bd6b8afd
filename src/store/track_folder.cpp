// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/track_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "store/posix_file.h"

namespace tavrin {

void TrackFolder::ShowError(const std::string& text) const {
  if (messageBox) messageBox(text, MsgIcon::Error, MsgButtons::Ok);
}

void TrackFolder::ShowNotice(const std::string& text) const {
  if (messageBox) messageBox(text, MsgIcon::Warning, MsgButtons::Ok);
}

void TrackFolder::Report(const TrackFileProblem& problem) const {
  if (reporter) {
    TrackFileProblem told = problem;
    told.inListing = listing;
    reporter(told);
  } else {
    ShowError(problem.message);
  }
}

std::string TrackFolder::TrackFileName(const TrackHeader& header) const {
  const DateTime6& t = header.firstDateTime;
  char name[64];
  std::snprintf(name, sizeof name, "/20%02u%02u%02u_%02u%02u%02u.bt0", t[0], t[1], t[2], t[3], t[4],
                t[5]);
  return path + name;
}

Result<void> CheckTrackFolder(const std::filesystem::path& folder) {
  const std::string name = folder.string();
  if (name.empty())
    return Failure{"No data folder is given. Choose a folder for the track records."};
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder)) {
    const int code = error ? error.value() : ENOTDIR;
    return SystemFailure(code, "Cannot use the data folder " + name + ": " + std::strerror(code) +
                                   ". Choose another data folder or check its permissions.");
  }
  if (const int code = TrackWriteError(name)) {
    return SystemFailure(code, "Cannot store track records in " + name + ": " +
                                   std::strerror(code) +
                                   ". Choose another data folder or make this one writable.");
  }
  return {};
}

int TrackWriteError(const std::string& folder) {
  std::string probe = folder + "/.tavrin-write-check-XXXXXX";
  const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
  int error = fd < 0 ? errno : 0;
  if (fd >= 0) {
    // As much as a track's header, so that a folder without a free block is found too.
    const TrackHeader header{};
    if (auto written = WriteAt(fd, &header, sizeof header, 0); !written) {
      error = written.Error().systemError;
    }
    ::close(fd);
    ::unlink(probe.c_str());
  }
  return error;
}

}  // namespace tavrin
