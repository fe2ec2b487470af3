#pragma once
// Makes the global array allocator fail on demand, to prove that a failed
// allocation leaves an object as it was.
#include <cstddef>

namespace testsupport
{

// The next `after` array allocations succeed, the one after them throws
// std::bad_alloc; negative disarms.
void FailArrayAllocAfter(long after);
// Array allocations done since the counter was last reset.
std::size_t ArrayAllocCount();
void ResetArrayAllocCount();

struct FailGuard
{
    explicit FailGuard(long after) { FailArrayAllocAfter(after); }
    ~FailGuard() { FailArrayAllocAfter(-1); }
};

} // namespace testsupport
