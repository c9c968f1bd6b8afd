#include "store/utf8_text.h"

namespace tavrin {
namespace {

bool StartsCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

}  // namespace

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
