// SPDX-License-Identifier: GPL-3.0-or-later
// "Device bypass control": switches the logger's pass-through mode on and off and sends one
// $PSRF201 sentence with a text of the user's. Modeless and one at a time; closing it ends the
// bypass mode.
#pragma once

#include <QDialog>
#include <QLineEdit>

#include "base/message_box.h"
#include "protocol/logger_session.h"

namespace tavrin::gui {

// The longest text that fits the logger's 128-byte sentence with "$PSRF201,1,", "*hh\r\n" and
// the end mark.
constexpr int kBypassTextLimit = 111;

class BypassDialog : public QDialog {
  Q_OBJECT

 public:
  BypassDialog(LoggerSession& session, MessageBoxFn messageBox, QWidget* parent = nullptr);

 signals:
  // The window was closed and the bypass mode ended; the owner lets it go.
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void OnSendCommand();

  LoggerSession& session_;
  MessageBoxFn messageBox_;
  QLineEdit* text_ = nullptr;
  bool ended_ = false;
};

}  // namespace tavrin::gui
