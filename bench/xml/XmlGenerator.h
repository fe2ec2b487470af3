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

} // namespace velmar_bench
