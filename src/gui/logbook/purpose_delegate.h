// SPDX-License-Identifier: GPL-3.0-or-later
// The drop-down of the Purpose column. Only a purpose the user picks is stored: leaving the
// drop-down without picking one (Esc, a click elsewhere) stores nothing, so an offered purpose
// that the drop-down shows first is never stored by looking at it.
#pragma once

#include <QStyledItemDelegate>

namespace tavrin::gui {

class PurposeDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;
};

}  // namespace tavrin::gui
