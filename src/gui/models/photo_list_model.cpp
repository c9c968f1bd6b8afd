// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/models/photo_list_model.h"

#include <filesystem>

#include "photos/photo_time.h"

namespace tavrin::gui {

PhotoListModel::PhotoListModel(QObject* parent) : QAbstractTableModel(parent) {}

void PhotoListModel::SetItems(std::vector<photos::PhotoItem> items) {
  beginResetModel();
  items_ = std::move(items);
  endResetModel();
}

QString PhotoListModel::ResultText(const photos::PhotoItem& item) {
  using photos::PhotoState;
  switch (item.state) {
    case PhotoState::ToTag:
      return item.toSidecar ? tr("to tag, in its XMP sidecar") : tr("to tag");
    case PhotoState::Tagged:
      return item.toSidecar ? tr("tagged, in its XMP sidecar") : tr("tagged");
    case PhotoState::AlreadyTagged:
      return tr(
          "already has a position; left as it is (tick Overwrite positions to "
          "replace it)");
    case PhotoState::OutOfRange:
    case PhotoState::Failed:
      break;
  }
  // The core words its reasons for the command line; the window names its own field, and the
  // photo by the name its row shows (the row's tooltip holds the whole path).
  QString reason = QString::fromStdString(item.reason);
  const QString path = QString::fromStdString(item.path) + u' ';
  if (reason.startsWith(path)) {
    reason.replace(0, path.size() - 1,
                   QString::fromStdString(std::filesystem::path(item.path).filename().string()));
  }
  reason.replace(QStringLiteral("allowed with --max-gap"), QStringLiteral("allowed by Max gap"));
  reason.replace(QStringLiteral("write a sidecar with --sidecar"),
                 QStringLiteral("tick XMP sidecar files"));
  return reason;
}

int PhotoListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

int PhotoListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant PhotoListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const photos::PhotoItem& item = items_[static_cast<size_t>(index.row())];
  if (role == Qt::ToolTipRole && index.column() == kPhoto) {
    return QString::fromStdString(item.path);
  }
  if (role == Qt::ToolTipRole && index.column() == kResult) return ResultText(item);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case kPhoto:
      return QString::fromStdString(std::filesystem::path(item.path).filename().string());
    case kTaken:
      return item.utcSeconds ? QString::fromStdString(photos::FormatUtc(*item.utcSeconds))
                             : QString();
    case kPosition:
      return item.position ? QString::fromStdString(photos::FormatPosition(*item.position))
                           : QString();
    case kResult:
      return ResultText(item);
    default:
      return {};
  }
}

QVariant PhotoListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeadings[kColumns] = {QT_TR_NOOP("Photo"), QT_TR_NOOP("Taken (UTC)"),
                                                  QT_TR_NOOP("Position"), QT_TR_NOOP("Result")};
  return section >= 0 && section < kColumns ? tr(kHeadings[section]) : QVariant();
}

}  // namespace tavrin::gui
