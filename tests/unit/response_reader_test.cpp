// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/response_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrin {
namespace {

struct ReaderCase {
  const char* name;
  std::vector<std::string> chunks;    // bytes as they arrive
  std::vector<std::string> expected;  // items, in order
};

std::vector<std::string> Assemble(const std::vector<std::string>& chunks) {
  ResponseReader reader;
  std::vector<std::string> items;
  for (const std::string& chunk : chunks) {
    for (char c : chunk) {
      if (auto item = reader.Push(static_cast<uint8_t>(c))) {
        items.emplace_back(reinterpret_cast<const char*>(item->bytes.data()), item->length);
      }
    }
  }
  return items;
}

const std::string kFrame = std::string("\xC0\x42\x01\x02\x00\x23\x00\xC9", 8);

TEST(ResponseReader, CutsItemsOutOfTheStream) {
  const std::string overlong = "$" + std::string(130, 'x');
  const std::vector<ReaderCase> cases = {
      {"split over three arrivals",
       {"$PSRF20", "0,5,2,0,0", ",0,0*22\r\n"},
       {"$PSRF200,5,2,0,0,0,0*22\r\n"}},
      {"noise before the start", {"\x01\xFFgarbage$A*41\r\n"}, {"$A*41\r\n"}},
      {"stray dollar is data", {"$AB$CD*00\r\n"}, {"$AB$CD*00\r\n"}},
      {"two in one arrival", {"$A*41\r\n$B*42\r\n"}, {"$A*41\r\n", "$B*42\r\n"}},
      {"frame with C0 inside",
       {std::string("\xC0\xC1\xC0\x21\x00\xC9", 6)},
       {std::string("\xC0\xC1\xC0\x21\x00\xC9", 6)}},
      {"frame between sentences",
       {"$A*41\r\n" + kFrame + "$B*42\r\n"},
       {"$A*41\r\n", kFrame, "$B*42\r\n"}},
      {"LF inside a frame is data",
       {std::string("\xC0\x41\n\x00\x00\x00\xC9", 7)},
       {std::string("\xC0\x41\n\x00\x00\x00\xC9", 7)}},
      {"overlong sentence dropped, next found", {overlong, "\r\n$A*41\r\n"}, {"$A*41\r\n"}},
      {"127 bytes and the LF still fit",
       {"$" + std::string(125, 'y') + "\r\n"},
       {"$" + std::string(125, 'y') + "\r\n"}},
  };
  for (const ReaderCase& c : cases) EXPECT_EQ(Assemble(c.chunks), c.expected) << c.name;
}

TEST(ResponseReader, AnItemIsHandedOverWithTheAssemblyAlreadyFree) {
  ResponseReader reader;
  std::optional<ResponseReader::Item> item;
  for (char c : std::string("$A*41\r\n")) item = reader.Push(static_cast<uint8_t>(c));
  ASSERT_TRUE(item);
  EXPECT_FALSE(reader.Collecting());
  // A nested drain can start the next item while the first is being handled...
  reader.Push('$');
  reader.Push('B');
  // ...and the first item's bytes stay as they were.
  EXPECT_EQ(std::string(item->Text()), "$A*41\r\n");
  EXPECT_TRUE(reader.Collecting());
}

}  // namespace
}  // namespace tavrin
