// SPDX-License-Identifier: GPL-3.0-or-later
// The user's time zone: what the store adds to the UTC date-times of points and headers when it
// shows them. A zone of the IANA time-zone database gives each date the offset that zone had on
// it (summer time included); a fixed offset gives one offset all year.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "store/track_point.h"

namespace tavrin {

class LocalZone {
 public:
  // UTC all year.
  LocalZone();
  // One offset all year, in minutes east of UTC.
  static LocalZone Fixed(int offsetMinutes);
  // The zone of that name in the time-zone database, or nothing when the database has none.
  // Without summer time the zone's standard offset applies all year.
  static std::optional<LocalZone> Named(const std::string& name, bool summerTime);

  // The database's name; empty for a fixed offset.
  const std::string& Name() const { return name_; }
  bool SummerTime() const { return summerTime_; }

  // Minutes east of UTC at an instant (seconds since 1970-01-01 00:00:00 UTC).
  int OffsetMinutesAt(long long utcSeconds) const;
  // The offset the zone has at that instant when summer time is left out.
  int StandardOffsetMinutesAt(long long utcSeconds) const;

  // The UTC date-time as a clock in this zone shows it. A date-time the calendar does not have
  // names no instant and so has no offset in a database zone: it is left as it is there (a fixed
  // offset still moves it, field by field).
  DateTime ToLocal(const DateTime& utc) const;
  DateTime6 ToLocal(const DateTime6& utc) const;
  // The zone's abbreviation at the instant ("EDT", "EST") when the clock time it shows comes
  // twice (the hour summer time's end repeats), so that the two can be told apart; else empty.
  std::string RepeatedClockName(const DateTime& utc) const;
  // The zone's abbreviation at the instant; empty for a fixed offset.
  std::string ClockName(const DateTime& utc) const;
  // A header's date-time in the zone, and in `repeatedClock` its RepeatedClockName.
  DateTime6 ToLocal(const DateTime6& utc, std::string& repeatedClock) const;

 private:
  struct Rules;

  std::shared_ptr<const Rules> rules_;  // null for a fixed offset
  std::string name_;
  bool summerTime_ = false;
  int fixedMinutes_ = 0;
};

// Shows the UTC date-times of many points in a zone. Neighbouring points of a track share their
// date, hour and minute, so the zone is asked once per minute of UTC, not once per point.
class LocalTimes {
 public:
  explicit LocalTimes(LocalZone zone) : zone_(std::move(zone)) {}

  // The point's date-time in the zone.
  DateTime Of(const TrackPoint& point);
  // The point with its calendar fields in the zone; everything else as it was.
  TrackPoint Shown(TrackPoint point);
  // The zone's RepeatedClockName for the point; asked of the zone once per minute with Of.
  const std::string& RepeatedClockName(const TrackPoint& point);

 private:
  LocalZone zone_;
  uint64_t lastMinute_ = ~uint64_t{0};  // the UTC fields above the second; no point has all set
  DateTime shownMinute_;                // that minute in the zone, at second 0
  std::string repeatedClock_;           // and its name in the hour summer time's end repeats
};

// The zone names the settings may hold: the database's own ("Europe/Berlin", "UTC"), never a path
// that would leave the database's folder.
bool IsTimeZoneName(const std::string& name);

// Whether the zone keeps summer time in any year a logger can record (2000 on) up to a year from
// now. False for a name the database does not know.
bool ZoneHasSummerTime(const std::string& name);

// The computer's own zone: the name in TZ, else the zone /etc/localtime stands for ("localtime"
// when its name cannot be told), else "UTC". Empty when TZ holds something that is no zone name
// (a POSIX rule such as "EST5EDT,M3.2.0,M11.1.0", or a file outside the database).
std::string SystemTimeZoneName();

}  // namespace tavrin
