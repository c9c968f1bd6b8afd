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

std::vector<TimeZoneEntry> TimeZoneList(const QDateTime& at) {
  std::vector<TimeZoneEntry> list;
  QList<QByteArray> ids = QTimeZone::availableTimeZoneIds();
  // The database's list may lack the name the computer's zone goes by ("Etc/UTC").
  const QByteArray system = QTimeZone::systemTimeZoneId();
  if (QTimeZone(system).isValid() && !ids.contains(system)) ids.append(system);
  for (const QByteArray& id : ids) {
    if (IsOffered(id)) list.push_back(DescribeTimeZone(id, at));
  }
  // West first: the largest bias; one offset's zones by name.
  std::stable_sort(list.begin(), list.end(), [](const TimeZoneEntry& a, const TimeZoneEntry& b) {
    if (a.bias != b.bias) return a.bias > b.bias;
    return a.standardName < b.standardName;
  });
  return list;
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
