// SPDX-License-Identifier: GPL-3.0-or-later
// A memory of a few realistic days around one city, the same on every run: three days of two to
// four drives each, one point a second, each drive beginning with a track start and separated
// from the next by hours. The last day's drives have not been read yet.
#pragma once

#include "emulator/logger_memory.h"

namespace tavrin::emulator {

LoggerMemory DemoMemory();

}  // namespace tavrin::emulator
