// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/local_zone.h"

#include <cctz/civil_time.h>
#include <cctz/time_zone.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace tavrin {

using Instant = cctz::time_point<cctz::seconds>;

struct LocalZone::Rules {
  cctz::time_zone zone;
};

namespace {

constexpr int kFirstYear = 2000;  // the logger's two-digit years count from here
// How far the search for a zone's standard time goes from a date in summer time. Zones switch at
// least once a year; a zone in summer time for longer than this has no standard time to go by.
constexpr int kTransitionsSearched = 8;

Instant InstantOf(long long utcSeconds) {
  return Instant(cctz::seconds(utcSeconds));
}

cctz::civil_second CivilOf(const DateTime& dt) {
  return cctz::civil_second(kFirstYear + dt.year, dt.month, dt.day, dt.hour, dt.minute, dt.second);
}

DateTime DateTimeOf(const cctz::civil_second& cs) {
  return DateTime{static_cast<int>(cs.year()) - kFirstYear,
                  cs.month(),
                  cs.day(),
                  cs.hour(),
                  cs.minute(),
                  cs.second()};
}

// The offset of the nearest period of standard time before the instant, or after it when the
// zone has none before (a zone that began in summer time).
std::optional<int> NearestStandardOffsetSeconds(const cctz::time_zone& zone, Instant at) {
  cctz::time_zone::civil_transition change;
  Instant from = at;
  for (int i = 0; i < kTransitionsSearched && zone.prev_transition(from, &change); ++i) {
    from = zone.lookup(change.to).trans - cctz::seconds(1);
    const auto before = zone.lookup(from);
    if (!before.is_dst) return before.offset;
  }
  from = at;
  for (int i = 0; i < kTransitionsSearched && zone.next_transition(from, &change); ++i) {
    from = zone.lookup(change.to).trans;
    const auto after = zone.lookup(from);
    if (!after.is_dst) return after.offset;
  }
  return std::nullopt;
}

int StandardOffsetSeconds(const cctz::time_zone& zone, Instant at) {
  const auto now = zone.lookup(at);
  if (!now.is_dst) return now.offset;
  return NearestStandardOffsetSeconds(zone, at).value_or(now.offset);
}

// The zone's name from a path into the database: "/usr/share/zoneinfo/Europe/Berlin" gives
// "Europe/Berlin". Empty when the path does not lead into a zoneinfo folder.
std::string NameInDatabase(const std::string& path) {
  static const std::string kFolder = "zoneinfo/";
  const size_t at = path.rfind(kFolder);
  if (at == std::string::npos) return {};
  std::string name = path.substr(at + kFolder.size());
  // The database's variants keep the same names under posix/ (and right/, with leap seconds).
  for (const char* variant : {"posix/", "right/"}) {
    if (name.rfind(variant, 0) == 0) name.erase(0, std::char_traits<char>::length(variant));
  }
  return IsTimeZoneName(name) ? name : std::string();
}

std::string FirstLine(const char* path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
  return line;
}

}  // namespace

LocalZone::LocalZone() = default;

LocalZone LocalZone::Fixed(int offsetMinutes) {
  LocalZone zone;
  zone.fixedMinutes_ = offsetMinutes;
  return zone;
}

std::optional<LocalZone> LocalZone::Named(const std::string& name, bool summerTime) {
  if (!IsTimeZoneName(name)) return std::nullopt;
  cctz::time_zone loaded;
  if (!cctz::load_time_zone(name, &loaded)) return std::nullopt;
  LocalZone zone;
  zone.rules_ = std::make_shared<const Rules>(Rules{loaded});
  zone.name_ = name;
  zone.summerTime_ = summerTime;
  return zone;
}

int LocalZone::OffsetMinutesAt(long long utcSeconds) const {
  if (!rules_) return fixedMinutes_;
  const Instant at = InstantOf(utcSeconds);
  const int seconds =
      summerTime_ ? rules_->zone.lookup(at).offset : StandardOffsetSeconds(rules_->zone, at);
  return seconds / 60;
}

int LocalZone::StandardOffsetMinutesAt(long long utcSeconds) const {
  if (!rules_) return fixedMinutes_;
  return StandardOffsetSeconds(rules_->zone, InstantOf(utcSeconds)) / 60;
}

DateTime LocalZone::ToLocal(const DateTime& utc) const {
  if (!rules_) {
    DateTime shifted = utc;
    ShiftDateTime(shifted, TimeZoneOffset::FromMinutes(fixedMinutes_));
    return shifted;
  }
  if (!IsCalendarDateTime(utc)) return utc;
  const cctz::civil_second civil = CivilOf(utc);
  const Instant at = cctz::convert(civil, cctz::utc_time_zone());
  if (summerTime_) return DateTimeOf(rules_->zone.lookup(at).cs);
  return DateTimeOf(civil + StandardOffsetSeconds(rules_->zone, at));
}

DateTime6 LocalZone::ToLocal(const DateTime6& utc) const {
  return ToDateTime6(ToLocal(FromDateTime6(utc)));
}

std::string LocalZone::ClockName(const DateTime& utc) const {
  if (!rules_ || !IsCalendarDateTime(utc)) return {};
  return rules_->zone.lookup(cctz::convert(CivilOf(utc), cctz::utc_time_zone())).abbr;
}

std::string LocalZone::RepeatedClockName(const DateTime& utc) const {
  if (!rules_ || !summerTime_ || !IsCalendarDateTime(utc)) return {};
  const Instant at = cctz::convert(CivilOf(utc), cctz::utc_time_zone());
  const cctz::time_zone::absolute_lookup shown = rules_->zone.lookup(at);
  if (rules_->zone.lookup(shown.cs).kind != cctz::time_zone::civil_lookup::REPEATED) return {};
  return shown.abbr;
}

// One lookup of the instant gives both the clock time and its name: a listing asks this of
// every header.
DateTime6 LocalZone::ToLocal(const DateTime6& utc, std::string& repeatedClock) const {
  repeatedClock.clear();
  const DateTime dt = FromDateTime6(utc);
  if (!rules_ || !summerTime_ || !IsCalendarDateTime(dt)) return ToLocal(utc);
  const cctz::time_zone::absolute_lookup shown =
      rules_->zone.lookup(cctz::convert(CivilOf(dt), cctz::utc_time_zone()));
  if (rules_->zone.lookup(shown.cs).kind == cctz::time_zone::civil_lookup::REPEATED) {
    repeatedClock = shown.abbr;
  }
  return ToDateTime6(DateTimeOf(shown.cs));
}

DateTime LocalTimes::Of(const TrackPoint& point) {
  // Year, day, hour and minute of the packed word, and the month: what a zone can change.
  constexpr uint32_t kMinuteFields = 0x03FFFF7F;
  const uint64_t minute =
      (static_cast<uint64_t>(point.Month()) << 32) | (point.dateTime & kMinuteFields);
  if (minute != lastMinute_) {
    DateTime utc = point.GetDateTime();
    utc.second = 0;  // zones change their offsets on whole minutes
    shownMinute_ = zone_.ToLocal(utc);
    repeatedClock_ = zone_.RepeatedClockName(utc);
    lastMinute_ = minute;
  }
  DateTime shown = shownMinute_;
  shown.second = point.Second();
  return shown;
}

const std::string& LocalTimes::RepeatedClockName(const TrackPoint& point) {
  Of(point);
  return repeatedClock_;
}

TrackPoint LocalTimes::Shown(TrackPoint point) {
  point.SetDateTime(Of(point));
  return point;
}

bool IsTimeZoneName(const std::string& name) {
  if (name.empty() || name.size() > 64 || name.front() == '/' || name.back() == '/') return false;
  if (name.find("..") != std::string::npos || name.find("//") != std::string::npos) return false;
  for (const char c : name) {
    const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                         (c >= '0' && c <= '9') || c == '/' || c == '_' || c == '-' || c == '+';
    if (!allowed) return false;
  }
  return true;
}

bool ZoneHasSummerTime(const std::string& name) {
  cctz::time_zone loaded;
  if (!IsTimeZoneName(name) || !cctz::load_time_zone(name, &loaded)) return false;
  const Instant first =
      cctz::convert(cctz::civil_second(kFirstYear, 1, 1, 0, 0, 0), cctz::utc_time_zone());
  const Instant last = InstantOf(static_cast<long long>(std::time(nullptr)) + 366LL * 86400);
  if (loaded.lookup(first).is_dst) return true;
  cctz::time_zone::civil_transition change;
  for (Instant at = first; at < last && loaded.next_transition(at, &change);) {
    at = loaded.lookup(change.to).trans;
    if (at < last && loaded.lookup(at).is_dst) return true;
  }
  return false;
}

std::string SystemTimeZoneName() {
  if (const char* tz = std::getenv("TZ"); tz != nullptr) {
    std::string name = tz[0] == ':' ? tz + 1 : tz;
    if (name.empty()) return "UTC";  // the C library reads an empty TZ as UTC
    if (name.front() == '/') return NameInDatabase(name);
    return IsTimeZoneName(name) ? name : std::string();
  }
  std::error_code error;
  const std::filesystem::path link = std::filesystem::read_symlink("/etc/localtime", error);
  if (!error) {
    if (std::string name = NameInDatabase(link.string()); !name.empty()) return name;
  }
  // Debian keeps the name beside the file too.
  if (std::string name = FirstLine("/etc/timezone"); IsTimeZoneName(name)) return name;
  return std::filesystem::exists("/etc/localtime", error) ? "localtime" : "UTC";
}

}  // namespace tavrin
