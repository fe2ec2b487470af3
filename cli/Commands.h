#pragma once
// The tool's commands over the XML engine; each returns the exit status.

#include "velmar/xml/nkDS.h"
#include "velmar/validation/Validator.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vxml
{

// The parser flags every command loads with: XML 1.0 mode unless
// `--strict` asks for the editor's own dialect. Set before a command runs.
extern uint8_t g_parseFlags;

// Loads each file and reports "FILE: ok (N nodes, T s)" or where and why it
// was refused.
int RunCheck(const std::vector<std::string>& files);
// Writes the document in the engine's layout to `out`, or back over `file`
// when `out` is empty.
int RunFormat(const std::string& file, const std::string& out);
// Writes the headers and the node `locator` designates to `out`, or to
// standard output when `out` is empty.
int RunExport(const std::string& file, const std::string& locator, const std::string& out);
// Prints the value of the node `locator` designates and a line end.
int RunGet(const std::string& file, const std::string& locator);
// Prints the tree as one line of JSON.
int RunDump(const std::string& file);
// Validates the file as it is on disk and prints each issue as
// "file:line:column: message" (or one line of JSON); 0 valid, 1 invalid,
// 2 no usable schema.
int RunValidate(const std::string& file, const nkValid::SchemaChoice& choice, bool json);

struct XPathOptions
{
    bool count = false;                  // only the number of nodes
    bool json = false;                   // one JSON object instead of lines
    std::vector<std::string> namespaces; // "prefix=uri" each
};
// Prints what `expression` selects in the document: a line per node (its
// locator path, a tab and its string value) or the number, string or
// boolean. Status 1 when it selects no node, 2 for a bad expression.
int RunXPath(const std::string& file, const std::string& expression, const XPathOptions& options);

// A new empty document in the mode the command line chose.
std::unique_ptr<nkDS::CXmlFileW> NewDocument();
// Loads `path` for a command that needs the document; the exit status when
// it did not load (the reason already printed), or -1.
int LoadOrReport(const std::string& path, nkDS::CXmlFileW& doc);

} // namespace vxml
