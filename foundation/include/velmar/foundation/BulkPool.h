#pragma once
// Small blocks made in bulk. While a CBulkScope is alive on a thread, the
// blocks that thread asks BulkAlloc for (up to kBulkMax bytes each: shared
// string and list blocks, nodes) are cut one after another from 2 MB regions
// of one reserved address range, which the system may back with large pages:
// no header per block, no search for a fit, and one page fault per region
// where the heap takes 512. A region goes back to the system when the last
// block cut from it is freed, by whichever thread. Space freed earlier is not
// reused meanwhile, so scopes are for work that keeps most of what it makes,
// such as loading a large document; outside them BulkAlloc is operator new[].
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace nkMem
{

inline constexpr std::size_t kBulkMax = 512;

// `bytes` (aligned to 8) from the pool inside a scope, else from operator
// new[]; failure throws std::bad_alloc, as new does.
void* BulkAlloc(std::size_t bytes);
// The same, null on failure.
void* BulkAllocNoThrow(std::size_t bytes) noexcept;

// Address space the pool reserves; its pages are committed a region at a
// time.
inline constexpr std::uintptr_t kBulkReserve =
    sizeof(void*) >= 8 ? std::uintptr_t(32) << 30 : std::uintptr_t(256) << 20;

namespace detail
{
// Start of the reserved range. Until the first scope reserves it, the top of
// the address space, where no block ever lies, so that one compare answers
// IsBulk whatever another thread is doing.
extern std::atomic<std::uintptr_t> g_bulkBase;
void BulkRelease(void* p) noexcept;
} // namespace detail

// Whether `p` was cut from the pool.
inline bool IsBulk(const void* p)
{
    const auto a = reinterpret_cast<std::uintptr_t>(p);
    return a - detail::g_bulkBase.load(std::memory_order_relaxed) < kBulkReserve;
}

// Frees a block from BulkAlloc (null is ignored).
inline void BulkFree(void* p) noexcept
{
    if (IsBulk(p))
        detail::BulkRelease(p);
    else
        ::operator delete[](p);
}

// Routes this thread's small blocks to the pool while it lives; scopes nest.
class CBulkScope
{
public:
    CBulkScope();
    ~CBulkScope();
    CBulkScope(const CBulkScope&) = delete;
    CBulkScope& operator=(const CBulkScope&) = delete;
    // Whether a scope is alive on this thread: work handed to another thread
    // opens one there too.
    static bool Active();
};

// Whether scopes use the pool. On, except in builds with AddressSanitizer,
// which then keeps checking each block on its own.
bool IsBulkPoolEnabled();
void EnableBulkPool(bool on);

// Regions holding live blocks or being cut from, for tests and measurements.
std::uint32_t BulkRegionsInUse();

} // namespace nkMem
