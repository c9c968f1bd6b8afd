// SPDX-License-Identifier: GPL-3.0-or-later
// A QComboBox as port discovery sees a drop-down list.
#pragma once

#include <QComboBox>

#include "serial/port_discovery.h"

namespace tavrin::gui {

class ComboList : public IComboList {
 public:
  explicit ComboList(QComboBox& box) : box_(box) {}
  void Reset() override { box_.clear(); }
  void Add(const std::string& text) override { box_.addItem(QString::fromStdString(text)); }
  int Count() const override { return box_.count(); }
  std::string Text(int index) const override { return box_.itemText(index).toStdString(); }
  void Select(int index) override { box_.setCurrentIndex(index); }

 private:
  QComboBox& box_;
};

}  // namespace tavrin::gui
