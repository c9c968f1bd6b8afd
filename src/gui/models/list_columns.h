// SPDX-License-Identifier: GPL-3.0-or-later
// What the window's track and point lists call their columns, how wide each starts and how its
// cells are aligned: the window's own words, next to the models that show them.
#pragma once

#include <QString>
#include <array>

#include "base/units.h"

namespace tavrin::gui {

enum class ColumnAlign { Left, Centre };

struct ListColumn {
  const char* title;
  int width;
  ColumnAlign align;
};

extern const std::array<ListColumn, 7> kEntryColumns;
extern const std::array<ListColumn, 8> kPointColumns;

// A column's title in the window's language.
QString ColumnTitle(const ListColumn& column);
// The point list's "Speed" in the units shown: as it stands in km/h, "Speed (mph)" in mph.
QString SpeedColumnTitle(Units units);

}  // namespace tavrin::gui
