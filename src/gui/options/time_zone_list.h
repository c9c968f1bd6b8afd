// SPDX-License-Identifier: GPL-3.0-or-later
// The time zones the Software Options dialog offers, from the IANA time-zone database: each with
// its standard offset as a bias (minutes west of UTC, as the settings keep it), sorted from the
// furthest west to the furthest east and, within one offset, by name.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <string>
#include <vector>

namespace tavrin::gui {

struct TimeZoneEntry {
  QByteArray id;         // "Asia/Seoul"
  QString display;       // "(UTC+09:00) Asia/Seoul"
  QString standardName;  // what sorts zones of one offset, and what the system's zone matches
  int bias = 0;          // minus the standard offset, in minutes
  int standardBias = 0;  // always 0: the bias is the standard offset already
  int daylightBias = 0;  // -60 where the zone keeps daylight-saving time, else 0
};

// The entry of one zone as it stands at `at` (offsets change over the years).
TimeZoneEntry DescribeTimeZone(const QByteArray& id, const QDateTime& at);

// Every region zone of the database (and UTC), sorted; with `alsoOffer` among them when the
// database knows it (the user's saved zone, whatever its name).
std::vector<TimeZoneEntry> TimeZoneList(const QDateTime& at, const QByteArray& alsoOffer = {});

// The place of the zone of that name in the list; -1 when it is not there.
int IndexOfZone(const std::vector<TimeZoneEntry>& list, const QByteArray& id);

// The name of the zone at `index` of the list as the Software Options dialog shows it today;
// empty when the list has no such place. Settings saved before zones were kept by name know their
// zone only by that place.
std::string ListedZoneName(int index, const QDateTime& at);

// The first entry that matches `system` in bias, standard bias and standard name; 0 when none.
int PreselectedIndex(const std::vector<TimeZoneEntry>& list, const TimeZoneEntry& system);

// The computer's own zone (TZ or /etc/localtime).
TimeZoneEntry SystemTimeZone(const QDateTime& at);

}  // namespace tavrin::gui
