// SPDX-License-Identifier: GPL-3.0-or-later
// The text the exports produce and the file it goes to. A track of a million points becomes
// hundreds of megabytes of KML, so numbers are formatted with std::to_chars straight into one
// growing buffer that is written out in large blocks. Every Append... gives the same characters
// as the printf conversion named beside it.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "store/track_point.h"

namespace tavrin {

class TextBuffer {
 public:
  // The two appends run for nearly every piece of every line, so they are inline.
  void Append(std::string_view text) {
    if (!text.empty()) std::memcpy(Extend(text.size()), text.data(), text.size());
  }
  void Append(char c) { *Extend(1) = c; }
  void AppendInt(long long value);                    // %d
  void AppendZeroPadded(long long value, int width);  // %0<width>d
  void AppendDigits(long long value, int digits);     // %.<digits>d
  void AppendFixed(double value, int precision);      // %.<precision>f
  // "%f<between>%f": a pair of coordinates.
  void AppendCoordinates(double first, std::string_view between, double second) {
    AppendFixed(first, 6);
    Append(between);
    AppendFixed(second, 6);
  }
  // %0<width>.<precision>f; infinities and NaN are padded with spaces, as printf does.
  void AppendFixedWidth(double value, int width, int precision);
  // "20yy-mm-dd" + separator + "hh:mm:ss", each field %02d.
  void AppendDateTime(const DateTime& dt, char separator);

  std::string_view View() const { return {data_.data(), size_}; }
  size_t Size() const { return size_; }
  char* Data() { return data_.data(); }
  void Clear() { size_ = 0; }

 private:
  // Room for `count` more characters; returns where they go and counts them as written.
  char* Extend(size_t count) {
    if (size_ + count > data_.size()) Grow(count);
    char* at = data_.data() + size_;
    size_ += count;
    return at;
  }
  void Grow(size_t count);

  std::vector<char> data_;
  size_t size_ = 0;
};

// The file of one export. Text collects in the buffer and is written whenever a writer finishes
// a piece and the buffer has grown past a block. It all goes to a hidden temporary file beside
// the export, which replaces the export only once it is complete and on the disk: a failed
// re-export (a full disk, a cancelled command) leaves the earlier export of that name as it was.
// A failed write is remembered and reported by Close, so a full disk never passes for a finished
// export.
class ExportFile : public TextBuffer {
 public:
  ExportFile() = default;
  ~ExportFile();
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;

  // Starts the file that will become `path`.
  Result<void> Create(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // Writes the buffer out once it holds a block. Writers call it between pieces only, so a
  // piece may look back at its own characters (the NMEA checksum does).
  void EndPiece() {
    if (Size() >= kBlockSize) Flush();
  }
  // Writes what is left, puts it on the disk and moves it to the path given to Create. On a
  // failure any earlier file at the path is untouched.
  Result<void> Close();
  // Drops an unfinished file; the path keeps what it held before.
  void Discard();

 private:
  static constexpr size_t kBlockSize = 1 << 20;
  void Flush();

  int fd_ = -1;
  int error_ = 0;
  std::string path_;
  std::string temporaryPath_;
};

}  // namespace tavrin
