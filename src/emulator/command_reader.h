// SPDX-License-Identifier: GPL-3.0-or-later
// Cuts what the host writes into command sentences: each runs from "$" to LF and must carry a
// good checksum. Bytes outside a sentence, sentences with a bad checksum and overlong ones are
// dropped, as the logger drops them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tavrin::emulator {

class CommandReader {
 public:
  // Longer lines are noise: the longest command the host sends has 45 characters.
  static constexpr size_t kMaxLine = 128;

  // Calls `onLine` with each complete sentence ("$" … CR LF) whose checksum is good. A sentence
  // may be split over any number of calls.
  void Feed(std::span<const uint8_t> bytes, const std::function<void(std::string_view)>& onLine);

 private:
  std::string line_;  // empty while waiting for "$"
};

}  // namespace tavrin::emulator
