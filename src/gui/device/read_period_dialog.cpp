// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/device/read_period_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/widget_helpers.h"

namespace tavrin::gui {
namespace {

QComboBox* NumberList(int count, int selected, const QString& name) {
  auto* list = new QComboBox;
  list->setAccessibleName(name);
  for (int i = 0; i < count; ++i) list->addItem(QString::asprintf(" %d", i));
  list->setCurrentIndex(selected);
  return list;
}

DateTime At(const QCalendarWidget& calendar, const std::array<QComboBox*, 3>& times) {
  const QDate date = calendar.selectedDate();
  // The list index is the value.
  return DateTime{date.year() % 100,
                  date.month(),
                  date.day(),
                  times[0]->currentIndex(),
                  times[1]->currentIndex(),
                  times[2]->currentIndex()};
}

}  // namespace

ReadPeriodDialog::ReadPeriodDialog(QDate today, QWidget* parent) : QDialog(parent) {
  setObjectName("readPeriodDialog");
  setWindowTitle(tr("Select Date and Time for Read"));
  auto* sides = new QHBoxLayout;
  sides->addWidget(MakeSide(tr("<< &Start date and Time >>"), tr("start"), "start", startDate_,
                            startTime_, 0, 0));
  sides->addWidget(
      MakeSide(tr("<< &End date and Time >>"), tr("end"), "end", endDate_, endTime_, 23, 59));
  startDate_->setSelectedDate(today);
  endDate_->setSelectedDate(today);
  auto* ok = new QPushButton(tr("&OK"));
  ok->setObjectName("ok");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* cancel = new QPushButton(tr("&CANCLE"));
  cancel->setObjectName("cancel");
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(sides);
  layout->addLayout(buttons);
  // The start side, then the end side, each its day and then its time; then the buttons.
  SetTabOrder({startDate_, startTime_[0], startTime_[1], startTime_[2], endDate_, endTime_[0],
               endTime_[1], endTime_[2], ok, cancel});
}

QWidget* ReadPeriodDialog::MakeSide(const QString& heading, const QString& spoken, const char* name,
                                    QCalendarWidget*& calendar, std::array<QComboBox*, 3>& times,
                                    int hour, int minuteAndSecond) {
  auto* side = new QWidget;
  calendar = new QCalendarWidget;
  calendar->setObjectName(QStringLiteral("%1Date").arg(name));
  auto* title = new QLabel(heading);
  title->setBuddy(calendar);
  calendar->setAccessibleName(ShownText(title->text()));
  times[0] = NumberList(24, hour, tr("%1 hour").arg(spoken));
  times[1] = NumberList(60, minuteAndSecond, tr("%1 minute").arg(spoken));
  times[2] = NumberList(60, minuteAndSecond, tr("%1 second").arg(spoken));
  const char* parts[] = {"Hour", "Minute", "Second"};
  for (size_t i = 0; i < times.size(); ++i) {
    times[i]->setObjectName(QStringLiteral("%1%2").arg(name, parts[i]));
  }
  auto* utc = new QGroupBox(tr(" UTC Time "));
  auto* grid = new QGridLayout(utc);
  grid->addWidget(new QLabel(tr("Hour    Minute   Second")), 0, 0, 1, 3);
  for (size_t i = 0; i < times.size(); ++i) grid->addWidget(times[i], 1, static_cast<int>(i));
  auto* layout = new QVBoxLayout(side);
  layout->addWidget(title);
  layout->addWidget(calendar);
  layout->addWidget(utc);
  return side;
}

ReadPeriod ReadPeriodDialog::Period() const {
  return ReadPeriod{At(*startDate_, startTime_), At(*endDate_, endTime_)};
}

}  // namespace tavrin::gui
