// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/device/device_settings_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "gui/common/widget_helpers.h"
#include "gui/session/core_words.h"
#include "protocol/logger_session.h"
#include "protocol/note_group.h"
#include "protocol/session_reports.h"

namespace tavrin::gui {
namespace {

QLineEdit* NumberField(const char* objectName, const QString& accessibleName) {
  auto* field = new QLineEdit;
  field->setObjectName(objectName);
  field->setAccessibleName(accessibleName);
  // Digits only, as many as the largest value has and one more, so that a value too large is
  // refused with a word rather than cut off unseen.
  field->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), field));
  return field;
}

QLabel* Label(const QString& text, QWidget* buddy = nullptr) {
  auto* label = new QLabel(text);
  if (buddy != nullptr) label->setBuddy(buddy);
  return label;
}

}  // namespace

DeviceSettingsDialog::DeviceSettingsDialog(const DeviceState& device, MessageBoxFn messageBox,
                                           QWidget* parent)
    : QDialog(parent),
      options_{device.saveBySpeed, device.saveByTime, device.saveByDistance},
      noteGroups_(device.noteGroups),
      messageBox_(std::move(messageBox)) {
  setObjectName("deviceSettingsDialog");
  setWindowTitle(tr("Device Settings"));
  auto* defaults = new QPushButton(tr("&DEFAULT"));
  defaults->setObjectName("default");
  defaults->setAutoDefault(false);
  connect(defaults, &QPushButton::clicked, this, &DeviceSettingsDialog::OnDefault);
  auto* ok = new QPushButton(tr("&OK"));
  ok->setObjectName("ok");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &DeviceSettingsDialog::accept);
  auto* cancel = new QPushButton(tr("&CANCLE"));
  cancel->setObjectName("cancel");
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &DeviceSettingsDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(defaults);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeOptionsGroup());
  layout->addWidget(MakeNotesGroup());
  layout->addLayout(buttons);
  // Top to bottom, left to right: the options, the four groups, then the buttons.
  SetTabOrder(
      {speed_, time_, distance_, notes_[0], notes_[1], notes_[2], notes_[3], defaults, ok, cancel});

  speed_->setText(QString::number(options_.bySpeed));
  time_->setText(QString::number(options_.byTime));
  distance_->setText(QString::number(options_.byDistance));
  for (size_t i = 0; i < notes_.size(); ++i) {
    notes_[i]->setText(QString::fromStdString(noteGroups_[i]));
  }
}

QWidget* DeviceSettingsDialog::MakeOptionsGroup() {
  auto* group = new QGroupBox(tr("Waypoint Save Options"));
  speed_ = NumberField("speed", tr("Save by Speed"));
  time_ = NumberField("time", tr("Save by Time"));
  distance_ = NumberField("distance", tr("Save by Distance"));
  auto* grid = new QGridLayout(group);
  const struct {
    QString label;
    QLineEdit* field;
    QString unit;
    QString range;
  } rows[] = {
      {tr("&1. Save by Speed :"), speed_, tr("Km/h"), tr("(According to Speed 0~255Km/h)")},
      {tr("&2. Save by Time :"), time_, tr("Sec"), tr("(According to Time 0~255 second)")},
      {tr("&3. Save by Distance :"), distance_, tr("M"), tr("(According to Distance 0~65535m)")},
  };
  int row = 0;
  for (const auto& r : rows) {
    grid->addWidget(Label(r.label, r.field), row, 0);
    grid->addWidget(r.field, row, 1);
    grid->addWidget(Label(r.unit), row, 2);
    grid->addWidget(Label(r.range), row, 3);
    ++row;
  }
  return group;
}

QWidget* DeviceSettingsDialog::MakeNotesGroup() {
  auto* group = new QGroupBox(tr("Note Information"));
  auto* grid = new QGridLayout(group);
  const char* names[] = {"group1", "group2", "group3", "group4"};
  for (size_t i = 0; i < notes_.size(); ++i) {
    notes_[i] = new QLineEdit;
    notes_[i]->setObjectName(names[i]);
    notes_[i]->setAccessibleName(tr("Group%1").arg(i + 1));
    notes_[i]->setMaxLength(7);
    // Each heading stands over its own field, in the field's column.
    // The first heading's letter leads into the groups; the others' letters are taken.
    auto* heading = new QLabel(i == 0 ? tr("&Group1") : notes_[i]->accessibleName());
    heading->setBuddy(notes_[i]);
    grid->addWidget(heading, 0, static_cast<int>(i));
    grid->addWidget(notes_[i], 1, static_cast<int>(i));
  }
  grid->addWidget(Label(tr("Each group can write maximum 5 letters.")), 2, 0, 1, 4);
  grid->addWidget(Label(tr("Here must write digit and alphabet only.")), 3, 0, 1, 4);
  grid->addWidget(Label(tr("Do not write Symbol. (!#$%^&*...)")), 4, 0, 1, 4);
  return group;
}

void DeviceSettingsDialog::OnDefault() {
  speed_->setText(QStringLiteral("12"));
  time_->setText(QStringLiteral("1"));
  distance_->setText(QStringLiteral("100"));
  for (size_t i = 0; i < notes_.size(); ++i)
    notes_[i]->setText(QStringLiteral("INFO%1").arg(i + 1));
}

std::optional<int> DeviceSettingsDialog::ValueIn(QLineEdit* field, int most, const QString& what,
                                                 const QString& unit) {
  const QString text = field->text().trimmed();
  bool number = false;
  const int value = text.isEmpty() ? 0 : text.toInt(&number);
  if (text.isEmpty() || (number && value >= 0 && value <= most)) return value;
  messageBox_(tr("%1 takes a whole number from 0 to %2 %3; %4 is too large. Nothing was stored.")
                  .arg(what, QString::number(most), unit, text)
                  .toStdString(),
              MsgIcon::Error, MsgButtons::Ok);
  field->setFocus();
  field->selectAll();
  return std::nullopt;
}

void DeviceSettingsDialog::accept() {
  // The ranges the labels state are checked before anything is stored: the logger keeps 8 and
  // 16 bits, and 300 km/h must not become 44 without a word.
  const auto speed = ValueIn(speed_, 255, tr("Save by Speed"), tr("Km/h"));
  if (!speed) return;
  const auto time = ValueIn(time_, 255, tr("Save by Time"), tr("seconds"));
  if (!time) return;
  const auto distance = ValueIn(distance_, 65535, tr("Save by Distance"), tr("metres"));
  if (!distance) return;
  NoteGroups groups;
  for (size_t i = 0; i < notes_.size(); ++i) {
    groups[i] = notes_[i]->text().toStdString();
    if (const auto refusal = NoteGroupRefusal(groups[i])) {
      messageBox_(ReportText(*refusal).toStdString(), refusal->icon, MsgButtons::Ok);
      // Named as the label above the fields names it.
      messageBox_(tr("Error in Information: Group%1.").arg(i + 1).toStdString(), MsgIcon::Error,
                  MsgButtons::Ok);
      notes_[i]->setFocus();
      return;
    }
  }
  options_ = SaveOptions{static_cast<uint8_t>(*speed), static_cast<uint8_t>(*time),
                         static_cast<uint16_t>(*distance)};
  noteGroups_ = groups;
  QDialog::accept();
}

}  // namespace tavrin::gui
