// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/purpose.h"

namespace tavrin::logbook {

std::string_view PurposeWord(Purpose purpose) {
  switch (purpose) {
    case Purpose::Business:
      return "business";
    case Purpose::Private:
      return "private";
    case Purpose::Commute:
      return "commute";
    case Purpose::None:
      break;
  }
  return "";
}

std::optional<Purpose> PurposeOfWord(std::string_view word) {
  if (word.empty() || word == "none") return Purpose::None;
  for (const Purpose purpose : kPurposes) {
    if (word == PurposeWord(purpose)) return purpose;
  }
  return std::nullopt;
}

}  // namespace tavrin::logbook
