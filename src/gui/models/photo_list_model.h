// SPDX-License-Identifier: GPL-3.0-or-later
// The photos list of the Photos dialog: each photo's file, its time, where it was taken and what
// became of it, over the items the dialog holds.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "photos/photo_scan.h"

namespace tavrin::gui {

class PhotoListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kPhoto, kTaken, kPosition, kResult, kColumns };

  explicit PhotoListModel(QObject* parent = nullptr);

  // The rows stand for these items from now on.
  void SetItems(std::vector<photos::PhotoItem> items);
  const std::vector<photos::PhotoItem>& Items() const { return items_; }

  // What the row's "Result" column says.
  static QString ResultText(const photos::PhotoItem& item);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<photos::PhotoItem> items_;
};

}  // namespace tavrin::gui
