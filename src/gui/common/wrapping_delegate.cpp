// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/common/wrapping_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace tavrin::gui {
namespace {

QStyle* StyleOf(const QStyleOptionViewItem& item) {
  return item.widget != nullptr ? item.widget->style() : QApplication::style();
}

// The room the style leaves between the cell's edge and its text, on either side.
int TextMargin(const QStyleOptionViewItem& item) {
  return StyleOf(item)->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
}

// Lays the text out in lines `width` pixels wide; returns the height they take.
qreal LayOut(QTextLayout& layout, const QStyleOptionViewItem& item, int width) {
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  option.setTextDirection(item.direction);
  option.setAlignment(
      QStyle::visualAlignment(item.direction, item.displayAlignment & Qt::AlignHorizontal_Mask));
  layout.setTextOption(option);
  qreal height = 0;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    line.setPosition(QPointF(0, height));
    height += line.height();
  }
  layout.endLayout();
  return height;
}

}  // namespace

void WrappingDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  QStyleOptionViewItem item = option;
  initStyleOption(&item, index);
  QTextLayout layout(item.text, item.font);
  // The style draws the cell (background, selection, focus) and this draws its text.
  item.text.clear();
  StyleOf(item)->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
  const int margin = TextMargin(item);
  const QRect room = item.rect.adjusted(margin, 0, -margin, 0);
  const qreal height = LayOut(layout, item, room.width());
  const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
                                     : (item.state & QStyle::State_Active) ? QPalette::Normal
                                                                           : QPalette::Inactive;
  const bool selected = item.state & QStyle::State_Selected;
  painter->save();
  painter->setPen(item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
  painter->setClipRect(item.rect);
  // In the middle of the row's height, as Qt's own cells stand.
  layout.draw(painter,
              QPointF(room.left(), room.top() + std::max(0.0, (room.height() - height) / 2)));
  painter->restore();
}

QSize WrappingDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  QStyleOptionViewItem item = option;
  initStyleOption(&item, index);
  const int margin = TextMargin(item);
  // Without the column's width (the view asks for the widest line) the style's answer stands.
  if (item.rect.width() <= 2 * margin) return size;
  QTextLayout layout(item.text, item.font);
  const int frame = StyleOf(item)->pixelMetric(QStyle::PM_FocusFrameVMargin, nullptr, item.widget);
  const int height =
      static_cast<int>(std::ceil(LayOut(layout, item, item.rect.width() - 2 * margin))) + 2 * frame;
  size.setHeight(std::max(size.height(), height));
  return size;
}

}  // namespace tavrin::gui
