#include "velmar/foundation/MemOps.h"

#include <cstring>

namespace nkMem
{
namespace
{

void* PortableCopy(void* dst, const void* src, std::uint32_t n)
{
    // n == 0 may come with null pointers, which memcpy must not see.
    return n ? std::memcpy(dst, src, n) : dst;
}

void* PortableFill(void* dst, int value, std::uint32_t n)
{
    return n ? std::memset(dst, value, n) : dst;
}

void* PortableMove(void* dst, const void* src, std::uint32_t n)
{
    return n ? std::memmove(dst, src, n) : dst;
}

int PortableCompare(const void* a, const void* b, std::uint32_t n)
{
    if (n == 0)
        return 0;
    const int r = std::memcmp(a, b, n);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

void* XorCopy(const void* src, void* dst, std::uint8_t k, std::uint32_t n)
{
    auto* s = static_cast<const std::uint8_t*>(src);
    auto* d = static_cast<std::uint8_t*>(dst);
    for (std::uint32_t i = 0; i < n; ++i)
        d[i] = static_cast<std::uint8_t>(s[i] ^ k);
    return dst;
}

void* AndCopy(const void* src, void* dst, std::uint8_t k, std::uint32_t n)
{
    auto* s = static_cast<const std::uint8_t*>(src);
    auto* d = static_cast<std::uint8_t*>(dst);
    for (std::uint32_t i = 0; i < n; ++i)
        d[i] = static_cast<std::uint8_t>(s[i] & k);
    return dst;
}

void* OrCopy(const void* src, void* dst, std::uint8_t k, std::uint32_t n)
{
    auto* s = static_cast<const std::uint8_t*>(src);
    auto* d = static_cast<std::uint8_t*>(dst);
    for (std::uint32_t i = 0; i < n; ++i)
        d[i] = static_cast<std::uint8_t>(s[i] | k);
    return dst;
}

void* AndNotCopy(const void* src, void* dst, std::uint8_t k, std::uint32_t n)
{
    auto* s = static_cast<const std::uint8_t*>(src);
    auto* d = static_cast<std::uint8_t*>(dst);
    for (std::uint32_t i = 0; i < n; ++i)
        d[i] = static_cast<std::uint8_t>(~s[i] & k);
    return dst;
}

MemOpsTable s_table; // static storage, never freed

void FillPortable(MemOpsTable& t)
{
    t = MemOpsTable{};
    t.copy = &PortableCopy;
    t.fill = &PortableFill;
    t.xorCopy = &XorCopy;
    t.andCopy = &AndCopy;
    t.orCopy = &OrCopy;
    t.andNotCopy = &AndNotCopy;
    t.compare = &PortableCompare;
    t.move = &PortableMove;
    // The reserved slot stays null for good.
    detail::FillPortableKernels(t);
}

} // namespace

const MemOpsTable& PortableMemOps()
{
    static const MemOpsTable portable = []
    {
        MemOpsTable t;
        FillPortable(t);
        return t;
    }();
    return portable;
}

namespace detail
{

MemOpsTable* g_memOpsTable = nullptr;

MemOpsTable* CreateMemOpsTable()
{
    if (g_memOpsTable)
        return g_memOpsTable;
    FillPortable(s_table);
    g_memOpsTable = &s_table;
    return g_memOpsTable;
}

} // namespace detail
} // namespace nkMem
