// SPDX-License-Identifier: GPL-3.0-or-later
// How the logbook writes its dates, times and distances, the same in its rows, its CSV, its PDF
// and its file names.
#pragma once

#include <string>

#include "store/track_catalogue.h"

namespace tavrin::logbook {

// "2024-05-01".
std::string DateText(CalendarDate date);
// When a change was made: "2024-05-01 17:00 UTC".
std::string ChangedText(long long utc);
// The same instant for a file's name: "20240501-170000".
std::string FileTimeText(long long utc);
// Kilometres to a tenth: "12.4".
std::string KmText(double km);

}  // namespace tavrin::logbook
