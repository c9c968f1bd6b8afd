// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/track_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "store/posix_file.h"

namespace tavrin {
namespace {

constexpr std::string_view kMoveOut = kMoveItOut;

// Whether `file` lies in the data folder `folder`. The folder holding the file is compared,
// not the file, so that a link in the data folder counts as there, wherever it points.
bool InDataFolder(const std::string& folder, const std::string& file) {
  if (folder.empty()) return true;  // no folder known: the reader's words stand
  std::error_code error;
  const auto here = std::filesystem::weakly_canonical(folder, error);
  const auto parent = std::filesystem::absolute(file, error).parent_path();
  return std::filesystem::weakly_canonical(parent, error) == here;
}

// The readers advise moving a bad file out of the data folder, where listings would meet it
// again. A file named from elsewhere is not there to move: it is only of no use.
std::string ForFileElsewhere(std::string detail) {
  if (!detail.ends_with(kMoveOut)) return detail;
  detail.erase(detail.size() - kMoveOut.size());
  if (detail.ends_with(", or ")) return detail.erase(detail.size() - 5) + ".";
  if (detail.ends_with(", so ")) return detail + "name another track file.";
  return detail + "it cannot be used: name another track file.";
}

}  // namespace

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
    if (!InDataFolder(path, told.path)) told.detail = ForFileElsewhere(std::move(told.detail));
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
