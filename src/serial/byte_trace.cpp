// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/byte_trace.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace tavrin {

Result<std::unique_ptr<ByteTrace>> ByteTrace::Open(const std::string& path) {
  std::FILE* out = std::fopen(path.c_str(), "a");
  if (out == nullptr) {
    const int error = errno;
    return SystemFailure(error,
                         "cannot write the trace file " + path + ": " + std::strerror(error) + ".");
  }
  return std::make_unique<ByteTrace>(out, true);
}

ByteTrace::~ByteTrace() {
  if (owned_ && out_) std::fclose(out_);
}

void ByteTrace::Record(Direction direction, const uint8_t* data, size_t length) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const long millis = static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &utc);
  std::string line;
  line.reserve(32 + length * 3);
  line += stamp;
  char part[8];
  std::snprintf(part, sizeof part, ".%03ld %c", millis, static_cast<char>(direction));
  line += part;
  static const char kHex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < length; ++i) {
    line += ' ';
    line += kHex[data[i] >> 4];
    line += kHex[data[i] & 0x0F];
  }
  line += '\n';
  std::lock_guard lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
}

}  // namespace tavrin
