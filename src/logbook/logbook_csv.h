// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook as CSV for spreadsheets: UTF-8, one header line, a row a trip, fields quoted where
// they hold a comma, a quote or a line break.
#pragma once

#include <string>

#include "logbook/trip_rows.h"

namespace tavrin::logbook {

std::string LogbookCsv(const LogbookReport& report);

// "2024-05-01" and "2024-05-01 17:00 UTC" as the logbook's texts write them.
std::string DateText(CalendarDate date);
std::string ChangedText(long long utc);

}  // namespace tavrin::logbook
