// SPDX-License-Identifier: GPL-3.0-or-later
// A trace of every byte that crosses the serial line, with direction and time, for bug reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "base/result.h"

namespace tavrin {

class ByteTrace {
 public:
  enum Direction : char { kSent = '>', kReceived = '<' };

  // Appends to the file at `path`.
  static Result<std::unique_ptr<ByteTrace>> Open(const std::string& path);
  explicit ByteTrace(std::FILE* out, bool owned = false) : out_(out), owned_(owned) {}
  ~ByteTrace();
  ByteTrace(const ByteTrace&) = delete;
  ByteTrace& operator=(const ByteTrace&) = delete;

  // One line: "2026-12-07 20:41:05.123 < 24 47 50 ...". Safe from any thread.
  void Record(Direction direction, const uint8_t* data, size_t length);

 private:
  std::mutex mutex_;
  std::FILE* out_;
  bool owned_;
};

}  // namespace tavrin
