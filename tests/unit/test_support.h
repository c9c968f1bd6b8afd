// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers for the unit tests: a temporary folder, list and message recorders, and a way
// to write track files byte by byte.
#pragma once

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/message_box.h"
#include "store/track_rows.h"
#include "store/track_store.h"

namespace tavrin {

inline void PrintTo(const DateTime& t, std::ostream* os) {
  *os << FormatDateTime(t);
}
inline void PrintTo(const TimeZoneOffset& o, std::ostream* os) {
  *os << o.hours << " h " << o.minutes << " min";
}

}  // namespace tavrin

namespace tavrin::test {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrin-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Sets TZ for the life of the object and restores the previous zone afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ScopedTimeZone() {
    ::setenv("TZ", old_.c_str(), 1);
    ::tzset();
  }

 private:
  std::string old_ = "UTC";
};

struct MessageLog {
  std::vector<std::string> texts;
  MessageBoxFn Fn() {
    return [this](const std::string& text, MsgIcon, MsgButtons) {
      texts.push_back(text);
      return MsgAnswer::Ok;
    };
  }
};

class EntryRowsRecorder : public IEntryRows {
 public:
  void RemoveAllRows() override { rows.clear(); }
  int RowCount() const override { return static_cast<int>(rows.size()); }
  void InsertRow(int index, const RowFigures& entry, int number) override {
    rows.insert(rows.begin() + index, EntryRowTexts(entry, number));
  }
  std::vector<EntryRow> rows;
};

class PointRowsRecorder : public IPointRows {
 public:
  void RemoveAllRows() override { rows.clear(); }
  void AppendPointRows(std::span<const TrackPoint> points, int firstNumber,
                       const LocalZone& zone) override {
    LocalTimes shown(zone);
    for (size_t i = 0; i < points.size(); ++i) {
      rows.push_back(PointRowTexts(shown.Shown(points[i]), firstNumber + static_cast<int>(i)));
    }
  }
  std::vector<PointRow> rows;
};

inline TrackPoint Point(int year, int month, int day, int hour, int minute, int second,
                        float lat = 37.5f, float lon = 127.0f, int fix = kFix3D) {
  return MakePoint(DateTime{year, month, day, hour, minute, second}, fix, lat, lon, 40, 90);
}

inline TrackHeader Header(const TrackPoint& first, uint32_t count, uint32_t elapsed,
                          uint32_t distance) {
  TrackHeader h;
  h.marker = kTrackMarker;
  h.memorySize = 32;
  h.saveBySpeed = 12;
  h.saveByTime = 1;
  h.pointCount = count;
  h.elapsedSeconds = elapsed;
  h.distance = distance;
  h.firstDateTime = ToDateTime6(first.GetDateTime());
  h.saveByDistance = 100;
  return h;
}

// Writes a header and the given records exactly as they stand.
inline void WriteTrackFile(const std::string& path, TrackHeader header,
                           const std::vector<TrackPoint>& points) {
  if (!points.empty()) header.lastDateTime = ToDateTime6(points.back().GetDateTime());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(points.data()),
            static_cast<std::streamsize>(points.size() * sizeof(TrackPoint)));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tavrin::test
