// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/response_reader.h"

#include "protocol/frames.h"

namespace tavrin {

std::optional<ResponseReader::Item> ResponseReader::Push(uint8_t byte) {
  if (length_ == 0) {
    if (byte == '$' || byte == kFrameStart) {
      item_.bytes[0] = byte;
      item_.binary = byte == kFrameStart;
      length_ = 1;
    }
    return std::nullopt;
  }
  item_.bytes[length_++] = byte;
  const bool complete = item_.binary ? byte == kFrameEnd : byte == '\n';
  if (complete) {
    item_.length = length_;
    item_.bytes[length_] = 0;
    length_ = 0;
    return item_;
  }
  if (length_ >= kMaxItem) length_ = 0;  // overlong: dropped, the bytes after it are scanned
  return std::nullopt;
}

}  // namespace tavrin
