// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the track file readers and to compaction: no input may crash them,
// and a compacted file must read back as the points that were not deleted.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "store/track_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    char pattern[] = "/tmp/tavrin-fuzz-XXXXXX";
    return std::string(::mkdtemp(pattern));
  }();
  const std::string path = folder + "/20200101_000000.bt0";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  tavrin::TrackStore store;
  if (!store.PrepareDataFolder(folder)) std::abort();
  store.SetTimeZoneOffset(tavrin::TimeZoneOffset::FromMinutes(size % 2 ? 540 : -210));
  auto entry = store.Files().ReadTrackHeader(path);
  if (!entry) return 0;
  tavrin::PointVector before;
  store.Files().ReadTrackPoints(*entry, before);
  store.Catalogue().ListTracks(nullptr, true);
  if (store.Files().CompactTrackFile(*entry)) {
    tavrin::PointVector after;
    store.Files().ReadTrackPoints(*entry, after);
    if (after.size() != before.size()) std::abort();
  }
  return 0;
}
