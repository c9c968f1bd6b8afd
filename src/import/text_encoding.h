// SPDX-License-Identifier: GPL-3.0-or-later
// Track files come in UTF-8 (or ASCII) and, from some Windows programs, in UTF-16 of either byte
// order, with or without a byte-order mark. XML says its encoding itself; NMEA text does not, so
// its UTF-16 is turned into UTF-8 before it is read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "import/imported_point.h"

namespace tavrin::imports {

enum class TextEncoding { Utf8, Utf16LittleEndian, Utf16BigEndian };

// From a byte-order mark, or else from the zero bytes that text of Latin letters has in every
// other place in UTF-16.
TextEncoding DetectEncoding(std::string_view start);

// UTF-16 to UTF-8 in pieces of any size: a byte or a surrogate cut off at the end of a piece is
// kept for the next. A byte-order mark at the start is dropped; a lone surrogate becomes U+FFFD.
class Utf16Decoder {
 public:
  explicit Utf16Decoder(TextEncoding encoding);
  void Decode(std::string_view bytes, std::string& out);

 private:
  void Unit(uint16_t unit, std::string& out);

  bool bigEndian_;
  bool started_ = false;
  bool haveByte_ = false;
  uint8_t byte_ = 0;
  uint16_t highSurrogate_ = 0;
};

// A reader of UTF-8 text fed with UTF-16.
std::unique_ptr<TrackReader> MakeUtf16Reader(TextEncoding encoding,
                                             std::unique_ptr<TrackReader> utf8Reader);

}  // namespace tavrin::imports
