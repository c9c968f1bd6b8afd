// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/utf8_text.h"

#include <cstdint>

namespace tavrin {
namespace {

bool StartsCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

bool IsContinuation(uint8_t byte) {
  return (byte & 0xC0) == 0x80;
}

// Length of the well-formed sequence at the start of `text`, or 0 when there is none. The
// second byte's range rules out overlong forms (E0, F0), surrogates (ED) and code points above
// U+10FFFF (F4); leads C0, C1 and F5-FF start nothing.
size_t SequenceLength(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length;
  uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!IsContinuation(byte(i))) return 0;
  }
  return length;
}

}  // namespace

Utf8Step DecodeUtf8(std::string_view text) {
  const size_t length = SequenceLength(text);
  if (length == 0) return Utf8Step{U'\uFFFD', 1, false};
  const auto lead = static_cast<uint8_t>(text[0]);
  // The lead keeps 7, 5, 4 or 3 bits of the code point; each continuation byte adds 6.
  char32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    codePoint = (codePoint << 6) | (static_cast<uint8_t>(text[i]) & 0x3F);
  }
  return Utf8Step{codePoint, length, true};
}

void AppendUtf8(std::string& out, char32_t codePoint) {
  const auto put = [&](uint32_t bits) { out += static_cast<char>(bits); };
  if (codePoint < 0x80) {
    put(codePoint);
  } else if (codePoint < 0x800) {
    put(0xC0 | (codePoint >> 6));
    put(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    put(0xE0 | (codePoint >> 12));
    put(0x80 | ((codePoint >> 6) & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  } else {
    put(0xF0 | (codePoint >> 18));
    put(0x80 | ((codePoint >> 12) & 0x3F));
    put(0x80 | ((codePoint >> 6) & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  }
}

size_t CharacterCount(std::string_view text) {
  size_t count = 0;
  for (const char byte : text) count += StartsCharacter(byte);
  return count;
}

std::string CutToCharacters(std::string_view text, size_t count) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (StartsCharacter(text[i]) && characters++ == count) return std::string(text.substr(0, i));
  }
  return std::string(text);
}

}  // namespace tavrin
