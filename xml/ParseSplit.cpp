#include "ParseSplit.h"

#include "velmar/io/FileMapping.h"

#include <exception>

namespace nkDS
{
namespace
{

// Views are mapped from multiples of this.
constexpr uint64_t kGranule = 64 * 1024;
// How far past the middle a start tag is looked for.
constexpr uint64_t kSearch = 1024 * 1024;

bool IsBlank(uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

CParseSplit::~CParseSplit()
{
    Stop();
    if (m_view != nullptr)
        m_stream->UnmapRegion(m_view);
}

bool CParseSplit::Find(Orvex::IStream* stream, uint64_t base, uint64_t from, uint64_t after,
                       const bool* nameStart)
{
    const uint64_t end = stream->GetLength64();
    // Views take 32-bit offsets and sizes.
    if (end > 0xFFFFFFFFu || base > end || from >= end - base)
        return false;
    const uint64_t viewAt = (base + from) & ~(kGranule - 1);
    void* view = stream->MapRegion(Orvex::kMapRead, static_cast<uint32_t>(viewAt),
                                   static_cast<uint32_t>(end - viewAt));
    if (view == nullptr)
        return false;
    m_stream = stream;
    m_view = static_cast<uint8_t*>(view);
    m_base = base;
    m_viewAt = viewAt;
    m_end = end;
    const uint8_t* p = m_view;
    const uint64_t n = end - viewAt;
    const uint64_t first = base + from - viewAt;
    const uint64_t last = n - first > kSearch ? first + kSearch : n;
    for (uint64_t i = first; i + 1 < last; ++i)
    {
        const uint8_t next = p[i + 1];
        if (p[i] != '<' || !nameStart[next] || (next >= '0' && next <= '9') || next == '-' ||
            next == '.')
            continue;
        // Each walk back covers blanks no other walk covers: linear in all.
        uint64_t k = i;
        while (k > 0 && IsBlank(p[k - 1]))
            --k;
        if (k > 0 && p[k - 1] == '>' && viewAt + i - base > after)
        {
            m_at = viewAt + i - base;
            return true;
        }
    }
    return false;
}

bool CParseSplit::Start(std::function<void(const std::atomic<bool>& stop)> job)
{
    try
    {
        m_thread = std::thread([this, job = std::move(job)] { job(m_stop); });
    }
    catch (const std::exception&)
    {
        // No thread (system_error) or no memory for it: read in one.
        return false;
    }
    return true;
}

void CParseSplit::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CParseSplit::Stop()
{
    m_stop.store(true, std::memory_order_relaxed);
    Join();
}

} // namespace nkDS
