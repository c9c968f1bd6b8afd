// SPDX-License-Identifier: GPL-3.0-or-later
// The window's message boxes: the core's text, icon and buttons shown as a QMessageBox, and the
// answer handed back. Tests hand the window a recording function instead.
#pragma once

#include <QString>

#include "base/message_box.h"

class QWidget;

namespace tavrin::gui {

// A message box function whose boxes are modal to `parent` (which must outlive its use).
MessageBoxFn QtMessageBoxes(QWidget* parent);

// Texts of the core end their lines with CR LF; a box shows LF only.
QString BoxText(const std::string& text);

}  // namespace tavrin::gui
