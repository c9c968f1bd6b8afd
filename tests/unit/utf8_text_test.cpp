// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "store/track_header.h"
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

TEST(Utf8Text, DecodesOnlyWellFormedSequences) {
  struct Case {
    std::string_view text;
    char32_t codePoint;
    size_t length;
  };
  const Case cases[] = {
      {"A", U'A', 1},
      {"\x7F", 0x7F, 1},
      {"\xC2\x80", 0x80, 2},
      {"\xDF\xBF", 0x7FF, 2},
      {"\xE0\xA0\x80", 0x800, 3},
      {"\xED\x95\x9C", 0xD55C, 3},  // 한
      {"\xED\x9F\xBF", 0xD7FF, 3},
      {"\xEE\x80\x80", 0xE000, 3},
      {"\xEF\xBF\xBF", 0xFFFF, 3},
      {"\xF0\x90\x80\x80", 0x10000, 4},
      {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
      // Not well-formed: one byte read as U+FFFD.
      {"\x80", 0xFFFD, 1},              // a continuation byte alone
      {"\xC0\xAF", 0xFFFD, 1},          // overlong '/'
      {"\xC1\xBF", 0xFFFD, 1},          // overlong
      {"\xE0\x9F\xBF", 0xFFFD, 1},      // overlong three-byte form
      {"\xF0\x8F\xBF\xBF", 0xFFFD, 1},  // overlong four-byte form
      {"\xED\xA0\x80", 0xFFFD, 1},      // a surrogate
      {"\xF4\x90\x80\x80", 0xFFFD, 1},  // above U+10FFFF
      {"\xF5\x80\x80\x80", 0xFFFD, 1},
      {"\xFF", 0xFFFD, 1},
      {"\xE2\x82", 0xFFFD, 1},  // cut off
      {"\xE2\x82"
       "A",
       0xFFFD, 1},  // broken by an ASCII byte
      {"\xC3"
       "A",
       0xFFFD, 1},
  };
  for (const Case& c : cases) {
    const Utf8Step step = DecodeUtf8(c.text);
    EXPECT_EQ(step.codePoint, c.codePoint) << testing::PrintToString(std::string(c.text));
    EXPECT_EQ(step.length, c.length) << testing::PrintToString(std::string(c.text));
    EXPECT_EQ(step.wellFormed, c.codePoint != 0xFFFD);
  }
}

TEST(Utf8Text, EncodesWhatItDecodes) {
  for (const char32_t codePoint : {0x0u, 0x41u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD55Cu, 0xFFFDu,
                                   0x10000u, 0x1F5FAu, 0x10FFFFu}) {
    std::string text;
    AppendUtf8(text, codePoint);
    const Utf8Step step = DecodeUtf8(text);
    EXPECT_EQ(step.codePoint, codePoint);
    EXPECT_EQ(step.length, text.size());
  }
}

// Track headers take note groups through the same decoder as the exports: every byte that is not
// part of a character stands as one U+FFFD.
TEST(Utf8Text, NoteGroupsReadBadBytesAsTheExportsDo) {
  TrackHeader header{};
  SetNoteGroup(header.noteGroup1,
               "A\xED\xA0\x80"
               "B");  // a surrogate
  EXPECT_EQ(NoteGroupText(header.noteGroup1), "A\uFFFD\uFFFD\uFFFDB");
  SetNoteGroup(header.noteGroup1, "\xC0\xAF\xED\x95\x9C");  // overlong '/', then 한
  EXPECT_EQ(NoteGroupText(header.noteGroup1), "\uFFFD\uFFFD\xED\x95\x9C");
}

}  // namespace
}  // namespace tavrin
