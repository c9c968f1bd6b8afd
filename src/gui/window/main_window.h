// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the three pages in their tabs, the status line with the connection image, the
// progress bar, and the owner of the settings, the track store, the session and its host.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QProgressBar>
#include <QRect>
#include <QTabWidget>
#include <QTimer>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "gui/common/page_owner.h"
#include "gui/device/bypass_dialog.h"
#include "gui/session/qt_session_host.h"
#include "settings/app_paths.h"

namespace tavrin::gui {

class DevicePage;
class HistoryPage;
class LogbookPage;
class TrackRecordPage;

inline constexpr char kProgramCaption[] = "Tavrin Lite V1.1.0";
inline constexpr int kStatusTextLimit = 255;

// What a window is built from; tests hand in their own folders, ports and answers.
struct WindowSetup {
  AppPaths paths = DefaultAppPaths();
  std::optional<PortDiscovery> ports;                    // empty: this computer's ports
  MessageBoxFn messageBox;                               // empty: real message boxes
  std::function<int(QDialog&)> runDialog;                // empty: QDialog::exec
  std::function<std::optional<ReadPeriod>()> askPeriod;  // empty: the Read period dialog
  int portCheckMs = 1000;  // how often to look for ports that came or went
  // How long a read waits for the logger's next byte before it ends as "stopped answering", as
  // the command line's --timeout does by default.
  int loggerSilenceMs = 10000;
  std::function<void(const std::string&)> openDocument;  // empty: the desktop's program
  // The part of the screen a window may take (without panels and docks); empty: that of the
  // screen the window opens on.
  std::optional<QRect> screenArea;
};

class MainWindow : public QMainWindow, public IPageOwner {
  Q_OBJECT

 public:
  explicit MainWindow(WindowSetup setup = {});
  ~MainWindow() override;

  // IPageOwner
  LoggerSession& Session() override { return session_; }
  TrackStore& Store() override { return store_; }
  const Settings& AppSettings() const override { return settings_; }
  const PortDiscovery& Ports() const override { return *setup_.ports; }
  void SetStatusText(const std::string& text) override;
  MsgAnswer ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
  int RunDialog(QDialog& dialog) override;
  void OpenSoftwareOptions() override;
  void OpenBypassDialog() override;
  void QuietSuccessBoxes(bool quiet) override { host_.SetQuietSuccess(quiet); }
  std::string ProgramFolder() const override {
    return ResourceFolder(setup_.paths.programFolder).string();
  }
  void OpenDocument(const std::string& path) override;
  ViewingPages& WindowPages() override { return windowPages_; }
  void ShowTrackOnRecordPage(const std::string& path, std::optional<long long> pointUtc) override;
  logbook::LogbookStore* Logbook() override { return logbook_.IsOpen() ? &logbook_ : nullptr; }
  const std::string& LogbookTrouble() const override { return logbookTrouble_; }
  void NameThisPlace(double latitude, double longitude) override;

  QtSessionHost& Host() { return host_; }
  DevicePage* DeviceTab() { return devicePage_; }
  TrackRecordPage* RecordTab() { return recordPage_; }
  HistoryPage* HistoryTab() { return historyPage_; }
  LogbookPage* LogbookTab() { return logbookPage_; }
  BypassDialog* Bypass() { return bypass_; }
  QString StatusText() const { return statusLine_->text(); }
  int ProgressPosition() const { return progress_->value(); }
  ConnectionImage Image() const { return image_; }
  // Imports track files of other devices (GPX, KML, NMEA) on the Track Record page, which it
  // shows, and loads the first track they gave; as a drop on the window or the program's
  // command line does.
  void OpenTrackFiles(const QStringList& files);
  // Whether a file of that name is one the window imports when dropped.
  static bool IsTrackFileName(const QString& name);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenu();
  QWidget* BuildStatusRow();
  void PlaceOnScreen();
  void SaveGeometry();
  void LoadSettingsFile();
  bool UseStartUpDataFolder();
  // The logbook (main_window_logbook.cpp).
  void OpenLogbook(bool startingUp);
  bool RetryLogbook();
  void FollowTracksInLogbook(const TrackChangeNotice& notice);
  void NoteTrackFileProblem(const TrackFileProblem& problem);
  void TellTrackFileProblems();
  bool ChangeDataFolder(const std::string& folder);
  void OnTabChanged(int index);
  void ShowPage(int index);
  void ShowConnectionImage(ConnectionImage image);
  void ShowAbout();
  void ShutDown();

  WindowSetup setup_;
  Settings settings_;
  TrackStore store_;
  ViewingPages windowPages_;
  QtSessionHost host_;
  LoggerSession session_;
  QTabWidget* tabs_ = nullptr;
  DevicePage* devicePage_ = nullptr;
  TrackRecordPage* recordPage_ = nullptr;
  HistoryPage* historyPage_ = nullptr;
  LogbookPage* logbookPage_ = nullptr;
  QLabel* imageLabel_ = nullptr;
  QLabel* statusLine_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPointer<BypassDialog> bypass_;
  QTimer portCheck_;
  // The logbook of the data folder, open while the window is, so that every cut and deletion of
  // a track is noted in it, shown or not.
  logbook::LogbookStore logbook_;
  std::string logbookTrouble_;
  std::string troubledLogbookFile_;  // the file's state when it could not be used
  int logbookListener_ = 0;
  int currentPage_ = -1;
  ConnectionImage image_ = ConnectionImage::Disconnected;
  bool shutDown_ = false;
  std::vector<TrackFileProblem> pendingProblems_;  // to be told together, once the work is done
  std::set<std::string> toldProblems_;             // told already, for the present data folder
};

}  // namespace tavrin::gui
