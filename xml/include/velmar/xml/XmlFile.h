#pragma once
// The XML document object: the root node of a document (named
// "XMLFile_Parser_Root") with its parser and writer, the version and encoding
// of its declaration, loading from and saving to streams and files.

#include "velmar/xml/XmlNode.h"
#include "velmar/xml/XmlParser.h"
#include "velmar/xml/XmlWriter.h"
#include "velmar/io/Orvex.h"

#include <cstdint>

namespace nkDS
{

template <class C> class CXmlFileT : public CXmlNodeT<C>, public Orvex::ISerializable
{
public:
    using Node = CXmlNodeT<C>;

    // `encoding` is copied as it is (null: none); `flags` are the parser's.
    explicit CXmlFileT(float version = 1.0f, const char* encoding = nullptr,
                       uint8_t flags = kXmlParseStrict);
    ~CXmlFileT() override;
    CXmlFileT(const CXmlFileT&) = delete;
    CXmlFileT& operator=(const CXmlFileT&) = delete;

    // Writes the node the locator designates (the whole document when it
    // designates none or is null) behind the document's header nodes.
    virtual bool Save(Orvex::IStream* stream, const Orvex::CDataLocator* locator);

    // Parses the stream into this tree and takes version and encoding from
    // the declaration. False on any refusal; see CXmlParser::Parse.
    bool Read(Orvex::IStream* stream) override;
    // The whole document; false when the stream took less than was written.
    bool Write(Orvex::IStream* stream) override;

    bool LoadFromFile(const char* path);
    bool LoadFromFile(const wchar_t* path);
    // Replaces the file's content with the document; false when it cannot
    // be opened or not everything could be written.
    bool SaveToFile(const char* path);
    bool SaveToFile(const wchar_t* path);

    // From the start of `stream`: the top-level header nodes then `node`, or
    // every top-level node when `node` is this document.
    bool ExportNode(Orvex::IStream* stream, Node* node);
    // The node the locator designates, or null.
    Node* FindNode(const Orvex::CDataLocator* locator);

    // Back to an empty document: no nodes, version 0.0, no encoding.
    void Close();
    float GetVersion() const { return m_fVersion; }
    const char* GetEncoding() const;
    // Stores the version and rewrites an existing "version" parameter of
    // the declaration as "%.1f".
    void SetVersion(float version);

    CXmlParser& GetParser() { return m_parser; }
    // Whether the file began with a UTF-8 byte order mark; it is written back.
    bool HasByteOrderMark() const { return m_bBom; }
    void SetByteOrderMark(bool on) { m_bBom = on; }
    // XML 1.0 mode: the byte form and the line end the file was read with,
    // which it is written back with. A new document: 8-bit and CR LF.
    XmlByteForm GetByteForm() const { return m_nByteForm; }
    void SetByteForm(XmlByteForm form) { m_nByteForm = form; }
    const char* GetLineEnd() const { return m_szLineEnd; }
    // Sets the line end to write with ("\n", "\r\n" or "\r"); false for
    // anything else, which changes nothing.
    bool SetLineEnd(const char* lineEnd);

    float m_fVersion;
    nkMem::CStringT<char> m_strEncoding;
    CXmlParser m_parser;
    CXmlWriter m_writer;

private:
    // The declaration node, when the first top-level node is "xml".
    Node* Declaration() const;
    // Code page that text of this document is written with: 0 the ANSI one,
    // or in XML 1.0 mode an encoding that cannot be written.
    unsigned WriteCodePage() const;
    // The encoding the declaration names, or null.
    const C* DeclaredEncoding() const;
    // How the output carries its characters (always 8-bit outside XML 1.0
    // mode).
    XmlByteForm WriteByteForm() const;
    template <class P> bool Load(const P* path);
    template <class P> bool Store(const P* path);

    bool m_bBom = false;
    XmlByteForm m_nByteForm = xbfBytes;
    char m_szLineEnd[3] = {'\r', '\n', '\0'};
};

using CXmlFileA = CXmlFileT<char>;
using CXmlFileW = CXmlFileT<wchar_t>;

extern template class CXmlFileT<char>;
extern template class CXmlFileT<wchar_t>;

} // namespace nkDS
