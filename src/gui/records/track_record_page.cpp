// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/records/track_record_page.h"

#include <malloc.h>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <future>

#include "export/export_commands.h"
#include "export/exportable_points.h"
#include "export/map_line.h"
#include "gui/common/widget_helpers.h"

namespace tavrin::gui {
namespace {

// The size the map page is written for.
constexpr int kMapPageWidth = 726;
constexpr int kMapPageHeight = 412;

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
  left->addWidget(
      MakeButton("softwareOptions", "Soft&ware Options", &TrackRecordPage::OnSoftwareOptions));

  recordView_ = ListView("recordList", QStringLiteral("Track records"), &records_);
  recordView_->setSelectionMode(QAbstractItemView::SingleSelection);
  recordView_->setMaximumHeight(190);
  connect(recordView_, &QTableView::doubleClicked, this, &TrackRecordPage::OnRecordActivated);
  pointView_ = ListView("pointList", QStringLiteral("Track points"), &points_);
  pointView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  graph_ = new LinePlot;
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

  SetupEntryColumns(records_);
  SetupPointColumns(points_);
  SetRecordColumnWidths();
  for (int c = 0; c < points_.columnCount(); ++c)
    pointView_->setColumnWidth(c, ColumnWidthFor(*pointView_, c, points_.ColumnWidth(c)));
  SetTabOrderOfControls();
  SetModeControls(true);
  for (QDateEdit* edit : {periodStart_, periodEnd_}) {
    connect(edit, &QDateEdit::dateChanged, this, [this] { dayPicked_ = true; });
  }
}

TrackRecordPage::~TrackRecordPage() {
  records_.RemoveAllRows();
  points_.RemoveAllRows();
  // What the exports left behind goes with the page.
  CleanExportFolders(owner_.Store().DataFolder());
}

void TrackRecordPage::PageActivated() {
  if (!dayPicked_) ShowNewestDay();
  RefreshRecordList();
}

// Until the user picks a day, the filters stand on the newest day that has tracks: after a
// download, today often has none, and the page would look empty.
void TrackRecordPage::ShowNewestDay() {
  TrackStore& store = owner_.Store();
  store.ListTracks(nullptr, false);
  QDate newest;
  for (const TrackEntry& track : store.TrackEntries()) {
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
  Status("View List type.");
}

void TrackRecordPage::WriteMapPages(const PointVector& points) {
  const Settings& settings = owner_.AppSettings();
  ExportOptions options;
  options.zone = owner_.Store().Zone();
  options.mapKey = settings.googleMapLicense;
  ExportWriter writer(
      [this](const std::string& text, MsgIcon icon, MsgButtons buttons) {
        return owner_.ShowMessage(text, icon, buttons);
      },
      nullptr, options);
  const std::string& folder = owner_.Store().DataFolder();
  mapPagesWritten_ = true;
  // The line's levels of detail are worked out on another core while the page with a key is
  // written: for a million points each takes a good part of the load.
  const ExportablePoints exportable(points);
  std::future<std::string> line =
      std::async(std::launch::async, [&exportable] { return EncodeMapLine(exportable.Points()); });
  (void)writer.MakeMapPage(folder, kMapPageWidth, kMapPageHeight, points);  // it tells failures
  mapLine_ = line.get();
  mapLinePoints_ = exportable.Points().size();
  // The map service draws nothing without a key: the view shows the page that needs none. With
  // a key that page is still written, for the map page to offer when the service is out of reach.
  (void)writer.MakeOpenMapPage(folder, points, &mapLine_);
  // Writing a million points' pages leaves tens of megabytes of freed buffers that the allocator
  // would keep for later: they go back to the system.
  malloc_trim(0);
}

// The view is made the first time it is wanted, so that the window starts without the web
// engine; it is sent to the page once and refreshed after, as the page file is rewritten.
void TrackRecordPage::OnGoogleMaps() {
  if (map_ == nullptr) {
    map_ = new QWebEngineView;
    map_->setObjectName("mapView");
    map_->setAccessibleName(QStringLiteral("Map"));
    views_->addWidget(map_);
    connect(map_, &QWebEngineView::loadStarted, this, [this] { mapPageReady_ = false; });
    connect(map_, &QWebEngineView::loadFinished, this, [this](bool ok) { mapPageReady_ = ok; });
  }
  views_->setCurrentWidget(map_);
  // Nothing loaded yet: the map shows no track.
  if (!mapPagesWritten_) WriteMapPages(selectedRow_ == -1 ? PointVector{} : loaded_.points);
  const bool withKey = !owner_.AppSettings().googleMapLicense.empty();
  const QUrl page = QUrl::fromLocalFile(
      QString::fromStdString(owner_.Store().DataFolder() + "/" + kKmlFolder + "/" +
                             (withKey ? kMapPageName : kOpenMapPageName)));
  // A view that left the page (by its link to the map without a key, when the map service was
  // out of reach) is sent back to it, so that the button tries the service again.
  if (!mapPageLoaded_ || map_->url() != page) {
    mapPageLoaded_ = true;
    map_->load(page);
    ++mapNavigations_;
  } else if (!withKey && mapPageReady_) {
    // The page that needs no key takes the track in place of the one it shows: a million points
    // are a few megabytes of numbers, and the web engine keeps its page, tiles and canvas.
    map_->page()->runJavaScript(QStringLiteral("TavrinShowTrack('%1', %2);")
                                    .arg(QString::fromLatin1(mapLine_))
                                    .arg(static_cast<qulonglong>(mapLinePoints_)));
    ++mapRefreshes_;
  } else {
    map_->reload();
    ++mapRefreshes_;
  }
  KeepMapInTabOrder();
}

void TrackRecordPage::OnSpeedGraph() {
  DrawSpeedGraph();
  views_->setCurrentWidget(graph_);
}

// The series of the record shown replaces the one before; the ranges widen to it, and start
// afresh only when another record is loaded (ShowNewRecordInGraph).
void TrackRecordPage::DrawSpeedGraph() {
  graph_->RemoveFirstSeries();
  const PointVector& points = loaded_.Shown();
  std::vector<PlotValue> speeds(points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    speeds[i] = {static_cast<float>(i), static_cast<float>(points[i].speed)};
  }
  graph_->AddSeries(speeds.data(), speeds.size(), QStringLiteral("Speed"), QColor(0, 0, 255), 0);
}

// Another record's speeds are drawn on their own ranges, not within those of the one before;
// a graph on screen shows the new record at once.
void TrackRecordPage::ShowNewRecordInGraph() {
  graph_->Clear();
  if (views_->currentWidget() == graph_ && selectedRow_ != -1) DrawSpeedGraph();
}

void TrackRecordPage::OnSoftwareOptions() {
  owner_.OpenSoftwareOptions();
}

}  // namespace tavrin::gui
