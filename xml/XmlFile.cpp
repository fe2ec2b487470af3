#include "velmar/xml/XmlFile.h"

#include "velmar/xml/XmlEncoding.h"
#include "velmar/win32/win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace nkDS
{
namespace
{

const char kRootName[] = "XMLFile_Parser_Root";
constexpr unsigned kUtf8 = 65001;

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

template <class C> unsigned CXmlFileT<C>::WriteCodePage() const
{
    if constexpr (sizeof(C) == 1)
        return 0;
    else
    {
        // The declaration in the tree decides, so that a file written says
        // truthfully what it is encoded in; when it names no encoding, a
        // byte order mark read stands for UTF-8, as it did for the reader.
        Node* decl = Declaration();
        nkMem::CStringT<C> name;
        const C* enc = decl != nullptr ? decl->GetParamByName(Literal("encoding", name)) : nullptr;
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
    m_writer.Begin(stream);
    // The mark goes only before UTF-8: a declaration changed since the load
    // to name another encoding drops it. Narrow text is written as read.
    if (m_bBom && (sizeof(C) == 1 || cp == kUtf8 || (cp == 0 && GetACP() == kUtf8)))
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
            Node* child = this->GetChild(i);
            if (child != nullptr && child->GetKind() == xnkHeader)
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
            Node* child = current->GetChild(i);
            if (child == nullptr || !SameText(child->GetName(), name))
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
