#include "ReadWindow.h"

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
        NoteLineEnd(m_end, got);
        m_end += got;
    }
    return m_end > m_pos;
}

void CReadWindow::NoteLineEnd(uint32_t from, uint32_t n)
{
    const uint8_t* p = m_data.data() + from;
    if (m_crLast)
    {
        m_crLast = false;
        if (n > 0 && p[0] == '\n')
            m_lineEnd[1] = '\n';
        return;
    }
    if (m_lineEnd[0] != '\0')
        return;
    const uint8_t* e = p + n;
    while (p != e && *p != '\n' && *p != '\r')
        ++p;
    if (p == e)
        return;
    m_lineEnd[0] = static_cast<char>(*p);
    if (*p == '\r')
    {
        if (p + 1 == e)
            m_crLast = true;
        else if (p[1] == '\n')
            m_lineEnd[1] = '\n';
    }
}

namespace
{

// Nonzero when some byte of v is zero (the classic test; exact for the
// question "any zero byte", which is all that is asked).
inline uint64_t HasZeroByte(uint64_t v)
{
    return (v - 0x0101010101010101ull) & ~v & 0x8080808080808080ull;
}

// Skips whole words of p..e that hold none of the stop bytes.
inline const uint8_t* SkipWords(const uint8_t* p, const uint8_t* e, const ScanStops& stops)
{
    while (e - p >= 8)
    {
        uint64_t w;
        std::memcpy(&w, p, 8);
        uint64_t hit = 0;
        for (uint32_t k = 0; k < stops.count; ++k)
            hit |= HasZeroByte(w ^ stops.words[k]);
        if (hit != 0)
            break;
        p += 8;
    }
    return p;
}

} // namespace

int CReadWindow::ScanUntil(const ScanStops& stops, std::vector<char>& out)
{
    for (;;)
    {
        const uint8_t* p = m_data.data() + m_pos;
        const uint8_t* e = m_data.data() + m_end;
        // Most runs are short (indentation, names, small values): bytes
        // first, words only once the run proves long.
        const uint8_t* q = p;
        const uint8_t* quick = e - p > 16 ? p + 16 : e;
        while (q != quick && !stops.stop[*q])
            ++q;
        if (q == quick && q != e)
        {
            q = SkipWords(q, e, stops);
            while (q != e && !stops.stop[*q])
                ++q;
        }
        out.insert(out.end(), p, q);
        m_pos += static_cast<uint32_t>(q - p);
        if (q != e)
            return *q;
        if (!Refill())
            return -1;
    }
}

int CReadWindow::ScanWhile(const bool* take, std::vector<char>& out)
{
    for (;;)
    {
        const uint8_t* p = m_data.data() + m_pos;
        const uint8_t* e = m_data.data() + m_end;
        const uint8_t* q = p;
        while (q != e && take[*q])
            ++q;
        out.insert(out.end(), p, q);
        m_pos += static_cast<uint32_t>(q - p);
        if (q != e)
            return m_data[m_pos++];
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
