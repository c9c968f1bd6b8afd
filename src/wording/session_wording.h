// SPDX-License-Identifier: GPL-3.0-or-later
// The words of the session's reports, as the window and the command line show them. The session
// reports kinds with figures (protocol/session_reports.h); this is the one place that turns them
// into English, so the window can translate here and both front ends say the same thing.
#pragma once

#include <string>

#include "protocol/session_reports.h"

namespace tavrin {

// The text of `report`, as the status line and the box show it.
std::string SessionReportText(const SessionReport& report);

// "after 3 sectors", for messages about a read that stopped.
std::string SectorsText(int sectors);

// One sentence on what a read saved, with the stored copies it kept, for the messages that end a
// read early.
std::string SavedSummary(const ReadFigures& read);

}  // namespace tavrin
