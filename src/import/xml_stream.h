// SPDX-License-Identifier: GPL-3.0-or-later
// The XML underneath the GPX and KML readers: expat, fed in pieces, so that a file of any size
// is read in little memory. A file that declares entities or nests deeper than any track file
// is refused before it can cost memory or time; expat's own guard against entity expansion
// stays on as well.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/result.h"

namespace tavrin::imports {

// Elements arrive by their local name: "trkpt" whether the file writes it with a prefix or not.
// Attributes keep their names as written ("lat").
class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  // `attributes` alternate name and value and end with nullptr.
  virtual void Start(std::string_view name, const char** attributes) = 0;
  virtual void End(std::string_view name) = 0;
  virtual void Text(std::string_view text) = 0;
};

constexpr int kMostXmlDepth = 256;

class XmlStream {
 public:
  explicit XmlStream(XmlHandler& handler);
  ~XmlStream();
  XmlStream(const XmlStream&) = delete;
  XmlStream& operator=(const XmlStream&) = delete;

  // A failure names the line and what was wrong; a file that ends inside an element is called
  // cut short.
  Result<void> Feed(std::string_view bytes, bool last);
  long Line() const;
  // Ends the reading from within a handler; Feed fails with `why`.
  void Refuse(std::string why);
  // The value of the attribute of that name, or nullptr.
  static const char* Attribute(const char** attributes, std::string_view name);

 private:
  struct Parser;
  std::unique_ptr<Parser> parser_;
};

}  // namespace tavrin::imports
