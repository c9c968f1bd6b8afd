// SPDX-License-Identifier: GPL-3.0-or-later
// The window's settings, its data folder and time zone, and the problems of its track files.
#include <QDateTime>
#include <QTimeZone>
#include <QTimer>

#include "export/export_commands.h"
#include "gui/common/languages.h"
#include "gui/device/device_page.h"
#include "gui/history/history_page.h"
#include "gui/logbook/logbook_page.h"
#include "gui/options/software_options_dialog.h"
#include "gui/options/time_zone_list.h"
#include "gui/records/track_record_page.h"
#include "gui/window/main_window.h"
#include "settings/program_settings.h"

namespace tavrin::gui {
namespace {

// Two zones show every instant alike: the same database zone and summer-time rule, or the same
// fixed offset.
bool SameZone(const LocalZone& a, const LocalZone& b) {
  return a.Name() == b.Name() && a.SummerTime() == b.SummerTime() &&
         (!a.Name().empty() || a.OffsetMinutesAt(0) == b.OffsetMinutesAt(0));
}

// The zone a settings file written before zones were kept by name chose: the one at its
// LocalTime place in the Software Options list. Empty when the file names its zone, or chose
// none.
std::string SettingsListedZone(const Settings& settings) {
  if (!settings.timeZoneName.empty()) return {};
  return ListedZoneName(settings.localTime, QDateTime::currentDateTimeUtc());
}

}  // namespace

void MainWindow::LoadSettingsFile() {
  ProgramSettings opened = OpenProgramSettings(setup_.paths.settingsFile, SettingsListedZone);
  settings_ = std::move(opened.settings);
  // A file without a language (or with one the list does not have) speaks the desktop's.
  settings_.language =
      static_cast<int>(LanguageOf(settings_.languageInFile ? settings_.language : -1));
  store_.SetTimeZone(std::move(opened.zone));
  const std::vector<std::string>& warnings = opened.warnings;
  if (warnings.empty()) return;
  SetStatusText(warnings.front());
  // Told once the window is up, so that the box has a window to stand over.
  std::string text = tr("The settings file %1 holds values this program cannot use:")
                         .arg(QString::fromStdString(setup_.paths.settingsFile.string()))
                         .toStdString();
  for (const std::string& warning : warnings) text += "\n" + warning;
  QTimer::singleShot(0, this,
                     [this, text] { ShowMessage(text, MsgIcon::Warning, MsgButtons::Ok); });
}

// The folder chosen in Software Options, or the program's own DataLog. One that cannot be used
// is told once the window is up, and Software Options opens so that the user can choose another.
bool MainWindow::UseStartUpDataFolder() {
  const std::filesystem::path folder = ChosenDataFolder(settings_, setup_.paths.dataFolder);
  auto prepared = store_.PrepareDataFolder(folder);
  if (prepared) return true;
  const std::string text =
      tr("%1\nSoftware Options opens now: choose a data folder there and press OK.")
          .arg(QString::fromStdString(prepared.Error().reason))
          .toStdString();
  QTimer::singleShot(0, this, [this, text] {
    ShowMessage(text, MsgIcon::Error, MsgButtons::Ok);
    OpenSoftwareOptions();
  });
  logbookTrouble_ = tr("The logbook is kept in the data folder, which cannot be used: choose "
                       "another one in Software Options.")
                        .toStdString();
  return false;
}

// Tracks are kept in `folder` from now on; the pages list what it holds.
bool MainWindow::ChangeDataFolder(const std::string& folder) {
  const std::string previous = store_.DataFolder();
  if (auto prepared = store_.PrepareDataFolder(folder); !prepared) {
    ShowMessage(prepared.Error().reason, MsgIcon::Error, MsgButtons::Ok);
    (void)store_.PrepareDataFolder(previous);  // it was in use a moment ago
    return false;
  }
  // The pages shown from the folder left go with it; the exports stay for the user.
  windowPages_.RemoveAll();
  toldProblems_.clear();
  devicePage_->PageActivated();
  recordPage_->DataFolderChanged();
  historyPage_->DataFolderChanged();
  OpenLogbook(false);
  logbookPage_->LogbookReopened();
  SetStatusText(tr("Track records are kept in %1 from now on.")
                    .arg(QString::fromStdString(folder))
                    .toStdString());
  return true;
}

// A listing meets every bad file each time it runs: the user hears of each one once, all of
// them in one box after the listing, and again only for another data folder.
void MainWindow::NoteTrackFileProblem(const TrackFileProblem& problem) {
  // What the user asked for (loading a track) is always answered.
  if (problem.inListing && !toldProblems_.insert(problem.Line()).second) return;
  pendingProblems_.push_back(problem);
  if (pendingProblems_.size() == 1) {
    QTimer::singleShot(0, this, &MainWindow::TellTrackFileProblems);
  }
}

void MainWindow::TellTrackFileProblems() {
  if (pendingProblems_.empty()) return;
  constexpr size_t kLinesShown = 12;
  const size_t count = pendingProblems_.size();
  std::string text = (count == 1 ? tr("A track file cannot be used as it is:")
                                 : tr("%1 track files cannot be used as they are:").arg(count))
                         .toStdString();
  for (size_t i = 0; i < count && i < kLinesShown; ++i) text += "\n" + pendingProblems_[i].Line();
  if (count > kLinesShown) {
    text += "\n" + tr("... and %1 more; tavrin list prints every one of them.")
                       .arg(count - kLinesShown)
                       .toStdString();
  }
  SetStatusText(count == 1
                    ? pendingProblems_[0].Line()
                    : tr("%1 track files in %2 cannot be used as they are.")
                          .arg(QString::number(count), QString::fromStdString(store_.DataFolder()))
                          .toStdString());
  pendingProblems_.clear();
  ShowMessage(text, MsgIcon::Warning, MsgButtons::Ok);
}

void MainWindow::OpenSoftwareOptions() {
  // The data folder must not change under a running download.
  if (session_.DownloadInProgress()) {
    ShowMessage(tr("Reading data.").toStdString(), MsgIcon::Warning, MsgButtons::Ok);
    return;
  }
  const QDateTime now = QDateTime::currentDateTimeUtc();
  Settings edited = settings_;
  // The list shows the zone the times are shown in, found by its name, also when the settings
  // file kept only the zone's place in the list.
  const QByteArray shownZone = QByteArray::fromStdString(store_.Zone().Name());
  if (edited.timeZoneName.empty() && QTimeZone(shownZone).isValid()) {
    edited.timeZoneName = shownZone.toStdString();
  }
  SoftwareOptionsDialog dialog(edited, QString::fromStdString(store_.DataFolder()),
                               TimeZoneList(now, QByteArray::fromStdString(edited.timeZoneName)),
                               SystemTimeZone(now), this);
  dialog.SetFolderCheck([this](const std::string& folder) -> std::string {
    if (auto usable = CheckTrackFolder(folder); !usable) {
      ShowMessage(usable.Error().reason, MsgIcon::Error, MsgButtons::Ok);
      return usable.Error().reason;
    }
    return {};
  });
  const bool accepted = RunDialog(dialog) == QDialog::Accepted;
  // Choosing the computer's zone on first opening is kept in memory even after CANCLE.
  settings_.localTime = edited.localTime;
  if (!accepted) return;
  const bool unitsChanged = UnitsOf(edited.units) != UnitsOf(settings_.units);
  settings_ = edited;
  if (auto saved = SaveSettings(setup_.paths.settingsFile, settings_); !saved) {
    ShowMessage(saved.Error().reason, MsgIcon::Error, MsgButtons::Ok);
  }
  std::vector<std::string> warnings;
  const LocalZone before = store_.Zone();
  store_.SetTimeZone(ChooseLocalZone(settings_, {}, warnings));
  if (!SameZone(before, store_.Zone())) {
    devicePage_->PageActivated();  // its list shows the tracks' date-times
    recordPage_->ZoneChanged();
    historyPage_->ZoneChanged();
    logbookPage_->ZoneChanged();
  }
  if (unitsChanged) {
    devicePage_->UnitsChanged();
    recordPage_->UnitsChanged();
    logbookPage_->UnitsChanged();
    historyPage_->UnitsChanged();
  }
  for (const std::string& warning : warnings) SetStatusText(warning);
  if (!settings_.userDataPath.empty() && settings_.userDataPath != store_.DataFolder()) {
    (void)ChangeDataFolder(settings_.userDataPath);  // it tells a failure itself
  }
}

}  // namespace tavrin::gui
