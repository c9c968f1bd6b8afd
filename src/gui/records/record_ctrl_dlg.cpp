#include "gui/records/record_ctrl_dlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrin::gui {

CRecordCtrlDlg::CRecordCtrlDlg(IPageOwner& owner, QWidget* parent)
    : QWidget(parent), owner_(owner) {
  setObjectName("trackRecordPage");
  view_ = new QTableView;
  view_->setObjectName("recordList");
  view_->setAccessibleName(QStringLiteral("Stored tracks"));
  view_->setModel(&records_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->verticalHeader()->hide();
  auto* options = new QPushButton(QStringLiteral("Software Options"));
  options->setObjectName("softwareOptions");
  options->setAutoDefault(false);
  connect(options, &QPushButton::clicked, this, [this] { owner_.OpenSoftwareOptions(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(options);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(view_, 1);
  SetupEntryColumns(records_, 0);
  for (int c = 0; c < records_.columnCount(); ++c)
    view_->setColumnWidth(c, records_.ColumnWidth(c));
}

void CRecordCtrlDlg::PageActivated() {
  owner_.Store().ListTracks(&records_, false);
}

}  // namespace tavrin::gui
