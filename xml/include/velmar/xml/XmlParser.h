#pragma once
// The XML reader: turns the bytes of a stream into CXmlNodeT nodes under a
// root, narrow or wide. By default it accepts the dialect the writer
// produces: a declaration, elements with quoted parameters, text, CDATA
// sections, remarks and processing instructions; a document type
// declaration is skipped. References are not decoded: text is kept as
// written.
//
// In XML 1.0 mode it reads well-formed XML 1.0 with namespaces, and every
// node it makes is an XML 1.0 node (IsXml10):
// - the document type declaration is a top-level node of kind xnkDocType,
//   named by its root element, its value the whole declaration as written
//   (from "<!DOCTYPE" to the final ">", internal subset included);
// - an element whose content mixes text with child elements (or holds more
//   than one piece of text) gets each text run, white space included, as a
//   node of kind xnkText in its place among its children, a CDATA section
//   as such a node marked CDATA; the element itself then has no value. An
//   element with one piece of text keeps it as its value, as before;
// - a processing instruction whose content is not all parameters keeps the
//   content, as written, as its value and has no parameters;
// - UTF-16 input is read as the UTF-8 it converts to: narrow nodes hold
//   UTF-8 then, and HadByteOrderMark tells whether it began with a mark.
//   Narrow nodes of any other encoding hold its bytes as read.

#include "velmar/xml/XmlNode.h"
#include "velmar/xml/XmlParseHook.h"
#include "velmar/io/Orvex.h"

#include <cstdint>
#include <string>

namespace nkDS
{

// Parser flag: the input must begin with the declaration.
inline constexpr uint8_t kXmlParseStrict = 0x01;
// Parser flag: read the XML 1.0 grammar with namespaces (qualified names,
// document type, mixed content, any encoding the system converts) instead of
// the editor's own dialect, which it contains. The document keeps the mode:
// it also decides how the tree is written and which names nodes accept.
inline constexpr uint8_t kXmlParseXml10 = 0x02;
// Elements nested deeper than this make the parse fail.
inline constexpr uint32_t kXmlMaxDepth = 1000;

// How the input's bytes carried its characters.
enum XmlByteForm : uint8_t
{
    xbfBytes = 0,   // 8-bit: UTF-8 or the code page the declaration names
    xbfUtf16LE = 1, // UTF-16, little endian
    xbfUtf16BE = 2, // UTF-16, big endian
};

class CXmlParser
{
public:
    // `declName` replaces "xml" as the name the declaration must carry.
    CXmlParser(bool wide, uint8_t flags, const char* declName = nullptr);
    CXmlParser(const CXmlParser&) = delete;
    CXmlParser& operator=(const CXmlParser&) = delete;

    void SetRoot(CXmlNodeT<char>* root)
    {
        m_pRoot = root;
        m_bWide = false;
    }
    void SetRoot(CXmlNodeT<wchar_t>* root)
    {
        m_pRoot = root;
        m_bWide = true;
    }

    // Parses the whole stream into the root, which is cleared first. On
    // failure the top-level nodes completed so far stay under the root; the
    // element being read when it failed is dropped. The stream is left just
    // after the last byte the parser consumed.
    bool Parse(Orvex::IStream* stream, IXmlParseHook* hook);
    // Clears the root, if one is set.
    void Reset();

    // A large input is read by two threads: a second reader takes the part
    // from a start tag near its middle on, and the first joins that part to
    // the tree on reaching it, or reads on alone where it does not fit (the
    // tag stood inside a remark, say). The tree, errors and offsets are
    // those of one reader. Only for input of at least `minBytes` in UTF-8
    // from a stream with views, parsed without a hook; `from`, when not 0,
    // is the input offset the search for the tag starts at (for tests).
    struct Split
    {
        uint64_t minBytes = 2u << 20;
        uint64_t from = 0;
    };
    void SetSplit(const Split& split) { m_split = split; }
    // Whether the last parse joined a second reader's part.
    bool WasSplit() const { return m_bSplit; }

    // Whether the input began with a UTF-8 byte order mark.
    bool HadByteOrderMark() const { return m_bBom; }
    // The form of the last input's bytes (XML 1.0 mode reads UTF-16 too).
    XmlByteForm GetByteForm() const { return m_nByteForm; }
    // The first line end of the last input ("\n", "\r\n" or "\r"); empty
    // when it had none.
    const char* GetLineEnd() const { return m_szLineEnd; }
    // Code page the last parse converted wide text with (0: the ANSI one).
    unsigned GetCodePage() const { return m_nCodePage; }
    // Byte offset of the last parse's failure: the first byte that was not
    // what the reader expected, or the input's length when it ended early.
    uint64_t GetErrorOffset() const { return m_nErrorOffset; }
    // Short reason of that failure, saying what was expected; null after a
    // successful parse.
    const char* GetErrorReason() const { return m_pszError; }

    void* m_pRoot = nullptr; // CXmlNodeT<char> or <wchar_t>, per m_bWide
    uint8_t m_nFlags;
    nkMem::CStringT<char> m_strDeclName;
    Orvex::IStream* m_pStream = nullptr;
    bool m_bWide;
    IXmlParseHook* m_pHook = nullptr;

private:
    template <class C> friend class CXmlBuilder;

    // The name of the UTF-32 form the input has, or in the editor's dialect
    // also its UTF-16 form; null for neither. The stream stays where it was.
    const char* SniffWideForm(Orvex::IStream* stream, bool xml10);
    // XML 1.0 mode: the form a UTF-16 input has by its byte order mark or
    // its first four bytes ("<?"), and the mark's length; the stream stays
    // where it was.
    XmlByteForm SniffUtf16(Orvex::IStream* stream, uint32_t& bomBytes);
    // The rest of the stream, UTF-16 in m_nByteForm, as UTF-8; false with
    // the failure set at the first unit that is no character.
    bool Utf16ToUtf8(Orvex::IStream* stream, uint32_t bomBytes, std::string& out);
    // The UTF-16 length, in bytes, of the first `offset` bytes of `utf8`.
    static uint64_t Utf16Offset(const std::string& utf8, uint64_t offset);

    Split m_split;
    bool m_bSplit = false;
    bool m_bBom = false;
    XmlByteForm m_nByteForm = xbfBytes;
    char m_szLineEnd[3] = {};
    unsigned m_nCodePage = 0;
    uint64_t m_nErrorOffset = 0;
    const char* m_pszError = nullptr; // into m_strError
    std::string m_strError;
};

} // namespace nkDS
