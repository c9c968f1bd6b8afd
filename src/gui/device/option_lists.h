// SPDX-License-Identifier: GPL-3.0-or-later
// The three save-option lists of the device page: each offers its table of values, and a value
// the logger holds that is not in the table gets one more entry, " U-<value> ...".
#pragma once

#include <QComboBox>
#include <optional>
#include <span>

namespace tavrin::gui {

struct OptionTable {
  std::span<const int> values;
  const char* format;      // " %d Km/h"
  const char* userFormat;  // " U-%d Km/h"
};

extern const OptionTable kSpeedOptions;
extern const OptionTable kTimeOptions;
extern const OptionTable kDistanceOptions;

// Refills `list` with the table and selects `value`, adding its "U-" entry when the table has no
// such value.
void FillOptionList(QComboBox& list, const OptionTable& table, int value);
// The chosen value when it is one of the table's; empty for the "U-" entry or no selection.
std::optional<int> ChosenTableValue(const QComboBox& list, const OptionTable& table);

}  // namespace tavrin::gui
