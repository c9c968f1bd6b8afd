// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include "store/posix_file.h"

namespace tavrin {
namespace {

// Long enough for any long long, and for a double in fixed notation with up to 17 decimals.
constexpr size_t kNumberRoom = 400;

// Writes `value` as printf's %.<precision>f would into `text`; returns the length.
size_t FormatFixed(char* text, double value, int precision) {
  static constexpr double kScale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
  if (precision >= 0 && precision <= 6) {
    // Positions are floats: times a power of ten up to a million they still fit a double's
    // mantissa, so the product is exact (fma finds no remainder), and rounding it to a whole
    // number rounds exactly as printf does, halves to even. Far quicker than the general way.
    const double scale = kScale[precision];
    const double scaled = value * scale;
    if (std::fabs(scaled) < 1e15 && std::fma(value, scale, -scaled) == 0) {
      const auto whole = static_cast<long long>(std::nearbyint(std::fabs(scaled)));
      char digits[24];
      const int count =
          static_cast<int>(std::to_chars(digits, digits + sizeof digits, whole).ptr - digits);
      char* at = text;
      if (std::signbit(value)) *at++ = '-';  // printf keeps the sign of what rounds to zero
      const int integerDigits = std::max(count - precision, 1);
      for (int i = 0, d = count - integerDigits - precision; i < integerDigits + precision;
           ++i, ++d) {
        if (i == integerDigits) *at++ = '.';
        *at++ = d < 0 ? '0' : digits[d];
      }
      return static_cast<size_t>(at - text);
    }
  }
  return static_cast<size_t>(
      std::to_chars(text, text + kNumberRoom, value, std::chars_format::fixed, precision).ptr -
      text);
}

}  // namespace

void TextBuffer::Grow(size_t count) {
  data_.resize(std::max(data_.size() * 2, size_ + count + 4096));
}

void TextBuffer::AppendInt(long long value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  Append(std::string_view(digits, static_cast<size_t>(end - digits)));
}

void TextBuffer::AppendZeroPadded(long long value, int width) {
  // The sign counts toward the width: printf("%03d", -5) is "-05".
  const int sign = value < 0 ? 1 : 0;
  AppendDigits(value, width - sign);
}

void TextBuffer::AppendDigits(long long value, int digits) {
  if (digits == 2 && value >= 0 && value < 100) {  // calendar fields, the common case
    char* at = Extend(2);
    at[0] = static_cast<char>('0' + value / 10);
    at[1] = static_cast<char>('0' + value % 10);
    return;
  }
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  std::string_view written(text, static_cast<size_t>(end - text));
  if (value < 0) {
    Append('-');
    written.remove_prefix(1);
  }
  for (int n = static_cast<int>(written.size()); n < digits; ++n) Append('0');
  Append(written);
}

void TextBuffer::AppendFixed(double value, int precision) {
  char text[kNumberRoom];
  Append(std::string_view(text, FormatFixed(text, value, precision)));
}

void TextBuffer::AppendFixedWidth(double value, int width, int precision) {
  char text[kNumberRoom];
  std::string_view written(text, FormatFixed(text, value, precision));
  const int pad = width - static_cast<int>(written.size());
  // Zeros go between the sign and the digits; "inf" and "nan" take spaces in front instead.
  const char filler = std::isfinite(value) ? '0' : ' ';
  if (filler == '0' && written.front() == '-') {
    Append('-');
    written.remove_prefix(1);
  }
  for (int i = 0; i < pad; ++i) Append(filler);
  Append(written);
}

void TextBuffer::AppendDateTime(const DateTime& dt, char separator) {
  Append("20");
  AppendZeroPadded(dt.year, 2);
  Append('-');
  AppendZeroPadded(dt.month, 2);
  Append('-');
  AppendZeroPadded(dt.day, 2);
  Append(separator);
  AppendZeroPadded(dt.hour, 2);
  Append(':');
  AppendZeroPadded(dt.minute, 2);
  Append(':');
  AppendZeroPadded(dt.second, 2);
}

ExportFile::~ExportFile() {
  Discard();
}

Result<void> ExportFile::Create(const std::string& path) {
  Discard();
  error_ = 0;
  auto file = CreateHiddenFileBeside(path);
  if (!file) return file.Error();
  fd_ = file->fd.Release();
  temporaryPath_ = std::move(file->path);
  path_ = path;
  return {};
}

void ExportFile::Flush() {
  if (fd_ >= 0 && error_ == 0) {
    const char* at = Data();
    size_t left = Size();
    while (left > 0) {
      const ssize_t n = ::write(fd_, at, left);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error_ = n == 0 ? EIO : errno;
        break;
      }
      at += n;
      left -= static_cast<size_t>(n);
    }
  }
  Clear();
}

Result<void> ExportFile::Close() {
  if (fd_ < 0) return SystemFailure(EBADF);
  Flush();
  // On the disk before the rename, or a crash could leave an empty file under the export's name.
  if (error_ == 0 && ::fdatasync(fd_) != 0) error_ = errno;
  if (::close(fd_) != 0 && error_ == 0) error_ = errno;
  fd_ = -1;
  if (error_ == 0 && ::rename(temporaryPath_.c_str(), path_.c_str()) != 0) error_ = errno;
  if (error_ != 0) {
    ::unlink(temporaryPath_.c_str());
  } else {
    SyncFolderOf(path_);
  }
  temporaryPath_.clear();
  if (error_ != 0) return SystemFailure(error_);
  return {};
}

void ExportFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
  Clear();
}

}  // namespace tavrin
