// SPDX-License-Identifier: GPL-3.0-or-later
// The History page's map: the lines of the period chosen are read and thinned on the index's
// thread, and put on the page in place of those it shows.
#include "gui/history/history_page.h"

#include <malloc.h>

#include <QWebEngineView>

#include "gui/history/history_lines.h"
#include "gui/history/history_map_page.h"
#include "gui/history/history_times.h"
#include "gui/history/history_web_page.h"
#include "gui/history/history_work.h"

namespace tavrin::gui {
namespace {

CalendarDate DateOf(const QDate& date) {
  return CalendarDate{date.year(), date.month(), date.day()};
}

}  // namespace

HistoryPage::~HistoryPage() {
  StopWork();
  owner_.Store().Catalogue().StopListening(changesListener_);
}

std::optional<index::LocalPeriod> HistoryPage::ChosenPeriod() const {
  const QDate date = periodDate_->date();
  const LocalZone& zone = owner_.Store().Zone();
  switch (static_cast<Period>(periodKind_->currentIndex())) {
    case Period::Day:
      return index::LocalPeriod{DateOf(date), DateOf(date), zone};
    case Period::Month:
      return index::LocalPeriod{DateOf(QDate(date.year(), date.month(), 1)),
                                DateOf(QDate(date.year(), date.month(), date.daysInMonth())), zone};
    case Period::Year:
      return index::LocalPeriod{CalendarDate{date.year(), 1, 1}, CalendarDate{date.year(), 12, 31},
                                zone};
    case Period::All:
      break;
  }
  return std::nullopt;
}

void HistoryPage::PageActivated() {
  if (map_->url().isEmpty()) {
    map_->setHtml(QString::fromStdString(HistoryMapHtml()), QUrl(QStringLiteral("file:///")));
  }
  if (!work_) {
    StartWork();  // chooses the newest month, then draws it
    return;
  }
  if (indexOutOfDate_) UpdateIndex();
  if (mapOutOfDate_ && newestMonthChosen_) DrawPeriod();
}

void HistoryPage::OnPeriodChosen() {
  periodDate_->setEnabled(static_cast<Period>(periodKind_->currentIndex()) != Period::All);
  mapOutOfDate_ = true;
  if (work_ && newestMonthChosen_) DrawPeriod();
  // The passages listed are those of the period shown: a search in another is made again.
  if (searched_) FindPassages(*searched_);
}

// The lines are made for a map of the view's size; the index lists the period's tracks first.
void HistoryPage::DrawPeriod() {
  mapOutOfDate_ = false;
  const int generation = ++generation_;
  const auto period = ChosenPeriod();
  const LocalZone zone = owner_.Store().Zone();
  const int width = map_->width(), height = map_->height();
  summary_->setText(tr("Drawing the tracks\u2026"));
  work_->Post([this, generation, period, zone, width, height, whole = pointsDrawnWhole_](
                  index::HistoryIndex& history, const std::atomic<bool>& stop) {
    if (generation != generation_) return;  // another period was chosen since
    std::vector<index::IndexedTrack> tracks = history.Tracks(period);
    auto lines =
        std::make_shared<HistoryLines>(MakeHistoryLines(tracks, zone, width, height, &stop, whole));
    if (stop) return;
    QMetaObject::invokeMethod(
        this,
        [this, generation, tracks = std::move(tracks), lines]() mutable {
          ShowLines(generation, std::move(tracks), lines);
        },
        Qt::QueuedConnection);
  });
}

void HistoryPage::ShowLines(int generation, std::vector<index::IndexedTrack> tracks,
                            std::shared_ptr<HistoryLines> lines) {
  if (generation != generation_) return;  // another period was chosen meanwhile
  size_t points = 0;
  for (const index::IndexedTrack& track : tracks) points += track.points;
  summary_->setText(tracks.empty()
                        ? tr("No track in this period.")
                        : tr("%n track(s), %1 points", "", static_cast<int>(tracks.size()))
                              .arg(static_cast<qulonglong>(points)));
  shownTracks_ = std::move(tracks);
  waitingGeneration_ = generation;
  waitingWholeUpTo_ = lines->wholeUpTo;
  waitingLines_ = std::move(lines->script);
  lines.reset();
  PutLinesOnPage();
}

// The page takes the lines once it has loaded; until then they wait.
void HistoryPage::PutLinesOnPage() {
  if (!pageLoaded_ || waitingGeneration_ == 0) return;
  webPage_->runJavaScript(QStringLiteral("TavrinShowHistory(%1, %2, %3);")
                              .arg(waitingGeneration_)
                              .arg(QString::fromUtf8(waitingLines_))
                              .arg(waitingWholeUpTo_));
  waitingGeneration_ = 0;
  std::string().swap(waitingLines_);
  // The lines of a decade are tens of megabytes of text, freed now.
  malloc_trim(0);
}

void HistoryPage::OnTrackClicked(int generation, int line) {
  if (generation != generation_ || line < 0 || static_cast<size_t>(line) >= shownTracks_.size())
    return;
  owner_.ShowTrackOnRecordPage(shownTracks_[static_cast<size_t>(line)].path, std::nullopt);
}

// A view closer than the lines were thinned for: the lines about it are read again with more of
// their points, on the index's thread, and only the answer to the page's last question is given.
void HistoryPage::OnCloserLinesAsked(int generation, int asked, int zoom, double south, double west,
                                     double north, double east) {
  if (generation != generation_ || !work_) return;
  closerAsked_ = asked;
  // A view over 180 degrees asks for every longitude.
  const index::GeoBox view =
      west < -180 || east > 180
          ? index::GeoBox{std::max(south, -90.0), std::min(north, 90.0), -180, 180}
          : index::GeoBox{std::max(south, -90.0), std::min(north, 90.0), west, east};
  std::vector<size_t> chosen;
  for (size_t i = 0; i < shownTracks_.size(); ++i) {
    const index::GeoBox& box = shownTracks_[i].box;
    if (box.south <= view.north && view.south <= box.north && box.west <= view.east &&
        view.west <= box.east)
      chosen.push_back(i);
  }
  // The page is answered with the box it asked about, which it compares its views with.
  const index::GeoBox askedBox{south, north, west, east};
  work_->Post([this, tracks = shownTracks_, chosen = std::move(chosen), generation, asked, zoom,
               view, askedBox,
               whole = pointsDrawnWhole_](index::HistoryIndex&, const std::atomic<bool>& stop) {
    if (asked != closerAsked_) return;  // the view moved on since
    auto lines =
        std::make_shared<HistoryLines>(MakeCloserLines(tracks, chosen, view, zoom, whole, &stop));
    if (stop) return;
    QMetaObject::invokeMethod(
        this,
        [this, generation, asked, askedBox, lines] {
          if (generation != generation_ || asked != closerAsked_) return;
          webPage_->runJavaScript(
              QStringLiteral("TavrinShowCloser(%1, %2, %3, %4, %5, %6, %7, %8);")
                  .arg(generation)
                  .arg(asked)
                  .arg(lines->wholeUpTo)
                  .arg(askedBox.south, 0, 'f', 7)
                  .arg(askedBox.west, 0, 'f', 7)
                  .arg(askedBox.north, 0, 'f', 7)
                  .arg(askedBox.east, 0, 'f', 7)
                  .arg(QString::fromUtf8(lines->script)));
          malloc_trim(0);  // the lines' text, freed
        },
        Qt::QueuedConnection);
  });
}

}  // namespace tavrin::gui
