// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/xml_stream.h"

#include <expat.h>

#include <climits>
#include <cstring>

namespace tavrin::imports {
namespace {

// The readers go by an element's local name: "speed" for "gpxtpx:speed". Namespace processing
// is left off, as it costs much of the parsing and the names' prefixes say enough.
std::string_view LocalName(const char* name) {
  // One pass over the name: a million points bring ten million of them.
  const char* start = name;
  const char* at = name;
  for (; *at != '\0'; ++at) {
    if (*at == ':') start = at + 1;
  }
  return std::string_view(start, static_cast<size_t>(at - start));
}

}  // namespace

struct XmlStream::Parser {
  XML_Parser xml = nullptr;
  XmlHandler* handler = nullptr;
  int depth = 0;
  std::string refusal;  // why the parser was stopped by us
  bool sawRoot = false;
  bool rootClosed = false;
};

XmlStream::XmlStream(XmlHandler& handler) : parser_(std::make_unique<Parser>()) {
  Parser& p = *parser_;
  p.handler = &handler;
  p.xml = XML_ParserCreate(nullptr);
  XML_SetUserData(p.xml, &p);
  // Nothing outside the file is ever read, and parameter entities are not expanded.
  XML_SetParamEntityParsing(p.xml, XML_PARAM_ENTITY_PARSING_NEVER);
  XML_SetElementHandler(
      p.xml,
      [](void* data, const XML_Char* name, const XML_Char** attributes) {
        auto& self = *static_cast<Parser*>(data);
        self.sawRoot = true;
        if (++self.depth > kMostXmlDepth) {
          self.refusal = "its elements nest deeper than " + std::to_string(kMostXmlDepth) +
                         " levels, which no track file does";
          XML_StopParser(self.xml, XML_FALSE);
          return;
        }
        self.handler->Start(LocalName(name), attributes);
      },
      [](void* data, const XML_Char* name) {
        auto& self = *static_cast<Parser*>(data);
        if (--self.depth == 0) self.rootClosed = true;
        self.handler->End(LocalName(name));
      });
  XML_SetCharacterDataHandler(p.xml, [](void* data, const XML_Char* text, int length) {
    auto& self = *static_cast<Parser*>(data);
    self.handler->Text(std::string_view(text, static_cast<size_t>(length)));
  });
  // Track files need no entities of their own: declaring one is how entity bombs begin.
  XML_SetEntityDeclHandler(
      p.xml, [](void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                const XML_Char*, const XML_Char*, const XML_Char*) {
        auto& self = *static_cast<Parser*>(data);
        self.refusal = "it declares entities, which track files do not use (an entity bomb does)";
        XML_StopParser(self.xml, XML_FALSE);
      });
}

XmlStream::~XmlStream() {
  XML_ParserFree(parser_->xml);
}

long XmlStream::Line() const {
  return static_cast<long>(XML_GetCurrentLineNumber(parser_->xml));
}

Result<void> XmlStream::Feed(std::string_view bytes, bool last) {
  Parser& p = *parser_;
  while (true) {
    const int piece = static_cast<int>(std::min<size_t>(bytes.size(), INT_MAX / 2));
    const bool finalPiece = last && static_cast<size_t>(piece) == bytes.size();
    if (XML_Parse(p.xml, bytes.data(), piece, finalPiece ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
      const std::string where = "line " + std::to_string(Line()) + ": ";
      if (!p.refusal.empty()) return Failure{where + p.refusal};
      const XML_Error code = XML_GetErrorCode(p.xml);
      // These the parser finds only when the bytes run out: the file was cut off.
      const bool endedEarly = code == XML_ERROR_UNCLOSED_TOKEN || code == XML_ERROR_PARTIAL_CHAR ||
                              code == XML_ERROR_UNCLOSED_CDATA_SECTION ||
                              code == XML_ERROR_NO_ELEMENTS;
      if (finalPiece && endedEarly && p.sawRoot && !p.rootClosed) {
        return Failure{where + "the file ends in the middle (it was cut short)"};
      }
      if (code == XML_ERROR_NO_ELEMENTS) {
        return Failure{where +
                       "the file ends before its XML does (it was cut short, or is no "
                       "XML)"};
      }
      return Failure{where + "this is not well-formed XML (" + XML_ErrorString(code) + ")"};
    }
    bytes.remove_prefix(static_cast<size_t>(piece));
    if (bytes.empty()) return {};
  }
}

void XmlStream::Refuse(std::string why) {
  if (!parser_->refusal.empty()) return;
  parser_->refusal = std::move(why);
  XML_StopParser(parser_->xml, XML_FALSE);
}

const char* XmlStream::Attribute(const char** attributes, std::string_view name) {
  for (const char** a = attributes; *a; a += 2) {
    // Compared without measuring the attribute's name first.
    if (std::strncmp(*a, name.data(), name.size()) == 0 && (*a)[name.size()] == '\0') return a[1];
  }
  return nullptr;
}

}  // namespace tavrin::imports
