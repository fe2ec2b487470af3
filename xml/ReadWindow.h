#pragma once
// A read-ahead window over a stream for the parser: the stream is read in
// large blocks and the parser's look-ahead and step-backs are served from
// memory, so loading costs a system call per block, not per byte.

#include "CpuSimd.h"
#include "velmar/io/Orvex.h"
#include "velmar/win32/Unicode.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace nkDS
{

// unicode::DecodeUtf8, out of line.
unicode::Utf8Decoded DecodeUtf8Slow(const unsigned char* p, size_t n);

// DecodeUtf8 with the two- and three-byte forms that make up nearly all
// non-ASCII text decided inline; everything else goes to the full decoder.
// `p[0]` is not ASCII.
inline unicode::Utf8Decoded DecodeUtf8Fast(const unsigned char* p, size_t n)
{
    const unsigned c = p[0];
    if (c >= 0xC2 && c <= 0xDF && n >= 2 && (p[1] & 0xC0) == 0x80)
        return {static_cast<char32_t>(((c & 0x1F) << 6) | (p[1] & 0x3F)), 2, true};
    if (c >= 0xE0 && c <= 0xEF && n >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80)
    {
        const char32_t cp = ((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        // Not overlong and no surrogate: otherwise the full decoder tells how
        // much the broken sequence takes.
        if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF))
            return {cp, 3, true};
    }
    return DecodeUtf8Slow(p, n);
}

// An allocator whose elements start uninitialised: a token's bytes are
// copied in right after the buffer grows, and zeroing them first (or the
// general insert) cost more than the copy.
template <class T> struct UninitAllocator : std::allocator<T>
{
    template <class U> struct rebind
    {
        using other = UninitAllocator<U>;
    };
    UninitAllocator() = default;
    template <class U> UninitAllocator(const UninitAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... A> void construct(U* p, A&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
};

// The bytes of one token as the parser collects them.
using TokenBytes = std::vector<char, UninitAllocator<char>>;

// The bytes a scan stops at (one to four): a table for the byte-wise tail
// and, for the searches through many bytes at once, each byte repeated
// across a 64-bit word; the slots past the last stop repeat the first.
struct ScanStops
{
    bool stop[256] = {};
    uint64_t words[4] = {};
    uint32_t count = 0;
    constexpr explicit ScanStops(const char* bytes)
    {
        for (; *bytes != '\0' && count < 4; ++bytes)
        {
            const auto b = static_cast<unsigned char>(*bytes);
            stop[b] = true;
            words[count++] = 0x0101010101010101ull * b;
        }
        for (uint32_t k = count; k < 4; ++k)
            words[k] = words[0];
    }
};

// The bytes a scan takes: a table for the byte-wise scan and, for the scan
// sixteen bytes at a time, two tables of nibbles, each entry a set of
// classes: a byte is taken when the entries of its low and its high nibble
// share a class. A class is one pattern of low nibbles, shared by every
// high nibble whose row of the table has it; a set whose rows have more
// than eight patterns has no such form and is scanned a byte at a time.
struct ScanTakes
{
    bool take[256] = {};
    uint8_t low[16] = {};
    uint8_t high[16] = {};
    bool nibbles = false; // `low` and `high` describe the set
    template <class Takes> constexpr explicit ScanTakes(Takes takes)
    {
        for (int c = 0; c < 256; ++c)
            take[c] = takes(c);
        uint16_t patterns[8] = {};
        int count = 0;
        for (int h = 0; h < 16; ++h)
        {
            uint16_t row = 0;
            for (int l = 0; l < 16; ++l)
                row = static_cast<uint16_t>(row | (take[h * 16 + l] ? 1 << l : 0));
            if (row == 0)
                continue;
            int k = 0;
            while (k < count && patterns[k] != row)
                ++k;
            if (k == 8)
                return;
            if (k == count)
                patterns[count++] = row;
            high[h] = static_cast<uint8_t>(1 << k);
        }
        for (int k = 0; k < count; ++k)
            for (int l = 0; l < 16; ++l)
                if ((patterns[k] >> l & 1) != 0)
                    low[l] = static_cast<uint8_t>(low[l] | 1 << k);
        nibbles = true;
    }
};

class CReadWindow
{
public:
    explicit CReadWindow(Orvex::IStream* stream);
    CReadWindow(const CReadWindow&) = delete;
    CReadWindow& operator=(const CReadWindow&) = delete;

    // Next byte; false at the end of the input.
    bool Get(uint8_t& c)
    {
        if (m_pos == m_end && !Refill())
            return false;
        c = m_data[m_pos++];
        return true;
    }
    // Makes up to `n` bytes ahead available; returns how many are.
    uint32_t Ensure(uint32_t n)
    {
        if (m_end - m_pos < n)
            Refill(n);
        return m_end - m_pos < n ? m_end - m_pos : n;
    }
    // Byte `i` ahead of the position; only after Ensure(i + 1) covered it.
    uint8_t At(uint32_t i) const { return m_data[m_pos + i]; }
    // Whether the next bytes are exactly `lit` (ASCII); consumes nothing.
    bool LookingAt(const char* lit, uint32_t n)
    {
        if (Ensure(n) < n)
            return false;
        for (uint32_t i = 0; i < n; ++i)
            if (m_data[m_pos + i] != static_cast<uint8_t>(lit[i]))
                return false;
        return true;
    }
    void Skip(uint32_t n) { m_pos += n; } // only over bytes Ensure made available
    // Steps back over one consumed byte; up to kHistory step-backs in a row
    // are always possible.
    void Back1() { --m_pos; }
    bool AtEnd() { return m_pos == m_end && !Refill(); }

    // Appends bytes to `out` up to (not including) the first byte for which
    // stop[byte] is set, and returns that byte unconsumed; -1 at the end.
    int ScanUntil(const ScanStops& stops, TokenBytes& out);
    // Appends bytes to `out` while the set takes them; the first other byte
    // is consumed and returned, -1 at the end.
    int ScanWhile(const ScanTakes& takes, TokenBytes& out);

    // Bytes of input consumed so far.
    uint64_t Offset() const { return m_consumedBase + m_pos; }
    // Bytes of input read so far, consumed or not.
    uint64_t ReadEnd() const { return m_consumedBase + m_end; }
    // Takes the `n` bytes after those read, which another reader has read
    // and checked, as consumed: the window stands at the end of the input,
    // its line end noted, and the stream at its end.
    void JumpToEnd(const uint8_t* rest, size_t n);
    // Moves the stream back over what was read ahead but not consumed, so the
    // stream stands where the parser logically stopped.
    void GiveBack();
    // The first line end of the bytes read so far ("\n", "\r\n" or "\r"),
    // empty while none was seen; a 3-byte, terminated array.
    const char* LineEnd() const { return m_lineEnd; }

    // From now on, and for the bytes still in the window, a byte sequence
    // that is no character in code page `cp` (UTF-8 checked here, any other
    // page through the code-page layer), or a NUL byte, ends the input where
    // it stands; BadOffset then tells where, BadIsNul why.
    void CheckEncoding(unsigned cp);
    bool HasBad() const { return m_bad != UINT64_MAX; }
    // Reads a few bytes on, if need be, so that the check has judged the
    // character at input offset `offset` (which a read may have cut off).
    void CheckThrough(uint64_t offset);
    uint64_t BadOffset() const { return m_bad; }
    bool BadIsNul() const { return m_badNul; }

private:
    bool Refill(uint32_t want = 1);
    // ScanWhile a byte at a time, and sixteen bytes at a time for a set with
    // nibble tables: names and blanks are short and end unpredictably, and a
    // loop over bytes mispredicts their end nearly every time.
    int ScanWhileBytes(const ScanTakes& takes, TokenBytes& out);
    bool TakeRun(const uint8_t* p, const uint8_t* q, TokenBytes& out);
#if VELMAR_X86_SIMD
    __attribute__((target("ssse3"))) int ScanWhileBy16(const ScanTakes& takes, TokenBytes& out);
#endif
    // Looks for the first line end in the `n` bytes just read at `p`.
    void NoteLineEnd(const uint8_t* p, size_t n);
    // Checks the bytes from m_checked on, as far as whole characters go.
    void Check();
    // Index of the first bad byte in [from, to), or `to`; `to` is left at
    // the start of a character cut off by the end of what was read.
    uint32_t CheckUtf8(uint32_t from, uint32_t& to) const;
    uint32_t CheckCodePage(uint32_t from, uint32_t& to) const;

    static constexpr uint32_t kBlock = 256 * 1024;
    // Bytes kept past the end of what is read, so that a short token is
    // copied out sixteen bytes at a time.
    static constexpr uint32_t kSlack = 16;
    static constexpr uint32_t kHistory = 16;
    Orvex::IStream* m_stream;
    std::vector<uint8_t> m_data;
    uint32_t m_pos = 0;
    uint32_t m_end = 0;
    uint64_t m_consumedBase = 0; // input offset of m_data[0]
    bool m_eof = false;
    char m_lineEnd[3] = {};
    bool m_crLast = false;  // the line end so far is a CR that ended the bytes read
    unsigned m_checkCp = 0; // 0: bytes are not checked
    uint32_t m_checked = 0; // bytes before this index are checked
    uint64_t m_bad = UINT64_MAX;
    bool m_badNul = false;
};

inline int CReadWindow::ScanWhile(const ScanTakes& takes, TokenBytes& out)
{
#if VELMAR_X86_SIMD
    if (takes.nibbles && HasSsse3())
        return ScanWhileBy16(takes, out);
#endif
    return ScanWhileBytes(takes, out);
}

} // namespace nkDS
