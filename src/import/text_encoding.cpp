// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/text_encoding.h"

#include <algorithm>

namespace tavrin::imports {
namespace {

constexpr size_t kLookedAtBytes = 512;
constexpr uint32_t kReplacement = 0xFFFD;

void AppendUtf8(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

class Utf16Reader final : public TrackReader {
 public:
  Utf16Reader(TextEncoding encoding, std::unique_ptr<TrackReader> next)
      : decoder_(encoding), next_(std::move(next)) {}

  Result<void> Feed(std::string_view bytes, bool last) override {
    text_.clear();
    decoder_.Decode(bytes, text_);
    return next_->Feed(text_, last);
  }

 private:
  Utf16Decoder decoder_;
  std::unique_ptr<TrackReader> next_;
  std::string text_;
};

}  // namespace

TextEncoding DetectEncoding(std::string_view start) {
  if (start.starts_with("\xFF\xFE")) return TextEncoding::Utf16LittleEndian;
  if (start.starts_with("\xFE\xFF")) return TextEncoding::Utf16BigEndian;
  const size_t pairs = std::min(start.size(), kLookedAtBytes) / 2;
  size_t zeroFirst = 0, zeroSecond = 0;
  for (size_t i = 0; i < pairs; ++i) {
    zeroFirst += start[2 * i] == '\0' ? 1 : 0;
    zeroSecond += start[2 * i + 1] == '\0' ? 1 : 0;
  }
  // Nearly every unit of ASCII text has its zero byte on the same side; binary data has zeros on
  // both sides or on neither.
  const auto most = [pairs](size_t count) { return pairs >= 2 && count * 10 >= pairs * 9; };
  const auto few = [pairs](size_t count) { return count * 10 <= pairs; };
  if (most(zeroSecond) && few(zeroFirst)) return TextEncoding::Utf16LittleEndian;
  if (most(zeroFirst) && few(zeroSecond)) return TextEncoding::Utf16BigEndian;
  return TextEncoding::Utf8;
}

Utf16Decoder::Utf16Decoder(TextEncoding encoding)
    : bigEndian_(encoding == TextEncoding::Utf16BigEndian) {}

void Utf16Decoder::Decode(std::string_view bytes, std::string& out) {
  out.reserve(out.size() + bytes.size() / 2 + 4);
  for (const char c : bytes) {
    const auto byte = static_cast<uint8_t>(c);
    if (!haveByte_) {
      byte_ = byte;
      haveByte_ = true;
      continue;
    }
    haveByte_ = false;
    Unit(static_cast<uint16_t>(bigEndian_ ? (byte_ << 8) | byte : (byte << 8) | byte_), out);
  }
}

void Utf16Decoder::Unit(uint16_t unit, std::string& out) {
  const bool first = !started_;
  started_ = true;
  if (first && unit == 0xFEFF) return;
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    if (highSurrogate_ != 0) AppendUtf8(kReplacement, out);
    highSurrogate_ = unit;
    return;
  }
  if (unit >= 0xDC00 && unit <= 0xDFFF) {
    if (highSurrogate_ == 0) return AppendUtf8(kReplacement, out);
    AppendUtf8(0x10000 + ((highSurrogate_ - 0xD800u) << 10) + (unit - 0xDC00u), out);
    highSurrogate_ = 0;
    return;
  }
  if (highSurrogate_ != 0) AppendUtf8(kReplacement, out);
  highSurrogate_ = 0;
  AppendUtf8(unit, out);
}

std::unique_ptr<TrackReader> MakeUtf16Reader(TextEncoding encoding,
                                             std::unique_ptr<TrackReader> utf8Reader) {
  return std::make_unique<Utf16Reader>(encoding, std::move(utf8Reader));
}

}  // namespace tavrin::imports
