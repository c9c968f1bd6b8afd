// SPDX-License-Identifier: GPL-3.0-or-later
// The core's texts in the window's language. A text the translation does not hold (most of those
// with a file name, a system error or figures in them) stays as the core wrote it, in English.
#pragma once

#include <QString>
#include <string>

#include "protocol/session_reports.h"

namespace tavrin::gui {

QString CoreText(const std::string& text);

// The words of a session's report, as the status line and the box show them.
QString ReportText(const SessionReport& report);

}  // namespace tavrin::gui
