// Writing the children of a large node with two threads: the segments of
// them alternate between this thread and a second one, whose output comes
// back through a bounded queue and goes in after each of this thread's
// segments, so the bytes are the same as one thread's. This thread also
// puts the output in, and shares the cores with the file's own writes, so
// it falls behind; the second thread, done with its own, takes over the
// later half of the segments left here.
#include "BlockQueue.h"

#include "velmar/xml/XmlWriter.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace nkDS
{

// Who writes which segment, and the two ways back for the second thread's
// output.
struct SplitShare
{
    explicit SplitShare(size_t ahead) : odd(ahead), even(ahead) {}
    std::mutex lock;
    uint32_t front = 0;        // the next even segment the first thread begins
    uint32_t cut = UINT32_MAX; // even segments from here on are the second's
    CBlockQueue odd;           // the odd segments, in order
    CBlockQueue even;          // the even ones the second took, in order
};

bool CXmlWriter::TwoCores()
{
    static const bool two = std::thread::hardware_concurrency() >= 2;
    return two;
}

template <class C>
bool CXmlWriter::Segments(const CXmlNodeT<C>* node, unsigned cp,
                          std::vector<uint32_t>& bounds) const
{
    const uint32_t count = node->GetChildCount();
    // Wide text goes two threads only into UTF-8, which needs no code-page
    // layer; a segment's text inside mixed content would gain line ends.
    if (!m_split.enabled || m_bSplitting || m_pQueue != nullptr || m_nInline != 0 ||
        count < m_split.minChildren || (sizeof(C) > 1 && cp != kUtf8Page))
        return false;
    const uint64_t segment = m_split.segmentWeight > 0 ? m_split.segmentWeight : 1;
    bounds.assign(1, 0);
    const auto weight = [node](uint32_t i)
    {
        const CXmlNodeT<C>* child = node->GetChild(i);
        return uint64_t(1) + (child != nullptr ? child->GetChildCount() : 0);
    };
    if (count <= m_split.weighAll)
    {
        uint64_t sum = 0;
        for (uint32_t i = 0; i < count; ++i)
        {
            sum += weight(i);
            if (sum >= segment && i + 1 < count)
            {
                bounds.push_back(i + 1);
                sum = 0;
            }
        }
    }
    else
    {
        // Weighing each child costs a cache miss or two, which for a wide
        // node added up to 3% of the save, spent before the second thread
        // began; segments of an equal count of children, from the mean
        // weight of a sample, balance the threads about as well.
        const uint32_t samples = m_split.weighAll > 0 ? m_split.weighAll : 1;
        const uint32_t step = count / samples;
        uint64_t sum = 0, taken = 0;
        for (uint32_t i = step / 2; i < count && taken < samples; i += step, ++taken)
            sum += weight(i);
        const uint64_t per = std::max<uint64_t>(1, (segment * taken + sum - 1) / sum);
        for (uint64_t b = per; b < count; b += per)
            bounds.push_back(static_cast<uint32_t>(b));
    }
    bounds.push_back(count);
    return bounds.size() > 2; // two segments at least
}

template <class C>
void CXmlWriter::WriteSplit(CXmlNodeT<C>* node, uint32_t depth, unsigned cp,
                            const std::vector<uint32_t>& bounds)
{
    SplitShare share(m_split.aheadBytes);
    // On the heap, away from this thread's stack.
    const auto other = std::make_unique<CXmlWriter>();
    other->m_pQueue = &share.odd;
    other->m_ok = m_ok;
    other->m_bXml10 = m_bXml10;
    std::memcpy(other->m_szEol, m_szEol, sizeof m_szEol);
    other->m_nEol = m_nEol;
    std::thread thread;
    try
    {
        thread = std::thread([&] { other->WriteOtherSegments(node, depth, cp, bounds, share); });
    }
    catch (const std::system_error&)
    {
        // No thread to be had: all of them here.
        std::vector<Step<C>> stack;
        WriteChildren(node, 0, bounds.back(), depth, cp, stack);
        return;
    }
    {
        // The second thread stops and is joined however this one leaves.
        struct Joiner
        {
            SplitShare& share;
            std::thread& thread;
            bool& splitting;
            ~Joiner()
            {
                share.odd.Close();
                share.even.Close();
                thread.join();
                splitting = false;
            }
        } joiner{share, thread, m_bSplitting};
        m_bSplitting = true;
        ++m_nSplits;
        std::vector<Step<C>> stack;
        const auto segments = static_cast<uint32_t>(bounds.size() - 1);
        for (uint32_t k = 0; k < segments; ++k)
        {
            if (k % 2 == 1)
            {
                TakeSegment(share.odd);
                continue;
            }
            bool mine = false;
            {
                std::lock_guard<std::mutex> hold(share.lock);
                mine = k < share.cut;
                if (mine)
                    share.front = k + 2;
            }
            if (!mine)
            {
                TakeSegment(share.even);
                continue;
            }
            WriteChildren(node, bounds[k], bounds[k + 1], depth, cp, stack);
        }
    }
    // Joined: the values it took are let go here, with `other`.
}

template <class C>
void CXmlWriter::WriteOtherSegments(CXmlNodeT<C>* node, uint32_t depth, unsigned cp,
                                    const std::vector<uint32_t>& bounds, SplitShare& share)
{
    const auto segments = static_cast<uint32_t>(bounds.size() - 1);
    try
    {
        ++m_round;
        std::vector<Step<C>> stack;
        for (uint32_t k = 1; k < segments && !share.odd.Closed(); k += 2)
            WriteQueuedSegment(node, bounds[k], bounds[k + 1], depth, cp, stack);
        share.odd.Finish();
        uint32_t from = segments;
        {
            std::lock_guard<std::mutex> hold(share.lock);
            // Of the m even segments not begun there, the later (m + 1) / 2:
            // the one under way there is about half a segment more.
            const uint32_t left = share.front < segments ? (segments - share.front + 1) / 2 : 0;
            const uint32_t keep = left - (left + 1) / 2;
            if (keep < left)
                from = share.cut = share.front + 2 * keep;
        }
        m_pQueue = &share.even;
        for (uint32_t k = from; k < segments && !share.even.Closed(); k += 2)
            WriteQueuedSegment(node, bounds[k], bounds[k + 1], depth, cp, stack);
    }
    catch (const std::bad_alloc&)
    {
        // Nothing more can be allocated here: the other thread's next wait
        // for an end fails the output.
        share.odd.Finish("out of memory");
        share.even.Finish("out of memory");
        return;
    }
    share.even.Finish();
}

template <class C>
void CXmlWriter::WriteQueuedSegment(CXmlNodeT<C>* node, uint32_t from, uint32_t to, uint32_t depth,
                                    unsigned cp, std::vector<Step<C>>& stack)
{
    WriteChildren(node, from, to, depth, cp, stack);
    HandToQueue();
    CBlockQueue::Item end;
    end.end = true;
    end.failed = !m_ok;
    if (!m_ok)
        end.why = m_pszError != nullptr ? m_pszError : "the output failed";
    m_pQueue->Push(std::move(end));
}

void CXmlWriter::TakeSegment(CBlockQueue& queue)
{
    for (;;)
    {
        CBlockQueue::Item item = queue.Pop();
        if (item.end)
        {
            if (item.failed)
                Refuse(item.why.c_str());
            return;
        }
        if (m_ok)
            Put(item.data.get(), item.len);
        queue.Recycle(std::move(item));
    }
}

void CXmlWriter::HandToQueue()
{
    if (m_len != 0 && m_ok)
    {
        CBlockQueue::Item block;
        block.data = std::move(m_buf);
        block.cap = m_cap;
        block.len = m_len;
        m_pQueue->Push(std::move(block));
        CBlockQueue::Item fresh = m_pQueue->Fresh();
        m_buf = std::move(fresh.data);
        m_cap = fresh.cap;
    }
    m_len = 0;
}

template bool CXmlWriter::Segments<char>(const CXmlNodeT<char>*, unsigned,
                                         std::vector<uint32_t>&) const;
template bool CXmlWriter::Segments<wchar_t>(const CXmlNodeT<wchar_t>*, unsigned,
                                            std::vector<uint32_t>&) const;
template void CXmlWriter::WriteSplit<char>(CXmlNodeT<char>*, uint32_t, unsigned,
                                           const std::vector<uint32_t>&);
template void CXmlWriter::WriteSplit<wchar_t>(CXmlNodeT<wchar_t>*, uint32_t, unsigned,
                                              const std::vector<uint32_t>&);

} // namespace nkDS
