#pragma once
// XPath queries on one document: the engine's evaluator against libxml2's
// xmlXPathEval, both on trees loaded once in the same process.

#include <string>

namespace velmar_bench
{

// Prints the median times and their ratio; false when a tree did not load.
bool BenchXPath(const std::string& path, int repeats);

} // namespace velmar_bench
