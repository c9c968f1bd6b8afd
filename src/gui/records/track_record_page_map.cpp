// SPDX-License-Identifier: GPL-3.0-or-later
// The map view of the Track Record page and the pages it shows. The pages are written on another
// thread after each load, so that a long track's list is not kept waiting for its map: the view
// waits for them only when it is wanted.
#include <malloc.h>
#include <QTimer>
#include <QWebEngineView>

#include "export/export_commands.h"
#include "export/exportable_points.h"
#include "gui/records/track_record_page.h"
#include "map/map_line.h"

namespace tavrin::gui {
namespace {

struct MapPagesJob {
  std::string folder;
  ExportOptions options;
  PointVector points;  // a copy: the loaded record may change while the pages are written
  ViewingPages* shown = nullptr;  // the window's, which outlives the page and so this job
};

// Writes both pages; what would have been a message box is kept for the window's thread.
TrackRecordPage::MapPages WriteBothPages(const MapPagesJob& job) {
  TrackRecordPage::MapPages pages;
  ExportWriter writer(
      [&pages](const std::string& text, MsgIcon icon, MsgButtons buttons) {
        pages.messages.push_back({text, icon, buttons});
        return MsgAnswer::Ok;
      },
      nullptr, job.options);
  const ExportablePoints exportable(job.points);
  pages.line = EncodeMapLine(exportable.Points());
  pages.linePoints = exportable.Points().size();
  // Each tells its failures.
  const auto page =
      writer.MakeMapPage(job.folder, kMapPageWidth, kMapPageHeight, job.points, &pages.line);
  if (page) job.shown->Keep(*page);
  // The map service draws nothing without a key: the view shows the page that needs none. With
  // a key that page is still written, for the map page to offer when the service is out of reach.
  const auto open = writer.MakeOpenMapPage(job.folder, job.points, &pages.line);
  if (open) job.shown->Keep(*open);
  return pages;
}

}  // namespace

void TrackRecordPage::WriteMapPages(const PointVector& points) {
  MapPagesJob job;
  job.folder = owner_.Store().DataFolder();
  job.options.zone = owner_.Store().Zone();
  job.options.mapKey = owner_.AppSettings().googleMapLicense;
  job.points = points;
  job.shown = &owner_.WindowPages();
  mapPagesWritten_ = false;
  // A map on screen shows the new points as soon as their pages are written, as the list and
  // the graph show theirs.
  mapWaitsForPages_ = map_ != nullptr && views_->currentWidget() == map_;
  const unsigned generation = ++mapPagesGeneration_;
  // Pages still being written for the record before are finished first, so that they cannot
  // land over these; their result is stale and dropped.
  if (mapPagesWork_.valid()) mapPagesWork_.wait();
  mapPagesWork_ = std::async(std::launch::async, [this, job = std::move(job), generation] {
    MapPages pages = WriteBothPages(job);
    QMetaObject::invokeMethod(
        this, [this, generation] { CollectMapPages(generation); }, Qt::QueuedConnection);
    return pages;
  });
}

void TrackRecordPage::CollectMapPages(unsigned generation) {
  if (generation == mapPagesGeneration_) FinishMapPages();
}

void TrackRecordPage::FinishMapPages() {
  if (!mapPagesWork_.valid()) return;
  MapPages pages = mapPagesWork_.get();
  mapLine_ = std::move(pages.line);
  mapLinePoints_ = pages.linePoints;
  mapPagesWritten_ = true;
  for (const MapPages::Message& message : pages.messages) {
    owner_.ShowMessage(message.text, message.icon, message.buttons);
  }
  // Writing a million points' pages leaves tens of megabytes of freed buffers that the allocator
  // would keep for later: they go back to the system.
  malloc_trim(0);
  if (mapWaitsForPages_) {
    mapWaitsForPages_ = false;
    if (views_->currentWidget() == map_) ShowMapPage();
  }
}

// "Google Maps" would wait for the web engine to start its processes and its first page. It
// starts once the page has been painted, after the events already waiting, while the user picks
// a record; not while the window starts, which it would slow.
void TrackRecordPage::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (mapEngineAsked_ || map_ != nullptr) return;
  mapEngineAsked_ = true;
  QTimer::singleShot(0, this, &TrackRecordPage::StartMapEngine);
}

// An empty page in the view that "Google Maps" shows later, out of sight: nothing the user sees
// or the keyboard reaches changes. A window closed meanwhile does not start it; shown again, it
// asks again.
void TrackRecordPage::StartMapEngine() {
  mapEngineAsked_ = false;
  if (map_ != nullptr || !isVisible()) return;
  MakeMapView();
  map_->load(QUrl(QStringLiteral("about:blank")));
}

void TrackRecordPage::MakeMapView() {
  map_ = new QWebEngineView;
  map_->setObjectName("mapView");
  map_->setAccessibleName(tr("Map"));
  views_->addWidget(map_);
  map_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(map_, &QWebEngineView::customContextMenuRequested, this, &TrackRecordPage::OnMapMenu);
  connect(map_, &QWebEngineView::loadStarted, this, [this] { mapPageReady_ = false; });
  connect(map_, &QWebEngineView::loadFinished, this, [this](bool ok) {
    mapPageReady_ = ok && mapPageLoaded_;  // the empty page is not the map's
    mapEngineRunning_ = mapEngineRunning_ || ok;
  });
}

// The view is sent to the page once and refreshed after, as the page file is rewritten. While
// the pages are still being written the view is shown empty, and the web engine starts
// meanwhile if it has not yet; the page follows as soon as they are written.
void TrackRecordPage::OnGoogleMaps() {
  if (map_ == nullptr) MakeMapView();
  views_->setCurrentWidget(map_);
  KeepMapInTabOrder();
  // Nothing loaded yet: the map shows no track.
  if (!mapPagesWritten_ && !mapPagesWork_.valid()) {
    WriteMapPages(selectedRow_ == -1 ? PointVector{} : loaded_.points);
  }
  if (mapPagesWork_.valid()) {
    mapWaitsForPages_ = true;  // FinishMapPages shows the page
    return;
  }
  ShowMapPage();
}

void TrackRecordPage::ShowMapPage() {
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
  // Loading gives the view the widget that takes the keys.
  KeepMapInTabOrder();
}

}  // namespace tavrin::gui
