// SPDX-License-Identifier: GPL-3.0-or-later
// Handing a written file to the desktop's program for its kind, through xdg-open, and saying
// what went wrong when no program took it: xdg-open missing, no program set up for the kind,
// or the program that would not start.
#pragma once

#include <string>

namespace tavrin {

struct OpenerOutcome {
  int startError = 0;  // errno when xdg-open itself could not be started
  int exitStatus = 0;  // xdg-open's status: 3 no program for the kind, 4 the program failed
  bool Succeeded() const { return startError == 0 && exitStatus == 0; }
};

// The program xdg-open is looked up by; the window starts it the same way.
inline constexpr const char* kDesktopOpener = "xdg-open";

// Runs xdg-open on `path` and waits for xdg-open alone, which returns once it has started the
// program (or found none).
OpenerOutcome OpenWithDesktop(const std::string& path);

// What the user reads when `outcome` did not succeed: the file, what is missing, what to do.
std::string OpenerFailureText(const std::string& path, const OpenerOutcome& outcome);

}  // namespace tavrin
