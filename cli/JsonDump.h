#pragma once
// The node tree as one line of JSON: an array of the top-level nodes, each
// {"kind","name","value","cdata","params","children"}, in document order.

#include "velmar/xml/nkDS.h"

#include <string>

namespace vxml
{

// Appends UTF-8 text escaped for a JSON string, without quotes.
void AppendJsonUtf8(std::string& out, const std::string& utf8);
// Appends `n` characters as a JSON string in UTF-8, quotes included.
void AppendJsonString(std::string& out, const wchar_t* s, size_t n);
// The document's top-level nodes and their subtrees; no line break.
std::string DumpJson(nkDS::CXmlFileW& doc);

} // namespace vxml
