#include "OrderedOutput.h"

#include "velmar/win32/Unicode.h"

#include <new>
#include <system_error>

namespace nkDS
{
namespace
{

// Collected UTF-8 as UTF-16 in the output's byte order.
void ToUtf16(const char* data, size_t len, bool big, std::string& out)
{
    out.clear();
    out.reserve(len * 2);
    auto unit = [&](uint32_t u)
    {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out.push_back(big ? hi : lo);
        out.push_back(big ? lo : hi);
    };
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    // Output is collected in whole characters, so no sequence spans two blocks.
    for (size_t i = 0; i < len;)
    {
        const unicode::Utf8Decoded d = unicode::DecodeUtf8(p + i, len - i);
        i += d.length;
        if (unicode::NeedsSurrogatePair(d.codePoint))
        {
            unit(unicode::HighSurrogateOf(d.codePoint));
            unit(unicode::LowSurrogateOf(d.codePoint));
        }
        else
            unit(static_cast<uint32_t>(d.codePoint));
    }
}

} // namespace

bool WriteBlock(Orvex::IStream* target, XmlByteForm form, const char* data, size_t len,
                std::string& utf16)
{
    if (form != xbfBytes)
    {
        ToUtf16(data, len, form == xbfUtf16BE, utf16);
        data = utf16.data();
        len = utf16.size();
    }
    for (size_t done = 0; done < len;)
    {
        const size_t chunk = len - done;
        const uint32_t n = chunk > 0x40000000u ? 0x40000000u : static_cast<uint32_t>(chunk);
        if (target->Write(data + done, n) != n)
            return false;
        done += n;
    }
    return true;
}

COrderedOutput::COrderedOutput(Orvex::IStream* target, XmlByteForm form, size_t limit)
    : m_target(target), m_form(form), m_limit(limit)
{
}

COrderedOutput::~COrderedOutput()
{
    Finish();
}

bool COrderedOutput::Start()
{
    try
    {
        m_thread = std::thread([this] { Run(); });
    }
    catch (const std::system_error&)
    {
        return false;
    }
    return true;
}

size_t COrderedOutput::SetLimit(size_t limit)
{
    std::lock_guard<std::mutex> hold(m_lock);
    const size_t before = m_limit;
    m_limit = limit;
    m_changed.notify_all();
    return before;
}

COrderedOutput::Part& COrderedOutput::At(uint32_t part)
{
    const size_t index = part - m_first;
    while (m_parts.size() <= index)
        m_parts.emplace_back();
    return m_parts[index];
}

bool COrderedOutput::HasRoom(uint32_t part) const
{
    // A block always goes in when nothing of its kind waits, so that one
    // larger than the limit still passes.
    const size_t front = m_parts.empty() ? 0 : m_parts.front().bytes;
    return part == m_first ? front < m_limit : m_waiting - front < m_limit;
}

COrderedOutput::Pushed COrderedOutput::Push(uint32_t part, Block block, Block& fresh)
{
    if (!Threaded())
    {
        // One writer, written here and now; the block comes back to be filled.
        bool ok = !m_failed && !m_stopped;
        if (ok && block.len != 0)
            ok = WriteBlock(m_target, m_form, block.data.get(), block.len, m_utf16);
        m_failed = m_failed || (!ok && !m_stopped);
        block.len = 0;
        fresh = std::move(block);
        return m_stopped ? Pushed::kStopped : ok ? Pushed::kQueued : Pushed::kWriteFailed;
    }
    std::unique_lock<std::mutex> hold(m_lock);
    m_changed.wait(hold, [&] { return m_failed || m_stopped || HasRoom(part); });
    const Pushed result = m_stopped  ? Pushed::kStopped
                          : m_failed ? Pushed::kWriteFailed
                                     : Pushed::kQueued;
    if (result == Pushed::kQueued)
    {
        Part& p = At(part);
        const size_t cap = block.cap;
        p.blocks.push_back(std::move(block));
        p.bytes += cap;
        m_waiting += cap;
        m_changed.notify_all();
    }
    else
    {
        block.len = 0;
        m_spare.push_back(std::move(block));
    }
    if (!m_spare.empty())
    {
        fresh = std::move(m_spare.back());
        m_spare.pop_back();
    }
    return result;
}

void COrderedOutput::Close(uint32_t part)
{
    if (!Threaded())
        return;
    std::lock_guard<std::mutex> hold(m_lock);
    At(part).closed = true;
    m_changed.notify_all();
}

void COrderedOutput::Stop()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_stopped = true;
    m_changed.notify_all();
}

bool COrderedOutput::Finish()
{
    if (Threaded())
    {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_quit = true;
            m_changed.notify_all();
        }
        m_thread.join();
    }
    return !m_failed;
}

void COrderedOutput::Run()
{
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;)
    {
        m_changed.wait(hold,
                       [this]
                       {
                           return m_quit || (!m_parts.empty() && (!m_parts.front().blocks.empty() ||
                                                                  m_parts.front().closed));
                       });
        if (m_parts.empty())
            return; // quit, with nothing pushed
        Part& front = m_parts.front();
        if (!front.blocks.empty())
        {
            // Its bytes still count against the limit while it is written.
            Block block = std::move(front.blocks.front());
            front.blocks.pop_front();
            const bool skip = m_failed || m_stopped;
            hold.unlock();
            bool ok = skip;
            try
            {
                ok = ok || WriteBlock(m_target, m_form, block.data.get(), block.len, m_utf16);
            }
            catch (const std::bad_alloc&)
            {
                ok = false; // no memory to convert the block in
            }
            hold.lock();
            m_failed = m_failed || !ok;
            // Only this thread removes parts: `front` is still the front.
            front.bytes -= block.cap;
            m_waiting -= block.cap;
            block.len = 0;
            try
            {
                m_spare.push_back(std::move(block));
            }
            catch (const std::bad_alloc&)
            {
                // The block goes; a writer makes a new one.
            }
            m_changed.notify_all();
        }
        else if (front.closed)
        {
            m_parts.pop_front();
            ++m_first;
            m_changed.notify_all();
        }
        else
            return; // quit, and the rest waits for a part never completed
    }
}

} // namespace nkDS
