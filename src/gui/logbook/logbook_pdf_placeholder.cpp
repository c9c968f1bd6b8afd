// SPDX-License-Identifier: GPL-3.0-or-later
// placeholder, replaced when merged: the logbook's pages are painted by logbook_pdf.cpp, which
// this file stands in for so that the window links meanwhile. It writes the title only.
#include <QPainter>
#include <QPdfWriter>

#include "gui/logbook/logbook_pdf.h"

namespace tavrin::gui {

void PaintLogbookPages(QPagedPaintDevice& device, const logbook::LogbookReport&,
                       const QString& title) {
  QPainter painter(&device);
  painter.drawText(QRect(0, 0, device.width(), device.height() / 10), Qt::AlignCenter, title);
}

Result<void> WriteLogbookPdf(const logbook::LogbookReport& report, const QString& path,
                             const QString& title) {
  QPdfWriter writer(path);
  writer.setPageSize(QPageSize(QPageSize::A4));
  PaintLogbookPages(writer, report, title);
  return {};
}

}  // namespace tavrin::gui
