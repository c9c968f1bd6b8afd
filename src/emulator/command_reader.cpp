// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/command_reader.h"

#include "protocol/nmea.h"

namespace tavrin::emulator {

void CommandReader::Feed(std::span<const uint8_t> bytes,
                         const std::function<void(std::string_view)>& onLine) {
  for (const uint8_t b : bytes) {
    // A "$" always starts afresh: a command cut short by a reconnect must not swallow the next.
    if (b == '$') {
      line_.assign(1, '$');
      continue;
    }
    if (line_.empty()) continue;
    line_.push_back(static_cast<char>(b));
    if (b == '\n') {
      if (SentenceChecksumOk(line_)) onLine(line_);
      line_.clear();
    } else if (line_.size() >= kMaxLine) {
      line_.clear();
    }
  }
}

}  // namespace tavrin::emulator
