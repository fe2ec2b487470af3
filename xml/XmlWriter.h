#pragma once
// The XML writer: a node tree back to bytes in the fixed layout (one node per
// line, one space of indentation per level, CR LF, parameters in single
// quotes). Output is collected and written to the target in large blocks;
// every write is checked.

#include "xml/XmlNode.h"
#include "io/Orvex.h"

#include <cstdint>
#include <string>

namespace nkDS
{

class CXmlWriter
{
public:
    // Starts output to `target`, at the target's current position.
    void Begin(Orvex::IStream* target);
    // Writes the node and its subtree at `depth`. Wide text is encoded with
    // `codePage` (0: ANSI); characters it cannot represent are written as
    // character references. Narrow text is written as it is.
    template <class C>
    void WriteNode(CXmlNodeT<C>* node, uint32_t depth, unsigned codePage);
    void WriteRaw(const char* bytes, size_t n) { Put(bytes, n); }
    // Writes what is collected; false when any write fell short.
    bool End();

    Orvex::IStream* m_pTarget = nullptr;

private:
    void Put(const char* s, size_t n)
    {
        m_out.append(s, n);
        if (m_out.size() >= kBlock)
            Drain();
    }
    void Put(char c)
    {
        m_out.push_back(c);
        if (m_out.size() >= kBlock)
            Drain();
    }
    void Indent(uint32_t depth);
    void Drain();

    template <class C>
    void Open(CXmlNodeT<C>* node, uint32_t depth, unsigned cp);
    template <class C>
    void Params(const CXmlNodeT<C>* node, unsigned cp);
    // Text in the target's bytes: `escape` 2 escapes "<", ">" and a bare "&";
    // 1 only a bare "&" (parameter values); 0 nothing (remarks, CDATA).
    void Text(const char* s, size_t n, unsigned cp, int escape);
    void Text(const wchar_t* s, size_t n, unsigned cp, int escape);
    void Escaped(const char* s, size_t n, int escape);

    static constexpr size_t kBlock = 1 << 20;
    std::string m_out;
    std::string m_conv;
    bool m_ok = true;
};

extern template void CXmlWriter::WriteNode<char>(CXmlNodeT<char>*, uint32_t, unsigned);
extern template void CXmlWriter::WriteNode<wchar_t>(CXmlNodeT<wchar_t>*, uint32_t, unsigned);

} // namespace nkDS
