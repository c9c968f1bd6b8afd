// SPDX-License-Identifier: GPL-3.0-or-later
// The units the lists, the graph and the logbook show distances and speeds in. What is stored,
// sent to the logger and exported keeps kilometres and km/h: only what is shown changes.
#pragma once

#include <optional>
#include <string_view>

namespace tavrin {

// The places in Software Options' Units list, as the settings file keeps them.
enum class Units { Metric = 0, Imperial = 1 };

inline constexpr double kKilometresPerMile = 1.609344;
inline constexpr double kMetresPerFoot = 0.3048;

// The units a stored Units index asks for; an index no entry has shows metric.
constexpr Units UnitsOf(int storedIndex) {
  return storedIndex == static_cast<int>(Units::Imperial) ? Units::Imperial : Units::Metric;
}

// "metric" or "imperial", as the command line's --units takes them; empty for another word.
std::optional<Units> ParseUnits(std::string_view word);

// Kilometres, or km/h, in the units shown.
constexpr double ShownDistance(double kilometres, Units units) {
  return units == Units::Imperial ? kilometres / kKilometresPerMile : kilometres;
}
constexpr double ShownSpeed(double kilometresPerHour, Units units) {
  return ShownDistance(kilometresPerHour, units);
}
// Back from the units shown to kilometres, for what the user types.
constexpr double KilometresFrom(double shown, Units units) {
  return units == Units::Imperial ? shown * kKilometresPerMile : shown;
}

}  // namespace tavrin
