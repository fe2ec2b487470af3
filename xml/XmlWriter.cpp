#include "velmar/xml/XmlWriter.h"
#include "OrderedOutput.h"
#include "Utf8Text.h"

#include "velmar/xml/XmlChars.h"

#include "velmar/win32/Unicode.h"
#include "velmar/win32/win32.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace nkDS
{
namespace
{

constexpr unsigned kUtf8 = 65001;
constexpr unsigned kGb18030 = 54936;

template <class C> size_t Length(const nkMem::CStringT<C>& s)
{
    return s.GetLength();
}

template <class C> const C* Chars(const nkMem::CStringT<C>& s)
{
    return s.GetSafeString();
}

// s[0..n) in code page `cp` into out[0..cap) (null: counted only); `missing`
// tells whether a character has no bytes in the page. 0 when it fails.
int Encode(unsigned cp, const wchar_t* s, size_t n, char* out, size_t cap, bool& missing)
{
    const bool complete = cp == kUtf8 || cp == kGb18030;
    BOOL usedDefault = FALSE;
    // Without this flag Windows writes a look-alike ("c" for "ç") and does
    // not report it as a default character; a few pages refuse any flag.
    int got =
        WideCharToMultiByte(cp, complete ? 0 : WC_NO_BEST_FIT_CHARS, s, static_cast<int>(n), out,
                            static_cast<int>(cap), nullptr, complete ? nullptr : &usedDefault);
    if (got == 0 && !complete && GetLastError() == ERROR_INVALID_FLAGS)
        got = WideCharToMultiByte(cp, 0, s, static_cast<int>(n), out, static_cast<int>(cap),
                                  nullptr, &usedDefault);
    missing = usedDefault != FALSE;
    return got;
}

// Whether the text is empty or only white space, which layout may replace.
template <class C> bool OnlyBlanks(const nkMem::CStringT<C>& text)
{
    const C* s = text.GetSafeString();
    for (size_t i = 0, n = text.GetLength(); i < n; ++i)
        if (s[i] != C(' ') && s[i] != C('\t') && s[i] != C('\r') && s[i] != C('\n'))
            return false;
    return true;
}

constexpr const char* kShortWrite = "the stream took less than was written";

} // namespace

CXmlWriter::CXmlWriter()
{
    m_split.enabled = TwoCores();
}

CXmlWriter::~CXmlWriter()
{
    Settle();
}

void CXmlWriter::Begin(Orvex::IStream* target)
{
    Settle();
    m_pTarget = target;
    m_len = 0;
    if (m_cap < kBlock)
    {
        m_buf = nkMem::AllocPageBuffer(kBlock);
        m_cap = kBlock;
    }
    m_ok = target != nullptr;
    m_pszError = m_ok ? nullptr : "no stream to write to";
    m_bXml10 = false;
    m_nForm = xbfBytes;
    std::memcpy(m_szEol, "\r\n", 3);
    m_nEol = 2;
    m_nInline = 0;
    m_nSplits = 0;
    m_part = 0;
}

void CXmlWriter::SetXml10(const char* lineEnd, XmlByteForm form)
{
    m_bXml10 = true;
    m_nForm = form;
    const size_t n = lineEnd != nullptr ? std::strlen(lineEnd) : 0;
    if (n == 0 || n >= sizeof m_szEol)
        return; // none read: CR LF, as for a new document
    std::memcpy(m_szEol, lineEnd, n + 1);
    m_nEol = n;
}

void CXmlWriter::MakeRoom(size_t n)
{
    Hand();
    if (m_cap < n)
    {
        // One piece larger than the block (a huge value) gets a buffer of
        // its size; it is written out as a whole.
        const size_t size = n > kBlock ? n : kBlock;
        m_buf.reset();
        m_cap = 0;
        m_buf = nkMem::AllocPageBuffer(size);
        m_cap = size;
    }
}

COrderedOutput& CXmlWriter::Output()
{
    if (m_pOut == nullptr)
    {
        // The system's copy of a block into the file takes about a tenth of
        // a save, and waits far longer when the system holds back writers
        // of dirty pages; a thread of its own does it while the next block
        // is filled. One block waits at a time, outside a split.
        m_behind = std::make_unique<COrderedOutput>(m_pTarget, m_nForm, kBlock);
        m_behind->Start(); // without a thread, blocks are written as handed on
        m_pOut = m_behind.get();
    }
    return *m_pOut;
}

void CXmlWriter::Hand()
{
    if (m_len == 0)
        return;
    if (!m_ok)
    {
        m_len = 0;
        return;
    }
    COrderedOutput::Block block{std::move(m_buf), m_cap, m_len}, fresh;
    m_cap = 0;
    m_len = 0;
    // A failure that stopped the output is reported where it happened.
    if (Output().Push(m_part, std::move(block), fresh) == COrderedOutput::Pushed::kWriteFailed)
        Fail(kShortWrite);
    // A block written before comes back to be filled next (none at first:
    // MakeRoom makes one).
    m_buf = std::move(fresh.data);
    m_cap = fresh.cap;
}

void CXmlWriter::WriteNow()
{
    if (m_len != 0 && m_ok && !WriteBlock(m_pTarget, m_nForm, m_buf.get(), m_len, m_utf16))
        Fail(kShortWrite);
    m_len = 0;
}

void CXmlWriter::Settle()
{
    if (!m_behind)
        return;
    const bool ok = m_behind->Finish();
    m_behind.reset();
    m_pOut = nullptr;
    if (!ok)
        Fail(kShortWrite);
}

bool CXmlWriter::End()
{
    // The last block follows the others when some went behind.
    if (m_behind)
        Hand();
    Settle();
    WriteNow();
    m_pTarget = nullptr;
    if (m_cap > kBlock)
    {
        // Keep no huge buffer around after a document with a huge value.
        m_buf.reset();
        m_cap = 0;
    }
    return m_ok;
}

void CXmlWriter::Indent(uint32_t depth)
{
    if (m_nInline != 0)
        return;
    // Nearly every indentation fits one fixed-size copy of spaces, which
    // the length then cuts.
    static constexpr char kSpaces[33] = "                                ";
    constexpr uint32_t kFixed = sizeof kSpaces - 1;
    static_assert(kSpaces[kFixed - 1] == ' ', "spaces up to the terminator");
    if (depth <= kFixed)
        std::memcpy(Room(kFixed), kSpaces, kFixed);
    else
        std::memset(Room(depth), ' ', depth);
    m_len += depth;
}

void CXmlWriter::LineEnd()
{
    if (m_nInline != 0)
        return;
    // The whole terminated array, in one fixed-size copy.
    std::memcpy(Room(sizeof m_szEol), m_szEol, sizeof m_szEol);
    m_len += m_nEol;
}

void CXmlWriter::Escaped(const char* s, size_t n, int escape)
{
    if (escape == 0)
    {
        Put(s, n);
        return;
    }
    size_t run = 0;
    for (size_t i = 0; i < n; ++i)
    {
        const char c = s[i];
        const char* rep = nullptr;
        // An "&" that begins a reference is written unchanged, so that what
        // the parser kept verbatim comes back the same.
        if (c == '&' && ReferenceLength<char>(s + i, n - i) == 0)
            rep = "&amp;";
        else if (escape >= 2 && c == '<')
            rep = "&lt;";
        else if (c == '>' && (escape == 2 || (escape == 3 && ClosesCData(s, i))))
            rep = "&gt;";
        else if (escape == 5 && c == '"')
            rep = "&quot;";
        if (rep == nullptr)
            continue;
        Put(s + run, i - run);
        Put(rep, std::char_traits<char>::length(rep));
        run = i + 1;
    }
    Put(s + run, n - run);
}

void CXmlWriter::Text(const char* s, size_t n, unsigned, int escape)
{
    Escaped(s, n, escape);
}

size_t CXmlWriter::Utf8Text(const wchar_t* s, size_t n, int escape)
{
    // Pieces of bounded size, so that the room asked for stays small.
    constexpr size_t kPiece = 1 << 14;
    size_t i = 0;
    while (i < n)
    {
        const size_t end = n - i > kPiece ? i + kPiece : n;
        size_t wrote = 0;
        const size_t reached =
            EncodeUtf8Text(s, n, i, end, escape, Room(Utf8TextRoom(end - i)), wrote);
        m_len += wrote;
        if (reached < end)
            return reached;
        i = end;
    }
    return i;
}

size_t CXmlWriter::ShortUtf8Text(const wchar_t* s, size_t n, int escape)
{
    // Text() used what this slot holds when it could.
    if (!m_short)
        m_short.reset(new ShortText[kShortSlots]());
    ShortText& slot = m_short[ShortSlot(s, escape)];
    // Room first (as much as Utf8Text asks), so that the text's bytes stay
    // where they are written.
    Room(Utf8TextRoom(n));
    const size_t start = m_len;
    const size_t done = Utf8Text(s, n, escape);
    const size_t size = m_len - start;
    if (done == n && size <= sizeof slot.bytes)
    {
        slot.text = s;
        slot.chars = static_cast<uint8_t>(n);
        slot.escape = static_cast<uint8_t>(escape);
        slot.size = static_cast<uint8_t>(size);
        slot.round = m_round;
        std::memcpy(slot.bytes, m_buf.get() + start, size);
    }
    return done;
}

void CXmlWriter::AnyText(const wchar_t* s, size_t n, unsigned cp, int escape)
{
    if (n == 0)
        return;
    if (cp == 0)
        cp = GetACP();
    if (cp == kUtf8)
    {
        // Encoding is context-free up to a surrogate or an out-of-range value,
        // and no reference spans one, so the rest is written as a piece of
        // its own by the general path.
        const size_t done = n <= kShortChars ? ShortUtf8Text(s, n, escape) : Utf8Text(s, n, escape);
        if (done == n)
            return;
        s += done;
        n -= done;
    }
    PageText(s, n, cp, escape);
}

void CXmlWriter::PageText(const wchar_t* s, size_t n, unsigned cp, int escape)
{
    // Four bytes per character cover every code page we write.
    m_conv.resize(n * 4 + 4);
    bool missing = false;
    const int got = Encode(cp, s, n, m_conv.data(), m_conv.size(), missing);
    if (got > 0 && !missing)
    {
        Escaped(m_conv.data(), static_cast<size_t>(got), escape);
        return;
    }
    // Some character has no bytes in this code page: write each such one as
    // a character reference rather than lose it to a default character.
    std::string bytes;
    char one[16];
    for (size_t i = 0; i < n; ++i)
    {
        // A surrogate pair of a 16-bit wchar_t is one character.
        unsigned code = static_cast<unsigned>(s[i]);
        size_t units = 1;
        if (sizeof(wchar_t) == 2 && unicode::IsHighSurrogate(code) && i + 1 < n &&
            unicode::IsLowSurrogate(static_cast<unsigned>(s[i + 1])))
        {
            code = unicode::JoinSurrogates(code, static_cast<unsigned>(s[i + 1]));
            units = 2;
        }
        const int k = Encode(cp, s + i, units, one, sizeof one, missing);
        if (k > 0 && !missing)
            bytes.append(one, static_cast<size_t>(k));
        else
        {
            const int r = std::snprintf(one, sizeof one, "&#x%X;", code);
            bytes.append(one, static_cast<size_t>(r));
        }
        i += units - 1;
    }
    Escaped(bytes.data(), bytes.size(), escape);
}

bool CXmlWriter::Representable(const wchar_t* s, size_t n, unsigned cp)
{
    if (cp == 0)
        cp = GetACP();
    if (n == 0 || cp == kUtf8 || cp == kGb18030)
        return true;
    bool missing = false;
    return Encode(cp, s, n, nullptr, 0, missing) > 0 && !missing;
}

void CXmlWriter::Refuse(const char* why)
{
    if (m_ok)
    {
        m_strError = why;
        m_pszError = m_strError.c_str();
    }
    m_ok = false;
}

void CXmlWriter::Fail(const char* literal)
{
    if (m_ok)
        m_pszError = literal;
    m_ok = false;
}

template <class C> void CXmlWriter::Name(const nkMem::CStringT<C>& name, unsigned cp)
{
    // A reference is no part of a name: in XML 1.0 mode, whose names may
    // hold any letter, one the encoding lacks fails the output.
    if (m_bXml10 && !Representable(Chars(name), Length(name), cp))
        return Refuse("a name holds a character that the encoding cannot represent");
    Text(Chars(name), Length(name), cp, 0);
}

template <class C>
void CXmlWriter::Verbatim(const nkMem::CStringT<C>& text, unsigned cp, const char* what)
{
    if (!Representable(Chars(text), Length(text), cp))
        return Refuse(what);
    Text(Chars(text), Length(text), cp, 0);
}

template <class C> void CXmlWriter::Params(const CXmlNodeT<C>* node, unsigned cp)
{
    const uint32_t count = node->GetParamCount();
    if (count == 0)
        return;
    const nkMem::CStrTList<C>& names = node->ParamNames();
    const nkMem::CStrTList<C>& values = node->ParamValues();
    for (uint32_t i = 0; i < count; ++i)
    {
        // Up to the first zero character, as the parameter reads back.
        const C* name = Chars(names.GetAt(i));
        const C* value = Chars(values.GetAt(i));
        const size_t nameLen = std::char_traits<C>::length(name);
        const size_t valueLen = std::char_traits<C>::length(value);
        const bool dq = m_bXml10 && std::char_traits<C>::find(value, valueLen, C('\'')) != nullptr;
        Put(nameLen == 0 ? " " : "  ", nameLen == 0 ? 1 : 2);
        if (m_bXml10 && !Representable(name, nameLen, cp))
            Refuse("a name holds a character that the encoding cannot represent");
        Text(name, nameLen, cp, 0);
        Put(dq ? "=\"" : "='", 2);
        Text(value, valueLen, cp, !m_bXml10 ? 1 : dq ? 5 : 4);
        Put(dq ? '"' : '\'');
    }
}

// Writes a node up to its children: the whole node when it has none.
template <class C>
void CXmlWriter::Value(const CXmlNodeT<C>* node, unsigned cp, int textEscape, bool dropped)
{
    const C* text = Chars(node->m_strValue);
    const size_t n = dropped ? 0 : Length(node->m_strValue);
    if (node->IsCData() && Representable(text, n, cp))
    {
        Put("<![CDATA[", 9);
        Text(text, n, cp, 0);
        Put("]]>", 3);
    }
    else
    {
        Text(text, n, cp, textEscape);
    }
}

template <class C> void CXmlWriter::Open(CXmlNodeT<C>* node, uint32_t depth, unsigned cp)
{
    const int textEscape = m_bXml10 ? 3 : 2;
    switch (node->GetKind())
    {
    case xnkHeader:
        Put("<?", 2);
        Name(node->m_strName, cp);
        Params(node, cp);
        // An instruction read in XML 1.0 mode may carry free text.
        if (!node->m_strValue.IsEmpty())
        {
            Put(' ');
            Verbatim(node->m_strValue, cp,
                     "a processing instruction holds a character that the encoding cannot "
                     "represent");
        }
        Put("?>", 2);
        LineEnd();
        return;
    case xnkRemark:
        // A reference in a remark would be read back as literal text.
        if (!Representable(Chars(node->m_strValue), Length(node->m_strValue), cp))
            return Refuse("a remark holds a character that the encoding cannot represent");
        Indent(depth);
        Put("<!--", 4);
        Text(Chars(node->m_strValue), Length(node->m_strValue), cp, 0);
        Put("-->", 3);
        LineEnd();
        return;
    case xnkDocType:
        Indent(depth);
        Verbatim(node->m_strValue, cp,
                 "the document type holds a character that the encoding cannot represent");
        LineEnd();
        return;
    case xnkText:
        // Only ever inside an element written on one line.
        Value(node, cp, textEscape);
        return;
    case xnkData:
        break;
    default:
        return;
    }
    Indent(depth);
    Put('<');
    Name(node->m_strName, cp);
    Params(node, cp);
    const uint32_t childCount = node->GetChildCount();
    const bool hasChildren = childCount > 0;
    if (!hasChildren && node->m_strValue.IsEmpty())
    {
        Put("/>", 2);
        LineEnd();
        return;
    }
    // A node with children keeps no text of its own once written, except in
    // XML 1.0 mode, which loses nothing: there the text beside remarks or
    // instructions goes first, on the one line of mixed content.
    // Dropped rather than emptied in place: a value shared with other nodes
    // would first be copied only to be cleared.
    const bool keepValue = m_bXml10 && hasChildren && !OnlyBlanks(node->m_strValue);
    const bool drop = hasChildren && !keepValue && !node->m_strValue.IsEmpty();
    if (drop && m_bSecond)
        Take(node->m_strValue);
    else if (drop)
    {
        nkMem::CStringT<C> none;
        node->m_strValue.Swap(none);
    }
    Put('>');
    Value(node, cp, textEscape, drop);
    if (hasChildren)
    {
        // Mixed content goes on one line as it stands: indentation between
        // its pieces would become part of its text.
        bool mixed = keepValue;
        for (uint32_t i = 0; i < childCount && !mixed; ++i)
        {
            // A long run of children is read faster asked for ahead.
            if (i + 16 < childCount)
                __builtin_prefetch(node->GetChild(i + 16));
            const CXmlNodeT<C>* child = node->GetChild(i);
            mixed = child != nullptr && child->GetKind() == xnkText;
        }
        if (mixed)
            ++m_nInline;
        else
            LineEnd();
        return;
    }
    Put("</", 2);
    Name(node->m_strName, cp);
    Put('>');
    LineEnd();
}

template <class C> void CXmlWriter::WriteNode(CXmlNodeT<C>* node, uint32_t depth, unsigned cp)
{
    // The tree may have changed since the last node written: no text kept
    // from then is used.
    ++m_round;
    std::vector<Step<C>> stack;
    if (Enter(node, depth, cp, stack))
        Walk(stack, depth + 1, cp);
}

template <class C>
bool CXmlWriter::Enter(CXmlNodeT<C>* node, uint32_t depth, unsigned cp, std::vector<Step<C>>& stack)
{
    const uint32_t before = m_nInline;
    Open(node, depth, cp);
    const uint32_t count = node->GetChildCount();
    if (node->GetKind() != xnkData || count == 0)
        return false;
    stack.push_back({node, 0, count, m_nInline != before, false});
    return true;
}

template <class C> void CXmlWriter::Walk(std::vector<Step<C>>& stack, uint32_t first, unsigned cp)
{
    // Depth-first with an explicit stack: a tree of any depth is written
    // without deep recursion.
    std::vector<uint32_t> bounds;
    while (!stack.empty())
    {
        Step<C>& top = stack.back();
        const uint32_t depth = first + static_cast<uint32_t>(stack.size()) - 1; // of its children
        if (top.next == 0 && !top.range && top.end >= m_split.minChildren &&
            Segments(top.node, cp, bounds))
        {
            WriteSplit(top.node, depth, cp, bounds);
            top.next = top.end;
        }
        if (top.next < top.end)
        {
            CXmlNodeT<C>* child = top.node->GetChild(top.next++);
            if (child != nullptr)
                Enter(child, depth, cp, stack);
            continue;
        }
        const Step<C> done = top;
        stack.pop_back();
        if (done.range)
            continue; // the node itself is written by others
        Indent(depth - 1);
        Put("</", 2);
        Name(done.node->m_strName, cp);
        Put('>');
        if (done.inlined)
            --m_nInline;
        LineEnd();
    }
}

template <class C>
void CXmlWriter::WriteChildren(CXmlNodeT<C>* node, uint32_t from, uint32_t to, uint32_t depth,
                               unsigned cp, std::vector<Step<C>>& stack)
{
    stack.push_back({node, from, to, false, true});
    Walk(stack, depth, cp);
}

template void CXmlWriter::WriteNode<char>(CXmlNodeT<char>*, uint32_t, unsigned);
template void CXmlWriter::WriteNode<wchar_t>(CXmlNodeT<wchar_t>*, uint32_t, unsigned);
template void CXmlWriter::WriteChildren<char>(CXmlNodeT<char>*, uint32_t, uint32_t, uint32_t,
                                              unsigned, std::vector<Step<char>>&);
template void CXmlWriter::WriteChildren<wchar_t>(CXmlNodeT<wchar_t>*, uint32_t, uint32_t, uint32_t,
                                                 unsigned, std::vector<Step<wchar_t>>&);

} // namespace nkDS
