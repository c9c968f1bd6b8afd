// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers the pages and dialogs share for their controls.
#pragma once

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <algorithm>

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

// The width of a list's column: the width it asks for, or what its heading needs when that is
// more, so that no heading is cut in the program's font.
inline int ColumnWidthFor(const QTableView& view, int column, int asked) {
  return std::max(asked, view.horizontalHeader()->sectionSizeHint(column));
}

}  // namespace tavrin::gui
