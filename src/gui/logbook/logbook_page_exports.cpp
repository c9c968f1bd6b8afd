// SPDX-License-Identifier: GPL-3.0-or-later
// The trips of the period chosen, written as CSV for a spreadsheet or as PDF pages, or printed.
// The file is asked for with a file dialog the window runs, as it runs every dialog.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>

#include "desktop/logbook_pdf.h"
#include "gui/logbook/logbook_page.h"
#include "logbook/logbook_csv.h"

namespace tavrin::gui {

bool LogbookPage::HasTripsToWrite() {
  if (owner_.Logbook() != nullptr && !shown_.trips.empty()) return true;
  owner_.ShowMessage(tr("There is no trip in %1: nothing is written. Choose another period.")
                         .arg(PeriodName())
                         .toStdString(),
                     MsgIcon::Information, MsgButtons::Ok);
  return false;
}

QString LogbookPage::ExportTitle() const {
  return tr("Drive logbook, %1").arg(PeriodName());
}

// "logbook-2024-05.csv", "logbook-2024.pdf", "logbook.csv".
QString LogbookPage::FileNameFor(const char* suffix) const {
  const QDate date = periodDate_->date();
  QString name = QStringLiteral("logbook");
  switch (static_cast<Period>(periodKind_->currentIndex())) {
    case Period::Month:
      name += date.toString(QStringLiteral("-yyyy-MM"));
      break;
    case Period::Year:
      name += date.toString(QStringLiteral("-yyyy"));
      break;
    case Period::All:
      break;
  }
  return name + QLatin1Char('.') + QString::fromLatin1(suffix);
}

QString LogbookPage::AskFileToWrite(const QString& caption, const QString& fileName,
                                    const QString& filter) {
  QFileDialog chooser(this, caption);
  chooser.setObjectName("logbookFileChooser");
  chooser.setAcceptMode(QFileDialog::AcceptSave);
  chooser.setFileMode(QFileDialog::AnyFile);
  chooser.setNameFilter(filter);
  chooser.setDefaultSuffix(QFileInfo(fileName).suffix());
  chooser.setDirectory(lastFolder_.isEmpty() ? QDir::homePath() : lastFolder_);
  chooser.selectFile(fileName);
  if (owner_.RunDialog(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
    return {};
  }
  const QString path = chooser.selectedFiles().front();
  lastFolder_ = QFileInfo(path).absolutePath();
  return path;
}

void LogbookPage::OnExportCsv() {
  if (!HasTripsToWrite()) return;
  const QString path = AskFileToWrite(tr("Export the logbook as CSV"), FileNameFor("csv"),
                                      tr("CSV for spreadsheets (*.csv)"));
  if (path.isEmpty()) return;
  // Written beside its name and put in place whole: a failure leaves any earlier file as it was.
  QSaveFile file(path);
  const std::string csv = logbook::LogbookCsv(shown_);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()) ||
      !file.commit()) {
    owner_.ShowMessage(tr("The logbook could not be written to %1 (%2). Choose another folder, "
                          "or free some space, and export again.")
                           .arg(path, file.errorString())
                           .toStdString(),
                       MsgIcon::Warning, MsgButtons::Ok);
    return;
  }
  Status(tr("The %n trip(s) of %1 are written to %2.", "", static_cast<int>(shown_.trips.size()))
             .arg(PeriodName(), path));
}

void LogbookPage::OnExportPdf() {
  if (!HasTripsToWrite()) return;
  const QString path = AskFileToWrite(tr("Export the logbook as PDF"), FileNameFor("pdf"),
                                      tr("PDF documents (*.pdf)"));
  if (path.isEmpty()) return;
  if (!Stored(WriteLogbookPdf(shown_, path, ExportTitle(), units_))) return;
  Status(tr("The %n trip(s) of %1 are written to %2.", "", static_cast<int>(shown_.trips.size()))
             .arg(PeriodName(), path));
}

void LogbookPage::OnPrint() {
  if (!HasTripsToWrite()) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(ExportTitle());
  // The pages the PDF export writes: landscape, whatever the printer's own default. A portrait
  // page chosen in the dialog gets the same columns, smaller.
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintDialog dialog(&printer, this);
  dialog.setObjectName("logbookPrintDialog");
  if (owner_.RunDialog(dialog) != QDialog::Accepted) return;
  PaintLogbookPages(printer, shown_, ExportTitle(), units_);
  Status(tr("The %n trip(s) of %1 went to the printer.", "", static_cast<int>(shown_.trips.size()))
             .arg(PeriodName()));
}

}  // namespace tavrin::gui
