#include "store/track_header.h"

#include <algorithm>

namespace tavrin {

double AverageSpeedKmh(uint32_t distanceMeters, uint32_t elapsedSeconds) {
  if (elapsedSeconds == 0) return 0.0;
  return static_cast<double>(distanceMeters) / static_cast<double>(elapsedSeconds) * 3.6;
}

namespace {

// Decodes one UTF-8 sequence at `i`; a malformed byte becomes U+FFFD so no text is dropped.
char32_t NextCodePoint(const std::string& s, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  int extra = lead < 0x80         ? 0
              : (lead >> 5) == 6  ? 1
              : (lead >> 4) == 14 ? 2
              : (lead >> 3) == 30 ? 3
                                  : -1;
  if (extra < 0 || i + extra >= s.size()) {
    ++i;
    return U'\uFFFD';
  }
  char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return U'\uFFFD';
    }
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  i += extra + 1;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

void SetNoteGroup(char16_t (&units)[kNoteGroupUnits], const std::string& utf8) {
  std::fill(std::begin(units), std::end(units), u'\0');
  size_t used = 0;
  for (size_t i = 0; i < utf8.size();) {
    const char32_t cp = NextCodePoint(utf8, i);
    const size_t need = cp >= 0x10000 ? 2 : 1;
    if (used + need > kNoteGroupUnits - 1) break;  // keep the terminating NUL
    if (need == 2) {
      units[used++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      units[used++] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      units[used++] = static_cast<char16_t>(cp);
    }
  }
}

std::string NoteGroupText(const char16_t (&units)[kNoteGroupUnits]) {
  std::string out;
  for (size_t i = 0; i < kNoteGroupUnits && units[i] != 0; ++i) {
    char32_t cp = units[i];
    const bool pair = cp >= 0xD800 && cp < 0xDC00 && i + 1 < kNoteGroupUnits &&
                      units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000;
    if (pair) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = U'\uFFFD';
    }
    AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace tavrin
