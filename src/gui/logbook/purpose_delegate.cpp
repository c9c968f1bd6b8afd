// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/logbook/purpose_delegate.h"

#include <QComboBox>
#include <QTimer>

#include "gui/logbook/trip_table_model.h"

namespace tavrin::gui {
namespace {

constexpr char kPicked[] = "tavrinPicked";

}  // namespace

QWidget* PurposeDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex&) const {
  auto* list = new QComboBox(parent);
  list->setObjectName("purposeEditor");
  list->setAccessibleName(tr("Purpose"));
  for (const logbook::Purpose purpose : logbook::kPurposes) {
    list->addItem(PurposeName(purpose), static_cast<int>(purpose));
  }
  list->addItem(tr("none"), static_cast<int>(logbook::Purpose::None));
  // A pick is the user's answer: it is stored and the drop-down closes.
  connect(list, &QComboBox::activated, this, [this, list] {
    list->setProperty(kPicked, true);
    // The signals of the view's delegate; Qt makes editors in a const function.
    auto* self = const_cast<PurposeDelegate*>(this);
    emit self->commitData(list);
    emit self->closeEditor(list);
  });
  // Open at once: one click or F2 shows the choices.
  QTimer::singleShot(0, list, &QComboBox::showPopup);
  return list;
}

// The drop-down starts on the trip's purpose, or on the purpose offered for it.
void PurposeDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* list = static_cast<QComboBox*>(editor);
  const QVariant offered = index.data(TripTableModel::kOfferedRole);
  const int purpose = index.data(TripTableModel::kPurposeRole).toInt();
  const bool none = purpose == static_cast<int>(logbook::Purpose::None);
  list->setCurrentIndex(list->findData(none && offered.isValid() ? offered.toInt() : purpose));
}

void PurposeDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                   const QModelIndex& index) const {
  auto* list = static_cast<QComboBox*>(editor);
  if (!list->property(kPicked).toBool()) return;
  model->setData(index, list->currentData(), Qt::EditRole);
}

}  // namespace tavrin::gui
