// SPDX-License-Identifier: GPL-3.0-or-later
// The Device Control page: the port to connect on, the logger's options, note groups and memory
// figures, the read, erase and stop commands, and the list of stored tracks. Every device action
// is one call of the session; what comes back arrives through the window's host.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <set>

#include "desktop/desktop_notice.h"
#include "gui/common/page_owner.h"
#include "gui/models/track_list_model.h"
#include "serial/arrival_retries.h"
#include "serial/port_claim.h"

namespace tavrin::gui {

class DevicePage : public QWidget {
  Q_OBJECT

 public:
  explicit DevicePage(IPageOwner& owner, QWidget* parent = nullptr);
  ~DevicePage() override;

  TrackListModel& TrackList() { return trackList_; }
  // The tab became the shown one: list the stored tracks again.
  void PageActivated();
  // Distances and speeds are now shown in the other units.
  void UnitsChanged();
  // The session's notices 5 (all device information) and 6 (point counts).
  void ShowDeviceInfo(DeviceNotice what);
  // The line went down: the page goes back to its disconnected state.
  void OnConnectionLost();
  // Track files changed: a read's tracks are listed when the download is over, other changes
  // when the page is shown.
  void OnTracksChanged(const TrackChangeNotice& notice);
  // An operation of the session ended: a read that saved tracks lists them.
  void OnOperationEnded(const OperationEnd& end);
  // Looks for ports that came or went (the window's timer calls it), and reads a logger that
  // arrives when Software Options says so.
  void CheckPortChanges();

 private:
  // Layout (device_page_layout.cpp).
  QWidget* MakeCommunicationGroup();
  QWidget* MakeInformationGroup();
  QWidget* MakeOptionsGroup();
  QWidget* MakeControlGroup();
  QPushButton* MakeButton(const char* objectName, const QString& caption,
                          void (DevicePage::*slot)());
  // Tab follows the page as it reads: the left column, the middle, the right, then the list.
  void SetTabOrderOfControls();

  // Handlers (device_page_actions.cpp).
  void OnUsbPort();
  void OnComPort();
  void OnConnect();
  void OnDeviceSettings();
  void OnReadOptions();
  void OnSetOptions();
  void OnReadNewTracks();
  void OnGetAllTracks();
  void OnEraseAllTracks();
  void OnStopReading();
  void OnGetDateTime();
  void OnBypassMode();
  void OnSoftwareOptions();

  // Opens the chosen port; false when it could not be, told in a box, or for a reason that may
  // pass in `notReady` when the caller will try again.
  bool Connect(QString* notReady = nullptr);
  void Disconnect();
  void ApplyEnablingRule(bool connected);
  bool Busy();
  bool ReadMayStart(bool newTracksOnly);
  bool TracksCanBeStored();
  void ReportReadCutShort();
  void ShowPointCounts();
  void ClearDeviceFields();
  PortKind ShownKind() const;
  void ListPortsAgain();
  void FillOptionLists(int speed, int time, int distance);
  SaveOptions ChosenSaveOptions() const;
  void ListTracksAgain();
  void Status(const QString& text) { owner_.SetStatusText(text.toStdString()); }
  QString PortText() const;

  // Reading a logger as it arrives (device_page_arrival.cpp).
  void ReadArrivingLogger();
  void TryArrivalRead();
  bool ClaimArrival(const std::string& port);
  void ArrivalNotReady(const QString& why);
  void ScheduleArrivalTry();
  void StartArrivalRead();
  void EndArrivalRead(bool failed);
  void FinishArrival();
  void TellOfRead(const QString& summary, ReadEnd end);

  IPageOwner& owner_;
  TrackListModel trackList_;
  std::unique_ptr<PortChangeWatcher> portWatcher_;
  double capacity_ = 0;       // points the logger holds, from the last device information
  bool tracksSaved_ = false;  // a read saved tracks that the list does not show yet
  int changesListener_ = 0;   // the store's number for OnTracksChanged

  QRadioButton* usbPort_ = nullptr;
  QRadioButton* comPort_ = nullptr;
  QComboBox* portList_ = nullptr;
  QComboBox* baudList_ = nullptr;
  QPushButton* connect_ = nullptr;
  std::array<QLineEdit*, 4> notes_{};
  QComboBox* speedList_ = nullptr;
  QComboBox* timeList_ = nullptr;
  QComboBox* distanceList_ = nullptr;
  QCheckBox* nmea_ = nullptr;
  QLineEdit* trackPoints_ = nullptr;
  QLineEdit* memorySize_ = nullptr;
  QLineEdit* remainedMemory_ = nullptr;
  QTableView* trackView_ = nullptr;
  std::vector<QPushButton*> deviceButtons_;  // enabled only while connected
  QPushButton* getDateTime_ = nullptr;
  QPushButton* bypass_ = nullptr;
  QString connectedPort_;
  int connectedBaud_ = 0;

  // The logger ports seen at the last look, and the one claimed for a read on arrival (kept
  // until it leaves, so that no other program reads this arrival).
  std::set<std::string> loggerPorts_;
  std::optional<PortClaim> arrivalClaim_;
  std::string claimedPort_;
  enum class ArrivalRead { None, Connecting, Reading } arrivalRead_ = ArrivalRead::None;
  // Loggers not ready when they arrived, tried again a few seconds apart.
  ArrivalRetries arrivalRetries_;
  QTimer* arrivalTimer_ = nullptr;
  bool claimProblemTold_ = false;  // an untrusted runtime folder is told of once
  std::unique_ptr<DesktopNotices> notices_;
};

}  // namespace tavrin::gui
