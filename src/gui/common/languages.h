// SPDX-License-Identifier: GPL-3.0-or-later
// The languages the window speaks: English, its own texts, and Korean, from the translation
// built into the program. The command line always speaks English: scripts read it.
#pragma once

namespace tavrin::gui {

// The places in Software Options' Language list, as the settings file keeps them.
enum class Language { English = 0, Korean = 1 };

// The desktop's language: Korean for a ko_* locale, English for any other.
Language DesktopLanguage();

// The language a stored Language index asks for; an index no entry has (-1 for a file without
// the key) follows the desktop.
Language LanguageOf(int storedIndex);

// Loads the translation of the program's texts and of Qt's own dialogs and buttons into the
// application, in place of any loaded before. English loads none. False when the program's
// Korean texts could not be loaded (the window then speaks English).
bool UseLanguage(Language language);

// The language in use.
Language LanguageInUse();

}  // namespace tavrin::gui
