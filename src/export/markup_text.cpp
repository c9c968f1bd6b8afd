// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/markup_text.h"

#include <cstdint>

#include "store/utf8_text.h"

namespace tavrin {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// U+FFFE and U+FFFF are well-formed UTF-8 but not characters XML allows.
bool IsXmlCharacter(char32_t codePoint) {
  return codePoint != 0xFFFE && codePoint != 0xFFFF;
}

}  // namespace

std::string XmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<uint8_t>(text[i]);
    if (c >= 0x80) {
      const Utf8Step step = DecodeUtf8(text.substr(i));
      if (step.wellFormed && IsXmlCharacter(step.codePoint)) {
        out += text.substr(i, step.length);
        i += step.length;
      } else {
        out += kReplacement;  // one for each byte that is not a character
        ++i;
      }
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '\t':
      case '\n':
      case '\r':
        out += static_cast<char>(c);
        break;
      default:
        if (c < 0x20) {
          out += kReplacement;
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  return out;
}

std::string UrlQueryValue(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<uint8_t>(ch);
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                            (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

}  // namespace tavrin
