// SPDX-License-Identifier: GPL-3.0-or-later
// "Name this place..." from a right-click on a point of the list or on the map: the position
// goes to the logbook as a place through the page owner, which asks for its name.
#include <QMenu>
#include <QWebEngineView>

#include "gui/records/track_record_page.h"

namespace tavrin::gui {

// The menu opens without waiting (the map's position comes back from its page later); its one
// command names the position it was opened for.
void TrackRecordPage::OfferToNamePlace(QWidget* over, const QPoint& at, double latitude,
                                       double longitude) {
  delete placeMenu_;
  placeMenu_ = new QMenu(this);
  placeMenu_->setObjectName("placeMenu");
  placeMenu_->setAttribute(Qt::WA_DeleteOnClose, false);
  QAction* name = placeMenu_->addAction(tr("Name this place..."));
  name->setObjectName("nameThisPlace");
  connect(name, &QAction::triggered, this,
          [this, latitude, longitude] { owner_.NameThisPlace(latitude, longitude); });
  placeMenu_->popup(over->mapToGlobal(at));
}

// A right-click on a point row, or the menu key on the current one.
void TrackRecordPage::OnPointMenu(const QPoint& at) {
  QModelIndex index = pointView_->indexAt(at);
  if (!index.isValid()) index = pointView_->currentIndex();
  const PointVector& points = loaded_.Shown();
  if (!index.isValid() || static_cast<size_t>(index.row()) >= points.size()) return;
  const TrackPoint& point = points[static_cast<size_t>(index.row())];
  const QPoint where = at.isNull() ? pointView_->visualRect(index).center() : at;
  OfferToNamePlace(pointView_->viewport(), where, point.latitude, point.longitude);
}

// The page without a key (Leaflet) says which position is under the mouse; the map service's
// page does not.
void TrackRecordPage::OnMapMenu(const QPoint& at) {
  const double zoom = map_->zoomFactor();
  const QString script =
      QStringLiteral(
          "(function(x, y) { if (typeof map === 'undefined' || !map || "
          "typeof map.containerPointToLatLng !== 'function') return 'no position';"
          " var p = map.containerPointToLatLng([x, y]); return [p.lat, p.lng]; })(%1, %2)")
          .arg(at.x() / zoom)
          .arg(at.y() / zoom);
  map_->page()->runJavaScript(script, [this, at](const QVariant& answer) {
    // No answer at all: the page went away meanwhile.
    if (!answer.isValid()) return;
    const QVariantList position = answer.toList();
    if (position.size() != 2) {
      Status(
          tr("Places are named on the map that needs no key, or from a point of the list: "
             "right-click it there."));
      return;
    }
    OfferToNamePlace(map_, at, position[0].toDouble(), position[1].toDouble());
  });
}

}  // namespace tavrin::gui
