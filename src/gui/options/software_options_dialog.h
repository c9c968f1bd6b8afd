// SPDX-License-Identifier: GPL-3.0-or-later
// "Software Options": the time zone the track times are shown in, whether its summer time
// applies, language and units, the track folder, the Google Earth program and the map key. OK
// writes them into the settings the window keeps; the window then saves the file and hands the
// zone to the store.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <functional>
#include <string>
#include <vector>

#include "gui/options/time_zone_list.h"
#include "settings/settings.h"

namespace tavrin::gui {

// Where Google Earth Pro puts its program on Linux; shown when no path has been chosen.
inline constexpr char kDefaultGoogleEarthPath[] = "/opt/google/earth/pro/google-earth-pro";

class SoftwareOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  // `settings` is the window's: filling the list may already choose LocalTime in it, and OK
  // writes the rest (the zone by its name too). `zones` is the sorted list, `system` the
  // computer's own zone.
  SoftwareOptionsDialog(Settings& settings, const QString& dataFolder,
                        std::vector<TimeZoneEntry> zones, const TimeZoneEntry& system,
                        QWidget* parent = nullptr);

  // OK first hands the folder to `check`, which tells the user of a folder that cannot keep
  // track records and returns why (empty: usable); the dialog then stays open on that field.
  void SetFolderCheck(std::function<std::string(const std::string&)> check) {
    folderCheck_ = std::move(check);
  }

  void accept() override;

 private:
  QWidget* MakeTimeZoneGroup();
  QWidget* MakeUserGroup();
  QWidget* MakeFolderGroup(const QString& dataFolder);
  QWidget* MakeProgramGroup();
  void SetTabOrderOfControls(QWidget* ok, QWidget* cancel);
  void FillTimeZones(const TimeZoneEntry& system);
  void OnBrowseFolder();

  Settings& settings_;
  std::function<std::string(const std::string&)> folderCheck_;
  std::vector<TimeZoneEntry> zones_;
  QComboBox* timeZone_ = nullptr;
  QCheckBox* daylightSaving_ = nullptr;
  QComboBox* language_ = nullptr;
  QComboBox* units_ = nullptr;
  QLineEdit* folder_ = nullptr;
  QLineEdit* program_ = nullptr;
  QLineEdit* licenseKey_ = nullptr;
  QCheckBox* readOnArrival_ = nullptr;
};

}  // namespace tavrin::gui
