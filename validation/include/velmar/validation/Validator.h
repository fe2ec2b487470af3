#pragma once
// Validation of a document against an XML Schema, a DTD or a RELAX NG
// schema, done by libxml2. Nothing is ever fetched from the network: a
// schema named by an http(s) URL is looked up in the system XML catalog and
// is otherwise not available. libxml2's own limits stay on (no huge mode),
// so hostile input fails in bounded time and memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nkValid
{

enum class SchemaKind
{
    Auto,    // what the document names: xsi schema locations, else its document type
    Xsd,     // W3C XML Schema
    Dtd,     // a DTD file, in place of the document's own
    RelaxNg, // RELAX NG, XML syntax
};

struct SchemaChoice
{
    SchemaKind kind = SchemaKind::Auto;
    std::string location; // a path or URL (UTF-8); empty with Auto
};

enum class Outcome
{
    Valid,
    Invalid,    // the document broke the schema or is not well-formed
    NoSchema,   // nothing usable to validate against; see reason
    CannotRead, // the document could not be read; see reason
};

struct Issue
{
    std::string file;     // where libxml2 saw it: the document's or a schema's URL
    uint64_t line = 0;    // 1-based; 0 when not known
    uint64_t column = 0;  // 1-based in characters; 0 when not known
    std::string message;  // libxml2's text, without its trailing line end
    bool warning = false; // a warning, which does not make the document invalid
    // Within the document: the ordinal of the element in document order
    // (0 is the first element), or -1; and the attribute's name when the
    // issue concerns one.
    int64_t element = -1;
    std::string attribute;
};

struct Report
{
    Outcome outcome = Outcome::NoSchema;
    std::string reason; // why there was no result (NoSchema, CannotRead)
    SchemaKind used = SchemaKind::Auto;
    std::string schema;        // what was validated against, resolved
    std::vector<Issue> issues; // errors and warnings in the order they came
    size_t errorCount = 0;     // errors in the document, the count that decides validity
};

// Sets libxml2 up (its parser, built-in types, catalog and the loader that
// never goes to the network). Every validation does it first; a program that
// validates on worker threads calls it once on its main thread before.
// Validations on different threads are then independent: each one's
// reports go to its own handler (libxml2 keeps them per thread).
void Prepare();

// Validates the document held in `bytes` (as a file would hold it, in its
// own encoding). `url` is where it lives: relative schema locations are
// taken from there, and issues in the document carry it as their file.
Report ValidateBytes(const char* bytes, size_t size, const std::string& url,
                     const SchemaChoice& choice);

// Validates the file at `path` as it is on disk.
Report ValidateFile(const std::string& path, const SchemaChoice& choice);

// The name of a kind as the command line and the settings spell it
// ("auto", "xsd", "dtd", "rng"), and back; false for an unknown name.
const char* KindName(SchemaKind kind);
bool KindFromName(const std::string& name, SchemaKind& kind);

} // namespace nkValid
