// SPDX-License-Identifier: GPL-3.0-or-later
// The History map: a page of our own drawn by Leaflet (the distribution's package, local files)
// on OpenStreetMap tiles, holding the lines of a period.
#pragma once

#include <string>

namespace tavrin::gui {

// The page's whole text: the lines come later, by TavrinShowHistory(generation, lines, the
// zoom up to which they look whole), and closer ones by TavrinShowCloser.
std::string HistoryMapHtml();

}  // namespace tavrin::gui
