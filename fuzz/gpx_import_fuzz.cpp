// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as an imported GPX file (see import_fuzz.h).
#include "import/gpx_reader.h"
#include "import_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tavrin::imports::FuzzReader(data, size, [](tavrin::imports::PointSink& sink) {
    return tavrin::imports::MakeGpxReader(sink);
  });
}
