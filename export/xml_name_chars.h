// Which characters an XML element name may hold. Both editions of XML 1.0 are honoured: the
// 5th edition allows more letters than the 4th (Appendix B), and parsers still in use (expat,
// and so Python's xml.etree) follow the 4th, so only characters allowed by both count.
// ':' is left out, since namespace-aware readers take it for a prefix.
#pragma once

namespace vts {

bool IsXmlNameStartChar(char32_t c);
bool IsXmlNameChar(char32_t c);

}  // namespace vts
