// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/options/software_options_dialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/languages.h"
#include "gui/common/widget_helpers.h"

namespace tavrin::gui {
namespace {

// Selects `index` when the list has it; a stored index beyond the list leaves no selection.
void SelectIfThere(QComboBox& list, int index) {
  list.setCurrentIndex(index >= 0 && index < list.count() ? index : -1);
}

}  // namespace

SoftwareOptionsDialog::SoftwareOptionsDialog(Settings& settings, const QString& dataFolder,
                                             std::vector<TimeZoneEntry> zones,
                                             const TimeZoneEntry& system, QWidget* parent)
    : QDialog(parent), settings_(settings), zones_(std::move(zones)) {
  setObjectName("softwareOptionsDialog");
  setWindowTitle(tr("Software Options"));
  auto* ok = NamedButton("ok", tr("&OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &SoftwareOptionsDialog::accept);
  auto* cancel = NamedButton("cancel", tr("&CANCLE"));
  connect(cancel, &QPushButton::clicked, this, &SoftwareOptionsDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeTimeZoneGroup());
  layout->addWidget(MakeUserGroup());
  layout->addWidget(MakeFolderGroup(dataFolder));
  layout->addWidget(MakeProgramGroup());
  layout->addLayout(buttons);
  SetTabOrderOfControls(ok, cancel);
  FillTimeZones(system);
}

QWidget* SoftwareOptionsDialog::MakeTimeZoneGroup() {
  auto* group = new QGroupBox(tr(" Timezone  "));
  timeZone_ = new QComboBox;
  timeZone_->setObjectName("timeZone");
  timeZone_->setMinimumContentsLength(32);
  daylightSaving_ = new QCheckBox(tr("&Daylight saving"));
  daylightSaving_->setObjectName("daylightSaving");
  daylightSaving_->setChecked(settings_.daylightSaving != 0);
  auto* row = new QHBoxLayout(group);
  row->addWidget(LabelFor(tr("&Local Time"), timeZone_));
  row->addWidget(timeZone_, 1);
  row->addWidget(daylightSaving_);
  return group;
}

QWidget* SoftwareOptionsDialog::MakeUserGroup() {
  auto* group = new QGroupBox(tr(" User Options "));
  language_ = new QComboBox;
  language_->setObjectName("language");
  // Each language by its own name, whichever the window speaks.
  language_->addItem(QStringLiteral("ENG   "));
  language_->addItem(QStringLiteral("한국어"));
  SelectIfThere(*language_, settings_.language);
  units_ = new QComboBox;
  units_->setObjectName("units");
  units_->addItem(tr("Metric"));
  units_->addItem(tr("Imperial"));
  units_->setToolTip(
      tr("Imperial: distances in miles and speeds in mph. The logger's save "
         "options stay in km/h and metres, the logger's own units."));
  SelectIfThere(*units_, settings_.units);
  // The pages are made in the language the program starts with.
  auto* restart = new QLabel(tr("The new language is used from the next start of Tavrin Lite."));
  restart->setObjectName("languageRestart");
  restart->setWordWrap(true);
  const int spoken = static_cast<int>(LanguageInUse());
  restart->setVisible(language_->currentIndex() != spoken);
  connect(language_, &QComboBox::currentIndexChanged, restart,
          [restart, spoken](int index) { restart->setVisible(index != spoken); });
  auto* column = new QVBoxLayout(group);
  auto* row = new QHBoxLayout;
  column->addLayout(row);
  column->addWidget(restart);
  row->addWidget(LabelFor(tr("Lan&guage"), language_));
  row->addWidget(language_, 1);
  row->addSpacing(24);
  row->addWidget(LabelFor(tr("&Units"), units_));
  row->addWidget(units_, 1);
  return group;
}

QWidget* SoftwareOptionsDialog::MakeFolderGroup(const QString& dataFolder) {
  auto* group = new QGroupBox(tr(" Folder "));
  folder_ = new QLineEdit(dataFolder);
  folder_->setObjectName("dataFolder");
  auto* browse = NamedButton("browseFolder", tr("&Browse"));
  browse->setAccessibleName(tr("Browse for the track record folder"));
  connect(browse, &QPushButton::clicked, this, &SoftwareOptionsDialog::OnBrowseFolder);
  readOnArrival_ = new QCheckBox(tr("&Read new tracks when the logger is plugged in"));
  readOnArrival_->setObjectName("readOnArrival");
  readOnArrival_->setChecked(settings_.readOnArrival);
  auto* grid = new QGridLayout(group);
  grid->addWidget(LabelFor(tr("&Track record data path(for Save and Read)"), folder_), 0, 0, 1, 2);
  grid->addWidget(folder_, 1, 0);
  grid->addWidget(browse, 1, 1);
  grid->addWidget(readOnArrival_, 2, 0, 1, 2);
  return group;
}

QWidget* SoftwareOptionsDialog::MakeProgramGroup() {
  auto* group = new QGroupBox(tr(" External program "));
  program_ = new QLineEdit(settings_.googleEarthPath.empty()
                               ? QString::fromUtf8(kDefaultGoogleEarthPath)
                               : QString::fromStdString(settings_.googleEarthPath));
  program_->setObjectName("googleEarthPath");
  // KML files open in the program the desktop gives them, so this path is shown and kept but
  // cannot be changed.
  program_->setEnabled(false);
  auto* browse = NamedButton("browseProgram", tr("Browse"));
  browse->setAccessibleName(tr("Browse for the Google Earth program"));
  browse->setEnabled(false);
  licenseKey_ = new QLineEdit(QString::fromStdString(settings_.googleMapLicense));
  licenseKey_->setObjectName("licenseKey");
  auto* grid = new QGridLayout(group);
  grid->addWidget(LabelFor(tr("Google Earth Program path"), program_), 0, 0, 1, 3);
  grid->addWidget(program_, 1, 0, 1, 2);
  grid->addWidget(browse, 1, 2);
  grid->addWidget(new QLabel(tr("License key need to Google map(Free register).")), 2, 0, 1, 3);
  grid->addWidget(new QLabel(tr("Please register at Google to receive the license.")), 3, 0, 1, 3);
  grid->addWidget(
      new QLabel(QStringLiteral("http://code.google.com/intl/en/apis/maps/signup.html")), 4, 0, 1,
      3);
  grid->addWidget(LabelFor(tr("License &Key"), licenseKey_), 5, 0);
  grid->addWidget(licenseKey_, 5, 1, 1, 2);
  return group;
}

// Top to bottom, left to right, group after group, then the buttons.
void SoftwareOptionsDialog::SetTabOrderOfControls(QWidget* ok, QWidget* cancel) {
  const auto named = [this](const char* objectName) {
    return findChild<QWidget*>(QString::fromUtf8(objectName));
  };
  SetTabOrder({timeZone_, daylightSaving_, language_, units_, folder_, named("browseFolder"),
               readOnArrival_, program_, named("browseProgram"), licenseKey_, ok, cancel});
}

void SoftwareOptionsDialog::FillTimeZones(const TimeZoneEntry& system) {
  for (const TimeZoneEntry& zone : zones_) timeZone_->addItem(zone.display);
  // The first time the dialog opens, the computer's own zone is chosen for the user.
  if (settings_.localTime == -1) settings_.localTime = PreselectedIndex(zones_, system);
  // A saved zone is found by its name: a newer database or another zone of the computer moves
  // zones in the list, and the place alone would then pick a neighbour.
  const int saved = settings_.timeZoneName.empty()
                        ? settings_.localTime
                        : IndexOfZone(zones_, QByteArray::fromStdString(settings_.timeZoneName));
  SelectIfThere(*timeZone_, saved);
  // Choosing a zone ticks "Daylight saving" where that zone keeps summer time.
  connect(timeZone_, &QComboBox::activated, this, [this](int index) {
    if (index < 0 || index >= static_cast<int>(zones_.size())) return;
    daylightSaving_->setChecked(
        ZoneHasSummerTime(zones_[static_cast<size_t>(index)].id.toStdString()));
  });
}

void SoftwareOptionsDialog::OnBrowseFolder() {
  const QString chosen =
      QFileDialog::getExistingDirectory(this, tr("Track record data path"), folder_->text());
  if (!chosen.isEmpty()) folder_->setText(chosen);
}

void SoftwareOptionsDialog::accept() {
  const std::string folder = folder_->text().trimmed().toStdString();
  if (folderCheck_ && !folderCheck_(folder).empty()) {
    folder_->setFocus();
    folder_->selectAll();
    return;
  }
  const int zone = timeZone_->currentIndex();
  // Without a chosen zone (an empty list, or a stored index beyond it) the offset stays as it
  // was rather than being read from outside the list.
  if (zone >= 0 && zone < static_cast<int>(zones_.size())) {
    const TimeZoneEntry& chosen = zones_[static_cast<size_t>(zone)];
    settings_.localTime = zone;
    settings_.localTimeOffset = -chosen.bias;
    settings_.timeZoneName = chosen.id.toStdString();
  }
  settings_.daylightSaving = daylightSaving_->isChecked() ? 1 : 0;
  settings_.language = language_->currentIndex();
  settings_.units = units_->currentIndex();
  settings_.userDataPath = folder;
  settings_.googleEarthPath = program_->text().toStdString();
  settings_.googleMapLicense = licenseKey_->text().toStdString();
  settings_.readOnArrival = readOnArrival_->isChecked();
  QDialog::accept();
}

}  // namespace tavrin::gui
