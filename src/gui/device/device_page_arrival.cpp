// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a logger as it is plugged in: with "Read new tracks when the logger is plugged in"
// ticked, a logger port that appears while the user is not connected is claimed (so that a
// running tavrin watch leaves it alone, or says it has it), connected, read for its new tracks
// and disconnected, with the usual progress; a desktop notice tells of it when the window is not
// the active one. A logger still scanning its memory, or a port not yet handed to the user, is
// tried again every few seconds for a while (ArrivalRetries).
#include <QLocale>
#include <algorithm>
#include <chrono>

#include "gui/device/device_page.h"
#include "gui/models/combo_list.h"
#include "protocol/session_reports.h"

namespace tavrin::gui {

void DevicePage::ReadArrivingLogger() {
  std::set<std::string> now;
  for (const PortInfo& port : owner_.Ports().Ports()) {
    if (port.IsLogger()) now.insert(port.devicePath);
  }
  std::vector<std::string> arrived;
  for (const std::string& port : now) {
    if (!loggerPorts_.contains(port)) arrived.push_back(port);
  }
  for (const std::string& port : loggerPorts_) {
    if (!now.contains(port)) arrivalRetries_.Forget(port);
  }
  loggerPorts_ = now;
  if (arrivalClaim_ && !now.contains(claimedPort_)) arrivalClaim_.reset();  // it left
  // The user at work with a logger, or the option off: an arrival is only listed.
  if (arrived.empty() || !owner_.AppSettings().readOnArrival || owner_.Session().IsConnected() ||
      arrivalRead_ != ArrivalRead::None)
    return;
  for (const std::string& port : arrived) {
    arrivalRetries_.Arrived(port, ArrivalRetries::Clock::now());
  }
  TryArrivalRead();
}

// The first logger whose try is due is claimed, connected and read.
void DevicePage::TryArrivalRead() {
  const std::vector<std::string> due = arrivalRetries_.Due(ArrivalRetries::Clock::now());
  if (arrivalRead_ != ArrivalRead::None) return;  // the read under way tries the rest after
  if (owner_.Session().IsConnected() || !owner_.AppSettings().readOnArrival) {
    // The user took over meanwhile: the loggers waiting are theirs to read.
    for (const std::string& port : due) arrivalRetries_.Forget(port);
    return ScheduleArrivalTry();
  }
  if (due.empty()) return ScheduleArrivalTry();
  const std::string& port = due.front();
  if (!ClaimArrival(port)) {
    arrivalRetries_.Forget(port);
    return ScheduleArrivalTry();
  }
  // Chosen as the user would choose it: the logger's USB ports, this one.
  usbPort_->setChecked(true);
  ComboList ports(*portList_), bauds(*baudList_);
  owner_.Ports().ListUsbPorts(&ports, &bauds);
  const auto info = owner_.Ports().Find(port);
  const int entry = portList_->findText(QString::fromStdString(info ? info->name : port));
  if (entry >= 0) portList_->setCurrentIndex(entry);
  arrivalRead_ = ArrivalRead::Connecting;
  owner_.QuietSuccessBoxes(true);
  QString notReady;
  if (Connect(&notReady)) return;
  FinishArrival();
  if (!notReady.isEmpty()) return ArrivalNotReady(notReady);
  arrivalRetries_.Forget(port);
  ScheduleArrivalTry();
}

// Claims the port for this window, unless it is claimed already; false when another program
// has it, which the status line says.
bool DevicePage::ClaimArrival(const std::string& port) {
  if (arrivalClaim_ && claimedPort_ == port) return true;
  std::string heldBy;
  std::optional<PortClaim> claim = PortClaim::Take(port, "the window", heldBy);
  if (!claim) {
    // The claim names its holder in English, for every program that reads it; the names this
    // program gives are said in the window's language.
    const QString holder = heldBy == "the watcher"       ? tr("the watcher")
                           : heldBy == "the window"      ? tr("the window")
                           : heldBy == "another program" ? tr("another program")
                                                         : QString::fromStdString(heldBy);
    Status(tr("The logger on %1 is read by %2.").arg(QString::fromStdString(port), holder));
    return false;
  }
  if (!claim->Problem().empty() && !claimProblemTold_) {
    claimProblemTold_ = true;
    owner_.ShowMessage(claim->Problem(), MsgIcon::Warning, MsgButtons::Ok);
  }
  arrivalClaim_ = std::move(claim);
  claimedPort_ = port;
  return true;
}

// The logger or its port is not ready yet: it is tried again a little later, or, when it has
// been tried long enough, the reason stands.
void DevicePage::ArrivalNotReady(const QString& why) {
  const QString port = QString::fromStdString(claimedPort_);
  if (arrivalRetries_.TryAgain(claimedPort_, ArrivalRetries::Clock::now())) {
    Status(tr("The logger on %1 is not ready yet; it is tried again in %2 s.")
               .arg(port)
               .arg(ArrivalRetries::kPause.count()));
    return ScheduleArrivalTry();
  }
  owner_.ShowMessage(why.toStdString(), MsgIcon::Error, MsgButtons::Ok);
  ScheduleArrivalTry();
}

void DevicePage::ScheduleArrivalTry() {
  const auto next = arrivalRetries_.NextDue();
  if (!next) return;
  const auto wait =
      std::chrono::duration_cast<std::chrono::milliseconds>(*next - ArrivalRetries::Clock::now());
  arrivalTimer_->start(static_cast<int>(std::max<long long>(0, wait.count())));
}

// The logger told what it holds: its new tracks are read, or there are none.
void DevicePage::StartArrivalRead() {
  if (!owner_.Session().IsConnected()) {  // gone meanwhile
    arrivalRetries_.Forget(claimedPort_);
    return FinishArrival();
  }
  const DeviceState::ReadBlock block = owner_.Session().DeviceInfo().WhatBlocksARead(true);
  // A logger still scanning its memory is let go and asked again a little later.
  if (block == DeviceState::ReadBlock::FiguresDoNotAddUp &&
      arrivalRetries_.TryAgain(claimedPort_, ArrivalRetries::Clock::now())) {
    FinishArrival();
    Disconnect();
    Status(tr("The logger on %1 is not ready yet; it is tried again in %2 s.")
               .arg(QString::fromStdString(claimedPort_))
               .arg(ArrivalRetries::kPause.count()));
    return ScheduleArrivalTry();
  }
  arrivalRetries_.Forget(claimedPort_);
  if (block == DeviceState::ReadBlock::NoNewTracks) {
    FinishArrival();
    Disconnect();
    Status(tr("No new tracks on the logger on %1.").arg(QString::fromStdString(claimedPort_)));
    TellOfRead(ReadNoticeSummary(0, 0, false), ReadEnd::NoNewTracks);
    return;
  }
  OnReadNewTracks();
  if (!owner_.Session().TransferActive()) {  // refused, with the page's own word
    FinishArrival();
    Disconnect();
  }
}

// Every try ends here, its port either forgotten or its next try set: other loggers that arrived
// meanwhile have their turn.
void DevicePage::FinishArrival() {
  arrivalRead_ = ArrivalRead::None;
  owner_.QuietSuccessBoxes(false);
  if (arrivalRetries_.NextDue()) QTimer::singleShot(0, this, [this] { ScheduleArrivalTry(); });
}

void DevicePage::EndArrivalRead(bool failed) {
  FinishArrival();
  const ReadFigures read = owner_.Session().ReadSoFar();
  if (owner_.Session().IsConnected()) Disconnect();
  if (!failed) {
    // The notice's summary without the program's name that leads it in every language.
    const QString summary = ReadNoticeSummary(read.filesWritten, read.pointsSaved, false)
                                .mid(QStringLiteral("Tavrin Lite: ").size());
    Status(tr("Read %1 from %2; disconnected.").arg(summary, QString::fromStdString(claimedPort_)));
  }
  TellOfRead(ReadNoticeSummary(read.filesWritten, read.pointsSaved, failed),
             failed ? ReadEnd::Failed : ReadEnd::Done);
}

// The window shows its own progress and status; a notice is for a user who is elsewhere.
void DevicePage::TellOfRead(const QString& summary, ReadEnd end) {
  if (window()->isActiveWindow()) return;
  notices_->Show(summary, ReadNoticeBody(end, QString::fromStdString(claimedPort_),
                                         QString::fromStdString(owner_.Store().DataFolder())));
}

}  // namespace tavrin::gui
