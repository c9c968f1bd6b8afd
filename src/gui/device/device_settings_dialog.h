// "Device Settings": the logger's three save options and four note groups, edited in the
// session's device fields. OK stores them there; the page then sends them to the logger.
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
  DeviceSettingsDialog(DeviceState& device, MessageBoxFn messageBox, QWidget* parent = nullptr);

  void accept() override;

 private:
  QWidget* MakeOptionsGroup();
  QWidget* MakeNotesGroup();
  void OnDefault();
  // The number in `field` when it lies in 0..most; otherwise tells the user and gives nothing.
  std::optional<int> ValueIn(QLineEdit* field, int most, const char* what, const char* unit);

  DeviceState& device_;
  MessageBoxFn messageBox_;
  QLineEdit* speed_ = nullptr;
  QLineEdit* time_ = nullptr;
  QLineEdit* distance_ = nullptr;
  std::array<QLineEdit*, 4> notes_{};
};

}  // namespace tavrin::gui
