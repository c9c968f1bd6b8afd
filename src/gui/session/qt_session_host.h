// SPDX-License-Identifier: GPL-3.0-or-later
// The logger session's host in the window: posted arrivals and hang-ups are queued onto the GUI
// thread, the session's timers are single-shot QTimers by id, message boxes and the period
// question go through functions the window (or a test) hands in, and everything the pages show
// leaves as a signal. The window owns it; it is not the window.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <optional>

#include "base/message_box.h"
#include "protocol/logger_session.h"

namespace tavrin::gui {

using PeriodQuestion = std::function<std::optional<ReadPeriod>()>;

class QtSessionHost : public QObject, public ISessionHost {
  Q_OBJECT

 public:
  QtSessionHost(MessageBoxFn messageBox, PeriodQuestion askPeriod, QObject* parent = nullptr);
  ~QtSessionHost() override;

  // The session the posted work goes to; null stops all further handling (the window closes).
  void Attach(LoggerSession* session) { session_ = session; }
  void SetMessageBox(MessageBoxFn messageBox) { messageBox_ = std::move(messageBox); }
  void SetPeriodQuestion(PeriodQuestion askPeriod) { askPeriod_ = std::move(askPeriod); }
  // For a read nobody asked for in person: its plain "done" stays on the status line, out of a
  // box, and its other boxes wait until the read's end has been told (and its notice shown).
  void SetQuietSuccess(bool quiet) { quietSuccess_ = quiet; }
  MsgAnswer ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons);

  // ISessionHost
  void SetStatusText(const std::string& text) override;
  void SetProgress(int position) override;
  void Report(const SessionReport& report) override;
  bool Confirm(SessionQuestion question) override;
  void NotifyDeviceInfo(DeviceNotice what) override;
  void StartTimer(SessionTimer timer, int milliseconds) override;
  void StopTimer(SessionTimer timer) override;
  std::optional<ReadPeriod> AskReadPeriod() override;
  void SetConnectionImage(ConnectionImage image) override;
  void ConnectionLost() override;
  void OperationEnded(const OperationEnd& end) override;
  void PostDataArrived() override;
  void PostConnectionLost() override;

 signals:
  void statusText(const QString& text);
  void progress(int position);
  void deviceInfo(tavrin::DeviceNotice what);
  void connectionImage(tavrin::ConnectionImage image);
  void connectionLost();
  void operationEnded(const tavrin::OperationEnd& end);

 private:
  QTimer& TimerFor(SessionTimer timer);

  LoggerSession* session_ = nullptr;
  MessageBoxFn messageBox_;
  bool quietSuccess_ = false;
  PeriodQuestion askPeriod_;
  std::map<SessionTimer, QTimer*> timers_;
};

}  // namespace tavrin::gui

Q_DECLARE_METATYPE(tavrin::DeviceNotice)
Q_DECLARE_METATYPE(tavrin::ConnectionImage)
Q_DECLARE_METATYPE(tavrin::OperationEnd)
