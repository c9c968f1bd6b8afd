// SPDX-License-Identifier: GPL-3.0-or-later
// A place of the logbook: its name, its position and the radius within which a trip's start or
// end is named by it. "Name this place..." fills in the position; the Logbook page's places list
// adds and changes places with it.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <optional>
#include <utility>

#include "logbook/logbook_store.h"

namespace tavrin::gui {

// "37.5665, 126.978" as latitude and longitude in degrees; nothing when it is no position.
std::optional<std::pair<double, double>> PositionOfText(const QString& text);
QString PositionText(double latitude, double longitude);

class PlaceDialog : public QDialog {
  Q_OBJECT

 public:
  PlaceDialog(const QString& title, const logbook::NamedPlace& place, QWidget* parent = nullptr);

  // What was entered; the position is whole once the dialog was accepted.
  logbook::NamedPlace Place() const;

  // Stays open, saying what is missing, until a name and a position are given.
  void accept() override;

 private:
  QLineEdit* name_ = nullptr;
  QLineEdit* position_ = nullptr;
  QSpinBox* radius_ = nullptr;
  QLabel* problem_ = nullptr;
};

}  // namespace tavrin::gui
