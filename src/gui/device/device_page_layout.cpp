// SPDX-License-Identifier: GPL-3.0-or-later
// The Device Control page's controls and their places.
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/device/device_page.h"
#include "gui/device/option_lists.h"

#include "gui/common/widget_helpers.h"

namespace tavrin::gui {
namespace {

QLineEdit* ReadOnlyField(const char* objectName) {
  auto* field = new QLineEdit;
  field->setObjectName(objectName);
  field->setReadOnly(true);
  return field;
}

QComboBox* DropDown(const char* objectName) {
  auto* list = new QComboBox;
  list->setObjectName(objectName);
  list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  list->setMinimumContentsLength(10);
  return list;
}

}  // namespace

QPushButton* DevicePage::MakeButton(const char* objectName, const QString& caption,
                                    void (DevicePage::*slot)()) {
  auto* button = new QPushButton(caption);
  button->setObjectName(objectName);
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, slot);
  return button;
}

QWidget* DevicePage::MakeCommunicationGroup() {
  auto* group = new QGroupBox(tr(" Communication Setting "));
  usbPort_ = new QRadioButton(tr("&USB Port"));
  usbPort_->setObjectName("usbPort");
  comPort_ = new QRadioButton(tr("COM Port (for &Q-750+)"));
  comPort_->setObjectName("comPort");
  auto* kinds = new QButtonGroup(group);
  kinds->addButton(usbPort_);
  kinds->addButton(comPort_);
  // Toggled, not clicked: a screen reader's toggle action and the keyboard change them too.
  usbPort_->setChecked(true);
  connect(usbPort_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) OnUsbPort();
  });
  connect(comPort_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) OnComPort();
  });
  portList_ = DropDown("portList");
  baudList_ = DropDown("baudList");
  connect_ = MakeButton("connect", tr("&Connect"), &DevicePage::OnConnect);

  auto* grid = new QGridLayout(group);
  grid->addWidget(usbPort_, 0, 0, 1, 2);
  grid->addWidget(comPort_, 1, 0, 1, 2);
  grid->addWidget(LabelFor(tr("COM &Port"), portList_), 2, 0);
  grid->addWidget(portList_, 2, 1);
  grid->addWidget(LabelFor(tr("&BAUD Rate"), baudList_), 3, 0);
  grid->addWidget(baudList_, 3, 1);
  grid->addWidget(connect_, 4, 0, 1, 2);
  return group;
}

QWidget* DevicePage::MakeInformationGroup() {
  auto* group = new QGroupBox(tr(" Device Information "));
  const char* names[] = {"note1", "note2", "note3", "note4"};
  for (size_t i = 0; i < notes_.size(); ++i) notes_[i] = ReadOnlyField(names[i]);
  auto* grid = new QGridLayout(group);
  grid->addWidget(LabelFor(tr("&Note"), notes_[0]), 0, 0);
  // Groups 1 and 2 above, 3 and 4 below.
  grid->addWidget(notes_[0], 0, 1);
  grid->addWidget(notes_[1], 0, 2);
  grid->addWidget(notes_[2], 1, 1);
  grid->addWidget(notes_[3], 1, 2);
  for (size_t i = 1; i < notes_.size(); ++i) {
    notes_[i]->setAccessibleName(tr("Note %1").arg(i + 1));
  }
  notes_[0]->setAccessibleName(tr("Note %1").arg(1));
  auto* settings =
      MakeButton("deviceSettings", tr("De&vice Settings"), &DevicePage::OnDeviceSettings);
  deviceButtons_.push_back(settings);
  grid->addWidget(settings, 2, 1, 1, 2);
  return group;
}

QWidget* DevicePage::MakeOptionsGroup() {
  auto* group = new QGroupBox(tr("Waypoint Save Options"));
  speedList_ = DropDown("saveBySpeed");
  timeList_ = DropDown("saveByTime");
  distanceList_ = DropDown("saveByDistance");
  auto* grid = new QGridLayout(group);
  grid->addWidget(LabelFor(tr("&1. Save by Speed :"), speedList_), 0, 0);
  grid->addWidget(speedList_, 0, 1);
  grid->addWidget(LabelFor(tr("&2. Save by Time :"), timeList_), 1, 0);
  grid->addWidget(timeList_, 1, 1);
  grid->addWidget(LabelFor(tr("&3. Save by Distance :"), distanceList_), 2, 0);
  grid->addWidget(distanceList_, 2, 1);
  auto* read = MakeButton("readOptions", tr("&Read Options"), &DevicePage::OnReadOptions);
  auto* set = MakeButton("setOptions", tr("Set &Options"), &DevicePage::OnSetOptions);
  deviceButtons_.push_back(read);
  deviceButtons_.push_back(set);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(read);
  buttons->addWidget(set);
  grid->addLayout(buttons, 3, 0, 1, 2);
  return group;
}

QWidget* DevicePage::MakeControlGroup() {
  auto* group = new QGroupBox(tr(" Device Control "));
  nmea_ = new QCheckBox(tr("D&ata by NMEA"));
  nmea_->setObjectName("dataByNmea");
  nmea_->setEnabled(false);  // every read asks for binary frames, which carry more per byte
  auto* readNew = MakeButton("readNewTracks", tr("Read New &Tracks"), &DevicePage::OnReadNewTracks);
  auto* getAll = MakeButton("getAllTracks", tr("&Get All Tracks"), &DevicePage::OnGetAllTracks);
  auto* erase =
      MakeButton("eraseAllTracks", tr("&Erase All Tracks"), &DevicePage::OnEraseAllTracks);
  auto* stop = MakeButton("stopReading", tr("&Stop Reading Memory"), &DevicePage::OnStopReading);
  getDateTime_ = MakeButton("getDateTime", tr("Get &DateTime"), &DevicePage::OnGetDateTime);
  bypass_ = MakeButton("bypassMode", tr("B&y Pass Mode"), &DevicePage::OnBypassMode);
  bypass_->hide();
  for (QPushButton* b : {readNew, getAll, erase, stop, getDateTime_}) deviceButtons_.push_back(b);
  trackPoints_ = ReadOnlyField("numberOfTrackPoints");
  memorySize_ = ReadOnlyField("memorySize");
  remainedMemory_ = ReadOnlyField("remainedMemory");

  auto* grid = new QGridLayout(group);
  grid->addWidget(nmea_, 0, 0, 1, 2);
  grid->addWidget(readNew, 1, 0);
  grid->addWidget(getAll, 1, 1);
  grid->addWidget(erase, 2, 0);
  grid->addWidget(stop, 2, 1);
  grid->addWidget(getDateTime_, 3, 0);
  grid->addWidget(bypass_, 3, 1);
  grid->addWidget(LabelFor(tr("Number of Trac&k Points"), trackPoints_), 4, 0);
  grid->addWidget(trackPoints_, 4, 1);
  grid->addWidget(LabelFor(tr("&Memory Size"), memorySize_), 5, 0);
  grid->addWidget(memorySize_, 5, 1);
  grid->addWidget(LabelFor(tr("Rema&ined Memory"), remainedMemory_), 6, 0);
  grid->addWidget(remainedMemory_, 6, 1);
  return group;
}

void DevicePage::SetTabOrderOfControls() {
  const auto named = [this](const char* objectName) {
    return findChild<QWidget*>(QString::fromUtf8(objectName));
  };
  // The left column: the port, then the logger's notes.
  SetTabOrder({usbPort_, comPort_, portList_, baudList_, connect_, notes_[0], notes_[1], notes_[2],
               notes_[3], named("deviceSettings"), speedList_});
  // The middle column: the save options, then Software Options under them.
  SetTabOrder({speedList_, timeList_, distanceList_, named("readOptions"), named("setOptions"),
               named("softwareOptions"), nmea_});
  // The right column: the reads and the memory figures; then the list across the page.
  SetTabOrder({nmea_, named("readNewTracks"), named("getAllTracks"), named("eraseAllTracks"),
               named("stopReading"), getDateTime_, bypass_, trackPoints_, memorySize_,
               remainedMemory_, trackView_});
}

}  // namespace tavrin::gui
