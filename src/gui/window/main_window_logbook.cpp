// SPDX-License-Identifier: GPL-3.0-or-later
// The window's logbook: opened with the data folder, told of every cut and deletion of a track
// whether its page is shown or not, and the way the other pages name a place for it.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "gui/logbook/logbook_page.h"
#include "gui/window/main_window.h"

namespace tavrin::gui {
namespace {

// Whether the logbook file of `folder` is there, and its size and time: what changes when the
// user moves a damaged logbook away or puts a backup in its place.
std::string LogbookFileState(const std::string& folder) {
  const QFileInfo file(
      QDir(QString::fromStdString(folder)).filePath(QString::fromUtf8(logbook::kLogbookFileName)));
  if (!file.exists()) return {};
  return QStringLiteral("%1 %2")
      .arg(file.size())
      .arg(file.lastModified().toMSecsSinceEpoch())
      .toStdString();
}

}  // namespace

// A logbook that cannot be used is told once, in the window's box, and its page says why.
void MainWindow::OpenLogbook(bool startingUp) {
  logbookTrouble_.clear();
  const Result<void> opened = logbook_.Open(store_.DataFolder());
  if (opened) return;
  logbookTrouble_ = opened.Error().reason;
  troubledLogbookFile_ = LogbookFileState(store_.DataFolder());
  const std::string text = tr("%1\nThe Logbook page stays empty until then.")
                               .arg(QString::fromStdString(logbookTrouble_))
                               .toStdString();
  if (!startingUp) {
    ShowMessage(text, MsgIcon::Warning, MsgButtons::Ok);
    return;
  }
  // Told once the window is up, so that the box has a window to stand over.
  QTimer::singleShot(0, this,
                     [this, text] { ShowMessage(text, MsgIcon::Warning, MsgButtons::Ok); });
}

// After the user moved a damaged logbook away or restored a backup, as the window advised, the
// logbook is opened again, quietly: the Logbook page shows what came of it. A file unchanged since
// it failed is not tried again, as each try of a damaged one keeps another copy of it aside; a
// missing one may be made now that the folder is writable. True when it was tried.
bool MainWindow::RetryLogbook() {
  if (logbook_.IsOpen() || logbookTrouble_.empty()) return false;
  const std::string state = LogbookFileState(store_.DataFolder());
  if (!state.empty() && state == troubledLogbookFile_) return false;
  const Result<void> opened = logbook_.Open(store_.DataFolder());
  if (opened) {
    logbookTrouble_.clear();
    SetStatusText(tr("The logbook can be used again.").toStdString());
  } else {
    logbookTrouble_ = opened.Error().reason;
    troubledLogbookFile_ = LogbookFileState(store_.DataFolder());
  }
  return true;
}

// The trips keep their rows and their history when their tracks are cut or deleted; a new
// track is a new trip. The page hears of it after the logbook has noted it.
void MainWindow::FollowTracksInLogbook(const TrackChangeNotice& notice) {
  if (logbook_.IsOpen()) {
    if (const Result<void> noted = logbook_.FollowTrackChange(notice); !noted) {
      ShowMessage(tr("The logbook could not note what happened to the tracks: %1")
                      .arg(QString::fromStdString(noted.Error().reason))
                      .toStdString(),
                  MsgIcon::Warning, MsgButtons::Ok);
    }
  }
  if (logbookPage_ != nullptr) logbookPage_->TracksChanged();
}

void MainWindow::NameThisPlace(double latitude, double longitude) {
  if (RetryLogbook()) logbookPage_->LogbookReopened();
  if (!logbook_.IsOpen()) {
    ShowMessage(tr("%1\nPlaces can be named once the logbook can be used.")
                    .arg(QString::fromStdString(logbookTrouble_))
                    .toStdString(),
                MsgIcon::Warning, MsgButtons::Ok);
    return;
  }
  logbookPage_->NameThisPlace(latitude, longitude);
}

}  // namespace tavrin::gui
