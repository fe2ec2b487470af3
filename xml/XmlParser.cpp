#include "velmar/xml/XmlParser.h"

#include "ParseSplit.h"
#include "ReadWindow.h"
#include "Utf8Decode.h"
#include "velmar/xml/XmlEncoding.h"
#include "velmar/foundation/BulkPool.h"
#include "velmar/io/MemStream.h"
#include "velmar/win32/Unicode.h"
#include "velmar/win32/win32.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace nkDS
{
namespace
{

constexpr ScanStops kTextStops("<>");
constexpr ScanStops kDashStop("-");
constexpr ScanStops kBracketStop("]");
constexpr ScanStops kValueStops("'\"<");
constexpr ScanStops kQuestionStop("?");
constexpr ScanStops kDocTypeStops("['\">");
constexpr ScanStops kSubsetStops("]'\"<");
constexpr ScanStops kDoubleQuoteStop("\"");
constexpr ScanStops kSingleQuoteStop("'");

// The bytes a name is read over; in XML 1.0 mode also the colon and every
// byte of a multi-byte character, which the name rule then judges whole.
constexpr ScanTakes kNameBytes([](int c) { return IsXmlNameChar(static_cast<char>(c)); });
constexpr ScanTakes
    kNameBytes10([](int c)
                 { return IsXmlNameChar(static_cast<char>(c)) || c == ':' || c >= 0x80; });
static_assert(kNameBytes.nibbles && kNameBytes10.nibbles, "names are scanned by nibbles");

constexpr ScanTakes kSpaceBytes([](int c)
                                { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });

constexpr bool IsXmlSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsAllSpace(const char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (!IsXmlSpace(static_cast<unsigned char>(p[i])))
            return false;
    return true;
}

// Whether `n` bytes at `p` hold only ASCII.
bool IsAscii(const char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
}

// Stores narrow text into a string of either width: bytes as they are for
// narrow nodes, converted with the document's code page for wide ones.
void Store(nkMem::CStringT<char>& out, const char* s, size_t n, unsigned)
{
    out.Assign(s, static_cast<uint32_t>(n));
}

// Bytes of the ASCII run that `p` begins with, a word at a time.
size_t AsciiPrefix(const unsigned char* p, size_t n)
{
    size_t i = 0;
    while (n - i >= 8)
    {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        if ((w & 0x8080808080808080ull) != 0)
            break;
        i += 8;
    }
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}

// Characters in well-formed UTF-8 (no overlong forms, surrogates or values
// beyond Unicode), or SIZE_MAX when the code-page layer must decide.
size_t Utf8Length(const unsigned char* p, size_t n)
{
    size_t chars = 0;
    for (size_t i = 0; i < n;)
    {
        const size_t run = AsciiPrefix(p + i, n - i);
        i += run;
        chars += run;
        if (i == n)
            break;
        const unicode::Utf8Decoded d = DecodeUtf8Fast(p + i, n - i);
        if (!d.valid)
            return SIZE_MAX;
        // Beyond the first plane a 16-bit wchar_t takes a surrogate pair.
        chars += sizeof(wchar_t) == 2 && unicode::NeedsSurrogatePair(d.codePoint) ? 2 : 1;
        i += d.length;
    }
    return chars;
}

constexpr unsigned kCodePageUtf8 = 65001;

// A plain loop the compiler widens many bytes at a time.
void WidenAscii(wchar_t* w, const unsigned char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        w[i] = static_cast<wchar_t>(p[i]);
}

// Texts up to this many bytes are decoded once into a buffer on the stack
// and copied at their size; longer ones are counted first and decoded in
// place.
constexpr size_t kStackDecode = 256;

// The kUtf8DecodePad bytes after s[n - 1] are zero.
void Store(nkMem::CStringT<wchar_t>& out, const char* s, size_t n, unsigned cp)
{
    if (n == 0)
    {
        out.Empty();
        return;
    }
    // UTF-8 into a string not yet allocated: decoded here, without the
    // code-page layer's intermediate work, into a string allocated at its
    // size.
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    const bool direct = cp == kCodePageUtf8 && out.GetString() == nullptr && n < 0x7FFFFFFF;
    if (direct && n <= kStackDecode)
    {
        wchar_t units[Utf8UnitsRoom(kStackDecode)];
        const size_t got = DecodeUtf8Units(p, n, units);
        wchar_t* w = got != SIZE_MAX ? out.GetBufferSetLength(static_cast<uint32_t>(got)) : nullptr;
        if (w != nullptr)
            std::memcpy(w, units, got * sizeof(wchar_t));
        else
            out.AssignCP(s, static_cast<uint32_t>(n), cp);
        return;
    }
    // An all-ASCII text, the common case, is only widened.
    const size_t ascii = direct ? AsciiPrefix(p, n) : 0;
    const size_t rest = direct && ascii < n ? Utf8Length(p + ascii, n - ascii) : 0;
    wchar_t* w = direct && rest != SIZE_MAX
                     ? out.GetBufferSetLength(static_cast<uint32_t>(ascii + rest))
                     : nullptr;
    if (w == nullptr)
    {
        out.AssignCP(s, static_cast<uint32_t>(n), cp);
        return;
    }
    WidenAscii(w, p, ascii);
    // Valid: Utf8Length has checked every sequence.
    const size_t o = ascii + DecodeUtf8UnitsEach(p + ascii, n - ascii, w + ascii);
    out.ReleaseBuffer(static_cast<int64_t>(o));
}

template <class C> void Store(nkMem::CStringT<C>& out, TokenBytes& s, unsigned cp)
{
    if constexpr (sizeof(C) > 1)
    {
        // Zeros past the bytes, for the decoder; no part of the token.
        if (s.capacity() - s.size() < kUtf8DecodePad)
            s.reserve(s.size() + kUtf8DecodePad);
        std::memset(s.data() + s.size(), 0, kUtf8DecodePad);
    }
    Store(out, s.data(), s.size(), cp);
}

// A zero-terminated view of a byte buffer, for the hook and the node's
// operations that take C strings.
const char* Terminated(TokenBytes& s)
{
    s.push_back('\0');
    s.pop_back();
    return s.data();
}

// Children collected while their parent is read. A long run of them is
// grown by doubling and taken over whole by the parent, so that a million
// siblings are not copied once more when their parent ends.
template <class T> class CKidList
{
public:
    void push_back(T x)
    {
        const uint32_t n = m_list.GetCount();
        if (n == m_list.GetCapacity())
            m_list.Truncate(n < 8 ? 8 : n <= 0x0FFFFFFFu ? n * 2 : n + 1, false);
        m_list.Add(x);
    }
    size_t size() const { return m_list.GetCount(); }
    bool empty() const { return m_list.IsEmpty(); }
    T operator[](size_t i) const { return m_list.GetAt(static_cast<uint32_t>(i)); }
    const T* begin() const { return m_list.begin(); }
    const T* end() const { return m_list.end(); }
    const T* data() const { return m_list.GetData(); }
    void clear() { m_list.RemoveAll(); }
    void reserve(size_t n)
    {
        if (n > m_list.GetCapacity())
            m_list.Truncate(static_cast<uint32_t>(n), false);
    }
    void swap(CKidList& other) { m_list.SwapWith(other.m_list); }
    nkMem::CCompactList<T>& List() { return m_list; }

private:
    nkMem::CCompactList<T> m_list;
};

} // namespace

// One parse: the window, the scratch buffers and the stack of open elements.
template <class C> class CXmlBuilder
{
public:
    using Node = CXmlNodeT<C>;
    using Kids = CKidList<Node*>;

    CXmlBuilder(CXmlParser& parser, Orvex::IStream* stream, bool utf16)
        : m_parser(parser), m_in(stream), m_hook(parser.m_pHook),
          m_root(static_cast<Node*>(parser.m_pRoot)),
          m_x10((parser.m_nFlags & kXmlParseXml10) != 0), m_utf16(utf16),
          m_names(m_x10 ? kNameBytes10 : kNameBytes), m_nameTake(m_names.take), m_stream(stream),
          m_base(stream->GetPosition64())
    {
    }

    ~CXmlBuilder()
    {
        // Whatever did not complete is dropped; completed top-level nodes go
        // to the root in their order.
        for (Frame& f : m_frames)
        {
            for (Node* kid : f.kids)
                DestroyXmlNode(kid);
            if (f.node != nullptr)
                DestroyXmlNode(f.node);
        }
        for (const auto& level : m_levels)
            for (Node* kid : level->kids)
                DestroyXmlNode(kid);
        Adopt(m_root, m_top);
        m_in.GiveBack();
        std::memcpy(m_parser.m_szLineEnd, m_in.LineEnd(), sizeof m_parser.m_szLineEnd);
    }

    bool Run();
    // Reads the part of the input a second reader takes (see Split), as the
    // content of elements begun before it.
    bool RunPart(unsigned cp, unsigned check, const std::atomic<bool>& stop);

    // A byte that is no character ends the input where it stands: a
    // failure the parse met there or later is that byte's.
    bool Finish(bool ok)
    {
        // The parse may have failed on a character a read cut off, which
        // the check had still to judge.
        if (!ok)
            m_in.CheckThrough(m_parser.m_nErrorOffset);
        if (!m_in.HasBad() || (!ok && m_parser.m_nErrorOffset < m_in.BadOffset()))
            return ok;
        m_parser.m_pszError = nullptr;
        return FailAt(m_in.BadOffset(),
                      m_in.BadIsNul() ? "a NUL byte" : ("bytes not valid " + m_encName).c_str());
    }

private:
    // XML 1.0 mode: a text run or CDATA section that stands before kid `at`,
    // its bytes `len` bytes of the frame's `runs`.
    struct Piece
    {
        uint32_t at;
        uint32_t len;
        bool cdata;
    };

    struct Frame
    {
        Node* node = nullptr;
        TokenBytes name; // start-tag name, for the end tag
        Kids kids;       // children completed so far, in order
        bool cdataSeen = false;
        // XML 1.0 mode: what mixed content needs, kept until the end tag
        // tells whether the element has any.
        bool elementKid = false;
        uint32_t solid = 0;      // pieces that are not only white space
        bool textBefore = false; // such a text run stands before some child
        // Once the content is known to be mixed, every text run goes
        // straight into `kids` as a text node: a long run of mixed content
        // never holds its pieces and a merged copy of its children at once.
        bool mixed = false;
        std::string runs;
        std::vector<Piece> pieces;

        // Forgets the content of the element read before.
        void ClearContent()
        {
            cdataSeen = false;
            elementKid = false;
            solid = 0;
            textBefore = false;
            mixed = false;
            runs.clear();
            pieces.clear();
        }
    };

    bool Fail(const char* why) { return FailAt(m_in.Offset(), why); }
    // At the byte just consumed: the one that was not what the reader expected.
    bool FailBack(const char* why) { return FailAt(m_in.Offset() - 1, why); }
    bool FailAt(uint64_t offset, const char* why)
    {
        if (m_parser.m_pszError == nullptr)
        {
            m_parser.m_strError.assign(why);
            m_parser.m_pszError = m_parser.m_strError.c_str();
            m_parser.m_nErrorOffset = offset;
        }
        return false;
    }
    // "<why></name>", with a long name cut short.
    bool FailTag(uint64_t offset, const char* why, const TokenBytes& name)
    {
        std::string text(why);
        text += "</";
        text.append(name.data(), name.size() > 64 ? 61 : name.size());
        text += name.size() > 64 ? "...>" : ">";
        return FailAt(offset, text.c_str());
    }

    // Links `kids` under `parent` in one insertion; a parent without
    // children takes a long list whole, a short one is copied to its size.
    static void Adopt(Node* parent, Kids& kids)
    {
        if (kids.empty())
            return;
        for (Node* kid : kids)
            kid->SetParent(parent);
        auto& list = parent->GetChildren();
        if (list.IsEmpty() && kids.size() >= kTakeWhole)
            list.SwapWith(kids.List());
        else
            list.InsertAt(list.GetCount(), kids.data(), static_cast<uint32_t>(kids.size()));
        kids.clear();
    }
    // Below this many, spare room would cost more than the copy.
    static constexpr size_t kTakeWhole = 64;

    Node* NewNode()
    {
        Node* node;
        if constexpr (sizeof(C) == 1)
            node = CreateXmlNodeA();
        else
            node = CreateXmlNodeW();
        if (node != nullptr && m_x10)
            node->SetXml10(true);
        return node;
    }

    // Reads name characters into `out`; returns the terminator, consumed
    // (-1 at the end of the input).
    int NameRun(TokenBytes& out)
    {
        out.clear();
        return m_in.ScanWhile(m_names, out);
    }

    // Spaces; in XML 1.0 mode tabs and line ends too.
    void SkipBlanks()
    {
        while (m_in.Ensure(1) == 1 && (m_in.At(0) == ' ' || (m_x10 && IsXmlSpace(m_in.At(0)))))
            m_in.Skip(1);
    }

    // Whether name bytes, stored as `text`, make a name by the document's
    // rule. Narrow names in a code page other than UTF-8 are judged by the
    // characters they decode to.
    bool NameOk(const TokenBytes& bytes, const nkMem::CStringT<C>& text)
    {
        if (!m_x10)
            return IsValidXmlName(text.GetSafeString());
        if (sizeof(C) > 1 || m_cp == kCodePageUtf8 || IsAscii(bytes.data(), bytes.size()))
            return IsValidXml10Name(text.GetSafeString());
        nkMem::CStringT<wchar_t> wide;
        wide.AssignCP(bytes.data(), static_cast<uint32_t>(bytes.size()), m_cp);
        return IsValidXml10Name(wide.GetSafeString());
    }

    // name=value, with the value quoted by ' or "; an unquoted value is empty.
    bool Parameter()
    {
        if (m_x10)
            return Parameter10();
        const int t = NameRun(m_pname);
        if (t != '=')
        {
            if (t < 0)
                return Fail("input ends inside a tag");
            if (!m_pname.empty())
                return FailBack("expected '=' after the parameter name");
            if (t == '\t')
                return FailBack("tab in a tag; only spaces separate parameters");
            if (t == '>' || t == '/' || t == '?')
                return FailBack("space before the end of a tag");
            return FailBack("expected a parameter name");
        }
        m_pvalue.clear();
        if (m_in.Ensure(1) == 0)
            return Fail("input ends inside a parameter");
        const uint8_t q = m_in.At(0);
        if (q != '\'' && q != '"')
            return true;
        m_in.Skip(1);
        const int end = m_in.ScanUntil(kValueStops, m_pvalue);
        if (end < 0)
            return Fail("input ends inside a parameter value");
        m_in.Skip(1);
        if (end == q)
            return true;
        return FailBack(end == '<' ? "'<' in a parameter value"
                                   : "quote of the other kind in a parameter value");
    }

    // XML 1.0 mode: name, white space, "=", white space, then a value in
    // either quote kind that may hold the other.
    bool Parameter10()
    {
        int t = NameRun(m_pname);
        if (IsXmlSpace(t) && !m_pname.empty())
        {
            SkipBlanks();
            uint8_t c;
            t = m_in.Get(c) ? c : -1;
        }
        if (t < 0)
            return Fail("input ends inside a tag");
        if (t != '=')
            return FailBack(m_pname.empty() ? "expected a parameter name"
                                            : "expected '=' after the parameter name");
        SkipBlanks();
        m_pvalue.clear();
        uint8_t q;
        if (!m_in.Get(q))
            return Fail("input ends inside a parameter");
        if (q != '\'' && q != '"')
            return FailBack("expected a quoted parameter value");
        for (;;)
        {
            const int end = m_in.ScanUntil(kValueStops, m_pvalue);
            if (end < 0)
                return Fail("input ends inside a parameter value");
            m_in.Skip(1);
            if (end == q)
                return true;
            if (end == '<')
                return FailBack("'<' in a parameter value");
            m_pvalue.push_back(static_cast<char>(end));
        }
    }

    bool AddParam(Node* node)
    {
        if (m_pname.empty())
            return true;
        Store(m_nameText, m_pname, m_cp);
        Store(m_valueText, m_pvalue, m_cp);
        // A parameter the node refuses is dropped without error.
        node->AddParam(m_nameText.GetSafeString(), m_valueText.GetSafeString());
        return true;
    }

    // A start tag's parameter, checked with the node's own rules, waits for
    // the tag's end so that the node's two lists grow once per tag. In the
    // editor's dialect a refused one is dropped without error, as AddParam
    // would; in XML 1.0 mode a bad or repeated name fails the tag.
    bool PendParam(uint64_t at)
    {
        if (m_pname.empty())
            return true;
        m_pendNames.emplace_back();
        m_pendValues.emplace_back();
        if (!ParamName(m_pendNames.back()))
            return DropPending(), !m_x10 || FailAt(at, "invalid parameter name");
        if (m_x10 && Repeated())
            return DropPending(), FailAt(at, "parameter given twice");
        StoreValue(m_pendValues.back(), m_pvalue);
        // The value's scan stopped at every byte a value may not hold (the
        // other quote is taken in XML 1.0 mode, which allows it), and bytes
        // kept as they are or read as UTF-8 make no such character of other
        // bytes; only another code page's conversion needs a look.
        if (sizeof(C) == 1 || m_cp == kCodePageUtf8)
            return true;
        const C* value = m_pendValues.back().GetString();
        if (!IsValidParamValue(value ? value : Empty(), m_x10))
            return DropPending(), !m_x10 || FailAt(at, "invalid parameter value");
        return true;
    }

    // Whether the last pending name is one of the others. A tag with many
    // parameters is checked through a set, so any tag costs linear time.
    bool Repeated()
    {
        const size_t n = m_pendNames.size();
        const std::basic_string_view<C> last(m_pendNames.back().GetSafeString(),
                                             m_pendNames.back().GetLength());
        if (n <= 16)
        {
            for (size_t i = 0; i + 1 < n; ++i)
                if (last == std::basic_string_view<C>(m_pendNames[i].GetSafeString(),
                                                      m_pendNames[i].GetLength()))
                    return true;
            return false;
        }
        if (m_seenNames.empty())
            for (size_t i = 0; i + 1 < n; ++i)
                m_seenNames.emplace(m_pendNames[i].GetSafeString(), m_pendNames[i].GetLength());
        return !m_seenNames.emplace(last).second;
    }

    void DropPending()
    {
        m_pendNames.pop_back();
        m_pendValues.pop_back();
    }

    // The pending strings go to the node's lists. A tag whose parameters
    // are those of an earlier tag shares that tag's lists whole; else a
    // list equal to one made before shares that list's block (the same
    // names in the same order on every element of a kind, the same short
    // values); otherwise the strings move into a list sized once.
    void FlushParams(Node* node)
    {
        const auto n = static_cast<uint32_t>(m_pendNames.size());
        if (n != 0)
        {
            if (m_donors == nullptr)
                m_donors = std::make_unique<DonorSlot[]>(kListSlots);
            DonorSlot& donor = m_donors[Mix(Mix(n, m_pendNames), m_pendValues) >> 56];
            if (donor.key.Matches(m_pendNames, &m_pendValues))
            {
                node->ShareParams(donor.node);
            }
            else
            {
                ShareOrMove(node->ParamNames(), m_pendNames);
                ShareOrMove(node->ParamValues(), m_pendValues);
                donor.node.ShareParams(*node);
                const Node& held = donor.node;
                donor.key.Set(held.ParamNames(), &held.ParamValues());
            }
        }
        m_pendNames.clear();
        m_pendValues.clear();
        m_seenNames.clear();
    }

    // Names and short values come from the caches above, so equal lists
    // hold the very same string blocks: a list is found by the addresses
    // and lengths of its strings, kept beside it so that a miss reads no
    // list. A slot's strings live as long as the list it keeps, so an
    // address in a key never stands for another text.
    static constexpr size_t kListSlots = 256;
    static constexpr uint32_t kKeyStrings = 8;
    struct StringsKey
    {
        uint32_t count = 0; // 0: no key
        const void* data[kKeyStrings];
        uint32_t length[kKeyStrings];

        // `a` followed by `b` when given.
        template <class L1, class L2> bool Matches(const L1& a, const L2* b) const
        {
            const size_t na = Count(a), n = na + (b != nullptr ? Count(*b) : 0);
            if (count == 0 || count != n)
                return false;
            for (uint32_t i = 0; i < count; ++i)
            {
                const nkMem::CStringT<C>& s = i < na ? a[i] : (*b)[i - na];
                if (data[i] != s.GetString() || length[i] != s.GetLength())
                    return false;
            }
            return true;
        }
        // A key for lists too long to keep one never matches.
        template <class L1, class L2> void Set(const L1& a, const L2* b)
        {
            const size_t na = Count(a), n = na + (b != nullptr ? Count(*b) : 0);
            count = n <= kKeyStrings ? static_cast<uint32_t>(n) : 0;
            for (uint32_t i = 0; i < count; ++i)
            {
                const nkMem::CStringT<C>& s = i < na ? a[i] : (*b)[i - na];
                data[i] = s.GetString();
                length[i] = s.GetLength();
            }
        }
    };
    static size_t Count(const std::vector<nkMem::CStringT<C>>& v) { return v.size(); }
    static size_t Count(const nkMem::CStrTList<C>& l) { return l.GetCount(); }
    static constexpr const std::vector<nkMem::CStringT<C>>* kNoMore = nullptr;
    struct ListSlot
    {
        StringsKey key;
        nkMem::CStrTList<C> list;
    };
    struct DonorSlot
    {
        StringsKey key;
        Node node; // holds the parameters last made for this slot
    };

    void ShareOrMove(nkMem::CStrTList<C>& list, std::vector<nkMem::CStringT<C>>& from)
    {
        if (!list.IsEmpty())
        {
            MoveInto(list, from);
            return;
        }
        if (m_lists == nullptr)
            m_lists = std::make_unique<ListSlot[]>(kListSlots);
        ListSlot& slot = m_lists[Mix(from.size(), from) >> 56];
        if (slot.key.Matches(from, kNoMore))
        {
            list = slot.list;
            // A block shared by 255 lists is copied instead; the copy then
            // serves the next ones.
            if (list.GetData() == slot.list.GetData())
                return;
        }
        else
        {
            MoveInto(list, from);
        }
        slot.list = list;
        slot.key.Set(slot.list, kNoMore);
    }

    static uint64_t Mix(uint64_t h, const std::vector<nkMem::CStringT<C>>& strings)
    {
        for (const nkMem::CStringT<C>& s : strings)
            h = (h ^ reinterpret_cast<uintptr_t>(s.GetString()) ^ s.GetLength()) *
                0x9E3779B97F4A7C15ull;
        static_assert(kListSlots == 256, "the top eight bits pick the slot");
        return h;
    }

    static void MoveInto(nkMem::CStrTList<C>& list, std::vector<nkMem::CStringT<C>>& from)
    {
        const uint32_t base = list.GetCount();
        const auto n = static_cast<uint32_t>(from.size());
        list.SetSize(base + n, false);
        nkMem::CStringT<C>* to = &list.GetAtForWrite(base);
        for (uint32_t i = 0; i < n; ++i)
            to[i].Swap(from[i]);
    }

    static const C* Empty()
    {
        static const C kEmpty[1] = {C(0)};
        return kEmpty;
    }

    // False when the name is not a valid one; the node then keeps none.
    bool SetName(Node* node, TokenBytes& name)
    {
        NameSlot& slot = Slot(m_elementNames, name);
        if (Hit(slot, name, m_cp))
        {
            ShareFrom(slot, node->m_strName);
            return true;
        }
        if (!m_x10 && !IsValidXmlName(Terminated(name)))
            return false;
        Store(node->m_strName, name, m_cp);
        if (m_x10 && !NameOk(name, node->m_strName))
        {
            node->m_strName.Empty();
            return false;
        }
        Fill(slot, name, node->m_strName);
        return true;
    }

    // Element and parameter names repeat all through a document; the last
    // one seen in each slot shares its text with every node that bears it,
    // which spares an allocation and its memory per node.
    // The bytes are kept in the slot itself; longer names and values are
    // not remembered.
    static constexpr size_t kSlotBytes = 32;
    struct NameSlot
    {
        char bytes[kSlotBytes];
        uint32_t len = 0;
        nkMem::CStringT<C> text;
        unsigned cp = 0; // code page the text was made with
        bool valid = false;
    };
    static constexpr size_t kNameSlots = 256;

    void Fill(NameSlot& slot, const TokenBytes& bytes, const nkMem::CStringT<C>& text)
    {
        if (bytes.size() > kSlotBytes)
            return;
        if (!bytes.empty())
            std::memcpy(slot.bytes, bytes.data(), bytes.size());
        slot.len = static_cast<uint32_t>(bytes.size());
        slot.text = text;
        slot.cp = m_cp;
        slot.valid = true;
    }

    // A block is shared by at most 255 strings; past that a copy is a private
    // block, which then becomes the slot's, to be shared by the next ones.
    static void ShareFrom(NameSlot& slot, nkMem::CStringT<C>& out)
    {
        out = slot.text;
        if (out.GetString() != slot.text.GetString())
            slot.text = out;
    }

    static bool Hit(const NameSlot& slot, const TokenBytes& bytes, unsigned cp)
    {
        return slot.valid && slot.cp == cp && slot.len == bytes.size() &&
               (bytes.empty() || std::memcmp(slot.bytes, bytes.data(), bytes.size()) == 0);
    }

    // Short values repeat too (indentation before end tags above all, and
    // small parameter values); they share their text through a cache of
    // their own. Longer ones are rarely repeated and are stored directly.
    static constexpr size_t kSharedValueMax = 24;

    void StoreValue(nkMem::CStringT<C>& out, TokenBytes& bytes)
    {
        if (bytes.empty() || bytes.size() > kSharedValueMax)
        {
            Store(out, bytes, m_cp);
            return;
        }
        NameSlot& slot = Slot(m_valueCache, bytes);
        if (Hit(slot, bytes, m_cp))
        {
            ShareFrom(slot, out);
            return;
        }
        Store(out, bytes, m_cp);
        Fill(slot, bytes, out);
    }

    static NameSlot& Slot(std::vector<NameSlot>& cache, const TokenBytes& name)
    {
        if (cache.empty())
            cache.resize(kNameSlots);
        return cache[SlotHash(name.data(), name.size())];
    }

    // A few loads and a multiply instead of a step per byte: the first, the
    // middle and the last eight bytes cover every byte of a text of up to 24,
    // the most that is cached besides names, where a collision costs only
    // the sharing.
    static uint32_t SlotHash(const char* p, size_t n)
    {
        uint64_t a = 0, b = 0, c = 0;
        if (n >= 8)
        {
            std::memcpy(&a, p, 8);
            std::memcpy(&b, p + n - 8, 8);
            if (n > 16)
                std::memcpy(&c, p + 8, 8);
        }
        else if (n >= 4)
        {
            uint32_t x, y;
            std::memcpy(&x, p, 4);
            std::memcpy(&y, p + n - 4, 4);
            a = x;
            b = y;
        }
        else if (n > 0)
            a = static_cast<uint8_t>(p[0]) | static_cast<uint8_t>(p[n / 2]) << 8 |
                static_cast<uint32_t>(static_cast<uint8_t>(p[n - 1])) << 16;
        uint64_t h = (a ^ n) * 0x9E3779B97F4A7C15ull;
        h = (h ^ b ^ (h >> 29)) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ c ^ (h >> 32)) * 0x94D049BB133111EBull;
        static_assert(kNameSlots == 256, "the top eight bits pick the slot");
        return static_cast<uint32_t>(h >> 56);
    }

    // The parameter name's text, or false when the node would refuse it.
    bool ParamName(nkMem::CStringT<C>& out)
    {
        NameSlot& slot = Slot(m_paramNameCache, m_pname);
        if (Hit(slot, m_pname, m_cp))
        {
            ShareFrom(slot, out);
            return true;
        }
        Store(out, m_pname, m_cp);
        if (!NameOk(m_pname, out))
            return false;
        Fill(slot, m_pname, out);
        return true;
    }

    // Whether `s` is exactly the ASCII text `ascii`.
    static bool Is(const C* s, const char* ascii)
    {
        for (; *ascii != '\0'; ++s, ++ascii)
            if (*s != static_cast<C>(static_cast<uint8_t>(*ascii)))
                return false;
        return *s == C(0);
    }

    // The encoding that `node`, the first header, names as the declaration;
    // false when it names none. Text is decoded with the code page it names;
    // a header whose name only begins like the declaration's ("<?xmlfoo")
    // names none, as the writer sees it too.
    bool DeclaredEncoding(const Node* node, nkMem::CStringT<char>& enc) const
    {
        if (!Is(node->GetName(), m_parser.m_strDeclName.GetSafeString()))
            return false;
        for (uint32_t i = 0; i < node->GetParamCount(); ++i)
        {
            if (Is(node->GetParamName(i), "encoding"))
            {
                enc.Assign(node->GetParamValue(i));
                return true;
            }
        }
        return false;
    }

    // XML 1.0 mode: the code page of the encoding the declaration at `at`
    // names, or a failure when it cannot be read in that encoding. Input
    // read as UTF-16 may only say so.
    bool DeclaredEncoding10(const char* name, uint64_t at)
    {
        if (m_utf16)
        {
            if (IsUtf16Name(name))
                return true;
            return FailAt(at, ("the declared encoding " + std::string(name) +
                               " contradicts the UTF-16 byte order")
                                  .c_str());
        }
        // Only a name of the proper form: it is written back as read.
        const unsigned cp = IsEncodingName(name) ? CodePageForReading(name) : 0;
        if (cp == 0 || !IsAsciiCompatible(cp))
            return FailAt(at, ("unsupported encoding " + std::string(name)).c_str());
        if (m_parser.m_bBom && cp != kCodePageUtf8)
            return FailAt(at, "the declared encoding contradicts the UTF-8 byte order mark");
        m_cp = cp;
        return true;
    }

    // At "<?": a processing instruction with at least one parameter.
    bool Header(Node* node)
    {
        if (!m_in.LookingAt("<?", 2))
            return Fail("expected '<?'");
        m_in.Skip(2);
        TokenBytes target;
        if (NameRun(target) >= 0)
            m_in.Back1();
        if (m_x10)
            return Instruction(node, target);
        SkipBlanks();
        if (m_in.Ensure(1) == 1 && m_in.At(0) == '?')
            return Fail("a header needs a parameter");
        for (;;)
        {
            if (m_in.AtEnd())
                return Fail("input ends inside a processing instruction");
            if (!Parameter())
                return false;
            AddParam(node);
            if (m_declBytes != nullptr && !m_pname.empty())
                m_declBytes->emplace_back(m_pname, m_pvalue);
            SkipBlanks();
            uint8_t c;
            if (!m_in.Get(c))
                return Fail("input ends inside a processing instruction");
            if (c == '?')
            {
                if (!m_in.Get(c))
                    return Fail("expected '>' after '?'");
                if (c != '>')
                    return FailBack("expected '>' after '?'");
                break;
            }
            m_in.Back1();
        }
        // Parameters without a name are dropped; a header left with none
        // would be written as one that cannot be read back.
        if (node->GetParamCount() == 0)
            return Fail("a header needs a parameter");
        node->SetKind(xnkHeader);
        SetName(node, target);
        return true;
    }

    // XML 1.0 mode, after the target: the content up to "?>". Content made of
    // parameters (name="value"...) becomes the node's parameters; any other
    // content is kept as the node's value, as written.
    bool Instruction(Node* node, TokenBytes& target)
    {
        const uint64_t targetAt = m_in.Offset() - target.size();
        if (m_in.Ensure(1) == 1 && !IsXmlSpace(m_in.At(0)) && !m_in.LookingAt("?>", 2))
            return Fail("expected white space after the processing instruction's target");
        SkipBlanks();
        if (!Delimited(kQuestionStop, '?', '>', m_text))
            return Fail("input ends inside a processing instruction");
        node->SetKind(xnkHeader);
        if (!SetName(node, target))
            return FailAt(targetAt, "invalid processing instruction target");
        std::vector<std::pair<TokenBytes, TokenBytes>> params;
        if (SplitParams(m_text, params))
        {
            for (auto& [name, value] : params)
            {
                m_pname.swap(name);
                m_pvalue.swap(value);
                AddParam(node);
                if (m_declBytes != nullptr)
                    m_declBytes->emplace_back(m_pname, m_pvalue);
            }
        }
        if (node->GetParamCount() == 0 || node->GetParamCount() != params.size())
        {
            node->RemoveAllParams();
            if (m_declBytes != nullptr)
                m_declBytes->clear();
            Store(node->m_strValue, m_text, m_cp);
        }
        return true;
    }

    // Parameters (name="value", either quote, white space between) that make
    // up all of `text`; false when it is anything else.
    static bool SplitParams(const TokenBytes& text,
                            std::vector<std::pair<TokenBytes, TokenBytes>>& out)
    {
        const size_t n = text.size();
        size_t i = 0;
        while (i < n)
        {
            const size_t nameAt = i;
            while (i < n && kNameBytes10.take[static_cast<unsigned char>(text[i])])
                ++i;
            const size_t nameEnd = i;
            while (i < n && IsXmlSpace(static_cast<unsigned char>(text[i])))
                ++i;
            if (nameEnd == nameAt || i == n || text[i] != '=')
                return false;
            ++i;
            while (i < n && IsXmlSpace(static_cast<unsigned char>(text[i])))
                ++i;
            if (i == n || (text[i] != '"' && text[i] != '\''))
                return false;
            const char q = text[i++];
            const size_t valueAt = i;
            while (i < n && text[i] != q && text[i] != '<')
                ++i;
            if (i == n || text[i] != q)
                return false;
            out.emplace_back(TokenBytes(text.begin() + nameAt, text.begin() + nameEnd),
                             TokenBytes(text.begin() + valueAt, text.begin() + i));
            ++i;
            const size_t spaceAt = i;
            while (i < n && IsXmlSpace(static_cast<unsigned char>(text[i])))
                ++i;
            if (i < n && i == spaceAt)
                return false;
        }
        return !out.empty();
    }

    // Content up to the first closing sequence of three bytes (`trig`, c1,
    // c2), as remarks and CDATA sections end; false when the input ends
    // first. The match slides byte by byte, so content that ends in the
    // trigger byte ("x-" in a remark, "x]" in a CDATA section) reads back.
    bool Delimited(const ScanStops& stop, char trig, char c1, char c2, TokenBytes& out)
    {
        return Delimited(stop, trig, c1, c2, 2, out);
    }
    // The same for a closing sequence of two bytes (`trig`, c1).
    bool Delimited(const ScanStops& stop, char trig, char c1, TokenBytes& out)
    {
        return Delimited(stop, trig, c1, 0, 1, out);
    }
    bool Delimited(const ScanStops& stop, char trig, char c1, char c2, uint32_t tail,
                   TokenBytes& out)
    {
        out.clear();
        for (;;)
        {
            if (m_in.ScanUntil(stop, out) < 0)
                return false;
            m_in.Skip(1);
            if (m_in.Ensure(tail) < tail)
                return false;
            if (m_in.At(0) == static_cast<uint8_t>(c1) &&
                (tail == 1 || m_in.At(1) == static_cast<uint8_t>(c2)))
            {
                m_in.Skip(tail);
                return true;
            }
            out.push_back(trig);
        }
    }

    // At "<!--".
    bool Remark(Node* node)
    {
        if (!m_in.LookingAt("<!--", 4))
            return Fail("expected '<!--'");
        m_in.Skip(4);
        const bool complete = Delimited(kDashStop, '-', '-', '>', m_text);
        if (complete)
        {
            node->SetKind(xnkRemark);
            Store(node->m_strValue, m_text, m_cp);
        }
        if (m_hook != nullptr)
            m_hook->OnRemark(Terminated(m_text));
        return complete ? true : Fail("input ends inside a remark");
    }

    // At "<![CDATA["; the content goes to m_text.
    bool CData()
    {
        if (!m_in.LookingAt("<![CDATA[", 9))
            return Fail("expected '<![CDATA['");
        m_in.Skip(9);
        return Delimited(kBracketStop, ']', ']', '>', m_text)
                   ? true
                   : Fail("input ends inside a CDATA section");
    }

    // At "<!" not followed by "--": skipped with nested brackets, no node.
    bool Declaration()
    {
        uint32_t depth = 0;
        TokenBytes discard;
        uint8_t c;
        if (!m_in.Get(c))
            return Fail("expected '<'");
        if (c != '<')
            return FailBack("expected '<'");
        ++depth;
        while (depth > 0)
        {
            const int t = NameRun(discard);
            if (t == '<')
                ++depth;
            else if (t == '>')
                --depth;
            else if (t < 0)
                return Fail("input ends inside a declaration");
        }
        return true;
    }

    // XML 1.0 mode, at "<!DOCTYPE": the whole declaration, internal subset
    // included, becomes a document type node named by its root element.
    // Quoted strings, remarks and processing instructions in the subset may
    // hold "]" and ">"; nothing in it is interpreted further.
    bool DocType(Node* node)
    {
        m_text.clear();
        m_text.insert(m_text.end(), {'<', '!', 'D', 'O', 'C', 'T', 'Y', 'P', 'E'});
        m_in.Skip(9);
        const uint64_t nameAt = m_in.Offset();
        if (m_in.Ensure(1) == 0 || !IsXmlSpace(m_in.At(0)))
            return Fail("expected white space after '<!DOCTYPE'");
        if (m_in.ScanWhile(kSpaceBytes, m_text) >= 0)
            m_in.Back1();
        TokenBytes name;
        const int t = NameRun(name);
        if (t < 0)
            return Fail("input ends inside the document type");
        m_in.Back1();
        node->SetKind(xnkDocType);
        if (!SetName(node, name))
            return FailAt(nameAt + (m_text.size() - 9), "invalid name in the document type");
        m_text.insert(m_text.end(), name.begin(), name.end());
        bool subset = false;
        for (;;)
        {
            const int c = m_in.ScanUntil(subset ? kSubsetStops : kDocTypeStops, m_text);
            if (c < 0)
                return Fail("input ends inside the document type");
            m_in.Skip(1);
            m_text.push_back(static_cast<char>(c));
            if (c == '>')
                break; // only outside the subset
            if (c == '[' || c == ']')
            {
                subset = c == '[';
                continue;
            }
            if (c == '"' || c == '\'')
            {
                if (m_in.ScanUntil(c == '"' ? kDoubleQuoteStop : kSingleQuoteStop, m_text) < 0)
                    return Fail("input ends inside the document type");
                m_in.Skip(1);
                m_text.push_back(static_cast<char>(c));
                continue;
            }
            // "<" in the subset: a remark or a processing instruction is
            // taken whole; any other declaration is read on by this loop.
            const bool remark = m_in.LookingAt("!--", 3);
            if (!remark && !m_in.LookingAt("?", 1))
                continue;
            const std::string_view open = remark ? "!--" : "?";
            const std::string_view close = remark ? "-->" : "?>";
            m_text.insert(m_text.end(), open.begin(), open.end());
            m_in.Skip(static_cast<uint32_t>(open.size()));
            TokenBytes inner;
            if (!(remark ? Delimited(kDashStop, '-', '-', '>', inner)
                         : Delimited(kQuestionStop, '?', '>', inner)))
                return Fail("input ends inside the document type");
            m_text.insert(m_text.end(), inner.begin(), inner.end());
            m_text.insert(m_text.end(), close.begin(), close.end());
        }
        Store(node->m_strValue, m_text, m_cp);
        return true;
    }

    // A small node (header or remark) that stands where `kids` collects.
    bool Leaf(bool (CXmlBuilder::*read)(Node*), Kids& kids)
    {
        Node* node = NewNode();
        if (node == nullptr)
            return Fail("out of memory");
        if (!(this->*read)(node))
        {
            DestroyXmlNode(node);
            return false;
        }
        kids.push_back(node);
        return true;
    }

    // XML 1.0 mode: keeps the text run in m_text (or, for `cdata`, the
    // CDATA section's content) as a piece of the innermost element, or as
    // its next child once its content is known to be mixed.
    bool Record(Frame& f, bool cdata)
    {
        if (!m_x10 || (!cdata && m_text.empty()))
            return true;
        if (f.mixed)
            return TextKid(f.kids, m_text, cdata);
        const bool solid = cdata || !IsAllSpace(m_text.data(), m_text.size());
        if (!solid && f.solid == 0 && f.pieces.size() >= kLeanPieces)
            return true; // a long run of children with white space between
        f.solid += solid ? 1 : 0;
        f.textBefore = f.textBefore || (solid && !cdata);
        f.pieces.push_back(
            {static_cast<uint32_t>(f.kids.size()), static_cast<uint32_t>(m_text.size()), cdata});
        f.runs.append(m_text.data(), m_text.size());
        // Each part of the test only ever turns true: what it says now, the
        // end tag would say too.
        if (IsMixed(f, f.solid))
            return BecomeMixed(f);
        return true;
    }
    // Whether an element with `solid` pieces of real text has mixed content.
    // One text run before a remark or header would be lost as the value,
    // which is the run before the end tag: it is mixed content too.
    static bool IsMixed(const Frame& f, uint32_t solid)
    {
        return solid > 0 && (f.elementKid || solid > 1 || f.textBefore);
    }
    // A text node of `bytes` after the children in `kids` (which the
    // builder frees with a failed load, or the caller with its own list).
    bool TextKid(Kids& kids, TokenBytes& bytes, bool cdata)
    {
        Node* text = NewNode();
        if (text == nullptr)
            return Fail("out of memory");
        text->SetKind(xnkText);
        text->SetCData(cdata);
        StoreValue(text->m_strValue, bytes);
        kids.push_back(text);
        return true;
    }
    bool BecomeMixed(Frame& f);
    // Children with only white space between them are common and long;
    // so many pieces of white space are not kept before the first text.
    static constexpr size_t kLeanPieces = 64;

    bool MixedContent(Frame& f);

    bool Element(Kids& parentKids);
    bool StartTag(Kids& parentKids);
    bool EndTag();
    bool ContentStep(bool& closed);
    bool Text(int& stop);

    CXmlParser& m_parser;
    CReadWindow m_in;
    IXmlParseHook* m_hook;
    Node* m_root;
    const bool m_x10;   // XML 1.0 mode
    const bool m_utf16; // the bytes are UTF-8 made from UTF-16 input
    const ScanTakes& m_names;
    const bool* m_nameTake;
    unsigned m_cp = 0;
    std::string m_declared; // the encoding the declaration names
    std::string m_encName;  // of the encoding bytes are checked in
    Kids m_top;
    std::vector<Frame> m_frames; // open elements, outermost first
    uint32_t m_depth = 0;        // frames in use
    TokenBytes m_name, m_pname, m_pvalue, m_text;
    nkMem::CStringT<C> m_nameText, m_valueText;
    std::vector<nkMem::CStringT<C>> m_pendNames, m_pendValues;
    std::unordered_set<std::basic_string<C>> m_seenNames;
    std::vector<NameSlot> m_elementNames, m_paramNameCache, m_valueCache;
    std::unique_ptr<ListSlot[]> m_lists;   // kListSlots once used
    std::unique_ptr<DonorSlot[]> m_donors; // the same, for whole parameter sets
    // While the declaration is read: the bytes of its parameters.
    std::vector<std::pair<TokenBytes, TokenBytes>>* m_declBytes = nullptr;

    // Reading in two parts. The second reader starts at a start tag with
    // one open element of unknown name (frame 0): each end tag that would
    // close it ends a level of content, and another such element follows.
    struct Level
    {
        TokenBytes name; // of the end tag that ended it; none for the last
        Kids kids;
        TokenBytes last;    // the text run before that end tag
        bool cdata = false; // a CDATA section stood among the kids
        bool solid = false; // XML 1.0 mode: text other than white space
        bool blank = true;  // nothing but what may stand outside the root
    };
    struct Split
    {
        CParseSplit read;
        CXmlParser parser;
        Node root;
        std::unique_ptr<Orvex::CMemStream> stream;
        std::unique_ptr<CXmlBuilder> builder;
        bool ok = false;
        Split(bool wide, uint8_t flags) : parser(wide, flags) {}
        Split(const Split&) = delete;
        Split& operator=(const Split&) = delete;
        // The thread ends before the reader it runs goes, the view after.
        ~Split() { read.Stop(); }
    };
    void StartSplit(unsigned check);
    bool Stitch();
    bool EndLevel(const TokenBytes& name);
    bool CloseLevel();
    bool IsTopBlank(const TokenBytes& text) const
    {
        for (const char c : text)
            if (c != ' ' && c != '\n' && c != '\r' && !(m_x10 && c == '\t'))
                return false;
        return true;
    }
    static void Append(Kids& to, Kids& from)
    {
        if (from.empty())
            return;
        if (to.empty())
        {
            to.swap(from);
            return;
        }
        auto& list = to.List();
        list.InsertAt(list.GetCount(), from.data(), static_cast<uint32_t>(from.size()));
        from.clear();
    }

    Orvex::IStream* m_stream;
    uint64_t m_base; // stream offset of the input's first byte
    std::unique_ptr<Split> m_split;
    bool m_part = false; // this is the second reader
    bool m_ended = false;
    bool m_levelBlank = true;
    uint32_t m_maxDepth = 0;
    std::vector<std::unique_ptr<Level>> m_levels;
};

// Reads the start tag at "<". An empty-element tag completes the node into
// `parentKids`; otherwise the node becomes the innermost open element.
template <class C> bool CXmlBuilder<C>::StartTag(Kids& parentKids)
{
    const uint64_t tagStart = m_in.Offset();
    m_in.Skip(1); // "<"
    Node* node = NewNode();
    if (node == nullptr)
        return Fail("out of memory");
    m_pendNames.clear();
    m_pendValues.clear();
    int t = NameRun(m_name);
    while (t != '>' && t != '/')
    {
        if (t < 0)
            return DestroyXmlNode(node), Fail("input ends inside a start tag");
        m_in.Back1();
        SkipBlanks();
        if (m_x10 && m_in.Ensure(1) == 1 && (m_in.At(0) == '>' || m_in.At(0) == '/'))
        {
            t = m_in.At(0);
            m_in.Skip(1);
            break;
        }
        const uint64_t paramAt = m_in.Offset();
        if (!Parameter())
            return DestroyXmlNode(node), false;
        if (!m_pname.empty() && m_hook != nullptr)
            m_hook->OnParam(Terminated(m_pname), Terminated(m_pvalue));
        if (!PendParam(paramAt))
            return DestroyXmlNode(node), false;
        SkipBlanks();
        uint8_t c;
        t = m_in.Get(c) ? c : -1;
    }
    FlushParams(node);
    if (t == '/')
    {
        uint8_t c;
        if (!m_in.Get(c))
            return DestroyXmlNode(node), Fail("expected '>' after '/'");
        if (c != '>')
            return DestroyXmlNode(node), FailBack("expected '>' after '/'");
        // A refused name fails here as it does for an element with content:
        // a nameless node would be saved as "</>", which no reader accepts.
        if (IsXmlDigit(m_name[0]))
            return DestroyXmlNode(node), FailAt(tagStart + 1, "element name begins with a digit");
        if (m_depth == kXmlMaxDepth)
            return DestroyXmlNode(node), FailAt(tagStart, "elements nested too deeply");
        if (!SetName(node, m_name))
            return DestroyXmlNode(node), FailAt(tagStart + 1, "invalid element name");
        if (m_hook != nullptr)
            m_hook->OnElement(Terminated(m_name), 1);
        parentKids.push_back(node);
        return true;
    }
    if (IsXmlDigit(m_name[0]))
        return DestroyXmlNode(node), FailAt(tagStart + 1, "element name begins with a digit");
    if (m_depth == kXmlMaxDepth)
        return DestroyXmlNode(node), FailAt(tagStart, "elements nested too deeply");
    if (!SetName(node, m_name))
        return DestroyXmlNode(node), FailAt(tagStart + 1, "invalid element name");
    if (m_hook != nullptr)
        m_hook->OnElement(Terminated(m_name), 0);
    if (m_frames.size() == m_depth)
        m_frames.emplace_back();
    Frame& f = m_frames[m_depth++];
    m_maxDepth = std::max(m_maxDepth, m_depth);
    f.node = node;
    // The frame takes the name's bytes whole, and the name its old buffer,
    // which the next name run clears.
    f.name.swap(m_name);
    f.ClearContent();
    return true;
}

// After "</": the name must match the open element's exactly, then ">".
template <class C> bool CXmlBuilder<C>::EndTag()
{
    if (m_part && m_depth == 1)
        return CloseLevel();
    Frame& f = m_frames[m_depth - 1];
    const uint64_t tagStart = m_in.Offset() - 2; // at "</"
    int t = NameRun(m_name);
    if (m_x10 && IsXmlSpace(t))
    {
        SkipBlanks();
        uint8_t c;
        t = m_in.Get(c) ? c : -1;
    }
    if (m_name.size() != f.name.size() ||
        std::memcmp(f.name.data(), m_name.data(), m_name.size()) != 0)
        return t < 0 && m_name.size() < f.name.size()
                   ? FailTag(m_in.Offset(), "input ends before ", f.name)
                   : FailTag(tagStart, "expected ", f.name);
    if (t < 0)
        return FailTag(m_in.Offset(), "input ends before ", f.name);
    if (t != '>')
        return FailBack("expected '>' right after the end tag's name");
    Node* node = f.node;
    const uint32_t solid = f.solid + (m_x10 && !IsAllSpace(m_text.data(), m_text.size()) ? 1u : 0u);
    if (m_x10 && (f.mixed || IsMixed(f, solid)))
    {
        if (!MixedContent(f))
            return false;
    }
    else if (!f.cdataSeen)
        StoreValue(node->m_strValue, m_text);
    Adopt(node, f.kids);
    f.node = nullptr;
    --m_depth;
    if (m_hook != nullptr)
        m_hook->OnElement(Terminated(m_name), 1); // equal to the start tag's
    (m_depth == 0 ? m_top : m_frames[m_depth - 1].kids).push_back(node);
    return true;
}

// One step of the innermost element's content: a text run and what follows it.
template <class C> bool CXmlBuilder<C>::ContentStep(bool& closed)
{
    // Past the split point inside some token: the second part is no use.
    if (m_split != nullptr && m_in.Offset() > m_split->read.At())
        m_split.reset();
    Frame& f = m_frames[m_depth - 1];
    int stop;
    if (!Text(stop))
        return false;
    if (m_part && m_depth == 1)
    {
        m_levelBlank = m_levelBlank && stop != '>' && IsTopBlank(m_text);
        if (stop < 0)
        {
            m_ended = true;
            return EndLevel(TokenBytes());
        }
    }
    if (stop < 0)
        return FailTag(m_in.Offset(), "input ends before ", f.name);
    m_in.Skip(1);
    const uint64_t stopAt = m_in.Offset() - 1;
    uint8_t c;
    if (!m_in.Get(c))
        return FailTag(m_in.Offset(), "input ends before ", f.name);
    if (c == '/')
    {
        if (!EndTag())
            return false;
        closed = true;
        return true;
    }
    if (m_nameTake[c])
    {
        f.node->m_strValue.Empty();
        if (stop != '<')
            return FailAt(stopAt, "'>' in text; write it as &gt;");
        m_in.Back1();
        m_in.Back1();
        if (!Record(f, false))
            return false;
        f.elementKid = true;
        if (m_split != nullptr && m_in.Offset() == m_split->read.At() && Stitch())
        {
            closed = true;
            return true;
        }
        return StartTag(f.kids);
    }
    if (c == '!')
    {
        if (m_in.Ensure(7) == 7 && m_in.LookingAt("[CDATA[", 7))
        {
            if (stop != '<')
                return FailAt(stopAt, "'>' in text; write it as &gt;");
            m_in.Back1();
            m_in.Back1();
            if (!Record(f, false) || !CData() || !Record(f, true))
                return false;
            f.node->SetCData(true);
            Store(f.node->m_strValue, m_text, m_cp);
            f.cdataSeen = true;
            return true;
        }
        if (m_in.LookingAt("--", 2))
        {
            if (stop != '<')
                return FailAt(stopAt, "'>' in text; write it as &gt;");
            m_in.Back1();
            m_in.Back1();
            return Record(f, false) && Leaf(&CXmlBuilder::Remark, f.kids);
        }
        if (m_x10)
            return FailBack("expected '--' or '[CDATA[' after '<!'");
        m_levelBlank = m_levelBlank && !(m_part && m_depth == 1);
        m_in.Skip(m_in.Ensure(7)); // anything else after "<!" is dropped
        return true;
    }
    if (c == '?')
    {
        if (stop != '<')
            return FailAt(stopAt, "'>' in text; write it as &gt;");
        m_in.Back1();
        m_in.Back1();
        return Record(f, false) && Leaf(&CXmlBuilder::Header, f.kids);
    }
    if (stop != '<')
        return FailAt(stopAt, "'>' in text; write it as &gt;");
    return FailBack("expected a name, '/', '!' or '?' after '<'");
}

// A text run into m_text, up to "<" (the stop returned) or the end (-1). In
// the editor's dialect it also stops at ">"; XML 1.0 mode takes ">" as text
// unless it ends "]]>".
template <class C> bool CXmlBuilder<C>::Text(int& stop)
{
    m_text.clear();
    for (;;)
    {
        stop = m_in.ScanUntil(kTextStops, m_text);
        if (stop != '>' || !m_x10)
            return true;
        const size_t n = m_text.size();
        if (n >= 2 && m_text[n - 1] == ']' && m_text[n - 2] == ']')
            return FailAt(m_in.Offset() - 2, "']]>' in text");
        m_in.Skip(1);
        m_text.push_back('>');
    }
}

// XML 1.0 mode, once an element is known to have mixed content: every piece
// of text kept so far becomes a text node in its place among the children.
template <class C> bool CXmlBuilder<C>::BecomeMixed(Frame& f)
{
    Kids merged;
    merged.reserve(f.kids.size() + f.pieces.size());
    size_t k = 0;
    size_t off = 0;
    for (const Piece& p : f.pieces)
    {
        while (k < p.at)
            merged.push_back(f.kids[k++]);
        m_pvalue.assign(f.runs.data() + off, f.runs.data() + off + p.len);
        off += p.len;
        if (!TextKid(merged, m_pvalue, p.cdata))
        {
            for (Node* n : merged)
                if (n->GetKind() == xnkText)
                    DestroyXmlNode(n);
            return false;
        }
    }
    while (k < f.kids.size())
        merged.push_back(f.kids[k++]);
    f.kids.swap(merged);
    f.pieces = {};
    f.runs = {};
    f.mixed = true;
    return true;
}

// XML 1.0 mode, at the end tag of an element with mixed content: the last
// run becomes a text node too, and the element keeps no value of its own.
template <class C> bool CXmlBuilder<C>::MixedContent(Frame& f)
{
    if (!Record(f, false) || (!f.mixed && !BecomeMixed(f)))
        return false;
    f.node->m_strValue.Empty();
    f.node->SetCData(false);
    return true;
}

// A whole element, its subtree included, read without recursion.
template <class C> bool CXmlBuilder<C>::Element(Kids& parentKids)
{
    const uint32_t base = m_depth;
    if (!StartTag(parentKids))
        return false;
    while (m_depth > base)
    {
        bool closed = false;
        if (!ContentStep(closed))
            return false;
    }
    return true;
}

// A large input in UTF-8: a second reader takes the part from a start tag
// near the middle on, on a thread of its own, while this one reads up to it.
template <class C> void CXmlBuilder<C>::StartSplit(unsigned check)
{
    const CXmlParser::Split& want = m_parser.m_split;
    const uint64_t end = m_stream->GetLength64();
    if (m_hook != nullptr || m_utf16 || m_part || check != kCodePageUtf8 || end < m_base ||
        end - m_base < want.minBytes)
        return;
    auto split = std::make_unique<Split>(m_parser.m_bWide, m_parser.m_nFlags);
    const uint64_t from = want.from != 0 ? want.from : (end - m_base) / 2;
    if (!split->read.Find(m_stream, m_base, from, m_in.Offset(), m_nameTake))
        return;
    const uint64_t at = split->read.At();
    split->stream = std::make_unique<Orvex::CMemStream>(
        split->read.From(at), static_cast<uint32_t>(split->read.End() - at));
    split->parser.SetRoot(&split->root);
    split->builder = std::make_unique<CXmlBuilder>(split->parser, split->stream.get(), false);
    split->builder->m_part = true;
    Split* s = split.get();
    const unsigned cp = m_cp;
    // The second reader allocates as this one does.
    const bool bulk = nkMem::CBulkScope::Active();
    const bool started = s->read.Start(
        [s, cp, check, bulk](const std::atomic<bool>& stop)
        {
            std::optional<nkMem::CBulkScope> scope;
            if (bulk)
                scope.emplace();
            try
            {
                s->ok = s->builder->RunPart(cp, check, stop);
            }
            catch (const std::exception&)
            {
                s->ok = false; // out of memory: this reader reads on alone
            }
        });
    if (started)
        m_split = std::move(split);
}

template <class C>
bool CXmlBuilder<C>::RunPart(unsigned cp, unsigned check, const std::atomic<bool>& stop)
{
    m_cp = cp;
    m_in.CheckEncoding(check);
    Node* outer = NewNode();
    if (outer == nullptr)
        return false;
    m_frames.emplace_back();
    m_frames[0].node = outer;
    m_depth = 1;
    while (!m_ended)
    {
        if (stop.load(std::memory_order_relaxed))
            return false;
        bool closed = false;
        if (!ContentStep(closed))
            return false;
    }
    return true;
}

// The second reader, at an end tag that closes frame 0: its content so far
// is one level, judged by the first reader.
template <class C> bool CXmlBuilder<C>::CloseLevel()
{
    int t = NameRun(m_name);
    if (m_x10 && IsXmlSpace(t))
    {
        SkipBlanks();
        uint8_t c;
        t = m_in.Get(c) ? c : -1;
    }
    if (t != '>')
        return Fail("an end tag the first reader judges");
    return EndLevel(m_name);
}

template <class C> bool CXmlBuilder<C>::EndLevel(const TokenBytes& name)
{
    Frame& f = m_frames[0];
    auto level = std::make_unique<Level>();
    level->name = name;
    level->kids.swap(f.kids);
    level->last = m_text;
    level->cdata = f.cdataSeen;
    level->solid = f.mixed || f.solid > 0 || (m_x10 && !IsAllSpace(m_text.data(), m_text.size()));
    level->blank = m_levelBlank;
    m_levels.push_back(std::move(level));
    f.ClearContent();
    f.node->m_strValue.Empty();
    f.node->SetCData(false);
    m_levelBlank = true;
    return true;
}

// At the start tag where the second part begins, `m_depth` elements open:
// waits for the second reader and, when its part goes on as this reader
// would have (its levels end these elements by their names, in order, and
// hold what this reader keeps the same way), ends them and the document
// with it. Otherwise nothing changes and this reader reads on alone.
template <class C> bool CXmlBuilder<C>::Stitch()
{
    Split& s = *m_split;
    s.read.Join();
    CXmlBuilder& part = *s.builder;
    const uint32_t d = m_depth;
    auto& levels = part.m_levels;
    bool fits = s.ok && levels.size() == d + 1 && !part.m_in.HasBad() &&
                d + part.m_maxDepth + 1 < kXmlMaxDepth;
    for (uint32_t i = 0; fits && i < d; ++i)
    {
        // Mixed content and CDATA sections among these elements' children
        // are left to this reader.
        const Level& level = *levels[i];
        const Frame& f = m_frames[d - 1 - i];
        fits = level.name.size() == f.name.size() &&
               std::memcmp(level.name.data(), f.name.data(), f.name.size()) == 0 && !level.cdata &&
               !level.solid && !(m_x10 && (f.mixed || f.solid > 0));
    }
    fits = fits && levels[d]->blank && !levels[d]->cdata;
    if (!fits)
    {
        m_split.reset();
        return false;
    }
    // As EndTag ends each element.
    for (uint32_t i = 0; i < d; ++i)
    {
        Level& level = *levels[i];
        Frame& f = m_frames[m_depth - 1];
        Append(f.kids, level.kids);
        if (!f.cdataSeen)
            StoreValue(f.node->m_strValue, level.last);
        Node* node = f.node;
        Adopt(node, f.kids);
        f.node = nullptr;
        --m_depth;
        (m_depth == 0 ? m_top : m_frames[m_depth - 1].kids).push_back(node);
    }
    Append(m_top, levels[d]->kids);
    const uint64_t read = m_in.ReadEnd();
    m_in.JumpToEnd(s.read.From(read), s.read.End() - read);
    m_split.reset();
    m_parser.m_bSplit = true;
    return true;
}

template <class C> bool CXmlBuilder<C>::Run()
{
    if (m_in.LookingAt("\xEF\xBB\xBF", 3))
    {
        m_in.Skip(3);
        m_parser.m_bBom = true;
        m_cp = kCodePageUtf8; // a declaration naming another contradicts it
    }
    // XML 1.0: UTF-8 unless the declaration names another encoding.
    if (m_x10)
        m_cp = kCodePageUtf8;
    while (m_in.Ensure(1) == 1 && (m_in.At(0) == ' ' || m_in.At(0) == '\r' || m_in.At(0) == '\n' ||
                                   (m_x10 && m_in.At(0) == '\t')))
        m_in.Skip(1);

    const nkMem::CStringT<char>& decl = m_parser.m_strDeclName;
    const uint32_t declLen = decl.GetLength();
    const bool strict = (m_parser.m_nFlags & kXmlParseStrict) != 0;
    bool looksLikeDecl = m_in.LookingAt("<?", 2) && m_in.Ensure(2 + declLen) == 2 + declLen;
    for (uint32_t i = 0; looksLikeDecl && i < declLen; ++i)
        looksLikeDecl = m_in.At(2 + i) == static_cast<uint8_t>(decl.GetString()[i]);
    if (strict && m_in.Ensure(5) < 5)
        return Fail("input too short for a declaration");
    if (strict && !looksLikeDecl)
        return Fail("expected the declaration '<?xml' at the start");
    if (looksLikeDecl)
    {
        const uint64_t declAt = m_in.Offset();
        Node* node = NewNode();
        if (node == nullptr)
            return Fail("out of memory");
        const unsigned readWith = m_cp;
        std::vector<std::pair<TokenBytes, TokenBytes>> params;
        m_declBytes = &params;
        const bool read = Header(node);
        m_declBytes = nullptr;
        if (!read)
        {
            DestroyXmlNode(node);
            return false;
        }
        m_top.push_back(node);
        nkMem::CStringT<char> enc;
        if (DeclaredEncoding(node, enc))
        {
            m_declared = enc.GetSafeString();
            if (m_x10)
            {
                if (!DeclaredEncoding10(enc.GetSafeString(), declAt))
                    return false;
            }
            else
            {
                m_cp = CodePageForReading(enc.GetString());
                if (m_parser.m_bBom && m_cp != kCodePageUtf8)
                    return FailAt(declAt,
                                  "the declared encoding contradicts the UTF-8 byte order mark");
            }
            // Its own parameters were decoded before the encoding was known.
            if (sizeof(C) > 1 && m_cp != readWith)
            {
                node->RemoveAllParams();
                for (auto& [name, value] : params)
                {
                    m_pname.swap(name);
                    m_pvalue.swap(value);
                    AddParam(node);
                }
            }
        }
    }
    m_parser.m_nCodePage = m_cp;
    const unsigned check = m_cp != 0 ? m_cp : GetACP();
    m_encName = CodePageForReading(m_declared.c_str()) == check ? m_declared
                : CodePageForReading(EncodingNameOfCodePage(check).c_str()) == check
                    ? EncodingNameOfCodePage(check)
                    : "code page " + std::to_string(check);
    m_in.CheckEncoding(check);
    StartSplit(check);

    for (;;)
    {
        if (m_split != nullptr && m_in.Offset() > m_split->read.At())
            m_split.reset();
        uint8_t c;
        if (!m_in.Get(c))
            return true;
        if (c != '<')
        {
            if (c == ' ' || c == '\n' || c == '\r' || (m_x10 && c == '\t'))
                continue;
            return FailBack(c == '\t' ? "tab outside an element" : "text outside an element");
        }
        if (m_in.Ensure(1) == 0)
            return m_x10 ? Fail("input ends after '<'")
                         : true; // a lone "<" at the very end reads nothing more
        const uint8_t c2 = m_in.At(0);
        if (m_nameTake[c2])
        {
            m_in.Back1();
            if (m_split != nullptr && m_in.Offset() == m_split->read.At() && Stitch())
                continue;
            if (!Element(m_top))
                return false;
        }
        else if (c2 == '?')
        {
            m_in.Back1();
            if (!Leaf(&CXmlBuilder::Header, m_top))
                return false;
        }
        else if (c2 == '!')
        {
            m_in.Back1();
            const bool remark = m_in.LookingAt("<!--", 4);
            if (m_x10 && !remark)
            {
                if (!m_in.LookingAt("<!DOCTYPE", 9))
                    return Fail("expected '<!--' or '<!DOCTYPE'");
                if (!Leaf(&CXmlBuilder::DocType, m_top))
                    return false;
            }
            else if (!(remark ? Leaf(&CXmlBuilder::Remark, m_top) : Declaration()))
                return false;
        }
        else
        {
            if (m_x10)
                return Fail("expected a name, '!' or '?' after '<'");
            m_in.Skip(1);
        }
    }
}

CXmlParser::CXmlParser(bool wide, uint8_t flags, const char* declName)
    : m_nFlags(flags), m_bWide(wide)
{
    if (declName != nullptr)
        m_strDeclName.Assign(declName);
    else if ((flags & (kXmlParseStrict | kXmlParseXml10)) != 0)
        m_strDeclName.Assign("xml");
}

void CXmlParser::Reset()
{
    if (m_pRoot == nullptr)
        return;
    if (m_bWide)
        static_cast<CXmlNodeT<wchar_t>*>(m_pRoot)->Clear();
    else
        static_cast<CXmlNodeT<char>*>(m_pRoot)->Clear();
}

bool CXmlParser::Parse(Orvex::IStream* stream, IXmlParseHook* hook)
{
    m_pHook = hook;
    m_pszError = nullptr;
    m_nErrorOffset = 0;
    m_bSplit = false;
    m_bBom = false;
    m_nCodePage = 0;
    if (stream == nullptr || (stream->GetMode() & Orvex::kModeRead) == 0 || m_pRoot == nullptr)
    {
        m_pszError = "the stream cannot be read";
        return false;
    }
    m_pStream = stream;
    m_nByteForm = xbfBytes;
    m_szLineEnd[0] = '\0';
    Reset();
    // XML 1.0 mode reads UTF-16 as the UTF-8 it converts to; offsets are
    // then mapped back to the input's.
    std::string utf8;
    uint32_t bomBytes = 0;
    const bool xml10 = (m_nFlags & kXmlParseXml10) != 0;
    if (const char* wideForm = SniffWideForm(stream, xml10))
    {
        m_strError = std::string(wideForm) + (xml10 || wideForm[4] == '3'
                                                  ? " input is not supported"
                                                  : " input; it opens in XML 1.0 mode");
        m_pszError = m_strError.c_str();
        m_pStream = nullptr;
        return false;
    }
    if (xml10)
    {
        m_nByteForm = SniffUtf16(stream, bomBytes);
        if (m_nByteForm != xbfBytes && !Utf16ToUtf8(stream, bomBytes, utf8))
        {
            m_pStream = nullptr;
            return false;
        }
        m_bBom = bomBytes != 0;
    }
    Orvex::CMemStream converted(utf8.data(), static_cast<uint32_t>(utf8.size()));
    Orvex::IStream* in = m_nByteForm == xbfBytes ? stream : &converted;
    const bool utf16 = m_nByteForm != xbfBytes;
    bool ok;
    {
        if (m_bWide)
        {
            CXmlBuilder<wchar_t> builder(*this, in, utf16);
            ok = builder.Finish(builder.Run());
        }
        else
        {
            CXmlBuilder<char> builder(*this, in, utf16);
            ok = builder.Finish(builder.Run());
        }
    }
    if (!ok && utf16)
        m_nErrorOffset = bomBytes + Utf16Offset(utf8, m_nErrorOffset);
    m_pStream = nullptr;
    return ok;
}

const char* CXmlParser::SniffWideForm(Orvex::IStream* stream, bool xml10)
{
    uint8_t b[4] = {};
    const uint32_t got = stream->Read(b, sizeof b);
    if (got > 0 && got <= sizeof b)
        stream->Seek(-static_cast<int32_t>(got), Orvex::kSeekCurrent);
    if (got == 4 && ((b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0) ||
                     (b[0] == '<' && b[1] == 0 && b[2] == 0 && b[3] == 0)))
        return "UTF-32LE";
    if (got == 4 && b[0] == 0 && b[1] == 0 && ((b[2] == 0xFE && b[3] == 0xFF) || b[3] == '<'))
        return "UTF-32BE";
    if (xml10)
        return nullptr;
    uint32_t bom = 0;
    switch (SniffUtf16(stream, bom))
    {
    case xbfUtf16LE:
        return "UTF-16LE";
    case xbfUtf16BE:
        return "UTF-16BE";
    default:
        return nullptr;
    }
}

XmlByteForm CXmlParser::SniffUtf16(Orvex::IStream* stream, uint32_t& bomBytes)
{
    uint8_t head[4] = {};
    const uint32_t got = stream->Read(head, sizeof head);
    if (got > 0 && got <= sizeof head)
        stream->Seek(-static_cast<int32_t>(got), Orvex::kSeekCurrent);
    bomBytes = 0;
    if (got >= 2 && head[0] == 0xFF && head[1] == 0xFE)
    {
        bomBytes = 2;
        return xbfUtf16LE;
    }
    if (got >= 2 && head[0] == 0xFE && head[1] == 0xFF)
    {
        bomBytes = 2;
        return xbfUtf16BE;
    }
    if (got == 4 && head[0] == '<' && head[1] == 0 && head[2] == '?' && head[3] == 0)
        return xbfUtf16LE;
    if (got == 4 && head[0] == 0 && head[1] == '<' && head[2] == 0 && head[3] == '?')
        return xbfUtf16BE;
    return xbfBytes;
}

bool CXmlParser::Utf16ToUtf8(Orvex::IStream* stream, uint32_t bomBytes, std::string& out)
{
    constexpr uint32_t kBlock = 256 * 1024;
    std::vector<uint8_t> bytes;
    for (;;)
    {
        const size_t have = bytes.size();
        bytes.resize(have + kBlock);
        const uint32_t got = stream->Read(bytes.data() + have, kBlock);
        bytes.resize(have + (got <= kBlock ? got : 0));
        if (got == 0 || got > kBlock)
            break;
    }
    const bool le = m_nByteForm == xbfUtf16LE;
    const char* name = le ? "UTF-16LE" : "UTF-16BE";
    out.clear();
    out.reserve(bytes.size());
    size_t i = bomBytes;
    auto unit = [&](size_t at)
    {
        return le ? static_cast<char32_t>(bytes[at] | (bytes[at + 1] << 8))
                  : static_cast<char32_t>((bytes[at] << 8) | bytes[at + 1]);
    };
    auto fail = [&](size_t at)
    {
        m_strError = std::string("bytes not valid ") + name;
        m_pszError = m_strError.c_str();
        m_nErrorOffset = at;
        return false;
    };
    for (; i + 1 < bytes.size(); i += 2)
    {
        char32_t c = unit(i);
        if (c >= 0xDC00 && c <= 0xDFFF)
            return fail(i);
        if (c >= 0xD800 && c <= 0xDBFF)
        {
            if (i + 3 >= bytes.size())
                return fail(i);
            const char32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                return fail(i);
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        if (c == 0)
        {
            fail(i);
            m_strError = "a NUL character in the input";
            m_pszError = m_strError.c_str();
            return false;
        }
        char enc[4];
        const size_t n = unicode::EncodeUtf8(c, enc);
        out.append(enc, n);
    }
    if (i < bytes.size())
        return fail(i); // an odd byte at the end
    if (out.size() > 0x7FFFFFFF)
    {
        m_pszError = "the input is too large";
        return false;
    }
    return true;
}

uint64_t CXmlParser::Utf16Offset(const std::string& utf8, uint64_t offset)
{
    uint64_t units = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0; i < offset && i < utf8.size();)
    {
        const unicode::Utf8Decoded d = unicode::DecodeUtf8(p + i, utf8.size() - i);
        units += d.codePoint > 0xFFFF ? 2 : 1;
        i += d.length;
    }
    return units * 2;
}

template class CXmlBuilder<char>;
template class CXmlBuilder<wchar_t>;

} // namespace nkDS
