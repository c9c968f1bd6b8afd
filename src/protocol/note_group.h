// SPDX-License-Identifier: GPL-3.0-or-later
// The rule for a note group the logger can hold: at most five characters, each an ASCII letter or
// digit. The host checks it before it sends one, the command line before it connects, and the
// emulator refuses what breaks it, as the logger does; each says so in its own words.
#pragma once

#include <cstddef>
#include <string_view>

namespace tavrin {

constexpr size_t kNoteGroupLetters = 5;  // what the logger keeps of a note group

// What is wrong with a note group, if anything; both faults may be there at once.
struct NoteGroupFaults {
  bool tooLong = false;             // more characters (not bytes) than the limit
  bool notLettersOrDigits = false;  // a character other than A-Z, a-z, 0-9

  bool Any() const { return tooLong || notLettersOrDigits; }
};

NoteGroupFaults FindNoteGroupFaults(std::string_view group, size_t limit = kNoteGroupLetters);

// A note group with no fault.
bool IsValidNoteGroup(std::string_view group);

}  // namespace tavrin
