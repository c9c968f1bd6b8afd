// The Track Record page. For now it lists the stored tracks one row per track and opens the
// Software Options; browsing, the map, the speed graph, editing and the exports come with the
// page's own work.
#pragma once

#include <QTableView>
#include <QWidget>

#include "gui/device/track_list_model.h"
#include "gui/window/page_owner.h"

namespace tavrin::gui {

class CRecordCtrlDlg : public QWidget {
  Q_OBJECT

 public:
  explicit CRecordCtrlDlg(IPageOwner& owner, QWidget* parent = nullptr);

  // The tab became the shown one: the list is read again from the data folder.
  void PageActivated();
  CTrackListModel& RecordList() { return records_; }

 private:
  IPageOwner& owner_;
  CTrackListModel records_;
  QTableView* view_ = nullptr;
};

}  // namespace tavrin::gui
