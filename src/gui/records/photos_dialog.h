// SPDX-License-Identifier: GPL-3.0-or-later
// The Photos dialog of the Track Record page: the photos of a folder matched to the stored
// tracks by the time each was taken, shown in a list and as thumbnails on the map beside the
// tracks, and their positions written into them (or their XMP sidecars) on the user's word.
// Reading and writing the photos runs on another thread, with progress and Stop.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <atomic>
#include <future>
#include <memory>
#include <optional>
#include <vector>

#include "gui/common/page_owner.h"
#include "gui/models/photo_list_model.h"
#include "photos/photo_matching.h"

class QWebEngineView;

namespace tavrin::gui {

class PhotosDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PhotosDialog(IPageOwner& owner, QWidget* parent = nullptr);
  ~PhotosDialog() override;

  // Finds the photos of the folder field and matches them, as "Find positions" does.
  void FindPositions();
  // Writes the positions of the photos to tag, as "Write positions" does.
  void WritePositions();
  // Asks the true time of the selected photo and sets the clock offset from it.
  void OffsetFromClockPhoto();

  // True while photos are read or written on the other thread.
  bool Busy() const { return work_.valid(); }
  PhotoListModel& PhotoList() { return photos_; }
  QWebEngineView* MapView() { return map_; }
  // The summary under the list.
  QString Summary() const { return summary_->text(); }

 protected:
  void reject() override;

 private:
  // Layout (photos_dialog.cpp).
  QWidget* MakeFolderRow();
  QWidget* MakeCameraRow();
  QWidget* MakeWritingRow();
  void SetTabOrderOfControls();
  void FitColumns();
  void ShowBusy(bool busy, const QString& what);

  // Work (photos_dialog_work.cpp).
  std::optional<photos::GeotagOptions> OptionsFromFields();
  void PlanOnOtherThread(std::vector<std::string> files, photos::GeotagOptions options);
  void WriteOnOtherThread(std::vector<photos::PhotoItem> items, photos::GeotagOptions options);
  void Progress(size_t done, size_t total);
  void WorkDone();
  void WriteMapPage();
  void ShowOnMap();
  // The tracks that hold the matched photos, in time order, and where each begins.
  struct TracksNearPhotos {
    std::vector<TrackPoint> points;
    std::vector<std::size_t> starts;
  };
  TracksNearPhotos TrackPointsNearPhotos();
  void Summarise(bool stopped);
  void StopWork();
  void MarkStale();
  void Tell(const QString& text, MsgIcon icon = MsgIcon::Warning);

  // What the other thread hands back.
  struct WorkResult {
    std::vector<photos::PhotoItem> items;
    std::vector<QString> thumbnails;  // data URLs, when planned; empty when written
    bool stopped = false;
  };

  IPageOwner& owner_;
  PhotoListModel photos_;
  std::vector<QString> thumbnails_;  // of the rows, for the map
  std::future<WorkResult> work_;
  std::atomic<bool> stop_{false};
  photos::GeotagOptions usedOptions_;     // of the photos listed
  std::vector<TrackEntry> storedTracks_;  // the tracks the photos were matched against
  std::shared_ptr<const photos::TrackTimeline> timeline_;
  bool writing_ = false;      // the work is writing, not reading
  bool stale_ = false;        // the fields changed since the photos were matched
  bool photosOnMap_ = false;  // the view shows the map page, not the word before it

  QLineEdit* folder_ = nullptr;
  QPushButton* chooseFolder_ = nullptr;
  QCheckBox* subfolders_ = nullptr;
  QComboBox* zone_ = nullptr;
  QLineEdit* offset_ = nullptr;
  QPushButton* clockPhoto_ = nullptr;
  QSpinBox* maxGap_ = nullptr;
  QCheckBox* overwrite_ = nullptr;
  QCheckBox* sidecar_ = nullptr;
  QPushButton* find_ = nullptr;
  QTableView* list_ = nullptr;
  QWebEngineView* map_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* summary_ = nullptr;
  QPushButton* write_ = nullptr;
  QPushButton* stopButton_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace tavrin::gui
