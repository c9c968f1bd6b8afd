// SPDX-License-Identifier: GPL-3.0-or-later
// "Select Date and Time for Read": a start and an end date on two calendars and a time of day
// for each, in UTC, for a read of the tracks of a period.
#pragma once

#include <QCalendarWidget>
#include <QComboBox>
#include <QDialog>
#include <array>

#include "protocol/session_host.h"

namespace tavrin::gui {

class ReadPeriodDialog : public QDialog {
  Q_OBJECT

 public:
  // `today` is the computer's local date, which both calendars start on.
  explicit ReadPeriodDialog(QDate today, QWidget* parent = nullptr);

  // The chosen period; the start is not checked to lie before the end.
  ReadPeriod Period() const;

 private:
  // `spoken` is what a screen reader calls the side's times ("start hour"), `name` what their
  // object names start with.
  QWidget* MakeSide(const QString& heading, const QString& spoken, const char* name,
                    QCalendarWidget*& calendar, std::array<QComboBox*, 3>& times, int hour,
                    int minuteAndSecond);

  QCalendarWidget* startDate_ = nullptr;
  QCalendarWidget* endDate_ = nullptr;
  std::array<QComboBox*, 3> startTime_{};  // hour, minute, second
  std::array<QComboBox*, 3> endTime_{};
};

}  // namespace tavrin::gui
