// SPDX-License-Identifier: GPL-3.0-or-later
// The History page's controls: the period row above, the map, and the passages under it.
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <cmath>

#include "gui/history/history_page.h"
#include "gui/history/history_web_page.h"
#include "gui/history/history_work.h"

namespace tavrin::gui {

QWidget* HistoryPage::MakePeriodRow() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  periodKind_ = new QComboBox;
  periodKind_->setObjectName("historyPeriod");
  periodKind_->addItems({tr("Day"), tr("Month"), tr("Year"), tr("All")});
  periodKind_->setCurrentIndex(static_cast<int>(Period::Month));
  periodDate_ = new QDateEdit(QDate::currentDate());
  periodDate_->setObjectName("historyDate");
  periodDate_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  periodDate_->setCalendarPopup(true);
  auto* periodLabel = new QLabel(tr("&Period:"));
  periodLabel->setBuddy(periodKind_);
  periodDate_->setAccessibleName(tr("Date of the period"));
  findInBox_ = new QPushButton(tr("Find in &box"));
  findInBox_->setObjectName("findInBox");
  findInBox_->setCheckable(true);
  findInBox_->setToolTip(
      tr("Drag a box on the map (or Shift+drag) to list when a track "
         "passed there"));
  radius_ = new QSpinBox;
  radius_->setObjectName("historyRadius");
  radius_->setRange(10, 100000);
  radius_->setSingleStep(50);
  radius_->setValue(200);
  radius_->setToolTip(tr("Right-click the map to list when a track passed within this distance"));
  auto* radiusLabel = new QLabel(tr("&Radius:"));
  radiusLabel->setBuddy(radius_);
  summary_ = new QLabel;
  summary_->setObjectName("historySummary");
  for (QWidget* w : std::initializer_list<QWidget*>{periodLabel, periodKind_, periodDate_,
                                                    findInBox_, radiusLabel, radius_}) {
    layout->addWidget(w);
  }
  layout->addWidget(summary_, 1);
  connect(periodKind_, &QComboBox::currentIndexChanged, this, &HistoryPage::OnPeriodChosen);
  connect(periodDate_, &QDateEdit::dateChanged, this, &HistoryPage::OnPeriodChosen);
  return row;
}

void HistoryPage::MakeMapView() {
  map_ = new QWebEngineView;
  map_->setObjectName("historyMap");
  map_->setAccessibleName(tr("History map"));
  map_->setMinimumHeight(200);
  // A right-click lists the passages there: the browser's own menu (Back, Reload, View page
  // source) has no place on this map.
  map_->setContextMenuPolicy(Qt::NoContextMenu);
  webPage_ = new HistoryWebPage(map_);
  map_->setPage(webPage_);
  connect(map_, &QWebEngineView::loadFinished, this, [this](bool ok) {
    pageLoaded_ = ok;
    // Loading gives the view the widget that takes the keys: it goes where the view stands.
    QWidget* keys = map_->focusProxy() != nullptr ? map_->focusProxy() : map_;
    setTabOrder(radius_, keys);
    setTabOrder(keys, passageList_);
    if (!ok) return;
    webPage_->runJavaScript(findInBox_->isChecked() ? QStringLiteral("TavrinBoxMode(true);")
                                                    : QStringLiteral("TavrinBoxMode(false);"));
    PutLinesOnPage();
  });
  connect(webPage_, &HistoryWebPage::trackClicked, this, &HistoryPage::OnTrackClicked);
  connect(webPage_, &HistoryWebPage::boxDrawn, this, &HistoryPage::OnBoxDrawn);
  connect(webPage_, &HistoryWebPage::closerLinesAsked, this, &HistoryPage::OnCloserLinesAsked);
  connect(webPage_, &HistoryWebPage::placeClicked, this, &HistoryPage::OnPlaceClicked);
  connect(findInBox_, &QPushButton::toggled, this, [this](bool on) {
    if (pageLoaded_) webPage_->runJavaScript(QStringLiteral("TavrinBoxMode(%1);").arg(on));
  });
}

QWidget* HistoryPage::MakePassageList() {
  passageList_ = new QTableWidget(0, 4);
  passageList_->setObjectName("passageList");
  passageList_->setAccessibleName(tr("Passages"));
  passageList_->setHorizontalHeaderLabels(
      {tr("Track"), tr("First time there"), tr("Last time there"), QString()});
  passageList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  passageList_->setSelectionMode(QAbstractItemView::SingleSelection);
  passageList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  passageList_->setTabKeyNavigation(false);
  passageList_->verticalHeader()->hide();
  passageList_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  passageList_->horizontalHeader()->setStretchLastSection(true);
  // Enter and a double-click both load the passage's track.
  connect(passageList_, &QTableWidget::activated, this,
          [this](const QModelIndex& index) { OnPassageChosen(index.row()); });
  return passageList_;
}

// The radius and the closest distances in metres, or in feet under imperial units; the value
// typed stays the same distance.
void HistoryPage::UnitsChanged() {
  const Units units = UnitsOf(owner_.AppSettings().units);
  const double metres = RadiusMetres();
  units_ = units;
  const bool feet = units == Units::Imperial;
  radius_->setRange(feet ? 30 : 10, feet ? 330000 : 100000);
  radius_->setSingleStep(feet ? 100 : 50);
  radius_->setSuffix(feet ? tr(" ft") : tr(" m"));
  radius_->setValue(static_cast<int>(std::lround(feet ? metres / kMetresPerFoot : metres)));
  passageList_->setHorizontalHeaderItem(
      3, new QTableWidgetItem(feet ? tr("Closest (ft)") : tr("Closest (m)")));
  ShowPassageRows();
}

double HistoryPage::RadiusMetres() const {
  return units_ == Units::Imperial ? radius_->value() * kMetresPerFoot : radius_->value();
}

HistoryPage::HistoryPage(IPageOwner& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
  setObjectName("historyPage");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakePeriodRow());
  MakeMapView();
  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(map_);
  split->addWidget(MakePassageList());
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);
  // The map takes most of the height: a few passages show at once, the rest scroll.
  split->setSizes({3000, 1000});
  layout->addWidget(split, 1);
  auto* hint = new QLabel(
      tr("Point at a line to see when it was recorded; click it to open the track on the Track "
         "Record page. Drag a box with \"Find in box\" (or Shift+drag), or right-click, to list "
         "when a track passed there."));
  hint->setWordWrap(true);
  layout->addWidget(hint);
  setTabOrder(periodKind_, periodDate_);
  setTabOrder(periodDate_, findInBox_);
  setTabOrder(findInBox_, radius_);
  setTabOrder(radius_, map_);
  setTabOrder(map_, passageList_);
  UnitsChanged();
  changesListener_ = owner_.Store().Catalogue().ListenForChanges(
      [this](const TrackChangeNotice& notice) { OnTracksChanged(notice); });
}

}  // namespace tavrin::gui
