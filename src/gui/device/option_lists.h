// SPDX-License-Identifier: GPL-3.0-or-later
// The three save-option lists of the device page: each offers its table of values, and a value
// the logger holds that is not in the table gets one more entry, " U-<value> ...". The texts
// are translated as the device page's own.
#pragma once

#include <QComboBox>
#include <optional>
#include <span>

#include "base/units.h"

namespace tavrin::gui {

struct OptionTable {
  std::span<const int> values;
  // " %1 Km/h", " U-%1 Km/h": the entries' texts, translated where the list is filled.
  const char* format;
  const char* userFormat;
  // What a value is in the other units, after it in brackets when they are shown: " (7 mph)".
  const char* imperialFormat = nullptr;
  double imperialPerUnit = 0;
};

extern const OptionTable kSpeedOptions;
extern const OptionTable kTimeOptions;
extern const OptionTable kDistanceOptions;

// Refills `list` with the table and selects `value`, adding its "U-" entry when the table has no
// such value.
// The logger keeps km/h and metres, so the entries say those; with Imperial units shown, the
// entries of speeds and distances say the value in mph or feet too.
void FillOptionList(QComboBox& list, const OptionTable& table, int value,
                    Units units = Units::Metric);
// The chosen value when it is one of the table's; empty for the "U-" entry or no selection.
std::optional<int> ChosenTableValue(const QComboBox& list, const OptionTable& table);

}  // namespace tavrin::gui
