#include "velmar/foundation/PageBuffer.h"

#include "AddressSanitizer.h"

#include "velmar/win32/win32.h"

#include <new>

namespace nkMem
{
void PageBufferFree::operator()(char* p) const noexcept
{
    if (p == nullptr)
        return;
    if (kAddressSanitizer)
        delete[] p;
    else
        VirtualFree(p, 0, MEM_RELEASE);
}

CPageBuffer AllocPageBuffer(std::size_t bytes)
{
    if (kAddressSanitizer)
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
