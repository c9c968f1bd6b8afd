// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook as CSV for spreadsheets: UTF-8, one header line, a row a trip, fields quoted where
// they hold a comma, a quote or a line break. The last column, Track, marks a trip whose track
// was deleted or is missing; its km column keeps the kilometres its entry kept.
#pragma once

#include <string>

#include "logbook/logbook_texts.h"
#include "logbook/trip_rows.h"

namespace tavrin::logbook {

std::string LogbookCsv(const LogbookReport& report);

}  // namespace tavrin::logbook
