// SPDX-License-Identifier: GPL-3.0-or-later
// What the user writes of trips: a purpose, the offered purpose taken, a note; for every
// selected trip at once, each in one change of the logbook.
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>

#include "gui/logbook/logbook_page.h"

namespace tavrin::gui {

std::vector<int> LogbookPage::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : tripList_->selectionModel()->selectedRows()) {
    rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

// The rows a cell's edit is for: every selected row when the cell's row is one of them.
std::vector<int> LogbookPage::RowsWith(int row) const {
  std::vector<int> rows = SelectedRows();
  if (std::find(rows.begin(), rows.end(), row) == rows.end()) rows = {row};
  return rows;
}

std::vector<std::string> LogbookPage::TracksOf(const std::vector<int>& rows) const {
  std::vector<std::string> tracks;
  for (const int row : rows) {
    if (row >= 0 && row < trips_.rowCount()) tracks.push_back(trips_.Trip(row).track);
  }
  return tracks;
}

bool LogbookPage::AnySelected(const std::vector<int>& rows) {
  if (!rows.empty()) return true;
  owner_.ShowMessage(
      tr("No trip is selected: select the trips in the list first (a click, and Shift or Ctrl "
         "with a click or the arrows for several).")
          .toStdString(),
      MsgIcon::Information, MsgButtons::Ok);
  return false;
}

// The edit of a cell ends first: the list is shown again once the view is done with it.
void LogbookPage::SetPurpose(const std::vector<int>& rows, logbook::Purpose purpose) {
  logbook::LogbookStore* logbook = owner_.Logbook();
  if (logbook == nullptr || !AnySelected(rows)) return;
  const std::vector<std::string> tracks = TracksOf(rows);
  if (!Stored(logbook->SetPurpose(tracks, purpose))) return;
  const QString name = purpose == logbook::Purpose::None ? tr("No purpose") : PurposeName(purpose);
  Status(tr("%1 for %n trip(s).", "", static_cast<int>(tracks.size())).arg(name));
  QTimer::singleShot(0, this, &LogbookPage::Reload);
}

// The offers differ from trip to trip: each trip gets its own, one change each.
void LogbookPage::AcceptOffered() {
  logbook::LogbookStore* logbook = owner_.Logbook();
  const std::vector<int> rows = SelectedRows();
  if (logbook == nullptr || !AnySelected(rows)) return;
  std::map<logbook::Purpose, std::vector<std::string>> offered;
  for (const int row : rows) {
    const logbook::TripRow& trip = trips_.Trip(row);
    if (trip.purpose == logbook::Purpose::None && trip.suggested) {
      offered[*trip.suggested].push_back(trip.track);
    }
  }
  if (offered.empty()) {
    Status(
        tr("No purpose is offered for the selected trips: a purpose is offered once an "
           "earlier trip between the same two places has one."));
    return;
  }
  int taken = 0;
  for (const auto& [purpose, tracks] : offered) {
    if (!Stored(logbook->SetPurpose(tracks, purpose))) break;
    taken += static_cast<int>(tracks.size());
  }
  Status(tr("The offered purpose is set for %n trip(s).", "", taken));
  QTimer::singleShot(0, this, &LogbookPage::Reload);
}

void LogbookPage::SetNote(const std::vector<int>& rows, const QString& note) {
  logbook::LogbookStore* logbook = owner_.Logbook();
  if (logbook == nullptr || !AnySelected(rows)) return;
  const std::vector<std::string> tracks = TracksOf(rows);
  if (!Stored(logbook->SetNote(tracks, note.trimmed().toStdString()))) return;
  Status(tr("The note is kept for %n trip(s).", "", static_cast<int>(tracks.size())));
  QTimer::singleShot(0, this, &LogbookPage::Reload);
}

// Only what the user typed is stored: the field shows nothing for trips with different notes,
// and leaving it untouched keeps their notes.
void LogbookPage::OnNoteEdited() {
  if (!note_->isModified()) return;
  note_->setModified(false);
  SetNote(SelectedRows(), note_->text());
}

// The note field shows the selected trips' note when they share one.
void LogbookPage::OnSelectionChanged() {
  const std::vector<int> rows = SelectedRows();
  QString shared;
  bool same = true;
  for (size_t i = 0; i < rows.size(); ++i) {
    const QString note = QString::fromStdString(trips_.Trip(rows[i]).note);
    if (i == 0) shared = note;
    same = same && note == shared;
  }
  note_->setText(same ? shared : QString());
  note_->setPlaceholderText(same ? tr("The customer, the reason of the trip")
                                 : tr("Several notes: what you write replaces them all"));
}

// What the tool tip of "Changed" shows, for the keyboard.
void LogbookPage::ShowChangesOfCurrent() {
  const QModelIndex current = tripList_->currentIndex();
  if (!current.isValid()) return;
  const QString changes =
      trips_.data(trips_.index(current.row(), TripTableModel::Changed), Qt::ToolTipRole).toString();
  if (changes.isEmpty()) {
    Status(tr("This trip's purpose and note were never changed."));
    return;
  }
  owner_.ShowMessage(changes.toStdString(), MsgIcon::Information, MsgButtons::Ok);
}

// The list's own keys: a purpose for the selected trips by its letter, Enter to their note.
bool LogbookPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched != tripList_ || event->type() != QEvent::KeyPress) {
    return QWidget::eventFilter(watched, event);
  }
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier) return false;
  static constexpr std::pair<int, logbook::Purpose> kPurposeKeys[] = {
      {Qt::Key_B, logbook::Purpose::Business},
      {Qt::Key_P, logbook::Purpose::Private},
      {Qt::Key_C, logbook::Purpose::Commute},
      {Qt::Key_N, logbook::Purpose::None}};
  for (const auto& [letter, purpose] : kPurposeKeys) {
    if (key->key() != letter) continue;
    SetPurposeOfSelected(purpose);
    return true;
  }
  if (key->key() == Qt::Key_A) {
    AcceptOffered();
    return true;
  }
  if (key->key() == Qt::Key_H) {
    ShowChangesOfCurrent();
    return true;
  }
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    note_->setFocus(Qt::OtherFocusReason);
    note_->selectAll();
    return true;
  }
  return false;
}

}  // namespace tavrin::gui
