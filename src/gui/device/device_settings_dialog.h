// SPDX-License-Identifier: GPL-3.0-or-later
// "Device Settings": the logger's three save options and four note groups, shown as the logger
// last told them. OK keeps what was entered, once every value is valid; the page then sends it
// to the logger. The session's device fields change only when the sentences are written.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <array>

#include "base/message_box.h"
#include "protocol/device_state.h"

namespace tavrin::gui {

class DeviceSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  DeviceSettingsDialog(const DeviceState& device, MessageBoxFn messageBox,
                       QWidget* parent = nullptr);

  void accept() override;

  // What OK kept; the values the dialog was opened with until then.
  const SaveOptions& ChosenOptions() const { return options_; }
  const NoteGroups& ChosenNoteGroups() const { return noteGroups_; }

 private:
  QWidget* MakeOptionsGroup();
  QWidget* MakeNotesGroup();
  void OnDefault();
  // The number in `field` when it lies in 0..most; otherwise tells the user and gives nothing.
  std::optional<int> ValueIn(QLineEdit* field, int most, const QString& what, const QString& unit);

  SaveOptions options_;
  NoteGroups noteGroups_;
  MessageBoxFn messageBox_;
  QLineEdit* speed_ = nullptr;
  QLineEdit* time_ = nullptr;
  QLineEdit* distance_ = nullptr;
  std::array<QLineEdit*, 4> notes_{};
};

}  // namespace tavrin::gui
