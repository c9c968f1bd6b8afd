// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/track_store.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "store/posix_file.h"

namespace tavrin {

TrackStore::TrackStore(MessageBoxFn messageBox) {
  folder_.messageBox = std::move(messageBox);
}

Result<void> TrackStore::PrepareDataFolder(const std::filesystem::path& dataFolder) {
  folder_.path = dataFolder.string();
  std::error_code error;
  std::filesystem::create_directories(dataFolder, error);
  if (!std::filesystem::is_directory(dataFolder)) {
    const int code = error ? error.value() : ENOTDIR;
    return SystemFailure(code, "Cannot use the data folder " + folder_.path + ": " +
                                   std::strerror(code) +
                                   ". Choose another data folder or check its permissions.");
  }
  writer_.RecoverInterruptedTracks();
  return {};
}

Result<void> TrackStore::CheckTracksCanBeWritten() const {
  const int error = TrackWriteError(folder_.path);
  if (error == 0) return {};
  return SystemFailure(error, "Cannot store tracks in the data folder " + folder_.path +
                                  " (a test file could not be written there: " + ErrnoText(error) +
                                  ").");
}

}  // namespace tavrin
