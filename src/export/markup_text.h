// SPDX-License-Identifier: GPL-3.0-or-later
// Text from outside the program (file and folder names, the user's map key) made safe to stand
// inside an XML or HTML document or a URL.
#pragma once

#include <string>
#include <string_view>

namespace tavrin {

// Escapes & < > " and ' so the text can stand in element content and in attribute values.
// File names on Linux are bytes, not necessarily UTF-8: invalid sequences and control
// characters that XML 1.0 forbids become U+FFFD, so the document stays well-formed.
std::string XmlText(std::string_view text);

// Percent-encodes everything but the unreserved characters of RFC 3986, for a query value.
std::string UrlQueryValue(std::string_view text);

}  // namespace tavrin
