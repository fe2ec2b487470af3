// Writing the children of a large node with two threads: the node's
// children are cut into segments, and this thread and a second one each
// take the next segment not yet taken until none is left. Each segment's
// output goes into a part of the output of its own, and the parts are
// written in order, so the bytes are the same as one thread's; neither
// thread copies the other's output, and neither waits for the other
// except when it has run far ahead of the part being written out.
#include "OrderedOutput.h"

#include "velmar/xml/XmlWriter.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>

namespace nkDS
{

// What the two threads of a split share: the next segment to take, and why
// the output failed when one of them failed it.
struct SplitShare
{
    std::atomic<uint32_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::string why; // the first failure's reason
    bool failed = false;

    void Fail(const char* reason, COrderedOutput& out)
    {
        {
            std::lock_guard<std::mutex> hold(lock);
            if (!failed)
                why = reason != nullptr ? reason : "the output failed";
            failed = true;
        }
        stop = true;
        // No thread may wait for a part that will never be completed.
        out.Stop();
    }
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
    if (!m_split.enabled || m_bSplitting || m_nInline != 0 || count < m_split.minChildren ||
        (sizeof(C) > 1 && cp != kUtf8Page))
        return false;
    const uint64_t most = m_split.segmentWeight > 0 ? m_split.segmentWeight : 1;
    const auto weight = [node](uint32_t i)
    {
        const CXmlNodeT<C>* child = node->GetChild(i);
        return uint64_t(1) + (child != nullptr ? child->GetChildCount() : 0);
    };
    // The weight of a segment, once the node is known to be worth two.
    const auto sized = [this, most](uint64_t total)
    {
        const uint64_t wanted = total / std::max<uint32_t>(1, m_split.segments);
        return std::min(most,
                        std::max<uint64_t>(std::max<uint32_t>(1, m_split.leastWeight), wanted));
    };
    if (count <= m_split.weighAll)
    {
        // Of every child but the last, which never starts a segment.
        uint64_t total = 0;
        for (uint32_t i = 0; i + 1 < count; ++i)
            total += weight(i);
        if (total < 2 * most)
            return false;
        const uint64_t segment = sized(total);
        bounds.assign(1, 0);
        uint64_t sum = 0;
        for (uint32_t i = 0; i + 1 < count; ++i)
        {
            sum += weight(i);
            if (sum >= segment)
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
        if (count <= std::max<uint64_t>(1, (most * taken + sum - 1) / sum))
            return false; // one segment's weight or less
        const uint64_t segment = sized(sum / taken * count);
        const uint64_t per = std::max<uint64_t>(1, (segment * taken + sum - 1) / sum);
        bounds.assign(1, 0);
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
    const auto segments = static_cast<uint32_t>(bounds.size() - 1);
    COrderedOutput& out = Output();
    if (!out.Threaded())
    {
        // No thread to write behind: nor one for a split.
        std::vector<Step<C>> stack;
        WriteChildren(node, 0, bounds.back(), depth, cp, stack);
        return;
    }
    // What is written so far comes first.
    Hand();
    out.Close(m_part);
    const uint32_t base = m_part + 1;
    SplitShare share;
    // On the heap, away from this thread's stack.
    const auto other = std::make_unique<CXmlWriter>();
    other->m_pOut = &out;
    other->m_bSecond = true;
    other->m_bSplitting = true;
    // Room for a value from each child up front: each time a growing list
    // moved, its new pages were faulted in one by one, on the thread that
    // paces the split. Pages never written cost nothing.
    if constexpr (sizeof(C) == 1)
        other->m_takenA.reserve(bounds.back());
    else
        other->m_takenW.reserve(bounds.back());
    other->m_ok = m_ok;
    other->m_bXml10 = m_bXml10;
    std::memcpy(other->m_szEol, m_szEol, sizeof m_szEol);
    other->m_nEol = m_nEol;
    {
        // The second thread stops and is joined however this one leaves;
        // this one goes on in the part after the last segment's.
        struct Joiner
        {
            CXmlWriter& writer;
            SplitShare& share;
            COrderedOutput& out;
            std::thread thread;
            size_t limit;
            uint32_t after;
            ~Joiner()
            {
                if (std::uncaught_exceptions() > 0)
                    share.Fail("the output failed", out);
                if (thread.joinable())
                    thread.join();
                out.SetLimit(limit);
                writer.m_bSplitting = false;
                writer.m_part = after;
            }
        } joiner{*this, share, out, {}, out.SetLimit(m_split.aheadBytes), base + segments};
        m_bSplitting = true;
        ++m_nSplits;
        try
        {
            joiner.thread =
                std::thread([&] { other->WriteSegments(node, depth, cp, bounds, base, share); });
        }
        catch (const std::system_error&)
        {
            // No thread to be had: every segment is written here.
        }
        WriteSegments(node, depth, cp, bounds, base, share);
    }
    if (share.failed)
        Refuse(share.why.c_str());
    // Joined: the values it took are let go here, with `other`.
}

template <class C>
void CXmlWriter::WriteSegments(CXmlNodeT<C>* node, uint32_t depth, unsigned cp,
                               const std::vector<uint32_t>& bounds, uint32_t base,
                               SplitShare& share)
{
    const auto segments = static_cast<uint32_t>(bounds.size() - 1);
    try
    {
        ++m_round;
        std::vector<Step<C>> stack;
        while (!share.stop)
        {
            const uint32_t k = share.next.fetch_add(1);
            if (k >= segments)
                break;
            m_part = base + k;
            WriteChildren(node, bounds[k], bounds[k + 1], depth, cp, stack);
            Hand();
            m_pOut->Close(m_part);
            if (!m_ok)
                share.Fail(m_pszError, *m_pOut);
        }
    }
    catch (const std::bad_alloc&)
    {
        if (!m_bSecond)
            throw;
        // Nothing more can be allocated on the second thread: the output
        // fails, and the first thread reports it.
        share.Fail("out of memory", *m_pOut);
    }
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
