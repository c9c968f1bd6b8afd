// SPDX-License-Identifier: GPL-3.0-or-later
// A list cell that shows its whole text in as many lines as it takes: wrapped between words, and
// inside a word only where that word alone is wider than the cell (a path, a long file name).
// Qt's own cells wrap between words only and cut such a word off. The view's rows must take the
// height of their contents (QHeaderView::ResizeToContents, word wrap on) for the lines to show.
#pragma once

#include <QStyledItemDelegate>

namespace tavrin::gui {

class WrappingDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace tavrin::gui
