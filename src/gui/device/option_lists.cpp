// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/device/option_lists.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace tavrin::gui {
namespace {

constexpr int kSpeeds[] = {0, 1, 3, 5, 7, 10, 12, 15, 20, 25, 30, 40, 50};
constexpr int kTimes[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,   9,  10,
                          12, 15, 20, 30, 40, 50, 60, 90, 120, 180};
constexpr int kDistances[] = {0,   10,  20,  50,  70,  100, 150,  200,  250,  300,
                              400, 500, 600, 700, 800, 900, 1000, 1200, 1500, 2000};

}  // namespace

constexpr double kFeetPerMetre = 1 / 0.3048;

const OptionTable kSpeedOptions{kSpeeds, QT_TRANSLATE_NOOP("DevicePage", " %1 Km/h"),
                                QT_TRANSLATE_NOOP("DevicePage", " U-%1 Km/h"),
                                QT_TRANSLATE_NOOP("DevicePage", " (%1 mph)"),
                                1 / kKilometresPerMile};
const OptionTable kTimeOptions{kTimes, QT_TRANSLATE_NOOP("DevicePage", " %1 sec"),
                               QT_TRANSLATE_NOOP("DevicePage", " U-%1 sec")};
const OptionTable kDistanceOptions{kDistances, QT_TRANSLATE_NOOP("DevicePage", " %1 m"),
                                   QT_TRANSLATE_NOOP("DevicePage", " U-%1 m"),
                                   QT_TRANSLATE_NOOP("DevicePage", " (%1 ft)"), kFeetPerMetre};

void FillOptionList(QComboBox& list, const OptionTable& table, int value, Units units) {
  list.clear();
  const bool other = units == Units::Imperial && table.imperialFormat != nullptr;
  const auto text = [&](const char* format, int entry) {
    QString shown = QCoreApplication::translate("DevicePage", format).arg(entry);
    if (other) {
      shown += QCoreApplication::translate("DevicePage", table.imperialFormat)
                   .arg(std::lround(entry * table.imperialPerUnit));
    }
    return shown;
  };
  for (const int entry : table.values) list.addItem(text(table.format, entry), entry);
  const auto found = std::find(table.values.begin(), table.values.end(), value);
  if (found != table.values.end()) {
    list.setCurrentIndex(static_cast<int>(found - table.values.begin()));
    return;
  }
  list.addItem(text(table.userFormat, value), value);
  list.setCurrentIndex(list.count() - 1);
}

std::optional<int> ChosenTableValue(const QComboBox& list, const OptionTable& table) {
  const int index = list.currentIndex();
  if (index < 0 || index >= static_cast<int>(table.values.size())) return std::nullopt;
  return table.values[static_cast<size_t>(index)];
}

}  // namespace tavrin::gui
