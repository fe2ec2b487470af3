#include "velmar/io/DataLocator.h"

#include "velmar/io/Transfer.h"
#include "velmar/win32/Unicode.h"

#include <new>
#include <vector>

namespace Orvex
{

NK_DEFINE_CLASS(CDataLocator, ISerializable)

namespace
{

struct EscapeCode
{
    const wchar_t* text;
    uint32_t length;
    wchar_t ch;
};

constexpr EscapeCode kEscapes[] = {
    {L"&amp;", 5, L'&'},
    {L"&question;", 10, L'?'},
    {L"&equal;", 7, L'='},
};

// The escape that s[0..n) begins with, or null.
const EscapeCode* MatchEscape(const wchar_t* s, uint32_t n)
{
    for (const EscapeCode& e : kEscapes)
    {
        if (n < e.length)
            continue;
        uint32_t k = 0;
        while (k < e.length && s[k] == e.text[k])
            ++k;
        if (k == e.length)
            return &e;
    }
    return nullptr;
}

// Writes the unescaped s[0..n) to out (room for n) and returns its length;
// one pass from the left, so an escape's result never starts another.
uint32_t Unescape(const wchar_t* s, uint32_t n, wchar_t* out)
{
    uint32_t o = 0;
    for (uint32_t i = 0; i < n;)
    {
        if (s[i] == L'&')
        {
            if (const EscapeCode* e = MatchEscape(s + i, n - i))
            {
                out[o++] = e->ch;
                i += e->length;
                continue;
            }
        }
        out[o++] = s[i++];
    }
    return o;
}

// The escape text of `ch`, or null when it has none.
const EscapeCode* EscapeOf(wchar_t ch)
{
    for (const EscapeCode& e : kEscapes)
    {
        if (e.ch == ch)
            return &e;
    }
    return nullptr;
}

// Escapes s[0..n) into out (null: only measure) and returns the length. With
// `all`, every "&", "?" and "="; otherwise only an "&" that would be read as
// the start of an escape, which is all a step needs to read back the same.
uint64_t EscapeInto(const wchar_t* s, uint32_t n, bool all, wchar_t* out)
{
    uint64_t o = 0;
    for (uint32_t i = 0; i < n; ++i)
    {
        const EscapeCode* e = nullptr;
        if (all)
            e = EscapeOf(s[i]);
        else if (s[i] == L'&' && MatchEscape(s + i, n - i) != nullptr)
            e = &kEscapes[0];
        if (e == nullptr)
        {
            if (out)
                out[o] = s[i];
            ++o;
            continue;
        }
        if (out)
        {
            for (uint32_t k = 0; k < e->length; ++k)
                out[o + k] = e->text[k];
        }
        o += e->length;
    }
    return o;
}

uint32_t Length(const wchar_t* s, uint32_t maximum)
{
    uint32_t n = 0;
    while (n < maximum && s[n] != L'\0')
        ++n;
    return n;
}

// Calls visit(start, length) for every non-empty step of `text`, which ends
// in "/"; stops at the end or at a "/" directly after a "/".
template <class Visit> void ForEachStep(const wchar_t* text, uint32_t length, Visit visit)
{
    uint32_t pos = 0;
    while (pos < length)
    {
        uint32_t end = pos;
        while (end < length && text[end] != L'/')
            ++end;
        if (end > pos)
            visit(pos, end - pos);
        pos = end + 1;
        if (pos < length && text[pos] == L'/')
            break;
    }
}

// Units of the stream form.
constexpr uint32_t kReplacement = unicode::kReplacementCharacter;
constexpr uint32_t kBlock = 4096;
// The most characters a string can hold, with room to spare for a "/".
constexpr uint32_t kMaxChars = 0xFFFFFFE0u / sizeof(wchar_t) - 32;

// Collects bytes for the writer and hands them over in blocks.
class CUnitWriter
{
public:
    explicit CUnitWriter(IStream* stream) : m_stream(stream) {}

    void Put(uint32_t unit)
    {
        if (m_used + 2 > kBlock)
            Flush();
        m_block[m_used++] = static_cast<uint8_t>(unit & 0xFF);
        m_block[m_used++] = static_cast<uint8_t>(unit >> 8);
    }
    bool Flush()
    {
        if (m_used != 0 && !WriteExactly(m_stream, m_block, m_used))
            m_ok = false;
        m_used = 0;
        return m_ok;
    }

private:
    IStream* m_stream;
    uint8_t m_block[kBlock];
    uint32_t m_used = 0;
    bool m_ok = true;
};

// Decodes UTF-16LE bytes as they arrive into wide characters.
class CUnitReader
{
public:
    void Feed(const uint8_t* bytes, uint32_t n)
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            if (!m_haveLow)
            {
                m_low = bytes[i];
                m_haveLow = true;
                continue;
            }
            m_haveLow = false;
            Unit(m_low | (uint32_t{bytes[i]} << 8));
        }
    }
    // Ends the text: a trailing odd byte is dropped, a lone high surrogate
    // becomes U+FFFD.
    std::vector<wchar_t>& Finish()
    {
        if (m_high != 0)
            Push(kReplacement);
        m_high = 0;
        return m_text;
    }

private:
    // Both widths keep only whole pairs, so a lone half reads as U+FFFD
    // whatever the width of wchar_t.
    void Unit(uint32_t u)
    {
        if (m_high != 0)
        {
            if (unicode::IsLowSurrogate(u))
            {
                if constexpr (sizeof(wchar_t) == 2)
                {
                    Push(m_high);
                    Push(u);
                }
                else
                {
                    Push(unicode::JoinSurrogates(m_high, u));
                }
                m_high = 0;
                return;
            }
            Push(kReplacement);
            m_high = 0;
        }
        if (unicode::IsHighSurrogate(u))
            m_high = u;
        else if (unicode::IsLowSurrogate(u))
            Push(kReplacement);
        else
            Push(u);
    }
    void Push(uint32_t c) { m_text.push_back(static_cast<wchar_t>(c)); }

    std::vector<wchar_t> m_text;
    uint32_t m_high = 0;
    uint8_t m_low = 0;
    bool m_haveLow = false;
};

} // namespace

CDataLocator::CDataLocator(const wchar_t* text)
{
    Parse(text);
}

CDataLocator::CDataLocator(const char* text)
{
    Parse(text);
}

CDataLocator::CDataLocator(const CDataLocator& src) = default;
CDataLocator& CDataLocator::operator=(const CDataLocator& src) = default;

void CDataLocator::Clear()
{
    m_cells.RemoveAll();
    m_strRemainder.Empty();
    m_strNames.Empty();
    m_strText.Empty();
}

bool CDataLocator::Parse(const wchar_t* text)
{
    return Parse(text, text != nullptr ? kMaxChars : 0);
}

bool CDataLocator::Parse(const char* text)
{
    nkMem::CStringW wide;
    if (!nkMem::IsNullOrEmpty(text))
        wide.Assign(text);
    return Parse(wide.GetString(), wide.GetLength());
}

bool CDataLocator::Parse(const wchar_t* text, uint32_t length)
{
    const uint32_t n = text != nullptr ? Length(text, length < kMaxChars ? length : kMaxChars) : 0;
    if (n == 0)
    {
        Clear();
        return true;
    }

    // Everything is built aside and put in place at the end: `text` may be
    // one of our own strings.
    nkMem::CStringW fullText;
    const bool addSlash = text[n - 1] != L'/';
    wchar_t* p = fullText.GetBuffer(n + 1);
    nkMem::MemCopy(p, text, n * sizeof(wchar_t));
    if (addSlash)
        p[n] = L'/';
    fullText.ReleaseBuffer(n + (addSlash ? 1 : 0));
    const wchar_t* t = fullText.GetString();
    const uint32_t tl = fullText.GetLength();

    nkMem::CStringW remainder;
    for (uint32_t i = 0; i + 1 < n; ++i)
    {
        if (text[i] == L'/' && text[i + 1] == L'/')
        {
            remainder.Assign(text + i + 2, n - i - 2);
            break;
        }
    }

    // Count first and size the list once: it grows exactly, so adding the
    // cells one by one would copy it once per cell.
    uint32_t count = 0;
    uint32_t longest = 0;
    ForEachStep(t, tl,
                [&](uint32_t, uint32_t len)
                {
                    ++count;
                    if (len > longest)
                        longest = len;
                });
    nkMem::CList<CDataLocatorCell> cells;
    cells.SetSize(count, false);
    std::vector<wchar_t> scratch(longest);
    uint32_t k = 0;
    ForEachStep(t, tl,
                [&](uint32_t start, uint32_t len)
                {
                    const uint32_t plain = Unescape(t + start, len, scratch.data());
                    cells.GetAtForWrite(k++) = CDataLocatorCell(scratch.data(), plain);
                });

    m_cells.SwapWith(cells);
    m_strRemainder.Swap(remainder);
    m_strText.Swap(fullText);
    BuildNames();
    return true;
}

void CDataLocator::BuildNames()
{
    const uint32_t count = m_cells.GetCount();
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i)
        total += m_cells[i].GetNameLength() + 1;
    if (total == 0 || total > kMaxChars)
    {
        m_strNames.Empty();
        return;
    }
    nkMem::CStringW names;
    wchar_t* p = names.GetBuffer(static_cast<uint32_t>(total));
    uint32_t o = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        const uint32_t len = m_cells[i].GetNameLength();
        nkMem::MemCopy(p + o, m_cells[i].GetName(), len * sizeof(wchar_t));
        o += len;
        p[o++] = L'/';
    }
    names.ReleaseBuffer(o);
    m_strNames.Swap(names);
}

void CDataLocator::BuildText()
{
    const uint32_t count = m_cells.GetCount();
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        const CDataLocatorCell& c = m_cells[i];
        total += EscapeInto(c.GetSegment(), c.GetSegmentLength(), false, nullptr) + 1;
    }
    if (total == 0 || total > kMaxChars)
    {
        m_strText.Empty();
        return;
    }
    nkMem::CStringW text;
    wchar_t* p = text.GetBuffer(static_cast<uint32_t>(total));
    uint32_t o = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        const CDataLocatorCell& c = m_cells[i];
        o += static_cast<uint32_t>(EscapeInto(c.GetSegment(), c.GetSegmentLength(), false, p + o));
        p[o++] = L'/';
    }
    text.ReleaseBuffer(o);
    m_strText.Swap(text);
}

const wchar_t* CDataLocator::GetName(uint32_t i, bool bSegment) const
{
    const CDataLocatorCell* c = GetCell(i);
    if (c == nullptr)
        return nullptr;
    return bSegment ? c->GetSegment() : c->GetName();
}

uint32_t CDataLocator::GetKind(uint32_t i) const
{
    const CDataLocatorCell* c = GetCell(i);
    return c != nullptr ? c->GetKind() : CDataLocatorCell::kKindNone;
}

int32_t CDataLocator::GetIndex(uint32_t i) const
{
    const CDataLocatorCell* c = GetCell(i);
    return c != nullptr ? c->GetIndex() : -1;
}

const wchar_t* CDataLocator::GetParamName(uint32_t i) const
{
    const CDataLocatorCell* c = GetCell(i);
    return c != nullptr ? c->GetParamName() : nullptr;
}

const wchar_t* CDataLocator::GetParamValue(uint32_t i) const
{
    const CDataLocatorCell* c = GetCell(i);
    return c != nullptr ? c->GetParamValue() : nullptr;
}

bool CDataLocator::RemoveCell(uint32_t i)
{
    if (m_cells.RemoveAt(i) == 0)
        return false;
    BuildNames();
    BuildText();
    return true;
}

const wchar_t* CDataLocator::GetText(bool bFull) const
{
    const wchar_t* p = bFull ? m_strText.GetString() : m_strNames.GetString();
    return p != nullptr ? p : L"";
}

const wchar_t* CDataLocator::GetRemainder() const
{
    const wchar_t* p = m_strRemainder.GetString();
    return p != nullptr ? p : L"";
}

bool CDataLocator::Write(IStream* stream)
{
    if (stream == nullptr)
        return false;
    CUnitWriter out(stream);
    const wchar_t* s = m_strText.GetString();
    const uint32_t n = m_strText.GetLength();
    for (uint32_t i = 0; i < n; ++i)
    {
        uint32_t c = static_cast<uint32_t>(s[i]);
        if constexpr (sizeof(wchar_t) == 2)
        {
            // A 16-bit text holds its pairs already; a lone half is no
            // character and goes out as U+FFFD, as in the 32-bit form.
            const uint32_t next = i + 1 < n ? static_cast<uint32_t>(s[i + 1]) : 0;
            if (unicode::IsHighSurrogate(c) && unicode::IsLowSurrogate(next))
            {
                out.Put(c);
                out.Put(next);
                ++i;
            }
            else
            {
                out.Put(unicode::IsSurrogate(c) ? kReplacement : c);
            }
            continue;
        }
        // A 32-bit unit that is no character (a lone surrogate half, or past
        // the last plane) cannot be told apart once encoded: write U+FFFD.
        if (!unicode::IsScalarValue(c))
            c = kReplacement;
        if (unicode::NeedsSurrogatePair(c))
        {
            out.Put(unicode::HighSurrogateOf(c));
            out.Put(unicode::LowSurrogateOf(c));
        }
        else
        {
            out.Put(c);
        }
    }
    return out.Flush();
}

bool CDataLocator::Read(IStream* stream)
{
    if (stream == nullptr)
        return false;
    const uint32_t remaining = stream->GetRemaining();
    if (remaining == 0 || remaining / 2 > kMaxChars)
        return false;

    // The length is only a claim: memory follows the bytes that really
    // arrive, block by block, and a read of 0 ends a short stream at once.
    CUnitReader decoder;
    uint8_t block[kBlock];
    uint32_t got = 0;
    while (got < remaining)
    {
        const uint32_t want = remaining - got < kBlock ? remaining - got : kBlock;
        const uint32_t n = stream->Read(block, want);
        if (n == 0 || n > want)
            return false;
        decoder.Feed(block, n);
        got += n;
    }
    std::vector<wchar_t>& text = decoder.Finish();
    if (text.empty())
        return false;
    return Parse(text.data(), static_cast<uint32_t>(text.size()));
}

nkMem::CStringW CDataLocator::Escape(const wchar_t* text)
{
    nkMem::CStringW out;
    if (text == nullptr)
        return out;
    const uint32_t n = Length(text, kMaxChars);
    const uint64_t measured = EscapeInto(text, n, true, nullptr);
    if (measured == 0)
        return out;
    if (measured > kMaxChars)
        throw std::bad_alloc();
    const uint32_t total = static_cast<uint32_t>(measured);
    wchar_t* p = out.GetBuffer(total);
    EscapeInto(text, n, true, p);
    out.ReleaseBuffer(total);
    return out;
}

} // namespace Orvex
