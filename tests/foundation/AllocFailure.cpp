#include "AllocFailure.h"

#include <cstdlib>
#include <new>

namespace
{
long g_failAfter = -1;
std::size_t g_count = 0;
} // namespace

namespace testsupport
{
void FailArrayAllocAfter(long after)
{
    g_failAfter = after;
}
std::size_t ArrayAllocCount()
{
    return g_count;
}
void ResetArrayAllocCount()
{
    g_count = 0;
}
} // namespace testsupport

void* operator new[](std::size_t n)
{
    if (g_failAfter == 0)
    {
        g_failAfter = -1;
        throw std::bad_alloc();
    }
    if (g_failAfter > 0)
        --g_failAfter;
    ++g_count;
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
