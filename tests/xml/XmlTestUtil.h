#pragma once
// Loading and saving documents through memory streams, for the engine tests
// and the fuzz target.

#include "velmar/xml/nkDS.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport
{

// Loads `bytes` into `doc` through a read-only memory stream.
template <class C> bool Load(nkDS::CXmlFileT<C>& doc, const std::string& bytes)
{
    Orvex::CMemStream in(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return doc.Read(&in);
}

// The bytes `doc` writes for the whole document.
template <class C> std::string Save(nkDS::CXmlFileT<C>& doc, bool* ok = nullptr)
{
    Orvex::CMemStream out;
    const bool wrote = doc.Write(&out);
    if (ok != nullptr)
        *ok = wrote;
    return std::string(reinterpret_cast<const char*>(out.GetBuffer()), out.GetLength());
}

// Whether `saved` loads again and saves to the same bytes.
template <class C>
bool IsFixedPoint(const std::string& saved, uint8_t flags = nkDS::kXmlParseStrict)
{
    nkDS::CXmlFileT<C> again(1.0f, nullptr, flags);
    return Load(again, saved) && Save(again) == saved;
}

// Top-level node i, or null.
template <class C> nkDS::CXmlNodeT<C>* Top(nkDS::CXmlFileT<C>& doc, uint32_t i)
{
    return i < doc.GetChildCount() ? doc.GetChild(i) : nullptr;
}

// Every node below `root`, in document order, with all it holds: kind,
// name, value, CDATA mark and parameters, and whether its parent is right.
template <class C> std::string DumpTree(const nkDS::CXmlNodeT<C>* root)
{
    std::string out;
    auto put = [&out](const C* s)
    {
        for (; *s != C(0); ++s)
            if (sizeof(C) == 1 || static_cast<uint32_t>(*s) < 0x80)
                out += static_cast<char>(*s);
            else
                out += "&#" + std::to_string(static_cast<uint32_t>(*s)) + ";";
        out += '|';
    };
    // Without recursion: a deep tree must not overflow the stack here either.
    std::vector<std::pair<const nkDS::CXmlNodeT<C>*, uint32_t>> stack{{root, 0}};
    while (!stack.empty())
    {
        auto [node, depth] = stack.back();
        stack.pop_back();
        out += std::to_string(depth) + ":" + std::to_string(node->GetKind()) +
               (node->IsCData() ? "c " : " ");
        put(node->GetName());
        put(node->GetValue());
        for (uint32_t i = 0; i < node->GetParamCount(); ++i)
        {
            put(node->GetParamName(i));
            put(node->GetParamValue(i));
        }
        out += '\n';
        for (uint32_t i = node->GetChildCount(); i-- > 0;)
        {
            if (node->GetChild(i)->GetParent() != node)
                out += "bad parent\n";
            stack.emplace_back(node->GetChild(i), depth + 1);
        }
    }
    return out;
}

// What one parse gives: the tree, the failure and its offset, the first line
// end and where the stream is left, and whether a second reader's part was
// joined.
struct ParseOutcome
{
    bool ok = false;
    std::string tree, error, lineEnd;
    uint64_t offset = 0, position = 0;
    bool split = false; // not compared: reading in two parts changes nothing else

    bool operator==(const ParseOutcome& o) const
    {
        return ok == o.ok && tree == o.tree && error == o.error && lineEnd == o.lineEnd &&
               offset == o.offset && position == o.position;
    }
};

// Parses `in` from its start, reading in two parts from `minBytes` of input
// on, the second searched for from offset `from` (see CXmlParser::Split).
template <class C>
ParseOutcome ReadOutcome(Orvex::IStream& in, uint8_t flags, uint64_t minBytes, uint64_t from)
{
    nkDS::CXmlNodeT<C> root;
    nkDS::CXmlParser parser(sizeof(C) > 1, flags);
    parser.SetRoot(&root);
    parser.SetSplit({minBytes, from});
    in.Seek(0, Orvex::kSeekBegin);
    ParseOutcome o;
    o.ok = parser.Parse(&in, nullptr);
    o.tree = DumpTree(&root);
    o.error = parser.GetErrorReason() != nullptr ? parser.GetErrorReason() : "";
    o.offset = parser.GetErrorOffset();
    o.lineEnd = parser.GetLineEnd();
    o.position = in.GetPosition64();
    o.split = parser.WasSplit();
    root.Clear();
    return o;
}

// One literal in the width under test: LIT("x") in a typed test.
template <class C> const C* Pick(const char* narrow, const wchar_t* wide)
{
    if constexpr (sizeof(C) == 1)
        return reinterpret_cast<const C*>(narrow);
    else
        return reinterpret_cast<const C*>(wide);
}
#define LIT(s) testsupport::Pick<TypeParam>(s, L##s)

inline const char* kDecl = "<?xml version='1.0' encoding='UTF-8'?>\r\n";

// `body` behind the declaration.
inline std::string Doc(const std::string& body)
{
    return kDecl + body;
}

} // namespace testsupport
