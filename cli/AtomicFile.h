#pragma once
// Writing a file so that its name never stands for a partial file: the bytes
// go to a temporary file in the same folder, which is flushed and then put in
// place of the target in one step, keeping the target's permissions.

#include "velmar/io/Orvex.h"

#include <functional>
#include <string>

namespace vxml
{

// Calls `write` with a stream on the temporary file and, when it returns
// true, replaces (or creates) `target` with that file. On any failure the
// temporary file is removed, the target stays as it was, and `error` says
// what went wrong.
bool WriteAtomically(const char* target, const std::function<bool(Orvex::IStream*)>& write,
                     std::string& error);

} // namespace vxml
