#include "gui/records/record_ctrl_dlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "export/export_commands.h"

namespace tavrin::gui {
namespace {

QTableView* ListView(const char* objectName, const QString& name, QAbstractItemModel* model) {
  auto* view = new QTableView;
  view->setObjectName(objectName);
  view->setAccessibleName(name);
  view->setModel(model);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setShowGrid(true);
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  return view;
}

}  // namespace

CRecordCtrlDlg::CRecordCtrlDlg(IPageOwner& owner, QWidget* parent)
    : QWidget(parent), owner_(owner) {
  setObjectName("trackRecordPage");
  records_.SetCheckable(true);
  points_.SetSource(&owner_.Store().PointList());

  auto* left = new QVBoxLayout;
  left->addWidget(MakeListModeGroup());
  left->addWidget(MakePeriodGroup());
  left->addWidget(MakeTrackDataGroup());
  left->addStretch();
  left->addWidget(
      MakeButton("softwareOptions", "Software Options", &CRecordCtrlDlg::OnSoftwareOptions));

  recordView_ = ListView("recordList", QStringLiteral("Track records"), &records_);
  recordView_->setSelectionMode(QAbstractItemView::SingleSelection);
  recordView_->setMaximumHeight(190);
  connect(recordView_, &QTableView::doubleClicked, this, &CRecordCtrlDlg::OnRecordActivated);
  pointView_ = ListView("pointList", QStringLiteral("Track points"), &points_);
  pointView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  graph_ = new CLinePlot;
  graph_->SetXAxisTitle(QStringLiteral("Time"));
  graph_->SetYAxisTitle(QStringLiteral("Speed"));
  graph_->SetXDivisions(10);
  graph_->SetXDecimals(0);
  views_ = new QStackedWidget;
  views_->setObjectName("views");
  views_->addWidget(pointView_);
  views_->addWidget(graph_);

  auto* right = new QVBoxLayout;
  right->addWidget(recordView_);
  right->addWidget(MakeRecordButtons());
  right->addWidget(MakeViewButtons());
  right->addWidget(views_, 1);
  auto* page = new QHBoxLayout(this);
  page->addLayout(left);
  page->addLayout(right, 1);

  SetupEntryColumns(records_, kStyleGridLines | kStyleCheckBoxes);
  SetupPointColumns(points_, kStyleGridLines);
  for (int c = 0; c < records_.columnCount(); ++c) {
    recordView_->setColumnWidth(c, records_.ColumnWidth(c) + (c == 0 ? 24 : 0));
  }
  for (int c = 0; c < points_.columnCount(); ++c)
    pointView_->setColumnWidth(c, points_.ColumnWidth(c));
  SetModeControls(true);
}

CRecordCtrlDlg::~CRecordCtrlDlg() {
  records_.RemoveAllRows();
  points_.RemoveAllRows();
  // What the exports left behind goes with the page.
  CleanExportFolders(owner_.Store().DataFolder());
}

void CRecordCtrlDlg::PageActivated() {
  RefreshRecordList();
}

void CRecordCtrlDlg::OnTrackData() {
  views_->setCurrentWidget(pointView_);
  Status("View List type.");
}

void CRecordCtrlDlg::OnSpeedGraph() {
  graph_->RemoveFirstSeries();
  const PointVector& points =
      windowActive_ ? owner_.Store().ExportPointList() : owner_.Store().PointList();
  std::vector<PlotValue> speeds(points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    speeds[i] = {static_cast<float>(i), static_cast<float>(points[i].speed)};
  }
  graph_->AddSeries(speeds.data(), speeds.size(), QStringLiteral("Speed"), QColor(0, 0, 255), 0);
  views_->setCurrentWidget(graph_);
}

void CRecordCtrlDlg::OnSoftwareOptions() {
  owner_.OpenSoftwareOptions();
}

}  // namespace tavrin::gui
