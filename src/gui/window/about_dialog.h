// SPDX-License-Identifier: GPL-3.0-or-later
// "About": the program's icon, name and version, and an OK button.
#pragma once

#include <QDialog>

namespace tavrin::gui {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace tavrin::gui
