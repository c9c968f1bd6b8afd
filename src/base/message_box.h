// SPDX-License-Identifier: GPL-3.0-or-later
// How the core asks the user something or tells them of a failure without knowing about
// windows: the GUI shows a real message box, the command line prints, tests record.
#pragma once

#include <functional>
#include <string>

namespace tavrin {

enum class MsgIcon { Error, Warning, Question, Information };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

using MessageBoxFn =
    std::function<MsgAnswer(const std::string& text, MsgIcon icon, MsgButtons buttons)>;

}  // namespace tavrin
