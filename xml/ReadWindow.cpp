#include "ReadWindow.h"

#include "Utf8Prefix.h"

#include "velmar/win32/win32.h"
#include "velmar/win32/Unicode.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nkDS
{
namespace
{
constexpr unsigned kUtf8 = 65001;
inline uint64_t HasZeroByte(uint64_t v);

// How many bytes of a word loaded from memory come before the first one
// whose top bit is set in `marks` (nonzero, top bits only). The marks of
// HasZeroByte are exact only up to the least significant one, which is the
// first in memory on a little-endian machine; elsewhere the answer is 0 and
// the caller goes on a byte at a time.
inline uint32_t FirstMarkedByte(uint64_t marks)
{
    if constexpr (std::endian::native == std::endian::little)
        return static_cast<uint32_t>(std::countr_zero(marks)) / 8;
    else
        return 0;
}
} // namespace

unicode::Utf8Decoded DecodeUtf8Slow(const unsigned char* p, size_t n)
{
    return unicode::DecodeUtf8(p, n);
}

CReadWindow::CReadWindow(Orvex::IStream* stream) : m_stream(stream), m_data(kBlock + kSlack) {}

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
        m_checked = m_checked > start ? m_checked - start : 0;
    }
    if (m_data.size() < static_cast<size_t>(m_end) + want + kSlack)
        m_data.resize(static_cast<size_t>(m_end) + want + kSlack);
    while (m_end - m_pos < want)
    {
        const uint32_t room = static_cast<uint32_t>(m_data.size()) - kSlack - m_end;
        const uint32_t got = m_stream->Read(m_data.data() + m_end, room);
        if (got == 0 || got > room)
        {
            m_eof = true;
            break;
        }
        NoteLineEnd(m_data.data() + m_end, got);
        m_end += got;
        if (m_checkCp != 0)
            Check();
    }
    if (m_eof && m_checkCp != 0)
        Check();
    return m_end > m_pos;
}

void CReadWindow::CheckEncoding(unsigned cp)
{
    m_checkCp = cp;
    m_checked = 0;
    Check();
}

void CReadWindow::CheckThrough(uint64_t offset)
{
    if (m_checkCp == 0 || HasBad() || m_consumedBase + m_checked > offset)
        return;
    // Four bytes past it hold the rest of any character that begins there.
    const uint64_t at = m_consumedBase + m_pos;
    const uint64_t want = (offset >= at ? offset - at : 0) + 4;
    if (want < kBlock)
        Refill(static_cast<uint32_t>(want));
}

void CReadWindow::Check()
{
    if (m_bad != UINT64_MAX || m_checked >= m_end)
        return;
    uint32_t to = m_end;
    const uint32_t bad =
        m_checkCp == kUtf8 ? CheckUtf8(m_checked, to) : CheckCodePage(m_checked, to);
    // A character cut off at the very end of the input is bad as well.
    const uint32_t at = bad < to ? bad : (m_eof && to < m_end ? to : UINT32_MAX);
    if (at == UINT32_MAX)
    {
        m_checked = to;
        return;
    }
    m_bad = m_consumedBase + at;
    m_badNul = m_data[at] == 0;
    // What follows is not handed to the parser.
    m_end = at;
    if (m_pos > m_end)
        m_pos = m_end;
    m_checked = at;
    m_eof = true;
}

uint32_t CReadWindow::CheckUtf8(uint32_t from, uint32_t& to) const
{
    const uint8_t* d = m_data.data();
    uint32_t i = from;
    while (i < to)
    {
        // Long stretches first go sixteen bytes at a time, up to a fault or
        // a character the stretch cuts; that is then judged below.
        if (to - i >= 64)
        {
            i += static_cast<uint32_t>(ValidUtf8Prefix(d + i, to - i));
            if (i == to)
                break;
        }
        // ASCII without NUL, a word at a time; the word that holds another
        // byte tells where it is.
        while (to - i >= 8)
        {
            uint64_t w;
            std::memcpy(&w, d + i, 8);
            const uint64_t other = (w & 0x8080808080808080ull) | HasZeroByte(w);
            if (other != 0)
            {
                i += FirstMarkedByte(other);
                break;
            }
            i += 8;
        }
        if (i == to)
            break;
        if (d[i] == 0)
            return i;
        if (d[i] < 0x80)
        {
            ++i;
            continue;
        }
        const unicode::Utf8Decoded c = DecodeUtf8Fast(d + i, to - i);
        if (!c.valid)
        {
            // Valid so far but cut off by the end of what was read: wait.
            const uint32_t need = d[i] >= 0xF0 ? 4 : d[i] >= 0xE0 ? 3 : 2;
            if (to - i < need && !m_eof && d[i] >= 0xC2 && d[i] <= 0xF4)
            {
                uint32_t k = i + 1;
                while (k < to && (d[k] & 0xC0) == 0x80)
                    ++k;
                if (k == to)
                {
                    to = i;
                    return to;
                }
            }
            return i;
        }
        i += static_cast<uint32_t>(c.length);
    }
    return to;
}

uint32_t CReadWindow::CheckCodePage(uint32_t from, uint32_t& to) const
{
    const char* d = reinterpret_cast<const char*>(m_data.data());
    if (const void* nul = std::memchr(d + from, 0, to - from))
        to = static_cast<uint32_t>(static_cast<const char*>(nul) - d) + 1;
    // Bytes below 0x40 stand for themselves in every page read here, so a
    // character never spans one: the check stops after the last of them
    // until the input ends.
    uint32_t end = to;
    if (!m_eof || to < m_end)
        while (end > from && static_cast<uint8_t>(d[end - 1]) >= 0x40)
            --end;
    const auto valid = [&](uint32_t at, uint32_t n)
    {
        return MultiByteToWideChar(m_checkCp, MB_ERR_INVALID_CHARS, d + at, static_cast<int>(n),
                                   nullptr, 0) > 0;
    };
    if (end > from && d[end - 1] != 0 && valid(from, end - from))
    {
        to = end;
        return to;
    }
    // Something is wrong in there: find it a character at a time.
    for (uint32_t i = from; i < end;)
    {
        if (d[i] == 0)
            return i;
        uint32_t n = 1;
        while (n <= 4 && i + n <= end && !valid(i, n))
            ++n;
        if (n > 4 || i + n > end)
            return i;
        i += n;
    }
    to = end;
    return to;
}

void CReadWindow::NoteLineEnd(const uint8_t* p, size_t n)
{
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

// Nonzero when some byte of v is zero: the top bit of each such byte is
// set, and of no byte below the lowest of them (a borrow runs upwards only),
// so the least significant mark is exact; those above it may be spurious.
inline uint64_t HasZeroByte(uint64_t v)
{
    return (v - 0x0101010101010101ull) & ~v & 0x8080808080808080ull;
}

// The first stop byte in p..e, or e.
inline const uint8_t* FindStop(const uint8_t* p, const uint8_t* e, const ScanStops& stops)
{
#if defined(__SSE2__)
    // Sixteen bytes at a time; the slack past the window's end makes the
    // sixteen at any place before e readable. Slots past the stops repeat
    // the first, so all four can be compared.
    __m128i stop[4];
    for (uint32_t k = 0; k < 4; ++k)
        stop[k] = _mm_set1_epi64x(static_cast<long long>(stops.words[k]));
    for (; p < e; p += 16)
    {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, stop[0]), _mm_cmpeq_epi8(v, stop[1])),
                         _mm_or_si128(_mm_cmpeq_epi8(v, stop[2]), _mm_cmpeq_epi8(v, stop[3])));
        if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hit)); mask != 0)
            return std::min(p + std::countr_zero(mask), e);
    }
    return e;
#else
    // Whole words that hold none of the stop bytes, then a byte at a time.
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
    while (p != e && !stops.stop[*p])
        ++p;
    return p;
#endif
}

// Appends the window's bytes [p, q) to a token. Most tokens are short:
// those of up to sixteen bytes go in one fixed-size copy, which the slack
// past the window's end and the room kept in the token allow.
__attribute__((always_inline)) inline void AppendBytes(TokenBytes& out, const uint8_t* p,
                                                       const uint8_t* q)
{
    constexpr size_t kQuick = 16;
    const size_t n = static_cast<size_t>(q - p);
    const size_t old = out.size();
    if (out.capacity() - old < n + kQuick)
        out.reserve(2 * (old + n + kQuick));
    out.resize(old + n);
    if (n <= kQuick)
        std::memcpy(out.data() + old, p, kQuick);
    else
        std::memcpy(out.data() + old, p, n);
}

} // namespace

// Appends the run p..q to the token and moves past it; whether the window
// holds the byte that ended it. Inline in the vector scan as well, whose
// code is built for SSSE3.
__attribute__((always_inline)) inline bool CReadWindow::TakeRun(const uint8_t* p, const uint8_t* q,
                                                                TokenBytes& out)
{
    AppendBytes(out, p, q);
    m_pos += static_cast<uint32_t>(q - p);
    return m_pos != m_end;
}

int CReadWindow::ScanUntil(const ScanStops& stops, TokenBytes& out)
{
    for (;;)
    {
        const uint8_t* p = m_data.data() + m_pos;
        const uint8_t* e = m_data.data() + m_end;
        const uint8_t* q = FindStop(p, e, stops);
        if (TakeRun(p, q, out))
            return m_data[m_pos];
        if (!Refill())
            return -1;
    }
}

int CReadWindow::ScanWhileBytes(const ScanTakes& takes, TokenBytes& out)
{
    for (;;)
    {
        const uint8_t* p = m_data.data() + m_pos;
        const uint8_t* e = m_data.data() + m_end;
        const uint8_t* q = p;
        while (q != e && takes.take[*q])
            ++q;
        if (TakeRun(p, q, out))
            return m_data[m_pos++];
        if (!Refill())
            return -1;
    }
}

#if VELMAR_X86_SIMD
int CReadWindow::ScanWhileBy16(const ScanTakes& takes, TokenBytes& out)
{
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(takes.low));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(takes.high));
    const __m128i nibble = _mm_set1_epi8(0x0F);
    for (;;)
    {
        const uint8_t* p = m_data.data() + m_pos;
        const uint8_t* e = m_data.data() + m_end;
        // The slack past the window's end makes the sixteen bytes at any
        // place before e readable.
        const uint8_t* q = e;
        for (const uint8_t* at = p; at < e; at += 16)
        {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            const __m128i lowClasses = _mm_shuffle_epi8(low, _mm_and_si128(v, nibble));
            const __m128i highClasses =
                _mm_shuffle_epi8(high, _mm_and_si128(_mm_srli_epi16(v, 4), nibble));
            const __m128i none =
                _mm_cmpeq_epi8(_mm_and_si128(lowClasses, highClasses), _mm_setzero_si128());
            const auto left = static_cast<unsigned>(_mm_movemask_epi8(none));
            if (left != 0)
            {
                q = std::min(at + std::countr_zero(left), e);
                break;
            }
        }
        if (TakeRun(p, q, out))
            return m_data[m_pos++];
        if (!Refill())
            return -1;
    }
}
#endif

void CReadWindow::JumpToEnd(const uint8_t* rest, size_t n)
{
    NoteLineEnd(rest, n);
    m_crLast = false;
    m_consumedBase += m_end + n;
    m_pos = m_end = 0;
    m_checked = 0;
    m_eof = true;
    m_stream->Seek(0, Orvex::kSeekEnd);
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
