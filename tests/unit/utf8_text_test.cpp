#include <gtest/gtest.h>

#include "store/utf8_text.h"

namespace tavrin {
namespace {

TEST(Utf8Text, CutKeepsWholeCharactersOfEveryLength) {
  struct Case {
    std::string_view text;
    size_t count;
    std::string_view kept;
  };
  const Case cases[] = {
      {"", 7, ""},
      {"ABCDEFGHIJ", 7, "ABCDEFG"},
      {"ABC", 7, "ABC"},
      {"ABC", 0, ""},
      {"\xED\x95\x9C\xEA\xB8\x80", 1, "\xED\x95\x9C"},              // 한글: three bytes each
      {"a\xC3\xA9\xC3\xA9z", 3, "a\xC3\xA9\xC3\xA9"},               // é: two bytes
      {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80", 1, "\xF0\x9F\x98\x80"},  // four bytes
      {"\x80\x80"
       "AB",
       1,
       "\x80\x80"
       "A"},                    // stray continuation bytes start nothing
      {"AB\xE2\x82", 2, "AB"},  // a cut sequence is dropped at the cut
      {"AB\xE2\x82", 3, "AB\xE2\x82"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CutToCharacters(c.text, c.count), c.kept) << c.text << " to " << c.count;
  }
}

TEST(Utf8Text, CountsCharactersNotBytes) {
  EXPECT_EQ(CharacterCount(""), 0u);
  EXPECT_EQ(CharacterCount("AB1"), 3u);
  EXPECT_EQ(CharacterCount("\xED\x95\x9C\xEA\xB8\x80"), 2u);
  EXPECT_EQ(CharacterCount("\xF0\x9F\x98\x80"
                           "A"),
            2u);
  EXPECT_EQ(CharacterCount("\x80"), 0u);
}

}  // namespace
}  // namespace tavrin
