// SPDX-License-Identifier: GPL-3.0-or-later
// The History page's index, kept current on its own thread, and the passages found with it.
#include <cmath>
#include <map>

#include <QWebEngineView>

#include "gui/history/history_page.h"
#include "gui/history/history_times.h"
#include "gui/history/history_web_page.h"
#include "gui/history/history_work.h"

namespace tavrin::gui {

void HistoryPage::StartWork() {
  const std::string folder = owner_.Store().DataFolder();
  // A file that cannot be read is told in the window's one box, as the other pages tell theirs.
  work_ = std::make_unique<HistoryWork>(folder, [this](const TrackFileProblem& problem) {
    QMetaObject::invokeMethod(
        this, [this, problem] { owner_.Store().ReportProblem(problem); }, Qt::QueuedConnection);
  });
  work_->Post([this, folder](index::HistoryIndex& history, const std::atomic<bool>&) {
    if (history.Open(index::IndexFileFor(folder))) return;
    QMetaObject::invokeMethod(
        this, [this, trouble = history.Trouble()] { TellIndexTrouble(trouble); },
        Qt::QueuedConnection);
  });
  UpdateIndex();
  ChooseNewestMonth();
}

void HistoryPage::StopWork() {
  if (work_) work_->Stop();
}

void HistoryPage::TellIndexTrouble(const std::string& trouble) {
  // What the page does first: the status line cuts a long text, and the index's path is long.
  Status(tr("The History page goes on without its index, more slowly. %1")
             .arg(QString::fromStdString(trouble)));
}

// The window stays usable meanwhile; the status line shows how far the update is while the
// page is shown.
void HistoryPage::UpdateIndex(bool tellCount) {
  indexOutOfDate_ = false;
  work_->Post([this, tellCount](index::HistoryIndex& history, const std::atomic<bool>& stop) {
    if (!history.IsOpen()) return;
    int shown = -1;
    const index::IndexUpdate update = history.Update(
        [this, &shown, tellCount](const index::IndexProgress& progress) {
          const int percent =
              static_cast<int>(progress.done * 100 / std::max<size_t>(progress.total, 1));
          if (percent == shown) return;
          shown = percent;
          QMetaObject::invokeMethod(
              this,
              [this, percent, tellCount] {
                if (isVisible() && tellCount) Status(tr("Indexing track files: %1%").arg(percent));
              },
              Qt::QueuedConnection);
        },
        &stop);
    // Nothing was new, or the tracks just read are what changed: the read's own words stay.
    if (shown < 0 || update.stopped || !tellCount) return;
    QMetaObject::invokeMethod(
        this,
        [this, tracks = update.tracks] {
          if (isVisible())
            Status(tr("The history index holds %n track file(s).", "", static_cast<int>(tracks)));
        },
        Qt::QueuedConnection);
  });
}

// The first showing is of the month of the newest track.
void HistoryPage::ChooseNewestMonth() {
  const LocalZone zone = owner_.Store().Zone();
  work_->Post([this, zone](index::HistoryIndex& history, const std::atomic<bool>&) {
    long long newest = -1;
    for (const index::IndexedTrack& track : history.Tracks(std::nullopt))
      newest = std::max(newest, track.lastUtc);
    const std::optional<CalendarDate> day =
        newest < 0 ? std::nullopt : std::optional(LocalDayOf(newest, zone));
    QMetaObject::invokeMethod(
        this,
        [this, day] {
          if (day) {
            const QSignalBlocker quiet(periodDate_);
            periodDate_->setDate(QDate(day->year, day->month, day->day));
          }
          newestMonthChosen_ = true;
          DrawPeriod();
        },
        Qt::QueuedConnection);
  });
}

// A download's tracks are indexed once it has ended, when the page is next shown: its status
// line is the download's meanwhile.
void HistoryPage::OnTracksChanged(const TrackChangeNotice&) {
  if (!work_) return;
  mapOutOfDate_ = true;
  if (owner_.Session().DownloadInProgress()) {
    indexOutOfDate_ = true;
    return;
  }
  UpdateIndex(false);  // only the files changed are read again
  if (isVisible() && newestMonthChosen_) DrawPeriod();
}

void HistoryPage::DataFolderChanged() {
  work_.reset();
  ++generation_;  // lines of the old folder still on their way are dropped
  newestMonthChosen_ = false;
  mapOutOfDate_ = true;
  shownTracks_.clear();
  searched_.reset();
  passages_.clear();
  passageTrackStarts_.clear();
  passageList_->setRowCount(0);
  if (isVisible()) PageActivated();
}

void HistoryPage::ZoneChanged() {
  mapOutOfDate_ = true;
  ShowPassageRows();
  if (work_ && isVisible() && newestMonthChosen_) DrawPeriod();
}

void HistoryPage::OnBoxDrawn(double south, double west, double north, double east) {
  FindPassages(index::Place::Between(south, west, north, east));
}

void HistoryPage::OnPlaceClicked(double latitude, double longitude) {
  FindPassages(index::Place::Near(latitude, longitude, RadiusMetres()));
}

// The place searched, drawn on the map as the window understood it.
void HistoryPage::ShowPlaceOnMap(const index::Place& place) {
  if (place.kind == index::Place::Kind::Box) {
    webPage_->runJavaScript(QStringLiteral("TavrinShowPlace('box', %1, %2, %3, %4);")
                                .arg(place.box.south, 0, 'f', 7)
                                .arg(place.box.west, 0, 'f', 7)
                                .arg(place.box.north, 0, 'f', 7)
                                .arg(place.box.east, 0, 'f', 7));
  } else {
    webPage_->runJavaScript(QStringLiteral("TavrinShowPlace('near', %1, %2, %3);")
                                .arg(place.latitude, 0, 'f', 7)
                                .arg(place.longitude, 0, 'f', 7)
                                .arg(place.radius));
  }
}

// Within the period the map shows.
void HistoryPage::FindPassages(const index::Place& place) {
  if (!work_) return;
  searched_ = place;
  ShowPlaceOnMap(place);
  Status(tr("Finding the passages\u2026"));
  const auto period = ChosenPeriod();
  work_->Post([this, place, period](index::HistoryIndex& history, const std::atomic<bool>&) {
    std::vector<index::Passage> found = history.Find(place, period);
    // Each passage's track is one of the period's: the list names it by its start.
    std::map<std::string, long long> starts;
    if (!found.empty()) {
      for (const index::IndexedTrack& track : history.Tracks(period))
        starts[track.path] = track.firstUtc;
    }
    std::vector<long long> trackStarts;
    for (const index::Passage& passage : found) {
      const auto start = starts.find(passage.path);
      trackStarts.push_back(start == starts.end() ? passage.firstUtc : start->second);
    }
    QMetaObject::invokeMethod(
        this,
        [this, found = std::move(found), trackStarts = std::move(trackStarts)]() mutable {
          ShowPassages(std::move(found), std::move(trackStarts));
        },
        Qt::QueuedConnection);
  });
}

void HistoryPage::ShowPassages(std::vector<index::Passage> passages,
                               std::vector<long long> trackStarts) {
  passages_ = std::move(passages);
  passageTrackStarts_ = std::move(trackStarts);
  ++searchesListed_;
  ShowPassageRows();
  Status(passages_.empty()
             ? tr("No track of this period passed there; choose a longer period or a larger "
                  "place.")
             : tr("%n passage(s) found; press Enter on one to open its track.", "",
                  static_cast<int>(passages_.size())));
}

void HistoryPage::ShowPassageRows() {
  const LocalZone& zone = owner_.Store().Zone();
  passageList_->setRowCount(static_cast<int>(passages_.size()));
  for (size_t i = 0; i < passages_.size(); ++i) {
    const index::Passage& passage = passages_[i];
    const QString texts[] = {
        QString::fromStdString(ShownDateTimeText(passageTrackStarts_[i], zone)),
        QString::fromStdString(ShownDateTimeText(passage.firstUtc, zone)),
        QString::fromStdString(ShownDateTimeText(passage.lastUtc, zone)),
        QString::number(std::llround(units_ == Units::Imperial ? passage.closest / kMetresPerFoot
                                                               : passage.closest))};
    for (int column = 0; column < 4; ++column) {
      auto* item = new QTableWidgetItem(texts[column]);
      if (column == 3) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      passageList_->setItem(static_cast<int>(i), column, item);
    }
  }
  if (!passages_.empty()) passageList_->setCurrentCell(0, 0);
}

void HistoryPage::OnPassageChosen(int row) {
  if (row < 0 || static_cast<size_t>(row) >= passages_.size()) return;
  const index::Passage& passage = passages_[static_cast<size_t>(row)];
  owner_.ShowTrackOnRecordPage(passage.path, passage.firstUtc);
}

}  // namespace tavrin::gui
