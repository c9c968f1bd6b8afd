// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/session/qt_session_host.h"

#include <QMetaObject>

#include "gui/session/core_words.h"

namespace tavrin::gui {

QtSessionHost::QtSessionHost(MessageBoxFn messageBox, PeriodQuestion askPeriod, QObject* parent)
    : QObject(parent), messageBox_(std::move(messageBox)), askPeriod_(std::move(askPeriod)) {
  qRegisterMetaType<tavrin::DeviceNotice>();
  qRegisterMetaType<tavrin::ConnectionImage>();
  qRegisterMetaType<tavrin::OperationEnd>();
}

QtSessionHost::~QtSessionHost() {
  session_ = nullptr;
}

void QtSessionHost::SetStatusText(const std::string& text) {
  emit statusText(QString::fromStdString(text));
}

void QtSessionHost::SetProgress(int position) {
  emit progress(position);
}

MsgAnswer QtSessionHost::ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) {
  if (!messageBox_) return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
  return messageBox_(text, icon, buttons);
}

// The status line before the box, as the window has always shown them.
void QtSessionHost::Report(const SessionReport& report) {
  const std::string text = ReportText(report).toStdString();
  // A read nobody asked for in person tells of a plain success on the status line only; a
  // warning that came with it still has its box.
  const bool plainDone =
      report.kind == SessionReportKind::ReadDone && report.place == ReportPlace::Box;
  const bool boxed = report.InBox() && !(quietSuccess_ && plainDone);
  if (report.OnStatusLine() || (report.InBox() && !boxed)) SetStatusText(text);
  if (!boxed) return;
  // Such a read ends with a desktop notice, which a box waiting to be closed would hold back:
  // the box comes once the read's end has been told.
  if (quietSuccess_) {
    QMetaObject::invokeMethod(
        this, [this, text, icon = report.icon] { ShowMessage(text, icon, MsgButtons::Ok); },
        Qt::QueuedConnection);
    return;
  }
  ShowMessage(text, report.icon, MsgButtons::Ok);
}

bool QtSessionHost::Confirm(SessionQuestion question) {
  switch (question) {
    case SessionQuestion::EraseMemory:
      return ShowMessage("Do you remove all Flash memory?", MsgIcon::Warning,
                         MsgButtons::OkCancel) == MsgAnswer::Ok;
  }
  return false;
}

void QtSessionHost::NotifyDeviceInfo(DeviceNotice what) {
  emit deviceInfo(what);
}

QTimer& QtSessionHost::TimerFor(SessionTimer timer) {
  QTimer*& slot = timers_[timer];
  if (slot == nullptr) {
    slot = new QTimer(this);
    slot->setSingleShot(true);
    slot->setTimerType(Qt::PreciseTimer);
    connect(slot, &QTimer::timeout, this, [this, timer] {
      if (session_ != nullptr) session_->OnTimer(timer);
    });
  }
  return *slot;
}

void QtSessionHost::StartTimer(SessionTimer timer, int milliseconds) {
  TimerFor(timer).start(milliseconds);
}

void QtSessionHost::StopTimer(SessionTimer timer) {
  TimerFor(timer).stop();
}

std::optional<ReadPeriod> QtSessionHost::AskReadPeriod() {
  return askPeriod_ ? askPeriod_() : std::nullopt;
}

void QtSessionHost::SetConnectionImage(ConnectionImage image) {
  emit connectionImage(image);
}

void QtSessionHost::ConnectionLost() {
  emit connectionLost();
}

void QtSessionHost::OperationEnded(const OperationEnd& end) {
  emit operationEnded(end);
}

// Called by the link, possibly on its watch thread: the work is queued onto this object's
// thread, and done there only while a session is attached.
void QtSessionHost::PostDataArrived() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (session_ != nullptr) session_->OnDataArrived();
      },
      Qt::QueuedConnection);
}

void QtSessionHost::PostConnectionLost() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (session_ != nullptr) session_->OnConnectionLost();
      },
      Qt::QueuedConnection);
}

}  // namespace tavrin::gui
