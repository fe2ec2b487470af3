#include "PagePrefetcher.h"

#include "velmar/win32/win32.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <thread>

namespace nkMem
{
namespace
{

class Prefetcher
{
public:
    bool Post(void* p, std::size_t n)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_failed || m_count == kSlots)
            return false;
        if (!m_started)
        {
            try
            {
                std::thread(&Prefetcher::Run, this).detach();
            }
            catch (const std::exception&)
            {
                // No thread (system_error) or no memory for its start
                // (bad_alloc): the pool's no-throw callers must not see it.
                m_failed = true;
                return false;
            }
            m_started = true;
        }
        m_ranges[(m_first + m_count) % kSlots] = {p, n};
        ++m_count;
        m_wake.notify_one();
        return true;
    }

private:
    void Run()
    {
        for (;;)
        {
            WIN32_MEMORY_RANGE_ENTRY range;
            {
                std::unique_lock<std::mutex> hold(m_lock);
                m_wake.wait(hold, [this] { return m_count > 0; });
                range = m_ranges[m_first];
                m_first = (m_first + 1) % kSlots;
                --m_count;
            }
            PrefetchVirtualMemory(GetCurrentProcess(), 1, &range, 0);
        }
    }

    // A loader asks for one range ahead at a time; a few cover bursts.
    static constexpr unsigned kSlots = 4;
    std::mutex m_lock;
    std::condition_variable m_wake;
    WIN32_MEMORY_RANGE_ENTRY m_ranges[kSlots] = {};
    unsigned m_first = 0;
    unsigned m_count = 0;
    bool m_started = false;
    bool m_failed = false;
};

} // namespace

bool PrefetchPages(void* p, std::size_t n)
{
    // Never destroyed: its thread runs until the process ends. Made without
    // throwing, as the pool's no-throw allocation comes through here.
    static Prefetcher* prefetcher = new (std::nothrow) Prefetcher;
    return prefetcher != nullptr && prefetcher->Post(p, n);
}

} // namespace nkMem
