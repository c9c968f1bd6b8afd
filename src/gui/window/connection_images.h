// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of the window: the three connection images beside the status line and the
// program's icon.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include "protocol/session_host.h"

namespace tavrin::gui {

QPixmap ConnectionPixmap(ConnectionImage image);
// What a screen reader says for the image.
QString ConnectionImageName(ConnectionImage image);
QIcon ProgramIcon();

}  // namespace tavrin::gui
