#include "JsonDump.h"

#include "velmar/win32/Unicode.h"

#include <cstdio>
#include <cwchar>
#include <utility>
#include <vector>

namespace vxml
{
namespace
{

void AppendString(std::string& out, const nkMem::CStringW& s)
{
    AppendJsonString(out, s.GetString(), s.GetString() != nullptr ? s.GetLength() : 0);
}

void AppendString(std::string& out, const wchar_t* s)
{
    AppendJsonString(out, s, s != nullptr ? std::wcslen(s) : 0);
}

const char* KindName(uint32_t kind)
{
    switch (kind)
    {
    case nkDS::xnkHeader:
        return "header";
    case nkDS::xnkRemark:
        return "remark";
    case nkDS::xnkDocType:
        return "doctype";
    case nkDS::xnkText:
        return "text";
    default:
        return "data";
    }
}

// Everything of a node up to the opening of its children's array.
void OpenNode(std::string& out, const nkDS::CXmlNodeW* node)
{
    out += "{\"kind\":\"";
    out += KindName(node->GetKind());
    out += "\",\"name\":";
    AppendString(out, node->m_strName);
    out += ",\"value\":";
    AppendString(out, node->m_strValue);
    out += ",\"cdata\":";
    out += node->IsCData() ? "true" : "false";
    out += ",\"params\":[";
    for (uint32_t i = 0; i < node->GetParamCount(); ++i)
    {
        out += i == 0 ? "[" : ",[";
        AppendString(out, node->GetParamName(i));
        out += ',';
        AppendString(out, node->GetParamValue(i));
        out += ']';
    }
    out += "],\"children\":[";
}

} // namespace

void AppendJsonUtf8(std::string& out, const std::string& utf8)
{
    for (const char ch : utf8)
    {
        const auto c = static_cast<unsigned char>(ch);
        switch (c)
        {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20)
            {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04X", c);
                out += esc;
            }
            else
            {
                out += ch;
            }
        }
    }
}

void AppendJsonString(std::string& out, const wchar_t* s, size_t n)
{
    std::string utf8;
    if (s != nullptr)
        unicode::AppendUtf8(utf8, s, n);
    out += '"';
    AppendJsonUtf8(out, utf8);
    out += '"';
}

std::string DumpJson(nkDS::CXmlFileW& doc)
{
    std::string out = "[";
    // Depth-first with an explicit stack: documents may nest deeper than the
    // machine stack would allow.
    std::vector<std::pair<const nkDS::CXmlNodeW*, uint32_t>> stack;
    stack.emplace_back(&doc, 0);
    while (!stack.empty())
    {
        auto& [node, next] = stack.back();
        if (next == node->GetChildCount())
        {
            stack.pop_back();
            out += stack.empty() ? "]" : "]}";
            continue;
        }
        const nkDS::CXmlNodeW* child = node->GetChild(next);
        if (next++ != 0)
            out += ',';
        if (child == nullptr)
        {
            out += "null";
            continue;
        }
        OpenNode(out, child);
        stack.emplace_back(child, 0);
    }
    return out;
}

} // namespace vxml
