// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar date of a count of days since 1970-01-01, in the proleptic Gregorian calendar, by
// arithmetic alone: no time zone, no C library call and its locking, for code that turns
// millions of UTC seconds into dates.
#pragma once

namespace tavrin {

struct CivilDate {
  long long year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
};

// Howard Hinnant's civil_from_days.
constexpr CivilDate CivilDateOfDays(long long days) {
  const long long z = days + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long dayOfEra = z - era * 146097;
  const long long yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long mp = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return CivilDate{yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// Days from 1970-01-01 to a date (Howard Hinnant's days_from_civil). A day past its month's end
// counts on into the next month (February 31 is March 2 or 3), as timegm() counts it.
constexpr long long DaysOfCivilDate(long long year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// The whole days since 1970 before `utcSeconds`, rounded down also before 1970.
constexpr long long DaysOfSeconds(long long utcSeconds) {
  return (utcSeconds >= 0 ? utcSeconds : utcSeconds - 86399) / 86400;
}

static_assert(CivilDateOfDays(0).year == 1970 && CivilDateOfDays(0).day == 1);
static_assert(CivilDateOfDays(19723).year == 2024 && CivilDateOfDays(19723).month == 1 &&
              CivilDateOfDays(19723).day == 1);
static_assert(CivilDateOfDays(19782).month == 2 && CivilDateOfDays(19782).day == 29);
static_assert(DaysOfCivilDate(1970, 1, 1) == 0 && DaysOfCivilDate(2024, 1, 1) == 19723);
static_assert(DaysOfCivilDate(2024, 2, 31) == DaysOfCivilDate(2024, 3, 2));
static_assert(DaysOfCivilDate(1969, 12, 31) == -1);
static_assert(CivilDateOfDays(-1).year == 1969 && CivilDateOfDays(-1).month == 12 &&
              CivilDateOfDays(-1).day == 31);

}  // namespace tavrin
