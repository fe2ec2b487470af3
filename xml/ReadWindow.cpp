#include "xml/ReadWindow.h"

#include <cstring>

namespace nkDS
{

CReadWindow::CReadWindow(Orvex::IStream* stream) : m_stream(stream), m_data(kBlock) {}

bool CReadWindow::Refill(uint32_t want)
{
    if (m_eof)
        return m_end > m_pos;
    // Keep the unread bytes and a few consumed ones before them, so that
    // the parser can step back over what it just read.
    const uint32_t start = m_pos > kHistory ? m_pos - kHistory : 0;
    if (start > 0)
    {
        std::memmove(m_data.data(), m_data.data() + start, m_end - start);
        m_consumedBase += start;
        m_pos -= start;
        m_end -= start;
    }
    if (m_data.size() < static_cast<size_t>(m_end) + want)
        m_data.resize(static_cast<size_t>(m_end) + want);
    while (m_end - m_pos < want)
    {
        const uint32_t room = static_cast<uint32_t>(m_data.size()) - m_end;
        const uint32_t got = m_stream->Read(m_data.data() + m_end, room);
        if (got == 0 || got > room)
        {
            m_eof = true;
            break;
        }
        m_end += got;
    }
    return m_end > m_pos;
}

int CReadWindow::ScanUntil(const bool* stop, std::vector<char>& out)
{
    for (;;)
    {
        const uint8_t* p = m_data.data() + m_pos;
        const uint8_t* e = m_data.data() + m_end;
        const uint8_t* q = p;
        while (q != e && !stop[*q])
            ++q;
        out.insert(out.end(), p, q);
        m_pos += static_cast<uint32_t>(q - p);
        if (q != e)
            return *q;
        if (!Refill())
            return -1;
    }
}

void CReadWindow::GiveBack()
{
    const uint32_t unread = m_end - m_pos;
    if (unread > 0)
        m_stream->Seek(-static_cast<int32_t>(unread), Orvex::kSeekCurrent);
    m_consumedBase += m_pos;
    m_pos = m_end = 0;
}

} // namespace nkDS
