// Writing the children of a large node with two threads: the segments of
// them alternate between this thread and a second one, whose output comes
// back through a bounded queue and goes in after each of this thread's
// segments, so the bytes are the same as one thread's.
#include "BlockQueue.h"

#include "velmar/xml/XmlWriter.h"

#include <memory>
#include <new>
#include <system_error>
#include <thread>

namespace nkDS
{

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
    uint64_t weight = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        const CXmlNodeT<C>* child = node->GetChild(i);
        weight += 1 + (child != nullptr ? child->GetChildCount() : 0);
        if (weight >= segment && i + 1 < count)
        {
            bounds.push_back(i + 1);
            weight = 0;
        }
    }
    bounds.push_back(count);
    return bounds.size() > 2; // two segments at least
}

template <class C>
void CXmlWriter::WriteSplit(CXmlNodeT<C>* node, uint32_t depth, unsigned cp,
                            const std::vector<uint32_t>& bounds)
{
    CBlockQueue queue(m_split.aheadBytes);
    // On the heap, away from this thread's stack.
    const auto other = std::make_unique<CXmlWriter>();
    other->m_pQueue = &queue;
    other->m_ok = m_ok;
    other->m_bXml10 = m_bXml10;
    std::memcpy(other->m_szEol, m_szEol, sizeof m_szEol);
    other->m_nEol = m_nEol;
    std::thread thread;
    try
    {
        thread = std::thread([&] { other->WriteOddSegments(node, depth, cp, bounds); });
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
            CBlockQueue& queue;
            std::thread& thread;
            bool& splitting;
            ~Joiner()
            {
                queue.Close();
                thread.join();
                splitting = false;
            }
        } joiner{queue, thread, m_bSplitting};
        m_bSplitting = true;
        ++m_nSplits;
        std::vector<Step<C>> stack;
        for (size_t k = 0; k + 1 < bounds.size(); ++k)
        {
            if (k % 2 == 1)
            {
                TakeSegment(queue);
                continue;
            }
            WriteChildren(node, bounds[k], bounds[k + 1], depth, cp, stack);
        }
    }
    // Joined: the values it took are let go here, with `other`.
}

template <class C>
void CXmlWriter::WriteOddSegments(CXmlNodeT<C>* node, uint32_t depth, unsigned cp,
                                  const std::vector<uint32_t>& bounds)
{
    CBlockQueue& queue = *m_pQueue;
    try
    {
        ++m_round;
        std::vector<Step<C>> stack;
        for (size_t k = 1; k + 1 < bounds.size(); k += 2)
        {
            if (queue.Closed())
                break;
            WriteChildren(node, bounds[k], bounds[k + 1], depth, cp, stack);
            HandToQueue();
            CBlockQueue::Item end;
            end.end = true;
            end.failed = !m_ok;
            if (!m_ok)
                end.why = m_pszError != nullptr ? m_pszError : "the output failed";
            if (!queue.Push(std::move(end)))
                break;
        }
    }
    catch (const std::bad_alloc&)
    {
        // Nothing more can be allocated here: the other thread's next wait
        // for an end fails the output.
        queue.Finish("out of memory");
        return;
    }
    queue.Finish();
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
