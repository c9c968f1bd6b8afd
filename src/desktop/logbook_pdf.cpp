// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/logbook_pdf.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
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

// What the columns need across: a landscape A4 page within its margins.
constexpr double kLeastWidthMm = 297 - 2 * 15;

// Which of the columns that only some logbooks need a page has.
struct OptionalColumns {
  bool odometer = false;  // an odometer reading was given
  bool marks = false;     // a trip's track file is deleted or missing
};

std::vector<Column> ColumnsFor(OptionalColumns optional, Units units) {
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
  if (optional.odometer) {
    columns.push_back({QCoreApplication::translate("LogbookPdf", "Odo. start"), 8, true});
    columns.push_back({QCoreApplication::translate("LogbookPdf", "Odo. end"), 8, true});
  }
  if (optional.marks) columns.push_back({QCoreApplication::translate("LogbookPdf", "Track"), 6});
  return columns;
}

QString MarkCell(const TripRow& trip) {
  if (trip.trackMissing) return QCoreApplication::translate("LogbookPdf", "missing");
  return trip.trackDeleted ? QCoreApplication::translate("LogbookPdf", "deleted") : QString();
}

QStringList CellsOf(const TripRow& trip, OptionalColumns optional) {
  const QString note = QString::fromStdString(trip.note);
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
  if (optional.odometer) {
    cells << (trip.odometerStart ? Km(*trip.odometerStart) : QString())
          << (trip.odometerEnd ? Km(*trip.odometerEnd) : QString());
  }
  if (optional.marks) cells << MarkCell(trip);
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
    // The columns need the width of a landscape A4 page; a narrower page gets them all, smaller.
    const double leastWidth = kLeastWidthMm * device_.logicalDpiX() / 25.4;
    if (width_ < leastWidth) {
      const double scale = width_ / leastWidth;
      painter_.scale(scale, scale);
      width_ /= scale;
      height_ /= scale;
    }
    body_.setPointSizeF(8);
    // Emoji in a note come from a font that has them, where the text's own has none.
    body_.setFamilies(
        {body_.family(), QStringLiteral("Symbola"), QStringLiteral("Noto Color Emoji")});
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
  void WriteMonth(const logbook::LogbookReport& month, OptionalColumns optional) {
    const std::vector<Column> columns = ColumnsFor(optional, units_);
    const CalendarDate first = month.trips.front().date;
    month_ = QCoreApplication::translate("LogbookPdf", "%1 %2", "month, year")
                 .arg(Tr(kMonthNames[first.month - 1]))
                 .arg(first.year);
    StartPage(false, columns);
    for (const TripRow& trip : month.trips) WriteTrip(CellsOf(trip, optional), columns);
    if (y_ + (month.kmByPurpose.size() + 5) * line_ > height_) StartPage(true, columns);
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
  void StartPage(bool continued, const std::vector<Column>& columns) {
    if (pages_++ > 0) device_.newPage();
    y_ = 0;
    painter_.setFont(heading_);
    // "Drive logbook, May 2024" needs no " – May 2024" after it.
    const QString heading = title_.endsWith(month_) ? title_ : title_ + " \u2013 " + month_;
    Text(continued ? QCoreApplication::translate("LogbookPdf", "%1 (continued)").arg(heading)
                   : heading,
         HeadingHeight());
    QStringList captions;
    for (const Column& column : columns) captions << column.caption;
    WriteCaptions(captions, columns);
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

  // The note's lines in its column: broken between words, and within a word wider than the
  // column, so that nothing of it is cut.
  QStringList NoteLines(const QString& note, double width) const {
    QStringList lines;
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : note.split(QLatin1Char('\n'))) {
      QTextLayout layout(paragraph, body_, &device_);
      layout.setTextOption(wrapping);
      layout.beginLayout();
      for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
      }
      layout.endLayout();
    }
    return lines;
  }

  double HeadingHeight() const { return QFontMetricsF(heading_, &device_).height() * 1.5; }

  // How many lines of a note fit in a row from `top` to the page's foot.
  qsizetype LinesThatFit(double top) const {
    const QFontMetricsF metrics(body_, &device_);
    const double room = height_ - top - (line_ - metrics.height());
    return static_cast<qsizetype>(std::max(0.0, room / metrics.lineSpacing()));
  }

  // A trip's row, on the next page when it does not fit here but would there; a note longer
  // than a page goes on over the pages after, its row repeated with the trip's date and times.
  void WriteTrip(QStringList cells, const std::vector<Column>& columns) {
    QStringList note = NoteLines(cells[kNoteColumn], Width(columns, kNoteColumn));
    const qsizetype onAPage = LinesThatFit(HeadingHeight() + line_);  // below the captions
    if (LinesThatFit(y_) < std::max<qsizetype>(1, std::min(note.size(), onAPage))) {
      StartPage(true, columns);
    }
    for (;;) {
      const qsizetype here = std::max<qsizetype>(1, std::min(note.size(), LinesThatFit(y_)));
      WriteCells(cells, note.mid(0, here), columns);
      note = note.mid(here);
      if (note.isEmpty()) return;
      StartPage(true, columns);
      for (qsizetype i = 3; i < cells.size(); ++i) cells[i].clear();  // the date and times stay
    }
  }

  // The captions of the columns, each cut short to its width.
  void WriteCaptions(const QStringList& captions, const std::vector<Column>& columns) {
    painter_.setFont(bold_);
    const QFontMetricsF metrics(bold_, &device_);
    double x = 0;
    for (qsizetype i = 0; i < captions.size(); ++i) {
      const Column& column = columns[static_cast<size_t>(i)];
      const double wide = Width(columns, static_cast<size_t>(i));
      painter_.drawText(QRectF(x, y_, wide, line_),
                        (column.right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                        metrics.elidedText(captions[i], Qt::ElideRight, wide));
      x += wide + Gap();
    }
    y_ += line_;
  }

  // A row of cells with these lines of its note; the other cells are cut short.
  void WriteCells(const QStringList& cells, const QStringList& note,
                  const std::vector<Column>& columns) {
    painter_.setFont(body_);
    const QFontMetricsF metrics(body_, &device_);
    const double step = metrics.lineSpacing();
    const double top = y_ + (line_ - metrics.height()) / 2;
    double x = 0;
    for (qsizetype i = 0; i < cells.size(); ++i) {
      const Column& column = columns[static_cast<size_t>(i)];
      const double wide = Width(columns, static_cast<size_t>(i));
      const Qt::Alignment side = column.right ? Qt::AlignRight : Qt::AlignLeft;
      if (i == kNoteColumn) {
        for (qsizetype n = 0; n < note.size(); ++n) {
          painter_.drawText(QRectF(x, top + n * step, wide, step), side | Qt::AlignVCenter,
                            note[n]);
        }
      } else {
        painter_.drawText(QRectF(x, y_, wide, line_), side | Qt::AlignVCenter,
                          metrics.elidedText(cells[i], Qt::ElideRight, wide));
      }
      x += wide + Gap();
    }
    y_ += std::max(line_, note.size() * step + (line_ - metrics.height()));
  }

  QPagedPaintDevice& device_;
  QPainter& painter_;
  QString title_;
  QString month_;  // "May 2024": the month on the page
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
  OptionalColumns optional;
  for (const TripRow& trip : report.trips) {
    optional.odometer = optional.odometer || trip.odometerStart.has_value();
    optional.marks = optional.marks || trip.trackDeleted || trip.trackMissing;
  }
  // Month by month, each with its own totals.
  for (auto first = report.trips.begin(); first != report.trips.end();) {
    const CalendarDate day = first->date;
    const auto end = std::find_if(first, report.trips.end(), [&](const TripRow& trip) {
      return trip.date.year != day.year || trip.date.month != day.month;
    });
    pages.WriteMonth(logbook::FilterReport({first, end}, {}), optional);
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
