#pragma once
// Brings committed pages into memory on a thread of its own, so that the
// thread about to write them finds them present. On a virtual machine the
// first touch of a fresh page (the system zeroing it) costs more than
// filling it, and a loading thread would otherwise pay for each one itself.

#include <cstddef>

namespace nkMem
{

// Queues [p, p + n) to be brought in; false when it is not (no thread could
// be started, or a few ranges already wait), which only means slower first
// writes. The range must stay reserved; it may be written meanwhile, and
// even decommitted, in which case it is left alone.
bool PrefetchPages(void* p, std::size_t n);

} // namespace nkMem
