#include "velmar/xml/XmlFile.h"

#include "velmar/xml/XmlEncoding.h"
#include "velmar/win32/win32.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace nkDS
{
namespace
{

const char kRootName[] = "XMLFile_Parser_Root";
constexpr unsigned kUtf8 = 65001;
// Input from which on a load cuts its blocks from the bulk pool.
constexpr uint64_t kBulkLoadBytes = 1u << 20;

template <class C> bool SameText(const C* a, const C* b)
{
    if (a == nullptr || b == nullptr)
        return a == b;
    while (*a != C(0) && *a == *b)
        ++a, ++b;
    return *a == *b;
}

// A locator's wide text in the node's width.
const wchar_t* InWidth(const wchar_t* s, nkMem::CStringT<wchar_t>&)
{
    return s;
}
const char* InWidth(const wchar_t* s, nkMem::CStringT<char>& buf)
{
    if (s == nullptr)
        return nullptr;
    buf.Assign(s);
    return buf.GetSafeString();
}

// Whether an encoding name is one of UTF-16's: 1 little endian or unmarked,
// 2 big endian, 0 not UTF-16. Case, "-" and "_" do not count.
int Utf16Name(const char* name)
{
    std::string n;
    for (; *name != '\0'; ++name)
        if (*name != '-' && *name != '_')
            n += static_cast<char>(std::toupper(static_cast<unsigned char>(*name)));
    return n == "UTF16" || n == "UTF16LE" || n == "UCS2" ? 1 : n == "UTF16BE" ? 2 : 0;
}

template <class C> const C* Literal(const char* ascii, nkMem::CStringT<C>& buf)
{
    buf.Empty();
    for (; *ascii != '\0'; ++ascii)
        buf.Append(static_cast<C>(*ascii));
    return buf.GetString();
}

} // namespace

template <class C>
CXmlFileT<C>::CXmlFileT(float version, const char* encoding, uint8_t flags)
    : m_fVersion(version), m_parser(sizeof(C) > 1, flags)
{
    if (encoding != nullptr)
        m_strEncoding.Assign(encoding);
    nkMem::CStringT<C> name;
    this->SetName(Literal(kRootName, name));
    this->SetXml10((flags & kXmlParseXml10) != 0);
    m_parser.SetRoot(static_cast<Node*>(this));
}

template <class C> CXmlFileT<C>::~CXmlFileT()
{
    this->RemoveAllChildren();
}

template <class C> typename CXmlFileT<C>::Node* CXmlFileT<C>::Declaration() const
{
    if (this->GetChildCount() == 0)
        return nullptr;
    Node* first = this->GetChild(0);
    nkMem::CStringT<C> xml;
    return first != nullptr && SameText(first->GetName(), Literal("xml", xml)) ? first : nullptr;
}

template <class C> const C* CXmlFileT<C>::DeclaredEncoding() const
{
    Node* decl = Declaration();
    nkMem::CStringT<C> name;
    return decl != nullptr ? decl->GetParamByName(Literal("encoding", name)) : nullptr;
}

template <class C> XmlByteForm CXmlFileT<C>::WriteByteForm() const
{
    if (!this->IsXml10())
        return xbfBytes;
    // The declaration decides, as for the code page; without one, the form
    // the file came in.
    const C* enc = DeclaredEncoding();
    if (enc == nullptr)
        return m_nByteForm;
    nkMem::CStringT<char> narrow;
    narrow.Assign(enc);
    const int utf16 = Utf16Name(narrow.GetSafeString());
    if (utf16 == 0)
        return xbfBytes;
    return m_nByteForm != xbfBytes ? m_nByteForm : utf16 == 2 ? xbfUtf16BE : xbfUtf16LE;
}

template <class C> bool CXmlFileT<C>::SetLineEnd(const char* lineEnd)
{
    for (const char* allowed : {"\n", "\r\n", "\r"})
        if (lineEnd != nullptr && std::strcmp(lineEnd, allowed) == 0)
        {
            std::strcpy(m_szLineEnd, allowed);
            return true;
        }
    return false;
}

template <class C> unsigned CXmlFileT<C>::WriteCodePage() const
{
    if constexpr (sizeof(C) == 1)
        return 0;
    else
    {
        // UTF-16 output is encoded from UTF-8 as it is written.
        if (WriteByteForm() != xbfBytes)
            return kUtf8;
        // XML 1.0 mode: a document that names no encoding is UTF-8, which
        // is what any reader takes it for.
        if (this->IsXml10() && DeclaredEncoding() == nullptr)
            return kUtf8;
        // The declaration in the tree decides, so that a file written says
        // truthfully what it is encoded in; when it names no encoding, a
        // byte order mark read stands for UTF-8, as it did for the reader.
        const C* enc = DeclaredEncoding();
        if (enc == nullptr)
            return m_bBom ? kUtf8 : 0u;
        nkMem::CStringT<char> narrow;
        narrow.Assign(enc);
        return CodePageForWriting(narrow.GetString());
    }
}

template <class C> bool CXmlFileT<C>::Read(Orvex::IStream* stream)
{
    m_parser.SetRoot(static_cast<Node*>(this));
    // A large document keeps nearly all it allocates: cut its small blocks
    // from the bulk pool. A small one stays on the heap, as a pool region
    // would cost it far more than its size.
    const uint64_t length = stream != nullptr ? stream->GetLength64() : 0;
    const uint64_t at = stream != nullptr ? stream->GetPosition64() : 0;
    std::optional<nkMem::CBulkScope> bulk;
    if (length > at && length - at >= kBulkLoadBytes)
        bulk.emplace();
    const bool ok = m_parser.Parse(stream, nullptr);
    m_bBom = m_parser.HadByteOrderMark();
    m_nByteForm = m_parser.GetByteForm();
    // A file without a line end is written with CR LF, as a new document.
    const char* lineEnd = m_parser.GetLineEnd();
    std::memcpy(m_szLineEnd, lineEnd[0] != '\0' ? lineEnd : "\r\n", sizeof m_szLineEnd);
    if (!ok)
        return false;
    if (Node* decl = Declaration())
    {
        nkMem::CStringT<C> name;
        const C* version = decl->GetParamByName(Literal("version", name));
        nkMem::CStringT<char> text;
        if (version != nullptr)
            text.Assign(version);
        // No "version" parameter: the document is taken as version 1.0.
        m_fVersion = version != nullptr
                         ? static_cast<float>(std::strtod(text.GetSafeString(), nullptr))
                         : 1.0f;
        const C* encoding = decl->GetParamByName(Literal("encoding", name));
        m_strEncoding.Empty();
        if (encoding != nullptr)
            m_strEncoding.Assign(encoding);
    }
    return true;
}

template <class C> template <class P> bool CXmlFileT<C>::Load(const P* path)
{
    Orvex::CFileStream stream(path, Orvex::kModeRead, false);
    if (!stream.IsOpen())
        return false;
    const bool ok = static_cast<Orvex::IReader*>(this)->Read(&stream);
    stream.Close();
    return ok;
}

template <class C> bool CXmlFileT<C>::LoadFromFile(const char* path)
{
    return Load(path);
}
template <class C> bool CXmlFileT<C>::LoadFromFile(const wchar_t* path)
{
    return Load(path);
}

template <class C> void CXmlFileT<C>::Close()
{
    m_parser.Reset();
    this->Clear();
    m_fVersion = 0.0f;
    m_strEncoding.Empty();
    m_bBom = false;
    m_nByteForm = xbfBytes;
    std::memcpy(m_szLineEnd, "\r\n", sizeof m_szLineEnd);
}

template <class C> const char* CXmlFileT<C>::GetEncoding() const
{
    return m_strEncoding.GetSafeString();
}

template <class C> void CXmlFileT<C>::SetVersion(float version)
{
    m_fVersion = version;
    // Large enough for any float in "%.1f".
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(version));
    Node* decl = Declaration();
    if (decl == nullptr)
        return;
    nkMem::CStringT<C> name, value;
    value.Assign(text);
    decl->SetParam(Literal("version", name), value.GetString());
}

template <class C> bool CXmlFileT<C>::ExportNode(Orvex::IStream* stream, Node* node)
{
    if (stream == nullptr || node == nullptr)
        return false;
    if (!stream->Seek(0, Orvex::kSeekBegin))
        return false;
    const unsigned cp = WriteCodePage();
    const XmlByteForm form = WriteByteForm();
    m_writer.Begin(stream);
    // Blocks written behind are done with before the stream can go, even
    // when an exception leaves early.
    struct Settler
    {
        CXmlWriter& writer;
        ~Settler() { writer.Settle(); }
    } settler{m_writer};
    if (this->IsXml10())
    {
        m_writer.SetXml10(m_szLineEnd, form);
        // Never write in another encoding than the one named: a name the
        // system cannot convert fails the output instead.
        if (cp == 0 && sizeof(C) > 1 && form == xbfBytes)
        {
            nkMem::CStringT<char> enc;
            enc.Assign(DeclaredEncoding());
            const std::string why = std::string("unsupported encoding ") + enc.GetSafeString();
            m_writer.Refuse(why.c_str());
            return m_writer.End();
        }
    }
    // The mark goes only before UTF-8: a declaration changed since the load
    // to name another encoding drops it. Narrow text is written as read.
    // UTF-16 always has it; the writer turns this one into UTF-16's.
    if (form != xbfBytes ||
        (m_bBom && (sizeof(C) == 1 || cp == kUtf8 || (cp == 0 && GetACP() == kUtf8))))
        m_writer.WriteRaw("\xEF\xBB\xBF", 3);
    const uint32_t count = this->GetChildCount();
    if (node == static_cast<Node*>(this))
    {
        for (uint32_t i = 0; i < count; ++i)
            if (Node* child = this->GetChild(i))
                m_writer.WriteNode(child, 0, cp);
    }
    else
    {
        for (uint32_t i = 0; i < count; ++i)
        {
            // The document type goes too: the entities the node uses may be
            // declared there.
            Node* child = this->GetChild(i);
            if (child != nullptr &&
                (child->GetKind() == xnkHeader || child->GetKind() == xnkDocType))
                m_writer.WriteNode(child, 0, cp);
        }
        m_writer.WriteNode(node, 0, cp);
    }
    return m_writer.End();
}

template <class C>
typename CXmlFileT<C>::Node* CXmlFileT<C>::FindNode(const Orvex::CDataLocator* locator)
{
    if (locator == nullptr || locator->GetCellCount() == 0)
        return nullptr;
    Node* current = static_cast<Node*>(this);
    nkMem::CStringT<C> nameBuf, paramBuf, valueBuf;
    for (uint32_t c = 0; c < locator->GetCellCount(); ++c)
    {
        const Orvex::CDataLocatorCell* cell = locator->GetCell(c);
        const C* name = InWidth(cell->GetName(), nameBuf);
        const bool byIndex = cell->GetKind() == Orvex::CDataLocatorCell::kKindIndex;
        const int32_t index = cell->GetIndex();
        if (byIndex && index < 0)
            return nullptr; // no occurrence comes before the first
        const C* param = InWidth(cell->GetParamName(), paramBuf);
        const C* value = InWidth(cell->GetParamValue(), valueBuf);
        Node* match = nullptr;
        int32_t seen = 0;
        for (uint32_t i = 0; i < current->GetChildCount() && match == nullptr; ++i)
        {
            // Runs of mixed content and the document type are no elements
            // and take no place in the count.
            Node* child = current->GetChild(i);
            if (child == nullptr || child->GetKind() == xnkText || child->GetKind() == xnkDocType ||
                !SameText(child->GetName(), name))
                continue;
            if (byIndex)
            {
                if (seen++ == index)
                    match = child;
            }
            else if (param != nullptr)
            {
                const C* have = child->GetParamByName(param);
                if (have != nullptr && (value == nullptr || SameText(have, value)))
                    match = child;
            }
            else
            {
                match = child;
            }
        }
        if (match == nullptr)
            return nullptr;
        current = match;
    }
    return current;
}

template <class C>
bool CXmlFileT<C>::Save(Orvex::IStream* stream, const Orvex::CDataLocator* locator)
{
    Node* node = FindNode(locator);
    return ExportNode(stream, node != nullptr ? node : static_cast<Node*>(this));
}

template <class C> bool CXmlFileT<C>::Write(Orvex::IStream* stream)
{
    return Save(stream, nullptr);
}

template <class C> template <class P> bool CXmlFileT<C>::Store(const P* path)
{
    Orvex::CFileStream stream(path, Orvex::kModeWrite, true);
    if (!stream.IsOpen())
        return false;
    // The stream opens without truncating: cut what a longer old content
    // would leave behind the new one.
    bool ok = stream.Truncate() && static_cast<Orvex::IWriter*>(this)->Write(&stream);
    ok = stream.Flush() && ok;
    stream.Close();
    return ok;
}

template <class C> bool CXmlFileT<C>::SaveToFile(const char* path)
{
    return Store(path);
}
template <class C> bool CXmlFileT<C>::SaveToFile(const wchar_t* path)
{
    return Store(path);
}

template class CXmlFileT<char>;
template class CXmlFileT<wchar_t>;

} // namespace nkDS
