// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers the pages and dialogs share for their controls.
#pragma once

#include <QLabel>
#include <QPushButton>

namespace tavrin::gui {

// A label that names `field` for the keyboard (its buddy) and for screen readers.
inline QLabel* LabelFor(const char* text, QWidget* field) {
  auto* label = new QLabel(QString::fromUtf8(text));
  label->setBuddy(field);
  field->setAccessibleName(label->text().trimmed());
  return label;
}

// A push button that tests and screen readers find by its name, and that Return does not press
// unless it is the dialog's default.
inline QPushButton* NamedButton(const char* objectName, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption));
  button->setObjectName(objectName);
  button->setAutoDefault(false);
  return button;
}

}  // namespace tavrin::gui
