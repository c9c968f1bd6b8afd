// SPDX-License-Identifier: GPL-3.0-or-later
// What a trip was for, as a tax office's logbook asks.
#pragma once

#include <optional>
#include <string_view>

namespace tavrin::logbook {

enum class Purpose { None, Business, Private, Commute };

inline constexpr Purpose kPurposes[] = {Purpose::Business, Purpose::Private, Purpose::Commute};

// "business", "private", "commute", or "" for none yet: the words the logbook file, its CSV and
// the command line use.
std::string_view PurposeWord(Purpose purpose);
// The purpose a word names ("" or "none" is none); nothing for another word.
std::optional<Purpose> PurposeOfWord(std::string_view word);

}  // namespace tavrin::logbook
