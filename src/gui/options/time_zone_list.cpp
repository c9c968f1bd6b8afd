// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/options/time_zone_list.h"

#include <QTimeZone>
#include <algorithm>
#include <cstdlib>

namespace tavrin::gui {
namespace {

QString OffsetText(int offsetMinutes) {
  const int magnitude = std::abs(offsetMinutes);
  return QString::asprintf("(UTC%c%02d:%02d)", offsetMinutes < 0 ? '-' : '+', magnitude / 60,
                           magnitude % 60);
}

// Region zones ("Asia/Seoul"), UTC, and the computer's own zone whatever its name; the
// database's fixed "Etc/GMT+5" style entries and old system aliases only repeat offsets under
// confusing names.
bool IsOffered(const QByteArray& id) {
  if (id == "UTC" || id == QTimeZone::systemTimeZoneId()) return true;
  return id.contains('/') && !id.startsWith("Etc/") && !id.startsWith("SystemV/");
}

}  // namespace

TimeZoneEntry DescribeTimeZone(const QByteArray& id, const QDateTime& at) {
  const QTimeZone zone(id);
  TimeZoneEntry entry;
  entry.id = id;
  entry.standardName = QString::fromLatin1(id);
  const int offset = zone.isValid() ? zone.standardTimeOffset(at) / 60 : 0;
  entry.bias = -offset;
  entry.daylightBias = zone.isValid() && zone.hasDaylightTime() ? -60 : 0;
  entry.display = OffsetText(offset) + QLatin1Char(' ') + entry.standardName;
  return entry;
}

std::vector<TimeZoneEntry> TimeZoneList(const QDateTime& at, const QByteArray& alsoOffer) {
  std::vector<TimeZoneEntry> list;
  QList<QByteArray> ids = QTimeZone::availableTimeZoneIds();
  // The database's list may lack the name the computer's zone goes by ("Etc/UTC"), or the one
  // the user chose on a computer that had it.
  for (const QByteArray& id : {QTimeZone::systemTimeZoneId(), alsoOffer}) {
    if (!id.isEmpty() && QTimeZone(id).isValid() && !ids.contains(id)) ids.append(id);
  }
  for (const QByteArray& id : ids) {
    if (IsOffered(id) || (!alsoOffer.isEmpty() && id == alsoOffer)) {
      list.push_back(DescribeTimeZone(id, at));
    }
  }
  // West first: the largest bias; one offset's zones by name.
  std::stable_sort(list.begin(), list.end(), [](const TimeZoneEntry& a, const TimeZoneEntry& b) {
    if (a.bias != b.bias) return a.bias > b.bias;
    return a.standardName < b.standardName;
  });
  return list;
}

int IndexOfZone(const std::vector<TimeZoneEntry>& list, const QByteArray& id) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

std::string ListedZoneName(int index, const QDateTime& at) {
  if (index < 0) return {};
  const std::vector<TimeZoneEntry> list = TimeZoneList(at);
  if (static_cast<size_t>(index) >= list.size()) return {};
  return list[static_cast<size_t>(index)].id.toStdString();
}

int PreselectedIndex(const std::vector<TimeZoneEntry>& list, const TimeZoneEntry& system) {
  for (size_t i = 0; i < list.size(); ++i) {
    const TimeZoneEntry& e = list[i];
    if (e.bias == system.bias && e.standardBias == system.standardBias &&
        e.standardName == system.standardName) {
      return static_cast<int>(i);
    }
  }
  return 0;
}

TimeZoneEntry SystemTimeZone(const QDateTime& at) {
  return DescribeTimeZone(QTimeZone::systemTimeZoneId(), at);
}

}  // namespace tavrin::gui
