// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/logbook/place_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cmath>

#include "gui/common/widget_helpers.h"

namespace tavrin::gui {

std::optional<std::pair<double, double>> PositionOfText(const QString& text) {
  const QStringList parts =
      text.split(QRegularExpression(QStringLiteral("[,;\\s]+")), Qt::SkipEmptyParts);
  if (parts.size() != 2) return std::nullopt;
  bool latitudeRead = false, longitudeRead = false;
  const double latitude = parts[0].toDouble(&latitudeRead);
  const double longitude = parts[1].toDouble(&longitudeRead);
  if (!latitudeRead || !longitudeRead || !(std::fabs(latitude) <= 90) ||
      !(std::fabs(longitude) <= 180)) {
    return std::nullopt;
  }
  return std::pair(latitude, longitude);
}

QString PositionText(double latitude, double longitude) {
  return QStringLiteral("%1, %2").arg(latitude, 0, 'f', 6).arg(longitude, 0, 'f', 6);
}

PlaceDialog::PlaceDialog(const QString& title, const logbook::NamedPlace& place, QWidget* parent)
    : QDialog(parent) {
  setObjectName("placeDialog");
  setWindowTitle(title);
  name_ = new QLineEdit(QString::fromStdString(place.name));
  name_->setObjectName("placeName");
  name_->setPlaceholderText(tr("Home, Office, a customer's name..."));
  name_->setMinimumWidth(name_->fontMetrics().horizontalAdvance(name_->placeholderText()) + 24);
  position_ = new QLineEdit;
  position_->setObjectName("placePosition");
  position_->setPlaceholderText(tr("latitude, longitude, such as 37.5665, 126.978"));
  if (place.latitude != 0 || place.longitude != 0) {
    position_->setText(PositionText(place.latitude, place.longitude));
  }
  position_->setMinimumWidth(
      position_->fontMetrics().horizontalAdvance(QStringLiteral("-00.000000, -000.000000")) + 24);
  radius_ = new QSpinBox;
  radius_->setObjectName("placeRadius");
  radius_->setRange(1, 100000);
  radius_->setSingleStep(50);
  radius_->setSuffix(tr(" m"));
  radius_->setValue(static_cast<int>(std::lround(place.radius)));
  problem_ = new QLabel;
  problem_->setObjectName("placeProblem");
  problem_->setWordWrap(true);
  problem_->hide();
  auto* ok = new QPushButton(tr("&OK"));
  ok->setObjectName("ok");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &PlaceDialog::accept);
  auto* cancel = new QPushButton(tr("&Cancel"));
  cancel->setObjectName("cancel");
  connect(cancel, &QPushButton::clicked, this, &PlaceDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* form = new QFormLayout;
  form->addRow(LabelFor(tr("&Name:"), name_), name_);
  form->addRow(LabelFor(tr("&Position:"), position_), position_);
  form->addRow(LabelFor(tr("&Radius:"), radius_), radius_);
  auto* hint = new QLabel(
      tr("A trip that starts or ends within the radius is named by this place in the logbook."));
  hint->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(hint);
  layout->addWidget(problem_);
  layout->addLayout(buttons);
  SetTabOrder({name_, position_, radius_, ok, cancel});
  name_->setFocus();
}

logbook::NamedPlace PlaceDialog::Place() const {
  logbook::NamedPlace place;
  place.name = name_->text().trimmed().toStdString();
  if (const auto position = PositionOfText(position_->text())) {
    std::tie(place.latitude, place.longitude) = *position;
  }
  place.radius = radius_->value();
  return place;
}

void PlaceDialog::accept() {
  QString problem;
  QWidget* field = nullptr;
  if (name_->text().trimmed().isEmpty()) {
    problem = tr("Give the place a name, such as \"Home\".");
    field = name_;
  } else if (!PositionOfText(position_->text())) {
    problem = tr("\"%1\" is not a position: write the latitude and the longitude in degrees, "
                 "such as 37.5665, 126.978.")
                  .arg(position_->text());
    field = position_;
  }
  if (field == nullptr) {
    QDialog::accept();
    return;
  }
  problem_->setText(problem);
  problem_->show();
  adjustSize();  // room for the words, below the fields
  field->setFocus();
}

}  // namespace tavrin::gui
