#include "gui/window/qt_session_host.h"

#include <QMetaObject>

namespace tavrin::gui {

CQtSessionHost::CQtSessionHost(MessageBoxFn messageBox, PeriodQuestion askPeriod, QObject* parent)
    : QObject(parent), messageBox_(std::move(messageBox)), askPeriod_(std::move(askPeriod)) {
  qRegisterMetaType<tavrin::DeviceNotice>();
  qRegisterMetaType<tavrin::ConnectionImage>();
  qRegisterMetaType<tavrin::OperationEnd>();
}

CQtSessionHost::~CQtSessionHost() {
  session_ = nullptr;
}

void CQtSessionHost::SetStatusText(const std::string& text) {
  emit statusText(QString::fromStdString(text));
}

void CQtSessionHost::SetProgress(int position) {
  emit progress(position);
}

MsgAnswer CQtSessionHost::ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) {
  if (!messageBox_) return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
  return messageBox_(text, icon, buttons);
}

void CQtSessionHost::NotifyDeviceInfo(DeviceNotice what) {
  emit deviceInfo(what);
}

QTimer& CQtSessionHost::TimerFor(SessionTimer timer) {
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

void CQtSessionHost::StartTimer(SessionTimer timer, int milliseconds) {
  TimerFor(timer).start(milliseconds);
}

void CQtSessionHost::StopTimer(SessionTimer timer) {
  TimerFor(timer).stop();
}

std::optional<ReadPeriod> CQtSessionHost::AskReadPeriod() {
  return askPeriod_ ? askPeriod_() : std::nullopt;
}

void CQtSessionHost::SetConnectionImage(ConnectionImage image) {
  emit connectionImage(image);
}

void CQtSessionHost::ConnectionLost() {
  emit connectionLost();
}

void CQtSessionHost::OperationEnded(const OperationEnd& end) {
  emit operationEnded(end);
}

// Called by the link, possibly on its watch thread: the work is queued onto this object's
// thread, and done there only while a session is attached.
void CQtSessionHost::PostDataArrived() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (session_ != nullptr) session_->OnDataArrived();
      },
      Qt::QueuedConnection);
}

void CQtSessionHost::PostConnectionLost() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (session_ != nullptr) session_->OnConnectionLost();
      },
      Qt::QueuedConnection);
}

}  // namespace tavrin::gui
