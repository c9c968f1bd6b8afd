// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 text as the logger's note groups, the settings file and the exports hold it: counting and
// cutting by characters, and decoding to code points.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrin {

// Characters in `text`: every byte that does not continue a sequence (10xxxxxx) starts one.
size_t CharacterCount(std::string_view text);

// The first `count` characters of `text`, counted as CharacterCount does. A cut never splits a
// sequence, because it falls only where a character starts.
std::string CutToCharacters(std::string_view text, size_t count);

// One decoded step through UTF-8 text.
struct Utf8Step {
  char32_t codePoint = 0;
  size_t length = 0;        // bytes read: the sequence, or 1 when it is not well-formed
  bool wellFormed = false;  // false: codePoint is U+FFFD standing for the one byte read
};

// Decodes the sequence at the start of `text`, which must not be empty. Only well-formed UTF-8
// is taken: no overlong form, no surrogate, nothing above U+10FFFF, no cut-off sequence. Any
// other byte is read alone as U+FFFD, so one damaged byte never swallows the characters after it.
Utf8Step DecodeUtf8(std::string_view text);

// Appends the UTF-8 form of a code point below U+110000.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace tavrin
