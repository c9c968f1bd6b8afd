// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/common/message_boxes.h"

#include "gui/session/core_words.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace tavrin::gui {
namespace {

QMessageBox::Icon IconOf(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Error:
      return QMessageBox::Critical;
    case MsgIcon::Question:
      return QMessageBox::Question;
    case MsgIcon::Information:
      return QMessageBox::Information;
    case MsgIcon::Warning:
      break;
  }
  return QMessageBox::Warning;
}

QMessageBox::StandardButtons ButtonsOf(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

MsgAnswer AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Cancel:
      return MsgAnswer::Cancel;
    case QMessageBox::Yes:
      return MsgAnswer::Yes;
    case QMessageBox::No:
      return MsgAnswer::No;
    default:
      return MsgAnswer::Ok;
  }
}

}  // namespace

QString BoxText(const std::string& text) {
  QString shown = CoreText(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown.trimmed();
}

MessageBoxFn QtMessageBoxes(QWidget* parent) {
  QPointer<QWidget> owner(parent);
  return [owner](const std::string& text, MsgIcon icon, MsgButtons buttons) {
    QMessageBox box(IconOf(icon), QStringLiteral("Tavrin Lite"), BoxText(text), ButtonsOf(buttons),
                    owner.data());
    // A closed box answers as its safe button does.
    box.setEscapeButton(buttons == MsgButtons::Ok      ? QMessageBox::Ok
                        : buttons == MsgButtons::YesNo ? QMessageBox::No
                                                       : QMessageBox::Cancel);
    return AnswerOf(box.exec());
  };
}

}  // namespace tavrin::gui
