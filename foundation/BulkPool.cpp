#include "velmar/foundation/BulkPool.h"

#include "AddressSanitizer.h"
#include "PagePrefetcher.h"

#include "velmar/win32/win32.h"

#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace nkMem
{
namespace detail
{
std::atomic<std::uintptr_t> g_bulkBase{~std::uintptr_t(0) - kBulkReserve + 1};
} // namespace detail

namespace
{

constexpr bool kEnabledByDefault = !kAddressSanitizer;

constexpr std::uintptr_t kRegion = std::uintptr_t(2) << 20;
constexpr std::uintptr_t kReserve = kBulkReserve;
constexpr std::uint32_t kRegions = static_cast<std::uint32_t>(kReserve / kRegion);
// Added to the live count of a region while a thread cuts from it, so that
// frees never take it to zero before the thread has counted its cuts in.
constexpr std::uint32_t kCutting = 1u << 30;
constexpr std::uint32_t kNone = ~std::uint32_t(0);

struct Pool
{
    std::mutex lock;
    void* reservation = nullptr;
    std::uintptr_t base = 0; // first region, aligned to kRegion
    bool reserveFailed = false;
    std::uint32_t fresh = 0;          // regions never used lie from here on
    std::vector<std::uint32_t> spare; // decommitted regions to use again
    // A committed region whose pages are being brought in for the next
    // thread that needs one; kNone when there is none.
    std::uint32_t ready = kNone;
    std::unique_ptr<std::atomic<std::uint32_t>[]> live;
    std::atomic<std::uint32_t> inUse{0};
    std::atomic<bool> enabled{kEnabledByDefault};
};

Pool& ThePool()
{
    // Never destroyed: blocks may be freed while statics are torn down.
    static Pool* pool = new Pool;
    return *pool;
}

char* RegionAt(const Pool& pool, std::uint32_t index)
{
    return reinterpret_cast<char*>(pool.base + index * kRegion);
}

void Decommit(Pool& pool, std::uint32_t index)
{
    VirtualFree(RegionAt(pool, index), kRegion, MEM_DECOMMIT);
}

void ReleaseRegion(Pool& pool, std::uint32_t index)
{
    Decommit(pool, index);
    std::uint32_t idle = kNone;
    {
        std::lock_guard<std::mutex> hold(pool.lock);
        pool.spare.push_back(index);
        // With nothing in use, the region kept ready would only hold memory.
        if (pool.inUse.fetch_sub(1, std::memory_order_relaxed) == 1 && pool.ready != kNone)
        {
            idle = pool.ready;
            pool.ready = kNone;
        }
    }
    if (idle != kNone)
    {
        // Its pages may still be coming in: those that arrive after the
        // decommit stay until the region's next one, and read as zero when
        // it is used again, as the prefetch does not write.
        Decommit(pool, idle);
        std::lock_guard<std::mutex> hold(pool.lock);
        pool.spare.push_back(idle);
    }
}

// A region nobody uses, not committed; false when the pool has none left.
// The pool is locked.
bool TakeUnused(Pool& pool, std::uint32_t& index)
{
    if (!pool.spare.empty())
    {
        index = pool.spare.back();
        pool.spare.pop_back();
        return true;
    }
    if (pool.fresh < kRegions)
    {
        index = pool.fresh++;
        return true;
    }
    return false;
}

// Commits one more region and has its pages brought in meanwhile, so the
// thread that fills the region it just took does not wait for the system to
// zero the next one page by page.
void PrepareNext(Pool& pool)
{
    std::uint32_t next = kNone;
    {
        std::lock_guard<std::mutex> hold(pool.lock);
        if (pool.ready != kNone || !TakeUnused(pool, next))
            return;
    }
    const bool committed =
        VirtualAlloc(RegionAt(pool, next), kRegion, MEM_COMMIT, PAGE_READWRITE) != nullptr;
    std::lock_guard<std::mutex> hold(pool.lock);
    if (!committed || pool.ready != kNone)
    {
        if (committed)
            Decommit(pool, next);
        pool.spare.push_back(next);
        return;
    }
    pool.ready = next;
    PrefetchPages(RegionAt(pool, next), kRegion);
}

// A committed region to cut from, or false when the pool cannot give one.
bool AcquireRegion(Pool& pool, std::uint32_t& index)
{
    bool ready = false;
    {
        std::lock_guard<std::mutex> hold(pool.lock);
        if (pool.reservation == nullptr)
        {
            if (pool.reserveFailed)
                return false;
            void* p = VirtualAlloc(nullptr, kReserve + kRegion, MEM_RESERVE, PAGE_NOACCESS);
            if (p == nullptr)
            {
                pool.reserveFailed = true;
                return false;
            }
            pool.live.reset(new (std::nothrow) std::atomic<std::uint32_t>[kRegions]);
            // Room for every region up front: giving one back must not fail.
            try
            {
                pool.spare.reserve(kRegions);
            }
            catch (const std::bad_alloc&)
            {
                pool.live.reset();
            }
            if (!pool.live)
            {
                VirtualFree(p, 0, MEM_RELEASE);
                pool.reserveFailed = true;
                return false;
            }
            pool.reservation = p;
            pool.base = (reinterpret_cast<std::uintptr_t>(p) + kRegion - 1) & ~(kRegion - 1);
            detail::g_bulkBase.store(pool.base, std::memory_order_relaxed);
        }
        if (pool.ready != kNone)
        {
            index = pool.ready;
            pool.ready = kNone;
            ready = true;
        }
        else if (!TakeUnused(pool, index))
        {
            return false;
        }
        // Counted in use from here: a region given back meanwhile must not
        // take the count to zero and the ready region with it.
        pool.inUse.fetch_add(1, std::memory_order_relaxed);
    }
    if (!ready &&
        VirtualAlloc(RegionAt(pool, index), kRegion, MEM_COMMIT, PAGE_READWRITE) == nullptr)
    {
        std::lock_guard<std::mutex> hold(pool.lock);
        pool.inUse.fetch_sub(1, std::memory_order_relaxed);
        pool.spare.push_back(index);
        return false;
    }
    pool.live[index].store(kCutting, std::memory_order_relaxed);
    PrepareNext(pool);
    return true;
}

// The region a thread cuts from. Cuts are counted here and added to the
// region's live count when the thread moves on (the region is full, or the
// thread's outermost scope ends), not one atomic step per cut. Plain data:
// under MinGW, a thread_local with a destructor crashed on its first use.
struct Cursor
{
    char* next = nullptr;
    char* end = nullptr;
    std::uint32_t region = 0;
    std::uint32_t cuts = 0;
    bool held = false;

    void Retire()
    {
        if (!held)
            return;
        held = false;
        next = end = nullptr;
        Pool& pool = ThePool();
        // Wraps around on purpose: the sum is the live count without kCutting.
        const std::uint32_t add = cuts - kCutting;
        const std::uint32_t now = pool.live[region].fetch_add(add, std::memory_order_acq_rel) + add;
        if (now == 0)
            ReleaseRegion(pool, region);
    }
};

thread_local int t_scopes = 0;
thread_local Cursor t_cursor;

void* Cut(std::size_t bytes)
{
    const std::size_t n = bytes == 0 ? 8 : (bytes + 7) & ~std::size_t(7);
    Cursor& c = t_cursor;
    if (static_cast<std::size_t>(c.end - c.next) < n)
    {
        c.Retire();
        std::uint32_t index = 0;
        Pool& pool = ThePool();
        if (!AcquireRegion(pool, index))
            return nullptr;
        c.region = index;
        c.cuts = 0;
        c.held = true;
        c.next = RegionAt(pool, index);
        c.end = c.next + kRegion;
    }
    void* p = c.next;
    c.next += n;
    ++c.cuts;
    return p;
}

bool UsePool(std::size_t bytes)
{
    return t_scopes > 0 && bytes <= kBulkMax && ThePool().enabled.load(std::memory_order_relaxed);
}

} // namespace

void* BulkAlloc(std::size_t bytes)
{
    if (UsePool(bytes))
    {
        if (void* p = Cut(bytes))
            return p;
    }
    return ::operator new[](bytes);
}

void* BulkAllocNoThrow(std::size_t bytes) noexcept
{
    if (UsePool(bytes))
    {
        if (void* p = Cut(bytes))
            return p;
    }
    return ::operator new[](bytes, std::nothrow);
}

void detail::BulkRelease(void* p) noexcept
{
    Pool& pool = ThePool();
    const std::uintptr_t base = detail::g_bulkBase.load(std::memory_order_relaxed);
    const auto index =
        static_cast<std::uint32_t>((reinterpret_cast<std::uintptr_t>(p) - base) / kRegion);
    if (pool.live[index].fetch_sub(1, std::memory_order_acq_rel) == 1)
        ReleaseRegion(pool, index);
}

CBulkScope::CBulkScope()
{
    ++t_scopes;
}

CBulkScope::~CBulkScope()
{
    if (--t_scopes == 0)
        t_cursor.Retire();
}

bool CBulkScope::Active()
{
    return t_scopes > 0;
}

bool IsBulkPoolEnabled()
{
    return ThePool().enabled.load(std::memory_order_relaxed);
}

void EnableBulkPool(bool on)
{
    ThePool().enabled.store(on, std::memory_order_relaxed);
}

std::uint32_t BulkRegionsInUse()
{
    return ThePool().inUse.load(std::memory_order_relaxed);
}

} // namespace nkMem
