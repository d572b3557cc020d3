// How one caption or cell text enters a CSV or XML file. Texts are UTF-8.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace vts {

// A CSV field: the text between double quotes, with every double quote inside it doubled so
// that a reader gets the text back.
void AppendCsvField(std::string& out, std::string_view text);

// XML character data: "&", "<" and ">" become "&amp;", "&lt;" and "&gt;"; a CR becomes
// "&#13;" because readers turn a bare CR into a line feed. Returns false (and appends nothing)
// when the text holds a control character that XML 1.0 cannot carry at all.
bool AppendXmlText(std::string& out, std::string_view text);

// An XML element name made from a column caption. A caption that is already a name stays as
// it is. Otherwise every character that may not appear in a name (blanks, punctuation, ':',
// control characters, bytes that are not UTF-8; see xml_name_chars.h) becomes '_'; a name whose first character may
// only appear later in a name (a digit, '-', '.') gets a leading '_'; an empty caption gives "_".
std::string XmlElementName(std::string_view caption);

// The element names of all columns: as XmlElementName makes them, and where two would be the
// same ("A #" and "A $" both give "A__"), the later one gets "_2", "_3", ... (a number no other
// name has taken), so that every column keeps its own element.
std::vector<std::string> XmlElementNames(const std::vector<std::string>& captions);

}  // namespace vts
