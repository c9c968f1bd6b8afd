// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook as pages: one page a month (a long month runs on to more pages), each with its
// trips, the month's totals per purpose and a line to sign; on Qt Gui alone, so that tavrin
// writes the same PDF as the window, and the window prints the same pages.
#pragma once

#include <QPagedPaintDevice>
#include <QString>

#include "base/result.h"
#include "logbook/trip_rows.h"

namespace tavrin::gui {

// Paints the report's pages on the device (a QPdfWriter, a QPrinter): the device's first page is
// the first month's; it gets a new page for each page after. `title` heads every page. The
// distances are shown in `units`.
void PaintLogbookPages(QPagedPaintDevice& device, const logbook::LogbookReport& report,
                       const QString& title, Units units = Units::Metric);

// Writes the report as a PDF file (A4); a failure says why.
Result<void> WriteLogbookPdf(const logbook::LogbookReport& report, const QString& path,
                             const QString& title, Units units = Units::Metric);

}  // namespace tavrin::gui
