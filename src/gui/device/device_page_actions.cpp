// SPDX-License-Identifier: GPL-3.0-or-later
// What the Device Control page's buttons do.
#include <QCoreApplication>

#include "gui/device/device_page.h"
#include "gui/device/device_settings_dialog.h"
#include "gui/device/option_lists.h"
#include "gui/device/read_period_dialog.h"
#include "gui/models/combo_list.h"
#include "wording/session_wording.h"

namespace tavrin::gui {
namespace {

constexpr char kBusy[] = QT_TRANSLATE_NOOP("DevicePage", "Reading data.");
constexpr char kNothingToRead[] =
    QT_TRANSLATE_NOOP("DevicePage", "Reading data or Empty track data.");
// The logger takes the options and the note groups apart more surely with a pause between them.
constexpr int kNotesAfterOptionsMs = 10;

}  // namespace

bool DevicePage::Busy() {
  if (!owner_.Session().DownloadInProgress()) return false;
  owner_.ShowMessage(QCoreApplication::translate("DevicePage", kBusy).toStdString(),
                     MsgIcon::Warning, MsgButtons::Ok);
  return true;
}

void DevicePage::OnUsbPort() {
  ComboList ports(*portList_), bauds(*baudList_);
  owner_.Ports().ListUsbPorts(&ports, &bauds);
  Status(tr("Select USB Connect."));
}

void DevicePage::OnComPort() {
  ComboList ports(*portList_), bauds(*baudList_);
  owner_.Ports().ListSerialPorts(&ports, &bauds);
  Status(tr("Select COM Port(Serial) Connect."));
}

void DevicePage::OnConnect() {
  if (owner_.Session().IsConnected()) {
    Disconnect();
  } else {
    Connect();
  }
}

// "ttyACM0(115200)": the port and the speed of the last connection.
QString DevicePage::PortText() const {
  return QStringLiteral("%1(%2)").arg(connectedPort_).arg(connectedBaud_);
}

bool DevicePage::Connect(QString* notReady) {
  if (portList_->currentIndex() < 0) {
    owner_.ShowMessage(tr("There is no connected port.").toStdString(), MsgIcon::Warning,
                       MsgButtons::Ok);
    return false;
  }
  // The entry names the port (ttyACM0, or an emulated logger's pty path); the device path is
  // found again now, as the device may have come back under the same name.
  const QString name = portList_->currentText().trimmed();
  const auto port = owner_.Ports().Find(name.toStdString());
  const std::string device = port ? port->devicePath : name.toStdString();
  const int baud = baudList_->currentText().trimmed().toInt();
  LoggerSession& session = owner_.Session();
  session.SetPort(device, static_cast<uint32_t>(baud));
  if (!session.Connect()) {
    // A logger just plugged in may not be handed to the user yet: its caller tries again.
    if (notReady && OpenFailureMayPass(session.OpenErrorNumber())) {
      *notReady = QString::fromStdString(session.OpenError());
      return false;
    }
    // The reason and the remedy: no such device, permission denied, busy, not a serial port.
    owner_.ShowMessage(session.OpenError(), MsgIcon::Error, MsgButtons::Ok);
    return false;
  }
  ClearDeviceFields();
  connectedPort_ = name;
  connectedBaud_ = baud;
  connect_->setText(tr("Dis&connect"));
  ApplyEnablingRule(true);
  // The page shows at once what the logger holds: without it a read right after connecting was
  // refused as "Empty track data" though the logger was full of tracks.
  session.SendCommand(Command::GetInfo);
  Status(tr("Connected %1.").arg(PortText()));
  return true;
}

void DevicePage::Disconnect() {
  // A read in progress is stopped as the stop command does, keeping what arrived.
  const bool reading = owner_.Session().TransferActive();
  owner_.Session().Disconnect();
  ClearDeviceFields();
  connect_->setText(tr("&Connect"));
  ApplyEnablingRule(false);
  ListPortsAgain();
  Status(tr("Disconnected %1.").arg(PortText()));
  if (reading) ReportReadCutShort();
}

// As the command line tells of a read it stops: cut short, and what of it was kept.
void DevicePage::ReportReadCutShort() {
  const LoggerSession& session = owner_.Session();
  const QString text =
      tr("Disconnected %1. The read was cut short %2. %3 Connect again and read "
         "the tracks again to get the rest.")
          .arg(PortText(), QString::fromStdString(SectorsText(session.SectorsReceived())),
               QString::fromStdString(SavedSummary(session.ReadSoFar())));
  Status(text);
  owner_.ShowMessage(text.toStdString(), MsgIcon::Warning, MsgButtons::Ok);
}

// A read into a folder that cannot take its track files would lose them, and a read of new
// tracks would leave the logger counting them as read: the folder is tried first.
bool DevicePage::TracksCanBeStored() {
  const auto writable = owner_.Store().CheckTracksCanBeWritten();
  if (writable) return true;
  owner_.ShowMessage(tr("%1 Make the folder writable or free some disk space, then read again. "
                        "Nothing was read from the logger.")
                         .arg(QString::fromStdString(writable.Error().reason))
                         .toStdString(),
                     MsgIcon::Error, MsgButtons::Ok);
  return false;
}

void DevicePage::OnDeviceSettings() {
  if (Busy()) return;
  LoggerSession& session = owner_.Session();
  DeviceSettingsDialog dialog(
      session.DeviceInfo(),
      [this](const std::string& text, MsgIcon icon, MsgButtons buttons) {
        return owner_.ShowMessage(text, icon, buttons);
      },
      this);
  if (owner_.RunDialog(dialog) != QDialog::Accepted) return;
  const SaveOptions& options = dialog.ChosenOptions();
  FillOptionLists(options.bySpeed, options.byTime, options.byDistance);
  session.SendCommand(Command::SetOptions, {.saveOptions = options});
  session.SendCommandAfter(kNotesAfterOptionsMs, Command::SetNotes,
                           {.noteGroups = dialog.ChosenNoteGroups()});
}

void DevicePage::OnReadOptions() {
  if (Busy()) return;
  owner_.Session().SendCommand(Command::GetInfo);
  Status(tr("Load Setting(Env) form Memory."));
}

void DevicePage::OnSetOptions() {
  if (Busy()) return;
  owner_.Session().SendCommand(Command::SetOptions, {.saveOptions = ChosenSaveOptions()});
  Status(tr("Save Setting(Env) to Memory."));
}

// The options in the three lists; a "U-" entry keeps the value the logger already has.
SaveOptions DevicePage::ChosenSaveOptions() const {
  const DeviceState& d = owner_.Session().DeviceInfo();
  SaveOptions options{d.saveBySpeed, d.saveByTime, d.saveByDistance};
  if (const auto v = ChosenTableValue(*speedList_, kSpeedOptions)) {
    options.bySpeed = static_cast<uint8_t>(*v);
  }
  if (const auto v = ChosenTableValue(*timeList_, kTimeOptions)) {
    options.byTime = static_cast<uint8_t>(*v);
  }
  if (const auto v = ChosenTableValue(*distanceList_, kDistanceOptions)) {
    options.byDistance = static_cast<uint16_t>(*v);
  }
  return options;
}

// What every read checks before it asks the logger: no read running, figures that describe a
// memory that can be read (with new points, for new tracks), a data folder that takes tracks.
bool DevicePage::ReadMayStart(bool newTracksOnly) {
  if (Busy()) return false;
  // The window says one thing for every reason the figures give.
  if (owner_.Session().DeviceInfo().WhatBlocksARead(newTracksOnly) !=
      DeviceState::ReadBlock::None) {
    owner_.ShowMessage(QCoreApplication::translate("DevicePage", kNothingToRead).toStdString(),
                       MsgIcon::Information, MsgButtons::Ok);
    return false;
  }
  return TracksCanBeStored();
}

void DevicePage::OnReadNewTracks() {
  if (!ReadMayStart(true)) return;
  owner_.Session().SendCommand(nmea_->isChecked() ? Command::ReadNewNmea : Command::ReadNewBinary);
}

void DevicePage::OnGetAllTracks() {
  if (!ReadMayStart(false)) return;
  if (owner_.ShowMessage(
          tr("Recommend \"Get New of Memory\".\r\nExecute \"Get All of Memory\"?").toStdString(),
          MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes) {
    return;
  }
  owner_.Session().SendCommand(nmea_->isChecked() ? Command::ReadAllNmea : Command::ReadAllBinary);
}

void DevicePage::OnEraseAllTracks() {
  if (Busy()) return;
  // A declined question leaves the session's own word on the status line.
  if (owner_.Session().SendCommand(Command::Erase)) Status(tr("Delete data in Memory."));
}

// A read that the stop ends is summed up by the session after this line, on the status line and
// in a box.
void DevicePage::OnStopReading() {
  const bool reading = owner_.Session().TransferActive();
  if (reading) Status(tr("Stop to read memory."));
  owner_.Session().SendCommand(Command::Stop);
  if (!reading) Status(tr("Stop to read memory."));
}

void DevicePage::OnGetDateTime() {
  if (!ReadMayStart(false)) return;
  // The session asks for the period through the window's Read period dialog.
  owner_.Session().SendCommand(nmea_->isChecked() ? Command::ReadPeriodNmea
                                                  : Command::ReadPeriodBinary);
}

void DevicePage::OnBypassMode() {
  owner_.OpenBypassDialog();
}

void DevicePage::OnSoftwareOptions() {
  owner_.OpenSoftwareOptions();
}

}  // namespace tavrin::gui
