// SPDX-License-Identifier: GPL-3.0-or-later
// Cuts the byte stream from the logger into items: "$" sentences up to their LF and binary
// frames from 0xC0 up to 0xC9. Bytes outside an item are skipped; an item that reaches 128 bytes
// without its end is dropped.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tavrin {

class ResponseReader {
 public:
  static constexpr size_t kMaxItem = 128;

  struct Item {
    std::array<uint8_t, kMaxItem + 1> bytes{};
    size_t length = 0;
    bool binary = false;

    std::span<const uint8_t> Bytes() const { return {bytes.data(), length}; }
    std::string_view Text() const { return {reinterpret_cast<const char*>(bytes.data()), length}; }
  };

  // Takes one byte; returns the item it completes. The assembly is already reset when the item
  // is returned, so a handler may feed further bytes (a nested drain) without disturbing it.
  std::optional<Item> Push(uint8_t byte);
  void Reset() { length_ = 0; }
  bool Collecting() const { return length_ > 0; }

 private:
  Item item_;
  size_t length_ = 0;
};

}  // namespace tavrin
