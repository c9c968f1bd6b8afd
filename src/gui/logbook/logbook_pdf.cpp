// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/logbook/logbook_pdf.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "logbook/logbook_texts.h"

namespace tavrin::gui {
namespace {

using logbook::Purpose;
using logbook::TripRow;

// The command line writes the same pages without a translator: they are English there.
QString Tr(const char* text) {
  return QCoreApplication::translate("LogbookPdf", text);
}

const char* const kMonthNames[] = {
    QT_TRANSLATE_NOOP("LogbookPdf", "January"),   QT_TRANSLATE_NOOP("LogbookPdf", "February"),
    QT_TRANSLATE_NOOP("LogbookPdf", "March"),     QT_TRANSLATE_NOOP("LogbookPdf", "April"),
    QT_TRANSLATE_NOOP("LogbookPdf", "May"),       QT_TRANSLATE_NOOP("LogbookPdf", "June"),
    QT_TRANSLATE_NOOP("LogbookPdf", "July"),      QT_TRANSLATE_NOOP("LogbookPdf", "August"),
    QT_TRANSLATE_NOOP("LogbookPdf", "September"), QT_TRANSLATE_NOOP("LogbookPdf", "October"),
    QT_TRANSLATE_NOOP("LogbookPdf", "November"),  QT_TRANSLATE_NOOP("LogbookPdf", "December")};

// The purposes as the logbook stores them (PurposeWord), for the translation tools: the pages
// show them in the reader's language.
[[maybe_unused]] const char* const kPurposeWords[] = {QT_TRANSLATE_NOOP("LogbookPdf", "business"),
                                                      QT_TRANSLATE_NOOP("LogbookPdf", "private"),
                                                      QT_TRANSLATE_NOOP("LogbookPdf", "commute")};

QString Km(double km) {
  return QString::fromStdString(logbook::KmText(km));
}

QString PurposeText(Purpose purpose) {
  if (purpose == Purpose::None) return QStringLiteral("—");
  const std::string word(logbook::PurposeWord(purpose));
  return Tr(word.c_str());
}

// The columns of a page: their captions and their shares of the width.
struct Column {
  QString caption;
  double share;
  bool right = false;
};

// The note comes last but for the odometer, and wraps; the other cells are cut short.
constexpr int kNoteColumn = 7;

std::vector<Column> ColumnsFor(bool odometer, Units units) {
  std::vector<Column> columns = {
      {QCoreApplication::translate("LogbookPdf", "Date"), 8},
      {QCoreApplication::translate("LogbookPdf", "Start"), 4.5},
      {QCoreApplication::translate("LogbookPdf", "End"), 4.5},
      {QCoreApplication::translate("LogbookPdf", "From"), 14},
      {QCoreApplication::translate("LogbookPdf", "To"), 14},
      {units == Units::Metric ? QCoreApplication::translate("LogbookPdf", "km")
                              : QCoreApplication::translate("LogbookPdf", "mi"),
       5, true},
      {QCoreApplication::translate("LogbookPdf", "Purpose"), 7},
      {QCoreApplication::translate("LogbookPdf", "Note"), 24.0},
      {QCoreApplication::translate("LogbookPdf", "Changed"), 8}};
  if (odometer) {
    columns.push_back({QCoreApplication::translate("LogbookPdf", "Odo. start"), 8, true});
    columns.push_back({QCoreApplication::translate("LogbookPdf", "Odo. end"), 8, true});
  }
  return columns;
}

QStringList CellsOf(const TripRow& trip, bool odometer) {
  QString note = QString::fromStdString(trip.note);
  if (trip.trackDeleted) {
    note = note.isEmpty()
               ? QCoreApplication::translate("LogbookPdf", "track deleted")
               : QCoreApplication::translate("LogbookPdf", "%1 (track deleted)").arg(note);
  }
  QStringList cells = {
      QString::fromStdString(logbook::DateText(trip.date)),
      QString::fromStdString(trip.start),
      QString::fromStdString(trip.end),
      QString::fromStdString(trip.from),
      QString::fromStdString(trip.to),
      trip.kmKnown ? Km(trip.km) : QString(),
      PurposeText(trip.purpose),
      note,
      trip.changedUtc == 0
          ? QString()
          : QString::fromStdString(logbook::ChangedText(trip.changedUtc)).left(10)};
  if (odometer) {
    cells << (trip.odometerStart ? Km(*trip.odometerStart) : QString())
          << (trip.odometerEnd ? Km(*trip.odometerEnd) : QString());
  }
  return cells;
}

// Lays out pages on the device, keeping where the next line goes.
class PageWriter {
 public:
  PageWriter(QPagedPaintDevice& device, QPainter& painter, QString title, Units units)
      : device_(device), painter_(painter), title_(std::move(title)), units_(units) {
    const QRect page = painter_.viewport();
    width_ = page.width();
    height_ = page.height();
    body_.setPointSizeF(8);
    // Without ligatures, so that the PDF's text is found and copied as it was written: "Office",
    // not "O\uFB03ce".
    body_.setStyleStrategy(QFont::PreferNoShaping);
    bold_ = body_;
    bold_.setBold(true);
    heading_ = bold_;
    heading_.setPointSizeF(12);
    line_ = QFontMetricsF(body_, &device_).height() * 1.35;
  }

  // A month's trips, with its totals, on as many pages as they take.
  void WriteMonth(const logbook::LogbookReport& month, bool odometer) {
    const std::vector<Column> columns = ColumnsFor(odometer, units_);
    const CalendarDate first = month.trips.front().date;
    const QString heading = QCoreApplication::translate("LogbookPdf", "%1 %2", "month, year")
                                .arg(Tr(kMonthNames[first.month - 1]))
                                .arg(first.year);
    const QString continued =
        QCoreApplication::translate("LogbookPdf", "%1 (continued)").arg(heading);
    StartPage(heading, columns);
    for (const TripRow& trip : month.trips) {
      const QStringList cells = CellsOf(trip, odometer);
      if (y_ + RowHeight(cells, columns) > height_) StartPage(continued, columns);
      WriteCells(cells, columns, body_);
    }
    if (y_ + (month.kmByPurpose.size() + 5) * line_ > height_) StartPage(continued, columns);
    y_ += line_ / 2;
    painter_.setFont(bold_);
    for (const auto& [purpose, km] : month.kmByPurpose) {
      Text((units_ == Units::Metric
                ? QCoreApplication::translate("LogbookPdf", "%1: %2 km in %3 trip(s)")
                : QCoreApplication::translate("LogbookPdf", "%1: %2 mi in %3 trip(s)"))
               .arg(purpose == Purpose::None
                        ? QCoreApplication::translate("LogbookPdf", "No purpose yet")
                        : PurposeText(purpose))
               .arg(Km(km))
               .arg(month.tripsByPurpose.at(purpose)));
    }
    Text((units_ == Units::Metric
              ? QCoreApplication::translate("LogbookPdf", "Total: %1 km in %2 trip(s)")
              : QCoreApplication::translate("LogbookPdf", "Total: %1 mi in %2 trip(s)"))
             .arg(Km(month.km))
             .arg(month.trips.size()));
    y_ += 2 * line_;
    painter_.setFont(body_);
    Text(QCoreApplication::translate(
        "LogbookPdf", "Signature: ________________________________     Date: ________________"));
  }

 private:
  void StartPage(const QString& heading, const std::vector<Column>& columns) {
    if (pages_++ > 0) device_.newPage();
    y_ = 0;
    painter_.setFont(heading_);
    Text(title_ + " \u2013 " + heading, QFontMetricsF(heading_, &device_).height() * 1.5);
    QStringList captions;
    for (const Column& column : columns) captions << column.caption;
    WriteCells(captions, columns, bold_);
    painter_.drawLine(QPointF(0, y_), QPointF(width_, y_));
  }

  void Text(const QString& text, double height = 0) {
    const double step = height > 0 ? height : line_;
    painter_.drawText(QRectF(0, y_, width_, step), Qt::AlignLeft | Qt::AlignVCenter, text);
    y_ += step;
  }

  double Gap() const { return device_.logicalDpiX() * 1.5 / 25.4; }  // 1.5 mm between columns

  double Width(const std::vector<Column>& columns, size_t i) const {
    double shares = 0;
    for (const Column& column : columns) shares += column.share;
    return width_ * columns[i].share / shares - Gap();
  }

  // How tall a row of these cells is: its note's lines.
  double RowHeight(const QStringList& cells, const std::vector<Column>& columns) const {
    const QFontMetricsF metrics(body_, &device_);
    const QRectF room(0, 0, Width(columns, kNoteColumn), height_);
    const double note = metrics.boundingRect(room, Qt::TextWordWrap, cells[kNoteColumn]).height();
    return std::max(line_, note + (line_ - metrics.height()));
  }

  // A row of cells; the note wraps onto more lines, the others are cut short.
  void WriteCells(const QStringList& cells, const std::vector<Column>& columns, const QFont& font) {
    painter_.setFont(font);
    const QFontMetricsF metrics(font, &device_);
    const double gap = Gap();
    double x = 0, tallest = line_;
    for (qsizetype i = 0; i < cells.size(); ++i) {
      const Column& column = columns[static_cast<size_t>(i)];
      const double wide = Width(columns, static_cast<size_t>(i));
      const Qt::Alignment side = column.right ? Qt::AlignRight : Qt::AlignLeft;
      if (i == kNoteColumn) {
        const QRectF room(x, y_ + (line_ - metrics.height()) / 2, wide, height_);
        const QRectF used = metrics.boundingRect(room, Qt::TextWordWrap | side, cells[i]);
        painter_.drawText(room, Qt::TextWordWrap | side, cells[i]);
        tallest = std::max(tallest, used.height() + (line_ - metrics.height()));
      } else {
        painter_.drawText(QRectF(x, y_, wide, line_), side | Qt::AlignVCenter,
                          metrics.elidedText(cells[i], Qt::ElideRight, wide));
      }
      x += wide + gap;
    }
    y_ += tallest;
  }

  QPagedPaintDevice& device_;
  QPainter& painter_;
  QString title_;
  Units units_;
  QFont body_, bold_, heading_;
  double width_ = 0, height_ = 0, line_ = 0, y_ = 0;
  int pages_ = 0;
};

}  // namespace

void PaintLogbookPages(QPagedPaintDevice& device, const logbook::LogbookReport& kilometres,
                       const QString& title, Units units) {
  const logbook::LogbookReport report = logbook::InUnits(kilometres, units);
  QPainter painter(&device);
  PageWriter pages(device, painter, title, units);
  bool odometer = false;
  for (const TripRow& trip : report.trips) odometer = odometer || trip.odometerStart.has_value();
  // Month by month, each with its own totals.
  for (auto first = report.trips.begin(); first != report.trips.end();) {
    const CalendarDate day = first->date;
    const auto end = std::find_if(first, report.trips.end(), [&](const TripRow& trip) {
      return trip.date.year != day.year || trip.date.month != day.month;
    });
    pages.WriteMonth(logbook::FilterReport({first, end}, {}), odometer);
    first = end;
  }
  if (report.trips.empty()) {
    painter.drawText(
        painter.viewport(), Qt::AlignTop | Qt::AlignLeft,
        title + "\n\n" + QCoreApplication::translate("LogbookPdf", "No trip in this period."));
  }
}

Result<void> WriteLogbookPdf(const logbook::LogbookReport& report, const QString& path,
                             const QString& title, Units units) {
  // Written beside the file and put in its place once whole: a failure leaves an earlier PDF.
  const QString part = path + QStringLiteral(".part");
  {
    QPdfWriter writer(part);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Tavrin Lite"));
    PaintLogbookPages(writer, report, title, units);
  }
  // QPdfWriter says nothing of a file it could not write: look for it.
  QFile written(part);
  if (!written.exists() || written.size() == 0) {
    QFile::remove(part);
    return Failure{QCoreApplication::translate(
                       "LogbookPdf",
                       "The PDF %1 could not be written; check that its folder exists and is "
                       "writable.")
                       .arg(path)
                       .toStdString()};
  }
  QFile::remove(path);
  if (!QFile::rename(part, path)) {
    QFile::remove(part);
    return Failure{
        QCoreApplication::translate(
            "LogbookPdf", "The PDF %1 could not be put in place; check the folder's rights.")
            .arg(path)
            .toStdString()};
  }
  return {};
}

}  // namespace tavrin::gui
