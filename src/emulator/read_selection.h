// SPDX-License-Identifier: GPL-3.0-or-later
// The six read commands and the points each one selects from the memory: all points, the new
// points, or the points of a period given in the command.
#pragma once

#include <string_view>
#include <vector>

#include "emulator/logger_memory.h"
#include "protocol/read_modes.h"

namespace tavrin::emulator {

// Odd modes carry points as binary frames, even modes as $GPRMC sentences.
bool IsBinaryMode(int mode);
bool IsNewMode(int mode);
bool IsPeriodMode(int mode);

// A period as the read command gives it: DDMMYY,hhmmss,DDMMYY,hhmmss, UTC, both ends included.
struct Period {
  DateTime from;
  DateTime to;
};
Period ParsePeriod(std::string_view fromDate, std::string_view fromTime, std::string_view toDate,
                   std::string_view toTime);
bool InPeriod(const DateTime& t, const Period& period);

// The points a read command of `mode` sends, in recording order. `fields` are the command's
// fields (field 0 the sentence name), consulted for the period of modes 7 and 8.
std::vector<TrackPoint> SelectPoints(const LoggerMemory& memory, int mode,
                                     const std::vector<std::string_view>& fields);

}  // namespace tavrin::emulator
