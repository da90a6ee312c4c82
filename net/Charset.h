// Turning a text body into text: choosing the charset from the headers and, for HTML and
// XML, from the body itself, then decoding it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "net/ResponseHead.h"

namespace hx::net {

// The charset name the rules choose (as written, not normalised), or empty when none:
//   1. the charset parameter of Content-Type;
//   2. else for text/*: "us-ascii" for xml, xml-external-parsed-entity and *+xml, else
//      "ISO-8859-1";
//   3. HTML (text/html, text/html-sandboxed, application/xhtml+xml): META http-equiv
//      elements replace the headers of the same names before 1 and 2, and a META charset
//      decides;
//   4. XML (application/xml, application/xml-external-parsed-entity, application/xml-dtd,
//      and non-text types ending in "+xml"): byte-order mark, else the encoding
//      declaration, else "UTF-8", whatever the header says.
std::u16string ChooseCharset(std::span<const uint8_t> body, const HeaderList& headers);

// Whether DecodeWithCharset knows the name (letter case ignored).
bool IsKnownCharset(std::u16string_view name);

// Decodes with a named charset; an unknown or empty name maps each byte to the character
// of the same code. A byte-order mark is kept; invalid UTF-8 becomes U+FFFD.
std::u16string DecodeWithCharset(std::span<const uint8_t> body, std::u16string_view charset);

// The whole rule: ChooseCharset, then DecodeWithCharset.
std::u16string DecodeBody(std::span<const uint8_t> body, const HeaderList& headers);

// The media type of a Content-Type value, lower-cased and trimmed ("text/html").
std::u16string MediaType(std::u16string_view contentType);
// A parameter of a Content-Type value (quotes removed), or empty.
std::u16string ContentTypeParameter(std::u16string_view contentType, std::u16string_view name);

} // namespace hx::net
