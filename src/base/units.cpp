// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/units.h"

namespace tavrin {

std::optional<Units> ParseUnits(std::string_view word) {
  if (word == "metric") return Units::Metric;
  if (word == "imperial") return Units::Imperial;
  return std::nullopt;
}

}  // namespace tavrin
