// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/device/bypass_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/widget_helpers.h"

namespace tavrin::gui {
namespace {

// Why the logger cannot be sent `text`, or nothing.
std::optional<std::string> RefusalOf(const QString& text) {
  if (text.size() > kBypassTextLimit) {
    return QCoreApplication::translate("BypassDialog",
                                       "The text has %1 characters; the logger takes at most %2. "
                                       "Shorten it and send it again.")
        .arg(QString::number(text.size()), QString::number(kBypassTextLimit))
        .toStdString();
  }
  for (const QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() > 0x7e || c == u'$' || c == u'*') {
      return QCoreApplication::translate(
                 "BypassDialog",
                 "The text may hold only plain ASCII letters, digits, spaces and signs, without $ "
                 "or *. Change it and send it again.")
          .toStdString();
    }
  }
  return std::nullopt;
}

}  // namespace

BypassDialog::BypassDialog(LoggerSession& session, MessageBoxFn messageBox, QWidget* parent)
    : QDialog(parent), session_(session), messageBox_(std::move(messageBox)) {
  setObjectName("bypassDialog");
  setWindowTitle(tr("Device bypass control"));
  setModal(false);
  text_ = new QLineEdit;
  text_->setObjectName("bypassText");
  text_->setMaxLength(127);
  auto* data = new QLabel(tr("&Data: $PSRF201,1,%s*hh<CR><LF> - %s: edit only"));
  data->setBuddy(text_);
  text_->setAccessibleName(tr("Bypass text"));
  auto* send = NamedButton("sendCmd", tr("&Send Cmd"));
  auto* test = NamedButton("bypassTest", tr("Bypass &Test"));
  auto* end = NamedButton("bypassEnd", tr("Bypass &END"));
  connect(send, &QPushButton::clicked, this, &BypassDialog::OnSendCommand);
  connect(test, &QPushButton::clicked, this,
          [this] { session_.SendCommand(Command::BypassStart); });
  connect(end, &QPushButton::clicked, this, [this] { session_.SendCommand(Command::BypassEnd); });
  auto* row = new QHBoxLayout;
  row->addWidget(text_, 1);
  row->addWidget(send);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(test);
  buttons->addWidget(end);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tr("*Send Command Module")));
  layout->addWidget(new QLabel(tr("(Port A->Port B or Port B->Port A)")));
  layout->addWidget(data);
  layout->addLayout(row);
  layout->addLayout(buttons);
  SetTabOrder({text_, send, test, end});
}

void BypassDialog::OnSendCommand() {
  const QString text = text_->text();
  if (const auto refusal = RefusalOf(text)) {
    messageBox_(*refusal, MsgIcon::Error, MsgButtons::Ok);
    return;
  }
  session_.SendSentence("$PSRF201,1," + text.toStdString() + "*hh\r\n");
}

void BypassDialog::closeEvent(QCloseEvent* event) {
  if (!ended_) {
    ended_ = true;
    session_.SendCommand(Command::BypassEnd);
    emit closed();
  }
  event->accept();
}

// Escape closes it the same way.
void BypassDialog::reject() {
  close();
}

}  // namespace tavrin::gui
