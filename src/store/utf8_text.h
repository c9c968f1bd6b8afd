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

}  // namespace tavrin
