// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/memory_file.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace tavrin::emulator {

namespace {

using nlohmann::json;

// Raised while reading a memory file; turned into MemoryResult::error at the top.
class BadMemory : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr const char* kKeys[] = {"memoryMbit",     "pointsPerSector", "saveBySpeed", "saveByTime",
                                 "saveByDistance", "notes",           "newFrom",     "points"};
constexpr const char* kPointKeys[] = {"time", "lat", "lon", "speed", "heading", "fix"};
constexpr const char* kFixNames[] = {"start", "nofix", "2d", "fix"};

template <size_t N>
void RejectUnknownKeys(const json& object, const char* const (&known)[N],
                       const std::string& where) {
  for (const auto& item : object.items()) {
    bool found = false;
    for (const char* key : known) found = found || item.key() == key;
    if (!found) {
      std::string list;
      for (const char* key : known) list += std::string(list.empty() ? "" : ", ") + key;
      throw BadMemory(where + "unknown key \"" + item.key() + "\" (known keys: " + list + ")");
    }
  }
}

long long Integer(const json& object, const char* key, long long low, long long high,
                  long long fallback, const std::string& where) {
  if (!object.contains(key)) return fallback;
  const json& value = object[key];
  if (!value.is_number_integer() || value.get<long long>() < low || value.get<long long>() > high) {
    throw BadMemory(where + "\"" + key + "\" must be a whole number from " + std::to_string(low) +
                    " to " + std::to_string(high) + ", found " + value.dump());
  }
  return value.get<long long>();
}

double Number(const json& object, const char* key, double low, double high,
              const std::string& where) {
  if (!object.contains(key)) throw BadMemory(where + "\"" + key + "\" is missing");
  const json& value = object[key];
  if (!value.is_number() || value.get<double>() < low || value.get<double>() > high) {
    throw BadMemory(where + "\"" + key + "\" must be a number from " + std::to_string(int(low)) +
                    " to " + std::to_string(int(high)) + ", found " + value.dump());
  }
  return value.get<double>();
}

DateTime ParseTime(const json& point, const std::string& where) {
  const std::string hint =
      "\"time\" must be a UTC time like 2024-05-01T08:00:00Z from year 2000 "
      "to 2099, found ";
  if (!point.contains("time")) throw BadMemory(where + "\"time\" is missing");
  if (!point["time"].is_string()) throw BadMemory(where + hint + point["time"].dump());
  const std::string text = point["time"].get<std::string>();
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
  const bool parsed = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ%n", &y, &mo, &d, &h, &mi,
                                  &s, &used) == 6 &&
                      used == static_cast<int>(text.size());
  const DateTime time{y - 2000, mo, d, h, mi, s};
  if (!parsed || !IsCalendarDateTime(time)) throw BadMemory(where + hint + "\"" + text + "\"");
  return time;
}

int ParseFix(const json& point, const std::string& where) {
  if (!point.contains("fix")) return kFix3D;
  const json& value = point["fix"];
  for (int kind = 0; kind < 4; ++kind) {
    if (value.is_string() && value.get<std::string>() == kFixNames[kind]) return kind;
  }
  throw BadMemory(where + "\"fix\" must be \"start\", \"nofix\", \"2d\" or \"fix\", found " +
                  value.dump());
}

TrackPoint ParsePoint(const json& point, size_t index) {
  const std::string where = "points[" + std::to_string(index) + "]: ";
  if (!point.is_object()) throw BadMemory(where + "a point must be an object");
  RejectUnknownKeys(point, kPointKeys, where);
  const DateTime time = ParseTime(point, where);
  const double lat = Number(point, "lat", -90, 90, where);
  const double lon = Number(point, "lon", -180, 180, where);
  const auto speed = Integer(point, "speed", 0, 255, 0, where);
  const auto heading = Integer(point, "heading", 0, 359, 0, where);
  return MakePoint(time, ParseFix(point, where), static_cast<float>(lat), static_cast<float>(lon),
                   static_cast<int>(speed), static_cast<int>(heading));
}

std::array<std::string, kNoteGroupCount> ParseNotes(const json& root) {
  std::array<std::string, kNoteGroupCount> notes;
  if (!root.contains("notes")) return notes;
  const json& list = root["notes"];
  if (!list.is_array() || list.size() > kNoteGroupCount) {
    throw BadMemory("\"notes\" must be a list of at most four texts");
  }
  for (size_t i = 0; i < list.size(); ++i) {
    if (!list[i].is_string() || !IsValidNoteGroup(list[i].get<std::string>())) {
      throw BadMemory("notes[" + std::to_string(i) +
                      "] must be up to five ASCII letters or digits, found " + list[i].dump());
    }
    notes[i] = list[i].get<std::string>();
  }
  return notes;
}

std::vector<TrackPoint> ParsePoints(const json& root, uint32_t memoryMbit, uint32_t capacity) {
  std::vector<TrackPoint> points;
  if (!root.contains("points")) return points;
  const json& list = root["points"];
  if (!list.is_array()) throw BadMemory("\"points\" must be a list of points");
  if (list.size() > capacity) {
    throw BadMemory("the file holds " + std::to_string(list.size()) + " points, more than the " +
                    std::to_string(capacity) + " a " + std::to_string(memoryMbit) +
                    " Mbit logger holds; raise \"memoryMbit\" or remove points");
  }
  points.reserve(list.size());
  for (const json& point : list) points.push_back(ParsePoint(point, points.size()));
  return points;
}

LoggerMemory ParseMemory(const json& root) {
  if (!root.is_object()) throw BadMemory("the file must hold one JSON object");
  RejectUnknownKeys(root, kKeys, "");
  LoggerMemory m;
  m.memoryMbit = static_cast<uint32_t>(Integer(root, "memoryMbit", 8, 128, 32, ""));
  if (!IsValidMemorySize(m.memoryMbit)) {
    throw BadMemory("\"memoryMbit\" must be 8, 16, 32, 64 or 128, found " +
                    std::to_string(m.memoryMbit));
  }
  m.pointsPerSector = static_cast<uint32_t>(
      Integer(root, "pointsPerSector", 1, 1 << 20, kDefaultPointsPerSector, ""));
  m.options.bySpeed = static_cast<uint8_t>(Integer(root, "saveBySpeed", 0, 255, 0, ""));
  m.options.byTime = static_cast<uint8_t>(Integer(root, "saveByTime", 0, 255, 1, ""));
  m.options.byDistance = static_cast<uint16_t>(Integer(root, "saveByDistance", 0, 65535, 0, ""));
  m.notes = ParseNotes(root);
  m.points = ParsePoints(root, m.memoryMbit, m.Capacity());
  m.newFrom = static_cast<size_t>(
      Integer(root, "newFrom", 0, static_cast<long long>(m.points.size()), 0, ""));
  return m;
}

// The shortest decimal that reads back as the same single-precision value, so files show 37.5665
// rather than 37.56650161743164.
double ShortestDecimal(float value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text - 1, value);
  *result.ptr = '\0';
  const double shortest = std::strtod(text, nullptr);
  return static_cast<float>(shortest) == value ? shortest : static_cast<double>(value);
}

std::string TimeText(const TrackPoint& p) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", 2000 + p.Year(), p.Month(),
                p.Day(), p.Hour(), p.Minute(), p.Second());
  return text;
}

nlohmann::ordered_json PointJson(const TrackPoint& p) {
  nlohmann::ordered_json j;
  j["time"] = TimeText(p);
  j["lat"] = ShortestDecimal(p.latitude);
  j["lon"] = ShortestDecimal(p.longitude);
  j["speed"] = p.speed;
  j["heading"] = p.HeadingDegrees();
  j["fix"] = kFixNames[p.FixKind()];
  return j;
}

}  // namespace

MemoryResult ParseMemoryJson(std::string_view text) {
  try {
    return MemoryResult{ParseMemory(json::parse(text)), {}};
  } catch (const json::parse_error& e) {
    // Keep nlohmann's position and reason, without its internal exception name.
    std::string what = e.what();
    if (const size_t cut = what.find("] "); cut != std::string::npos) what.erase(0, cut + 2);
    return MemoryResult{std::nullopt, "not valid JSON: " + what};
  } catch (const BadMemory& e) {
    return MemoryResult{std::nullopt, e.what()};
  } catch (const json::exception& e) {
    return MemoryResult{std::nullopt, std::string("unreadable memory: ") + e.what()};
  }
}

MemoryResult LoadMemoryFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return MemoryResult{std::nullopt, "cannot open memory file " + path.string() +
                                          ": check the path and that the file is readable"};
  }
  std::ostringstream text;
  text << in.rdbuf();
  MemoryResult result = ParseMemoryJson(text.str());
  if (!result.memory) result.error = "memory file " + path.string() + ": " + result.error;
  return result;
}

std::string MemoryToJson(const LoggerMemory& m) {
  nlohmann::ordered_json head;
  head["memoryMbit"] = m.memoryMbit;
  head["pointsPerSector"] = m.pointsPerSector;
  head["saveBySpeed"] = m.options.bySpeed;
  head["saveByTime"] = m.options.byTime;
  head["saveByDistance"] = m.options.byDistance;
  head["notes"] = m.notes;
  head["newFrom"] = m.newFrom;
  std::string out = "{\n";
  for (const auto& item : head.items()) {
    out += "  \"" + item.key() + "\": " + item.value().dump() + ",\n";
  }
  // One point a line keeps a file of thousands of points readable and easy to diff.
  out += "  \"points\": [";
  for (size_t i = 0; i < m.points.size(); ++i) {
    out += (i == 0 ? "\n    " : ",\n    ") + PointJson(m.points[i]).dump();
  }
  out += m.points.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return out;
}

bool SaveMemoryFile(const LoggerMemory& memory, const std::filesystem::path& path,
                    std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << MemoryToJson(memory);
  out.close();
  if (!out) {
    error = "cannot write memory file " + path.string() +
            ": check that its folder exists and is writable";
    return false;
  }
  return true;
}

}  // namespace tavrin::emulator
