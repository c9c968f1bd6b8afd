// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as an imported track file, fed in two pieces cut where the first byte says: the
// reader must neither crash nor hand on a point that the checks after it would not stand, and the
// splitting behind it (holding its tracks, so nothing is written) must take whatever comes.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "import/imported_point.h"
#include "import/track_splitter.h"

namespace tavrin::imports {

// Checks each point, then passes it on to the splitter.
class CheckingSink final : public PointSink {
 public:
  explicit CheckingSink(PointSink& next) : next_(next) {}
  void Point(const ImportedPoint& point, PointList list) override {
    if (!std::isfinite(point.latitude) || !std::isfinite(point.longitude)) std::abort();
    if (point.fixKind > kFix3D) std::abort();
    next_.Point(point, list);
  }
  void ListEnds(PointList list) override { next_.ListEnds(list); }
  void Dropped(std::string_view what) override { next_.Dropped(what); }
  void Skipped(long line, std::string_view why) override {
    if (line < 0) std::abort();
    next_.Skipped(line, why);
  }
  void LeftOut(long line, std::string_view why) override {
    if (line < 0) std::abort();
    next_.LeftOut(line, why);
  }

 private:
  PointSink& next_;
};

template <typename MakeReader>
int FuzzReader(const uint8_t* data, size_t size, MakeReader makeReader) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t cut = std::min<size_t>(data[0], bytes.size());
  TrackStore store;
  FileImport result;
  TrackSplitter splitter(store, result, true);
  CheckingSink sink(splitter);
  auto reader = makeReader(sink);
  if (reader->Feed(bytes.substr(0, cut), false)) (void)reader->Feed(bytes.substr(cut), true);
  splitter.Finish();
  splitter.Summarise();
  splitter.Discard();
  if (!result.trackFiles.empty()) std::abort();  // held tracks are never written
  return 0;
}

}  // namespace tavrin::imports
