#pragma once
// The system's message for the calling thread's last error. Take it on the
// thread whose call failed, before any other system call.
#include "velmar/foundation/String.h"

namespace nkPlatform
{

// out = the text (as the system gives it, ending in CR LF), empty when the
// code has none; returns out.
nkMem::CStringT<char>& GetLastErrorText(nkMem::CStringT<char>& out);
nkMem::CStringT<wchar_t>& GetLastErrorText(nkMem::CStringT<wchar_t>& out);

} // namespace nkPlatform
