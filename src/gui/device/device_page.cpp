// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/device/device_page.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "gui/common/widget_helpers.h"
#include "gui/device/option_lists.h"
#include "gui/models/combo_list.h"

namespace tavrin::gui {

DevicePage::DevicePage(IPageOwner& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
  setObjectName("deviceControlPage");
  auto* left = new QVBoxLayout;
  left->addWidget(MakeCommunicationGroup());
  left->addWidget(MakeInformationGroup());
  left->addStretch();
  auto* middle = new QVBoxLayout;
  middle->addWidget(MakeOptionsGroup());
  middle->addWidget(
      MakeButton("softwareOptions", tr("Soft&ware Options"), &DevicePage::OnSoftwareOptions));
  middle->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(MakeControlGroup());
  right->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(left, 3);
  top->addLayout(middle, 3);
  top->addLayout(right, 3);

  trackView_ = new QTableView;
  trackView_->setTabKeyNavigation(false);  // Tab leaves the list; arrows move within it
  trackView_->setObjectName("trackList");
  trackView_->setAccessibleName(tr("Stored tracks"));
  trackView_->setModel(&trackList_);
  trackList_.KeepColumnsWide(trackView_);
  trackView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  trackView_->setShowGrid(true);  // the list shows grid lines on this page
  trackView_->verticalHeader()->hide();
  auto* page = new QVBoxLayout(this);
  page->addLayout(top);
  page->addWidget(trackView_, 1);

  for (int c = 0; c < trackList_.columnCount(); ++c) {
    trackView_->setColumnWidth(c, ColumnWidthFor(*trackView_, c, trackList_.ColumnWidth(c)));
  }
  const Settings& settings = owner_.AppSettings();
  FillOptionLists(settings.saveSpeed, settings.saveTime, settings.saveDistance);
  ComboList ports(*portList_), bauds(*baudList_);
  owner_.Ports().ListUsbPorts(&ports, &bauds);
  SetTabOrderOfControls();
  ApplyEnablingRule(false);
  portWatcher_ = std::make_unique<PortChangeWatcher>(owner_.Ports());
  // Loggers already there when the window opens are no arrivals.
  for (const PortInfo& port : owner_.Ports().Ports()) {
    if (port.IsLogger()) loggerPorts_.insert(port.devicePath);
  }
  arrivalTimer_ = new QTimer(this);
  arrivalTimer_->setSingleShot(true);
  connect(arrivalTimer_, &QTimer::timeout, this, &DevicePage::TryArrivalRead);
  notices_ = std::make_unique<DesktopNotices>([this] {
    window()->show();
    window()->raise();
    window()->activateWindow();
  });
  trackList_.SetUnits(UnitsOf(owner_.AppSettings().units));
  owner_.Store().Catalogue().ListTracks(&trackList_, false);
  changesListener_ = owner_.Store().Catalogue().ListenForChanges(
      [this](const TrackChangeNotice& notice) { OnTracksChanged(notice); });
}

DevicePage::~DevicePage() {
  owner_.Store().Catalogue().StopListening(changesListener_);
  trackList_.RemoveAllRows();
}

void DevicePage::UnitsChanged() {
  trackList_.SetUnits(UnitsOf(owner_.AppSettings().units));
  FillOptionLists(speedList_->currentData().toInt(), timeList_->currentData().toInt(),
                  distanceList_->currentData().toInt());
}

void DevicePage::PageActivated() {
  ListTracksAgain();
}

void DevicePage::ListTracksAgain() {
  tracksSaved_ = false;
  owner_.Store().Catalogue().ListTracks(&trackList_, false);
}

// A list that grows track by track while the logger is still sending would show a read that
// seems over: the tracks of a read are listed together, once the download has ended.
void DevicePage::OnTracksChanged(const TrackChangeNotice& notice) {
  if (notice.change == TrackChange::Saved) {
    tracksSaved_ = true;
    if (!owner_.Session().DownloadInProgress()) ListTracksAgain();
  } else if (isVisible()) {
    ListTracksAgain();  // a hidden page lists again when it is shown
  }
}

// Whatever ended a read, the memory figures shown are those from before it: they are asked for
// again, as connecting does.
void DevicePage::OnOperationEnded(const OperationEnd& end) {
  if (end.operation != Operation::Read) return;
  if (tracksSaved_) ListTracksAgain();
  if (arrivalRead_ == ArrivalRead::Reading) {
    EndArrivalRead(end.outcome != Outcome::Done);
    return;
  }
  owner_.Session().AskForFiguresQuietly();
}

void DevicePage::ApplyEnablingRule(bool connected) {
  for (QWidget* w : std::initializer_list<QWidget*>{usbPort_, comPort_, portList_, baudList_}) {
    w->setEnabled(!connected);
  }
  for (QPushButton* button : deviceButtons_) button->setEnabled(connected);
}

void DevicePage::FillOptionLists(int speed, int time, int distance) {
  const Units units = UnitsOf(owner_.AppSettings().units);
  FillOptionList(*speedList_, kSpeedOptions, speed, units);
  FillOptionList(*timeList_, kTimeOptions, time, units);
  FillOptionList(*distanceList_, kDistanceOptions, distance, units);
}

void DevicePage::ShowDeviceInfo(DeviceNotice what) {
  const DeviceState& d = owner_.Session().DeviceInfo();
  if (what == DeviceNotice::FullInfo) {
    FillOptionLists(d.saveBySpeed, d.saveByTime, d.saveByDistance);
    for (size_t i = 0; i < notes_.size(); ++i) {
      notes_[i]->setText(QString::fromStdString(d.noteGroups[i]));
    }
    memorySize_->setText(QString::asprintf(" %u Mbit", d.memorySize));
    capacity_ = static_cast<double>(d.Capacity());
    // Once the session is done with the answer: the read or the disconnection starts after.
    if (arrivalRead_ == ArrivalRead::Connecting) {
      arrivalRead_ = ArrivalRead::Reading;
      QTimer::singleShot(0, this, [this] { StartArrivalRead(); });
    }
  }
  ShowPointCounts();
}

// Nothing one logger told may stay on the page for the next: its notes would be written into
// the other by OK in Device Settings.
void DevicePage::ClearDeviceFields() {
  for (QLineEdit* note : notes_) note->clear();
  for (QLineEdit* figure : {trackPoints_, memorySize_, remainedMemory_}) figure->clear();
  capacity_ = 0;
  const Settings& settings = owner_.AppSettings();
  FillOptionLists(settings.saveSpeed, settings.saveTime, settings.saveDistance);
}

void DevicePage::ShowPointCounts() {
  const DeviceState& d = owner_.Session().DeviceInfo();
  trackPoints_->setText(QString::asprintf(" %u/%u", d.newPoints, d.usedPoints));
  if (capacity_ <= 0) return;  // no device information yet: nothing to measure against
  // The product is taken in 32 bits, as the logger's own figures are.
  const auto used = static_cast<double>(static_cast<uint32_t>(d.usedPoints * 100u));
  const int remaining = static_cast<int>(100.0 - used / capacity_);
  remainedMemory_->setText(QString::asprintf(" %d %c", remaining, '%'));
}

void DevicePage::OnConnectionLost() {
  if (arrivalRead_ == ArrivalRead::Connecting) {
    arrivalRetries_.Forget(claimedPort_);  // the logger is gone, or will arrive anew
    FinishArrival();
  }
  ClearDeviceFields();
  connect_->setText(tr("&Connect"));
  ApplyEnablingRule(false);
  ListPortsAgain();
}

void DevicePage::CheckPortChanges() {
  const auto mode = portWatcher_->Poll();
  if (mode) ReadArrivingLogger();  // the loggers are looked at only when the ports changed
  // While connected the box shows the port in use; the list is made again on disconnecting.
  if (!mode || owner_.Session().IsConnected()) return;
  ComboList ports(*portList_);
  owner_.Ports().RescanPorts(&ports, *mode, ShownKind());
}

PortKind DevicePage::ShownKind() const {
  return usbPort_->isChecked() ? PortKind::Usb : PortKind::Serial;
}

// After a connection: the ports of the chosen kind as they are now, the one just used chosen
// again while it is there.
void DevicePage::ListPortsAgain() {
  ComboList ports(*portList_);
  if (ShownKind() == PortKind::Usb) {
    owner_.Ports().ListUsbPorts(&ports, nullptr);
  } else {
    owner_.Ports().ListSerialPorts(&ports, nullptr);
  }
  const int used = portList_->findText(connectedPort_, Qt::MatchFixedString);
  const int spaced = portList_->findText(QLatin1Char(' ') + connectedPort_, Qt::MatchFixedString);
  if (used >= 0 || spaced >= 0) portList_->setCurrentIndex(used >= 0 ? used : spaced);
}

}  // namespace tavrin::gui
