// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/live_records.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>

#include "store/track_file_checks.h"

namespace tavrin {
namespace {

// The month lengths without a table, so that four lanes can work them out at once: months 1, 3,
// 5, 7, 8, 10 and 12 have 31 days; February 29 in years divisible by four (2000 is one, and the
// years end at 2099).
uint32_t MonthDays(uint32_t year, uint32_t month) {
  if (month == 2) return 28 + static_cast<uint32_t>((year & 3u) == 0);
  return 30 + ((month + (month >> 3)) & 1u);
}

uint32_t NotLive(const TrackPoint& record) {
  const uint32_t w = record.dateTime;
  const uint32_t year = w & 0x7Fu, month = record.monthFix & 0x0Fu, day = (w >> 8) & 0x3Fu;
  // A comparison with a NaN is false, so "not within" catches a NaN too.
  const uint32_t offGlobe = static_cast<uint32_t>(!(std::fabs(record.latitude) <= kMostLatitude)) |
                            static_cast<uint32_t>(!(std::fabs(record.longitude) <= kMostLongitude));
  return (record.mark & 0x80u) | (year > 99u) | (month - 1u >= 12u) | (day == 0) |
         (day > MonthDays(year, month)) | (((w >> 14) & 0x3Fu) > 23u) |
         (((w >> 20) & 0x3Fu) > 59u) | ((w >> 26) > 59u) | offGlobe;
}

// A live point's date-time as two keys that compare as the times do: the date, and the time of
// day. Together they need 33 bits, so they are compared one after the other.
uint32_t DateKey(const TrackPoint& r) {
  return (r.dateTime & 0x7Fu) << 9 | (r.monthFix & 0x0Fu) << 5 | ((r.dateTime >> 8) & 0x3Fu);
}

uint32_t ClockKey(const TrackPoint& r) {
  return ((r.dateTime >> 14) & 0x3Fu) << 12 | ((r.dateTime >> 20) & 0x3Fu) << 6 | r.dateTime >> 26;
}

bool GoesBack(const TrackPoint& before, const TrackPoint& after) {
  const uint32_t dateBefore = DateKey(before), dateAfter = DateKey(after);
  return dateBefore > dateAfter || (dateBefore == dateAfter && ClockKey(before) > ClockKey(after));
}

#if defined(__SSE2__)

// Four records with each of their words (month, fix and mark; latitude; date-time; longitude)
// gathered into a register of its own.
struct Lanes {
  __m128i first, latitude, dateTime, longitude;
};

Lanes Gather(const TrackPoint* r) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + 1));
  const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + 2));
  const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + 3));
  const __m128i abLow = _mm_unpacklo_epi32(a, b), cdLow = _mm_unpacklo_epi32(c, d);
  const __m128i abHigh = _mm_unpackhi_epi32(a, b), cdHigh = _mm_unpackhi_epi32(c, d);
  return {_mm_unpacklo_epi64(abLow, cdLow), _mm_unpackhi_epi64(abLow, cdLow),
          _mm_unpacklo_epi64(abHigh, cdHigh), _mm_unpackhi_epi64(abHigh, cdHigh)};
}

__m128i Field(__m128i word, int shift, int mask) {
  return _mm_and_si128(_mm_srli_epi32(word, shift), _mm_set1_epi32(mask));
}

// Lanes where the field is above `limit`; the fields are small, so signed compares serve.
__m128i Above(__m128i field, int limit) {
  return _mm_cmpgt_epi32(field, _mm_set1_epi32(limit));
}

// Lanes whose |value| is not within `limit`; "not less or equal" is true for a NaN as well.
__m128i NotWithin(__m128i value, float limit) {
  const __m128 magnitude =
      _mm_and_ps(_mm_castsi128_ps(value), _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF)));
  return _mm_castps_si128(_mm_cmpnle_ps(magnitude, _mm_set1_ps(limit)));
}

__m128i MonthDays4(__m128i year, __m128i month) {
  const __m128i one = _mm_set1_epi32(1);
  const __m128i longMonth = _mm_and_si128(_mm_add_epi32(month, _mm_srli_epi32(month, 3)), one);
  const __m128i leap = _mm_and_si128(
      _mm_cmpeq_epi32(_mm_and_si128(year, _mm_set1_epi32(3)), _mm_setzero_si128()), one);
  const __m128i february = _mm_cmpeq_epi32(month, _mm_set1_epi32(2));
  return _mm_or_si128(_mm_and_si128(february, _mm_add_epi32(_mm_set1_epi32(28), leap)),
                      _mm_andnot_si128(february, _mm_add_epi32(_mm_set1_epi32(30), longMonth)));
}

__m128i NotLive4(const Lanes& r) {
  const __m128i year = Field(r.dateTime, 0, 0x7F), month = Field(r.first, 0, 0x0F);
  const __m128i day = Field(r.dateTime, 8, 0x3F);
  const __m128i zero = _mm_setzero_si128();
  __m128i bad =
      _mm_or_si128(NotWithin(r.latitude, kMostLatitude), NotWithin(r.longitude, kMostLongitude));
  bad = _mm_or_si128(bad, _mm_cmplt_epi32(r.first, zero));  // deleted: the top bit
  bad = _mm_or_si128(bad, Above(year, 99));
  bad = _mm_or_si128(bad, _mm_or_si128(_mm_cmpeq_epi32(month, zero), Above(month, 12)));
  bad = _mm_or_si128(bad, _mm_cmpeq_epi32(day, zero));
  bad = _mm_or_si128(bad, _mm_cmpgt_epi32(day, MonthDays4(year, month)));
  bad = _mm_or_si128(bad, Above(Field(r.dateTime, 14, 0x3F), 23));
  bad = _mm_or_si128(bad, Above(Field(r.dateTime, 20, 0x3F), 59));
  return _mm_or_si128(bad, Above(_mm_srli_epi32(r.dateTime, 26), 59));
}

__m128i DateKey4(const Lanes& r) {
  return _mm_or_si128(_mm_or_si128(_mm_slli_epi32(Field(r.dateTime, 0, 0x7F), 9),
                                   _mm_slli_epi32(Field(r.first, 0, 0x0F), 5)),
                      Field(r.dateTime, 8, 0x3F));
}

__m128i ClockKey4(const Lanes& r) {
  return _mm_or_si128(_mm_or_si128(_mm_slli_epi32(Field(r.dateTime, 14, 0x3F), 12),
                                   _mm_slli_epi32(Field(r.dateTime, 20, 0x3F), 6)),
                      _mm_srli_epi32(r.dateTime, 26));
}

// Each lane's key beside the key of the record before it: the lanes move up by one and the last
// lane of the four records before comes in at the bottom.
__m128i KeysBefore(__m128i keys, __m128i keysOfTheFourBefore) {
  return _mm_or_si128(_mm_slli_si128(keys, 4), _mm_srli_si128(keysOfTheFourBefore, 12));
}

float Lowest(__m128 v) {
  v = _mm_min_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 0, 3, 2)));
  return _mm_cvtss_f32(_mm_min_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1))));
}

float Highest(__m128 v) {
  v = _mm_max_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 0, 3, 2)));
  return _mm_cvtss_f32(_mm_max_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1))));
}

// The records up to the last whole four: returns how many were looked at.
size_t LookOverFours(const TrackPoint* r, size_t count, LiveRecords& seen, uint32_t& bad,
                     uint32_t& back) {
  if (count < 4) return 0;
  __m128 south = _mm_set1_ps(seen.south), north = south;
  __m128 west = _mm_set1_ps(seen.west), east = west;
  __m128i dates = _mm_set1_epi32(static_cast<int>(DateKey(r[0])));
  __m128i clocks = _mm_set1_epi32(static_cast<int>(ClockKey(r[0])));
  __m128i anyBad = _mm_setzero_si128(), anyBack = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const Lanes lanes = Gather(r + i);
    anyBad = _mm_or_si128(anyBad, NotLive4(lanes));
    const __m128 latitude = _mm_castsi128_ps(lanes.latitude);
    const __m128 longitude = _mm_castsi128_ps(lanes.longitude);
    south = _mm_min_ps(south, latitude);
    north = _mm_max_ps(north, latitude);
    west = _mm_min_ps(west, longitude);
    east = _mm_max_ps(east, longitude);
    const __m128i date = DateKey4(lanes), clock = ClockKey4(lanes);
    const __m128i dateBefore = KeysBefore(date, dates), clockBefore = KeysBefore(clock, clocks);
    anyBack = _mm_or_si128(anyBack, _mm_cmpgt_epi32(dateBefore, date));
    anyBack = _mm_or_si128(anyBack, _mm_and_si128(_mm_cmpeq_epi32(dateBefore, date),
                                                  _mm_cmpgt_epi32(clockBefore, clock)));
    dates = date;
    clocks = clock;
  }
  seen.south = Lowest(south), seen.north = Highest(north);
  seen.west = Lowest(west), seen.east = Highest(east);
  bad |= static_cast<uint32_t>(_mm_movemask_epi8(anyBad));
  back |= static_cast<uint32_t>(_mm_movemask_epi8(anyBack));
  return i;
}

#else

size_t LookOverFours(const TrackPoint*, size_t, LiveRecords&, uint32_t&, uint32_t&) {
  return 0;
}

#endif

}  // namespace

bool AllLivePoints(const TrackPoint* records, size_t count) {
  size_t i = 0;
  uint32_t bad = 0;
#if defined(__SSE2__)
  __m128i any = _mm_setzero_si128();
  for (; i + 4 <= count; i += 4) any = _mm_or_si128(any, NotLive4(Gather(records + i)));
  bad = static_cast<uint32_t>(_mm_movemask_epi8(any));
#endif
  for (; i < count; ++i) bad |= NotLive(records[i]);
  return bad == 0;
}

LiveRecords LookOverRecords(const TrackPoint* records, size_t count) {
  LiveRecords seen;
  seen.south = seen.north = records[0].latitude;
  seen.west = seen.east = records[0].longitude;
  uint32_t bad = 0, back = 0;
  size_t i = LookOverFours(records, count, seen, bad, back);
  for (; i < count; ++i) {
    const TrackPoint& r = records[i];
    bad |= NotLive(r);
    if (i > 0) back |= static_cast<uint32_t>(GoesBack(records[i - 1], r));
    seen.south = std::min(seen.south, r.latitude), seen.north = std::max(seen.north, r.latitude);
    seen.west = std::min(seen.west, r.longitude), seen.east = std::max(seen.east, r.longitude);
  }
  seen.allLive = bad == 0;
  seen.inTimeOrder = back == 0;
  return seen;
}

}  // namespace tavrin
