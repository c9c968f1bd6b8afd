// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes from the line: the reader cuts them into items and every decoder the session
// uses takes what comes out; nothing may crash or read outside an item.
#include <cstdint>
#include <cstdlib>

#include "protocol/frames.h"
#include "protocol/nmea.h"
#include "protocol/response_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavrin::ResponseReader reader;
  for (size_t i = 0; i < size; ++i) {
    const auto item = reader.Push(data[i]);
    if (!item) continue;
    if (item->length > tavrin::ResponseReader::kMaxItem) std::abort();
    if (item->binary) {
      tavrin::FrameChecksumOk(item->Bytes());
      tavrin::DecodePointFrame(item->Bytes());
    } else {
      tavrin::SentenceChecksumOk(item->Text());
      const auto fields = tavrin::SplitFields(item->Text());
      tavrin::DecodeRmc(fields);
      for (const auto field : fields) tavrin::ParseInteger(field);
    }
  }
  return 0;
}
