// SPDX-License-Identifier: GPL-3.0-or-later
// The Track Record page: the stored tracks listed by day or by track, filtered by a day or a
// period, one record loaded into the points list and the speed graph, the deletions, and the
// exports of the ticked records.
#pragma once

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableView>
#include <QWidget>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "export/export_commands.h"

class QMenu;
class QWebEngineView;
#include "gui/common/page_owner.h"
#include "gui/models/point_list_model.h"
#include "gui/models/track_list_model.h"
#include "gui/plot/line_plot.h"
#include "gui/records/loaded_track.h"

namespace tavrin::imports {
struct FileImport;
}  // namespace tavrin::imports

namespace tavrin::gui {

class TrackRecordPage : public QWidget {
  Q_OBJECT

 public:
  explicit TrackRecordPage(IPageOwner& owner, QWidget* parent = nullptr);
  ~TrackRecordPage() override;

  // The tab became the shown one: the list is read again from the data folder.
  void PageActivated();
  // Tracks are now kept in another folder: nothing of the old one stays loaded or listed.
  void DataFolderChanged();
  // Loads the record at `row` of the record list, as a double-click does.
  void LoadRecord(int row);
  // Lists the tracks of the day of the track file `path` by tracks and loads it, as a
  // double-click on its row does; selects the first point row at or after `pointUtc` (UTC
  // seconds) when one is given. False when the file is not among the stored tracks.
  bool ShowTrack(const std::string& path, std::optional<long long> pointUtc);
  // Date-times are now shown in another zone: the lists and the loaded record follow it.
  void ZoneChanged();
  // Distances and speeds are now shown in the other units.
  void UnitsChanged();

  TrackListModel& RecordList() { return records_; }
  // The tracks (and days) the record list shows, row for row.
  const TrackListing& Listing() const { return listing_; }
  PointListModel& PointList() { return points_; }
  LinePlot& SpeedGraph() { return *graph_; }
  // The map view, once "Google Maps" or the page's first showing made it; whether its web
  // engine has finished a load; how often it was sent to the page and refreshed (the page
  // without a key takes the new track without loading again).
  QWebEngineView* MapView() { return map_; }
  bool MapEngineRunning() const { return mapEngineRunning_; }
  int MapNavigations() const { return mapNavigations_; }
  int MapRefreshes() const { return mapRefreshes_; }
  int SelectedRow() const { return selectedRow_; }
  bool ByDays() const { return byDays_->isChecked(); }
  // Imports GPX, KML and NMEA files into the data folder with progress and Stop, lists the new
  // tracks and loads the first; returns its track file, or "" when none was written.
  std::string ImportTrackFiles(const QStringList& files);
  // Waits for the map's pages of the record loaded last, which are written on another thread.
  void FinishMapPages();

  // What writing the map's pages gave: the line for the page without a key, and the messages
  // for the user, which only the window's thread may show.
  struct MapPages {
    struct Message {
      std::string text;
      MsgIcon icon;
      MsgButtons buttons;
    };
    std::string line;
    size_t linePoints = 0;
    std::vector<Message> messages;
  };

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Layout (track_record_page_layout.cpp).
  QWidget* MakeListModeGroup();
  QWidget* MakePeriodGroup();
  QWidget* MakeTrackDataGroup();
  QWidget* MakeRecordButtons();
  QWidget* MakeViewButtons();
  QHBoxLayout* MakeImportAndOptionsRow();
  QPushButton* MakeButton(const char* objectName, const QString& caption,
                          void (TrackRecordPage::*slot)());
  // Tab follows the page as it reads: the left column top to bottom, then the lists, buttons and
  // views on the right.
  void SetTabOrderOfControls();
  void KeepMapInTabOrder();
  void SetRecordColumnWidths();

  // Lists and loading (track_record_page_lists.cpp).
  void OnByDays();
  void OnByTracks();
  void SetModeControls(bool byDays);
  void RefreshRecordList();
  QString ListAgain();
  QString ListPeriod();
  // The list follows what changed among the stored tracks, whichever command changed them.
  void OnTracksChanged(const TrackChangeNotice& notice);
  void ForgetDeletedTracks(const std::vector<std::string>& paths);
  void ShowCompactedTrack(const std::string& path);
  void OnCalendarDay();
  void OnConformSelected();
  void OnRecordActivated(const QModelIndex& index);
  void SetWindowControls(const RowFigures& record);
  std::string FirstTrackOfLoaded() const;
  // The row of the day whose tracks hold the track file `track`, or -1.
  int RowOfDayHolding(const std::string& track) const;
  void ClearLoadedRecord();
  void ShowNewestDay();

  // Views.
  void OnTrackData();
  void OnGoogleMaps();
  void OnSpeedGraph();
  // The Photos dialog: photos matched to the stored tracks, their positions written.
  void OnPhotos();
  // Importing other devices' tracks (track_record_page_import.cpp).
  void OnImportTracks();
  void ShowImportedTrack(const std::string& path);
  // Lists and loads what an import brought, says so on the status line and tells the files'
  // problems; returns the first track file written.
  std::string ShowImports(const std::vector<imports::FileImport>& results, bool stopped);
  void DrawSpeedGraph();
  void ShowNewRecordInGraph();
  void ShowUnits();
  // Starts writing the map page for `points` and the page needing no key
  // (track_record_page_map.cpp).
  void WriteMapPages(const PointVector& points);
  void MakeMapView();
  void StartMapEngine();
  void CollectMapPages(unsigned generation);
  void ShowMapPage();

  // Track editing (track_record_page_editing.cpp).
  void OnConformTrack();
  void OnCreateTrack();
  void ShowCreatedTrack(const std::string& path);
  // The row of the track file `path` in the list by tracks, or -1.
  int RowOfTrack(const std::string& path) const;
  void OnDeletePoints();
  std::vector<size_t> SelectedPointRows() const;

  // Naming a place of the logbook from a point of the list or of the map
  // (track_record_page_places.cpp).
  void OnPointMenu(const QPoint& at);
  void OnMapMenu(const QPoint& at);
  void OfferToNamePlace(QWidget* over, const QPoint& at, double latitude, double longitude);

  // Commands (track_record_page_commands.cpp).
  size_t TickedTrackCount() const;
  void OnDeleteTicked();
  void OnDeleteAll();
  void OnExport(ExportKind kind);
  void OnSoftwareOptions();
  void Status(const QString& text) { owner_.SetStatusText(text.toStdString()); }
  // The core's own words (export progress and results) go to the status line as it gave them.
  void Status(const std::string& text) { owner_.SetStatusText(text); }

  IPageOwner& owner_;
  TrackListModel records_;
  TrackListing listing_;  // what records_ shows, row for row
  PointListModel points_;
  Units units_ = Units::Metric;
  int selectedRow_ = -1;
  int changesListener_ = 0;
  LoadedTrack loaded_;
  bool dayPicked_ = false;  // the user chose a day or a period, which the filters keep

  QRadioButton* byDays_ = nullptr;
  QRadioButton* byTracks_ = nullptr;
  QCheckBox* selectAll_ = nullptr;
  QStackedWidget* modeControls_ = nullptr;  // the calendar or the period, by the list's mode
  QCalendarWidget* calendar_ = nullptr;
  QLabel* startLabel_ = nullptr;
  QLabel* endLabel_ = nullptr;
  QDateEdit* periodStart_ = nullptr;
  QDateEdit* periodEnd_ = nullptr;
  QPushButton* conformSelected_ = nullptr;
  QDateEdit* windowStart_ = nullptr;
  QDateEdit* windowEnd_ = nullptr;
  QComboBox* startHour_ = nullptr;
  QComboBox* startMinute_ = nullptr;
  QComboBox* endHour_ = nullptr;
  QComboBox* endMinute_ = nullptr;
  QPushButton* conformTrack_ = nullptr;
  QPushButton* createTrack_ = nullptr;
  QPushButton* deletePoints_ = nullptr;
  QPushButton* deleteAll_ = nullptr;
  QTableView* recordView_ = nullptr;
  QTableView* pointView_ = nullptr;
  QLineEdit* fileName_ = nullptr;
  QStackedWidget* views_ = nullptr;
  LinePlot* graph_ = nullptr;
  QWebEngineView* map_ = nullptr;
  bool mapPagesWritten_ = false;  // for the data folder in use
  bool mapPageLoaded_ = false;    // the view shows the page of the data folder in use
  bool mapPageReady_ = false;     // and has finished loading it
  bool mapEngineAsked_ = false;   // the view's web engine starts when the window is idle
  bool mapEngineRunning_ = false;
  // The line of the points the map pages were last written for (EncodeMapLine), and how many
  // points it has: what the page without a key takes in place of its track.
  std::string mapLine_;
  size_t mapLinePoints_ = 0;
  std::future<MapPages> mapPagesWork_;
  unsigned mapPagesGeneration_ = 0;  // of the pages last asked for
  bool mapWaitsForPages_ = false;    // the view is shown and its page not yet written
  QMenu* placeMenu_ = nullptr;
  int mapNavigations_ = 0;
  int mapRefreshes_ = 0;
};

}  // namespace tavrin::gui
