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
  setWindowTitle(QStringLiteral("Select Date and Time for Read"));
  auto* sides = new QHBoxLayout;
  sides->addWidget(MakeSide("<< &Start date and Time >>", "start", startDate_, startTime_, 0, 0));
  sides->addWidget(MakeSide("<< &End date and Time >>", "end", endDate_, endTime_, 23, 59));
  startDate_->setSelectedDate(today);
  endDate_->setSelectedDate(today);
  auto* ok = new QPushButton(QStringLiteral("&OK"));
  ok->setObjectName("ok");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* cancel = new QPushButton(QStringLiteral("&CANCLE"));
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

QWidget* ReadPeriodDialog::MakeSide(const char* heading, const char* name,
                                    QCalendarWidget*& calendar, std::array<QComboBox*, 3>& times,
                                    int hour, int minuteAndSecond) {
  auto* side = new QWidget;
  calendar = new QCalendarWidget;
  calendar->setObjectName(QStringLiteral("%1Date").arg(name));
  auto* title = new QLabel(QString::fromUtf8(heading));
  title->setBuddy(calendar);
  calendar->setAccessibleName(ShownText(title->text()));
  times[0] = NumberList(24, hour, QStringLiteral("%1 hour").arg(name));
  times[1] = NumberList(60, minuteAndSecond, QStringLiteral("%1 minute").arg(name));
  times[2] = NumberList(60, minuteAndSecond, QStringLiteral("%1 second").arg(name));
  const char* parts[] = {"Hour", "Minute", "Second"};
  for (size_t i = 0; i < times.size(); ++i) {
    times[i]->setObjectName(QStringLiteral("%1%2").arg(name, parts[i]));
  }
  auto* utc = new QGroupBox(QStringLiteral(" UTC Time "));
  auto* grid = new QGridLayout(utc);
  grid->addWidget(new QLabel(QStringLiteral("Hour    Minute   Second")), 0, 0, 1, 3);
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
