#include "velmar/foundation/PageBuffer.h"

#include "velmar/win32/win32.h"

#include <new>

namespace nkMem
{
namespace
{

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPages = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPages = false;
#else
constexpr bool kPages = true;
#endif
#else
constexpr bool kPages = true;
#endif

} // namespace

void PageBufferFree::operator()(char* p) const noexcept
{
    if (p == nullptr)
        return;
    if (kPages)
        VirtualFree(p, 0, MEM_RELEASE);
    else
        delete[] p;
}

CPageBuffer AllocPageBuffer(std::size_t bytes)
{
    if (!kPages)
        return CPageBuffer(new char[bytes]);
    void* p = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (p == nullptr)
        throw std::bad_alloc();
    // Only a hint: pages it leaves out come in on first touch.
    WIN32_MEMORY_RANGE_ENTRY range{p, bytes};
    PrefetchVirtualMemory(GetCurrentProcess(), 1, &range, 0);
    return CPageBuffer(static_cast<char*>(p));
}

} // namespace nkMem
