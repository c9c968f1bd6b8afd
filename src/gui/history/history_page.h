// SPDX-License-Identifier: GPL-3.0-or-later
// The History page: every track of a day, a month, a year or of all time on one map, each its
// own colour and named under the mouse; a click on a line loads that track on the Track Record
// page. A box drawn on the map, or a right-click with a radius, lists the times a track passed
// there. The history index behind it is kept current on a thread of its own.
#pragma once

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/units.h"
#include "gui/common/page_owner.h"
#include "gui/history/history_lines.h"
#include "index/history_index.h"

class QWebEngineView;

namespace tavrin::gui {

class HistoryWebPage;
class HistoryWork;
struct HistoryLines;

class HistoryPage : public QWidget {
  Q_OBJECT

 public:
  enum class Period { Day, Month, Year, All };

  explicit HistoryPage(IPageOwner& owner, QWidget* parent = nullptr);
  ~HistoryPage() override;

  // The tab became the shown one: the index is opened and brought up to date the first time,
  // and the map shows the period chosen.
  void PageActivated();
  // Tracks are now kept in another folder, or their times shown in another zone.
  void DataFolderChanged();
  void ZoneChanged();
  void UnitsChanged();
  // The window closes: an update of the index stops where it is.
  void StopWork();

  // The days chosen, or nothing for all of them.
  std::optional<index::LocalPeriod> ChosenPeriod() const;
  QWebEngineView* MapView() { return map_; }
  // Whether the map's page has loaded (it then takes lines).
  bool MapLoaded() const { return pageLoaded_; }
  // The tracks of the lines on the map, line for line, and the number of the lines asked for
  // last: the page's window.tavrinHistoryShown once it draws them.
  const std::vector<index::IndexedTrack>& ShownTracks() const { return shownTracks_; }
  int LinesAsked() const { return generation_; }
  // The passages listed, row for row, and how many searches have been listed.
  const std::vector<index::Passage>& Passages() const { return passages_; }
  int SearchesListed() const { return searchesListed_; }
  // Above this many points the lines are thinned (kPointsDrawnWhole unless a test says less).
  void SetPointsDrawnWhole(size_t points) { pointsDrawnWhole_ = points; }

 private:
  // Layout (history_page_layout.cpp).
  QWidget* MakePeriodRow();
  QWidget* MakePassageList();
  void MakeMapView();

  // The map (history_page.cpp).
  void OnPeriodChosen();
  void DrawPeriod();
  void ShowLines(int generation, std::vector<index::IndexedTrack> tracks,
                 std::shared_ptr<HistoryLines> lines);
  void PutLinesOnPage();
  void OnTrackClicked(int generation, int line);
  void OnCloserLinesAsked(int generation, int asked, int zoom, double south, double west,
                          double north, double east);

  // The index and the passages (history_page_work.cpp).
  void StartWork();
  // Brings the index up to date; the status line follows it only with `tellCount` (the page
  // shown), not for tracks that a read has just told of.
  void UpdateIndex(bool tellCount = true);
  void ShowIndexProgress(size_t done, size_t total);
  void TellIndexTrouble(const std::string& trouble);
  void ChooseNewestMonth();
  void OnTracksChanged(const TrackChangeNotice& notice);
  void OnBoxDrawn(double south, double west, double north, double east);
  void OnPlaceClicked(double latitude, double longitude);
  void FindPassages(const index::Place& place);
  void ShowPlaceOnMap(const index::Place& place);
  // The passages with the first UTC second of each one's track.
  void ShowPassages(std::vector<index::Passage> passages, std::vector<long long> trackStarts);
  void ShowPassageRows();
  void OnPassageChosen(int row);
  double RadiusMetres() const;
  void Status(const QString& text) { owner_.SetStatusText(text.toStdString()); }

  IPageOwner& owner_;
  QComboBox* periodKind_ = nullptr;
  QDateEdit* periodDate_ = nullptr;
  QPushButton* findInBox_ = nullptr;
  QSpinBox* radius_ = nullptr;
  QLabel* summary_ = nullptr;
  QWebEngineView* map_ = nullptr;
  HistoryWebPage* webPage_ = nullptr;
  QTableWidget* passageList_ = nullptr;

  std::unique_ptr<HistoryWork> work_;
  int changesListener_ = 0;
  bool newestMonthChosen_ = false;
  bool mapOutOfDate_ = true;     // tracks changed or another period was chosen since last drawn
  bool indexOutOfDate_ = false;  // tracks changed during a download
  bool pageLoaded_ = false;
  // Of the lines asked for last; the index's thread compares its work's with it.
  std::atomic<int> generation_{0};
  std::string waitingLines_;  // lines made while the page was still loading
  int waitingGeneration_ = 0;
  int waitingWholeUpTo_ = 0;
  size_t pointsDrawnWhole_ = kPointsDrawnWhole;  // handed to the index's thread by value
  std::atomic<int> closerAsked_{0};              // the closer lines the page asked for last
  std::vector<index::IndexedTrack> shownTracks_;
  Units units_ = Units::Metric;
  std::optional<index::Place> searched_;  // the place last searched, again in a new period
  std::vector<index::Passage> passages_;
  std::vector<long long> passageTrackStarts_;  // row for row
  int searchesListed_ = 0;
};

}  // namespace tavrin::gui
