// SPDX-License-Identifier: GPL-3.0-or-later
// Importing the track files of other devices and programs (GPX, KML, NMEA text) from the Track
// Record page: its button, a drop on the window and the program's command line all come here.
// The import runs on another thread over a store of its own on the same data folder, while a
// modal progress box with Stop keeps the page, and the page's store, still.
#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QProgressDialog>
#include <QSignalBlocker>
#include <QTimer>
#include <atomic>
#include <future>

#include "gui/records/track_record_page.h"
#include "gui/session/core_words.h"
#include "import/track_import.h"

namespace tavrin::gui {
namespace {

using imports::FileImport;

// What the import's thread hands back: the files' results, and the messages its store would
// have shown, which only the window's thread may show.
struct ImportOutcome {
  std::vector<FileImport> results;
  std::vector<std::string> messages;
};

ImportOutcome ImportOnThisThread(const std::string& folder, const std::vector<std::string>& files,
                                 const imports::ImportOptions& options) {
  ImportOutcome outcome;
  TrackStore store([&outcome](const std::string& text, MsgIcon, MsgButtons) {
    outcome.messages.push_back(text);
    return MsgAnswer::Ok;
  });
  if (auto prepared = store.PrepareDataFolder(folder); !prepared) {
    outcome.messages.push_back(
        QCoreApplication::translate(
            "TrackRecordPage",
            "The data folder %1 cannot be used (%2). Choose another one in Software Options; "
            "nothing was imported.")
            .arg(QString::fromStdString(folder),
                 QString::fromStdString(prepared.Error().SystemText()))
            .toStdString());
    return outcome;
  }
  if (auto writable = store.CheckTracksCanBeWritten(); !writable) {
    outcome.messages.push_back(
        QCoreApplication::translate(
            "TrackRecordPage",
            "No track can be stored in the data folder %1: %2 Make it writable or free some "
            "space, or choose another folder in Software Options; nothing was imported.")
            .arg(QString::fromStdString(folder), QString::fromStdString(writable.Error().reason))
            .toStdString());
    return outcome;
  }
  outcome.results = imports::ImportFiles(store, files, options);
  return outcome;
}

// "2 tracks", "7200 points": counts as the status line says them. Both forms are whole texts
// with the figure in them, for languages that put it elsewhere or say it otherwise.
QString Counted(uint64_t count, const char* one, const char* many) {
  return QCoreApplication::translate("TrackRecordPage", count == 1 ? one : many).arg(count);
}

// The status line after an import: what came in, and once what track files cannot hold.
QString ImportStatus(const std::vector<FileImport>& results, bool stopped) {
  size_t tracks = 0, duplicates = 0, failedFiles = 0;
  uint64_t points = 0;
  std::vector<std::string> dropped;
  for (const FileImport& result : results) {
    tracks += result.trackFiles.size();
    duplicates += result.duplicates.size();
    points += result.points;
    failedFiles += result.Failed() ? 1 : 0;
    for (const std::string& what : result.dropped) {
      if (std::find(dropped.begin(), dropped.end(), what) == dropped.end()) {
        dropped.push_back(what);
      }
    }
  }
  const QString tracksText = Counted(tracks, QT_TRANSLATE_NOOP("TrackRecordPage", "%1 track"),
                                     QT_TRANSLATE_NOOP("TrackRecordPage", "%1 tracks"));
  const QString pointsText = Counted(points, QT_TRANSLATE_NOOP("TrackRecordPage", "%1 point"),
                                     QT_TRANSLATE_NOOP("TrackRecordPage", "%1 points"));
  const QString filesText = Counted(results.size(), QT_TRANSLATE_NOOP("TrackRecordPage", "%1 file"),
                                    QT_TRANSLATE_NOOP("TrackRecordPage", "%1 files"));
  QString text =
      (stopped ? QCoreApplication::translate("TrackRecordPage", "Import stopped: %1, %2 from %3.")
               : QCoreApplication::translate("TrackRecordPage", "Imported %1, %2 from %3."))
          .arg(tracksText, pointsText, filesText);
  if (duplicates > 0) {
    text += QCoreApplication::translate("TrackRecordPage", " Stored already, skipped: %1.")
                .arg(duplicates);
  }
  if (!dropped.empty()) {
    QString list;
    for (const std::string& what : dropped) {
      list += (list.isEmpty() ? QString() : QStringLiteral(", ")) + CoreText(what);
    }
    // What was left out joins the sentence before it.
    if (text.endsWith(u'.')) text.chop(1);
    text += QCoreApplication::translate("TrackRecordPage", "; not kept: %1.").arg(list);
  }
  // As tavrin import counts them: files of which something a track file could hold was lost.
  if (failedFiles > 0) {
    text += QCoreApplication::translate("TrackRecordPage", " Files with problems: %1 of %2.")
                .arg(QString::number(failedFiles), QString::number(results.size()));
  }
  return text;
}

// Every problem of the files, each naming its file, for one box at the end; with a file's
// problems, what else of it was left out, so that the box tells all of that file.
std::string ImportProblems(const std::vector<FileImport>& results) {
  std::string text;
  for (const FileImport& result : results) {
    if (!result.Failed()) continue;
    for (const std::string& line : result.skipped) text += line + "\n";
    if (result.failure) text += *result.failure + "\n";
    for (const std::string& note : result.notes) text += note + "\n";
  }
  return text;
}

// Imports `paths` into `folder` on another thread behind a modal progress box with Stop, the
// window's events going on meanwhile; `stopped` tells whether the user pressed Stop.
ImportOutcome ImportWithProgress(QWidget* parent, const std::string& folder,
                                 const std::vector<std::string>& paths, bool& stopped) {
  std::atomic<bool> stop{false};
  std::atomic<uint64_t> done{0}, total{0};
  imports::ImportOptions options;
  options.stop = &stop;
  options.progress = [&done, &total](uint64_t bytes, uint64_t all) {
    done = bytes;
    total = all;
  };
  QProgressDialog progress(QCoreApplication::translate("TrackRecordPage", "Importing tracks..."),
                           QCoreApplication::translate("TrackRecordPage", "Stop"), 0, 1000, parent);
  progress.setObjectName("importProgress");
  progress.setWindowTitle(QCoreApplication::translate("TrackRecordPage", "Import Tracks"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(300);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  progress.setValue(0);
  std::future<ImportOutcome> work =
      std::async(std::launch::async, [&] { return ImportOnThisThread(folder, paths, options); });
  // The window's events go on (the box paints, Stop answers) while the thread imports.
  QEventLoop waiting;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &waiting, [&] {
    if (progress.wasCanceled()) stop = true;
    if (total > 0) progress.setValue(static_cast<int>(done * 1000 / total));
    if (work.valid() && work.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
      waiting.quit();
    }
  });
  poll.start(25);
  waiting.exec();
  // The boxes that follow run event loops of their own, in which this timer must not fire again.
  poll.stop();
  ImportOutcome outcome = work.get();
  progress.close();
  stopped = stop;
  return outcome;
}

}  // namespace

// The filters move to the day of the imported track (unless every track is listed), and the
// track is loaded, as a double-click on it would.
void TrackRecordPage::ShowImportedTrack(const std::string& path) {
  TrackStore& store = owner_.Store();
  for (const TrackEntry& track : store.Catalogue().ListTracks(nullptr, false).tracks) {
    if (track.path != path) continue;
    const DateTime6& first = track.header.firstDateTime;
    const QDate day(2000 + first[0], first[1], first[2]);
    if (!day.isValid()) break;
    const QSignalBlocker quietCalendar(calendar_), quietStart(periodStart_), quietEnd(periodEnd_);
    calendar_->setSelectedDate(day);
    periodStart_->setDate(day);
    periodEnd_->setDate(day);
    break;
  }
  RefreshRecordList();
  const int row = ByDays() ? RowOfDayHolding(path) : RowOfTrack(path);
  if (row == -1) return;
  recordView_->selectRow(row);
  recordView_->scrollTo(records_.index(row, 0));
  LoadRecord(row);
}

void TrackRecordPage::OnImportTracks() {
  QFileDialog chooser(this, tr("Import Tracks"));
  chooser.setObjectName("importChooser");
  chooser.setFileMode(QFileDialog::ExistingFiles);
  chooser.setNameFilters(
      {tr("Track files (%1)").arg(QStringLiteral("*.gpx *.kml *.nmea *.nma *.txt *.log")),
       QStringLiteral("GPX (*.gpx)"), QStringLiteral("KML (*.kml)"),
       tr("NMEA text (%1)").arg(QStringLiteral("*.nmea *.nma *.txt *.log")),
       tr("All files (%1)").arg(QStringLiteral("*"))});
  if (owner_.RunDialog(chooser) != QDialog::Accepted) return;
  ImportTrackFiles(chooser.selectedFiles());
}

std::string TrackRecordPage::ImportTrackFiles(const QStringList& files) {
  if (files.isEmpty()) return {};
  // A read writes into the same folder under names the import would also choose from.
  if (owner_.Session().TransferActive() || owner_.Session().DownloadInProgress()) {
    owner_.ShowMessage(tr("The logger's tracks are being read: import the files when the read "
                          "has ended. Nothing was imported.")
                           .toStdString(),
                       MsgIcon::Information, MsgButtons::Ok);
    return {};
  }
  std::vector<std::string> paths;
  for (const QString& file : files) paths.push_back(file.toStdString());
  Status(tr("Importing tracks."));
  bool stopped = false;
  const ImportOutcome outcome =
      ImportWithProgress(this, owner_.Store().DataFolder(), paths, stopped);
  for (const std::string& message : outcome.messages) {
    owner_.ShowMessage(message, MsgIcon::Warning, MsgButtons::Ok);
  }
  return ShowImports(outcome.results, stopped);
}

std::string TrackRecordPage::ShowImports(const std::vector<FileImport>& results, bool stopped) {
  std::string first;
  std::string stored;
  std::vector<std::string> imported;
  for (const FileImport& result : results) {
    if (first.empty() && !result.trackFiles.empty()) first = result.trackFiles.front();
    if (stored.empty() && !result.duplicates.empty()) stored = result.duplicates.front();
    imported.insert(imported.end(), result.trackFiles.begin(), result.trackFiles.end());
  }
  // The import wrote through a store of its own; whoever listens to the window's hears of it.
  if (!imported.empty()) owner_.Store().Catalogue().TellImported(std::move(imported));
  // The list shows the new tracks at once: the first of them, loaded; a file stored already
  // shows where it is.
  if (!first.empty() || !stored.empty()) ShowImportedTrack(first.empty() ? stored : first);
  Status(ImportStatus(results, stopped));
  if (const std::string problems = ImportProblems(results); !problems.empty()) {
    // The files' problems are the core's lines, each ending its line.
    owner_.ShowMessage(
        (tr("Some of the files could not be imported whole; what was good in them was imported:") +
         "\n" + QString::fromStdString(problems) +
         tr("Check the files, or import them again from the program that made them."))
            .toStdString(),
        MsgIcon::Warning, MsgButtons::Ok);
  }
  return first;
}

}  // namespace tavrin::gui
