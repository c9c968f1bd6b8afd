// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/records/track_record_page.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <memory>

#include "export/export_commands.h"
#include "gui/common/widget_helpers.h"
#include "gui/records/photos_dialog.h"
#include "gui/records/speed_graph.h"

namespace tavrin::gui {
namespace {

QTableView* ListView(const char* objectName, const QString& name, QAbstractItemModel* model) {
  auto* view = new QTableView;
  // Arrows move within a list; Tab leaves it for the buttons after it.
  view->setTabKeyNavigation(false);
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

TrackRecordPage::TrackRecordPage(IPageOwner& owner, QWidget* parent)
    : QWidget(parent), owner_(owner) {
  setObjectName("trackRecordPage");
  records_.SetCheckable(true);
  points_.SetSource(&loaded_.points);

  auto* left = new QVBoxLayout;
  left->addWidget(MakeListModeGroup());
  left->addWidget(MakePeriodGroup());
  left->addWidget(MakeTrackDataGroup());
  left->addStretch();
  left->addLayout(MakeImportAndOptionsRow());

  recordView_ = ListView("recordList", tr("Track records"), &records_);
  records_.KeepColumnsWide(recordView_);
  recordView_->setSelectionMode(QAbstractItemView::SingleSelection);
  recordView_->setMaximumHeight(190);
  connect(recordView_, &QTableView::doubleClicked, this, &TrackRecordPage::OnRecordActivated);
  pointView_ = ListView("pointList", tr("Track points"), &points_);
  points_.KeepTimeColumnWide(pointView_);
  pointView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  pointView_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(pointView_, &QTableView::customContextMenuRequested, this, &TrackRecordPage::OnPointMenu);
  graph_ = new LinePlot;
  graph_->SetXAxisTitle(tr("Time of day"));
  ShowUnits();
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

  SetRecordColumnWidths();
  for (int c = 0; c < points_.columnCount(); ++c)
    pointView_->setColumnWidth(c, ColumnWidthFor(*pointView_, c, points_.ColumnWidth(c)));
  SetTabOrderOfControls();
  SetModeControls(true);
  for (QDateEdit* edit : {periodStart_, periodEnd_}) {
    connect(edit, &QDateEdit::dateChanged, this, [this] { dayPicked_ = true; });
  }
  changesListener_ = owner_.Store().Catalogue().ListenForChanges(
      [this](const TrackChangeNotice& notice) { OnTracksChanged(notice); });
}

TrackRecordPage::~TrackRecordPage() {
  owner_.Store().Catalogue().StopListening(changesListener_);
  // The map's pages may still be being written into the folders that go with the page.
  if (mapPagesWork_.valid()) mapPagesWork_.wait();
  records_.RemoveAllRows();
  points_.RemoveAllRows();
  // The map pages were only for showing here; the exports are the user's and stay.
  owner_.WindowPages().RemoveAll();
}

void TrackRecordPage::PageActivated() {
  if (!dayPicked_) ShowNewestDay();
  RefreshRecordList();
}

// Until the user picks a day, the filters stand on the newest day that has tracks: after a
// download, today often has none, and the page would look empty.
void TrackRecordPage::ShowNewestDay() {
  TrackStore& store = owner_.Store();
  QDate newest;
  for (const TrackEntry& track : store.Catalogue().ListTracks(nullptr, false).tracks) {
    const DateTime6& first = track.header.firstDateTime;
    const QDate day(2000 + first[0], first[1], first[2]);
    if (day.isValid() && (!newest.isValid() || day > newest)) newest = day;
  }
  if (!newest.isValid()) return;
  // Not a choice of the user's.
  const QSignalBlocker quietCalendar(calendar_), quietStart(periodStart_), quietEnd(periodEnd_);
  calendar_->setSelectedDate(newest);
  periodStart_->setDate(newest);
  periodEnd_->setDate(newest);
}

void TrackRecordPage::OnTrackData() {
  views_->setCurrentWidget(pointView_);
  Status(tr("View List type."));
}

void TrackRecordPage::OnSpeedGraph() {
  DrawSpeedGraph();
  views_->setCurrentWidget(graph_);
}

// The series of the record shown replaces the one before; the ranges widen to it, and start
// afresh only when another record is loaded (ShowNewRecordInGraph). Its mean is the average speed
// the lists give: the record's own, or that of the time window's points.
void TrackRecordPage::DrawSpeedGraph() {
  graph_->RemoveFirstSeries();
  const PointVector& points = loaded_.Shown();
  if (loaded_.points.empty()) {
    graph_->AddSeries(nullptr, 0, QStringLiteral("Speed"), QColor(0, 0, 255), 0);
    return;
  }
  const auto clock =
      std::make_shared<SpeedGraphClock>(loaded_.points.front(), owner_.Store().Zone());
  graph_->SetXAxisClock([clock](double x, double step) { return clock->Label(x, step); });
  const std::vector<PlotValue> speeds = clock->Speeds(points, units_);
  graph_->AddSeries(speeds.data(), speeds.size(), QStringLiteral("Speed"), QColor(0, 0, 255), 0);
  const double mean =
      loaded_.windowActive ? AverageSpeedOfPoints(points) : loaded_.record.averageSpeed;
  graph_->SetSelectedMean(static_cast<float>(ShownSpeed(mean, units_)));
}

void TrackRecordPage::ShowUnits() {
  units_ = UnitsOf(owner_.AppSettings().units);
  records_.SetUnits(units_);
  points_.SetUnits(units_);
  // "Speed (mph)" is wider than "Speed": the column grows with its heading, never cut.
  for (int c = 0; c < points_.columnCount(); ++c) {
    const int needed = ColumnWidthFor(*pointView_, c, points_.ColumnWidth(c));
    if (needed > pointView_->columnWidth(c)) pointView_->setColumnWidth(c, needed);
  }
  graph_->SetYAxisTitle(units_ == Units::Metric ? tr("Speed (km/h)") : tr("Speed (mph)"));
}

void TrackRecordPage::UnitsChanged() {
  ShowUnits();
  // The graph's ranges were those of the other units.
  ShowNewRecordInGraph();
}

// Another record's speeds are drawn on their own ranges, not within those of the one before;
// a graph on screen shows the new record at once.
void TrackRecordPage::ShowNewRecordInGraph() {
  graph_->Clear();
  if (views_->currentWidget() == graph_ && selectedRow_ != -1) DrawSpeedGraph();
}

void TrackRecordPage::OnPhotos() {
  PhotosDialog dialog(owner_, this);
  owner_.RunDialog(dialog);
}

void TrackRecordPage::OnSoftwareOptions() {
  owner_.OpenSoftwareOptions();
}

}  // namespace tavrin::gui
