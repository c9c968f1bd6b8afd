// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers the pages and dialogs share for their controls.
#pragma once

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <initializer_list>

namespace tavrin::gui {

// A caption as the user reads it: the `&` that marks its Alt+letter is not shown, and `&&`
// shows one `&`.
inline QString ShownText(const QString& caption) {
  QString shown;
  shown.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

// A label that names `field` for the keyboard (its buddy: the label's Alt+letter moves to the
// field) and for screen readers.
inline QLabel* LabelFor(const QString& text, QWidget* field) {
  auto* label = new QLabel(text);
  label->setBuddy(field);
  field->setAccessibleName(ShownText(label->text()).trimmed());
  return label;
}

// A push button that tests and screen readers find by its name, and that Return does not press
// unless it is the dialog's default.
inline QPushButton* NamedButton(const char* objectName, const QString& caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(objectName);
  button->setAutoDefault(false);
  return button;
}

// Tab goes through `widgets` in this order, as the page reads: top to bottom, left to right.
// Qt's own order is the order in which the widgets joined the window: it follows the layout code
// rather than the page, and a widget made later joins at the window's end.
inline void SetTabOrder(std::initializer_list<QWidget*> widgets) {
  QWidget* previous = nullptr;
  for (QWidget* widget : widgets) {
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

// The width of a list's column: the width it asks for, or what its heading needs when that is
// more, so that no heading is cut in the program's font.
inline int ColumnWidthFor(const QTableView& view, int column, int asked) {
  return std::max(asked, view.horizontalHeader()->sectionSizeHint(column));
}

}  // namespace tavrin::gui
