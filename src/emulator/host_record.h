// SPDX-License-Identifier: GPL-3.0-or-later
// What the host stores for a point of the logger's memory, so that tests can compare downloaded
// track files record for record with the memory they came from.
#pragma once

#include "store/track_point.h"

namespace tavrin::emulator {

// The record the host keeps after receiving `point` in read mode `mode`. Binary frames know only
// "track start" and "fix", so fix kinds 1-3 come back as 3; $GPRMC knows S, V and A, so 2 and 3
// come back as 3 and 1 stays 1. Bit 6 of byte 0 is set, every reserved bit and the deleted mark
// are clear.
TrackPoint HostRecord(const TrackPoint& point, int mode);

}  // namespace tavrin::emulator
