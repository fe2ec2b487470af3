#pragma once
// Deterministic XML documents for the load and save benchmarks, written in
// the dialect the engine reads and writes: CR LF, one space per level,
// parameters in single quotes without spaces around "=".

#include <cstdint>
#include <string>

namespace velmar_bench
{

// Writes a UTF-8 document of about `bytes` bytes to `path`; the same size
// always gives the same bytes. False when the file cannot be written.
bool GenerateXml(const std::string& path, uint64_t bytes);

// The size of the document at `path`, generated first (with a line saying
// so) when it is missing; 0, with a message, when it cannot be written.
uint64_t EnsureXml(const std::string& path, uint64_t bytes);

// The documents that cost the loader the most per input byte: one root over
// the same small unit repeated, each unit as few bytes per node as the
// syntax allows.
enum Shape : int
{
    kShapeEmptySiblings, // <a/><a/>...
    kShapeShortElements, // <a>x</a>...
    kShapeRemarks,       // <!---->...
    kShapeParameters,    // one element with parameters p1='' p2='' ...
    kShapeDeepChains,    // chains of 900 nested elements, one after another
    kShapeLongValue,     // one element with one long text value
    kShapeMixedContent,  // x<a/>x<a/>... (XML 1.0 mode only: text nodes)
    kShapeCount
};
const char* ShapeName(Shape shape);
// Whether the strict dialect reads the shape (every shape loads in XML 1.0 mode).
bool ShapeIsStrict(Shape shape);
// Writes the shape to `path` with about `bytes` bytes; `nodes` receives the
// number of nodes and parameters a loader makes of it, the declaration
// and its parameter included.
bool GenerateShape(const std::string& path, Shape shape, uint64_t bytes, uint64_t& nodes);

} // namespace velmar_bench
