#include "Commands.h"

#include "JsonDump.h"
#include "Output.h"
#include "velmar/win32/Unicode.h"
#include "velmar/win32/win32.h"
#include "velmar/xml/nkDS.h"

#include <cstdio>

namespace vxml
{
namespace
{

std::wstring Wide(const std::string& text)
{
    // Taken in the ANSI code page, as the engine takes narrow text.
    const int n = static_cast<int>(text.size());
    if (n == 0)
        return {};
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), n, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), n, wide.data(), units);
    return wide;
}

std::string Utf8(const std::wstring& s)
{
    std::string out;
    unicode::AppendUtf8(out, s.data(), s.size());
    return out;
}

// A value on one line: backslash, tab and line ends escaped.
std::string OneLine(const std::wstring& s)
{
    std::string out;
    for (const char ch : Utf8(s))
    {
        switch (ch)
        {
        case '\\':
            out += "\\\\";
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
            out += ch;
        }
    }
    return out;
}

const char* TypeName(nkDS::XPathType t)
{
    switch (t)
    {
    case nkDS::XPathType::NodeSet:
        return "node-set";
    case nkDS::XPathType::Boolean:
        return "boolean";
    case nkDS::XPathType::Number:
        return "number";
    case nkDS::XPathType::String:
        return "string";
    }
    return "";
}

const char* NodeTypeName(nkDS::XPathNodeType t)
{
    switch (t)
    {
    case nkDS::XPathNodeType::Root:
        return "root";
    case nkDS::XPathNodeType::Element:
        return "element";
    case nkDS::XPathNodeType::Attribute:
        return "attribute";
    case nkDS::XPathNodeType::Text:
        return "text";
    case nkDS::XPathNodeType::Comment:
        return "comment";
    case nkDS::XPathNodeType::ProcessingInstruction:
        return "processing-instruction";
    case nkDS::XPathNodeType::Namespace:
        return "namespace";
    }
    return "";
}

void AppendJson(std::string& out, const std::wstring& s)
{
    AppendJsonString(out, s.data(), s.size());
}

std::string Json(const nkDS::XPathValue& v, bool countOnly)
{
    std::string out = "{\"type\":\"";
    out += TypeName(v.type);
    out += "\"";
    if (v.type == nkDS::XPathType::NodeSet)
    {
        out += ",\"count\":" + std::to_string(v.nodes.size());
        if (!countOnly)
        {
            out += ",\"nodes\":[";
            for (size_t i = 0; i < v.nodes.size(); ++i)
            {
                const nkDS::XPathNode& n = v.nodes[i];
                out += i == 0 ? "{\"path\":" : ",{\"path\":";
                AppendJson(out, nkDS::XPathLocatorPath(n));
                out += ",\"kind\":\"";
                out += NodeTypeName(nkDS::XPathTypeOf(n));
                out += "\",\"name\":";
                AppendJson(out, nkDS::XPathName(n));
                out += ",\"value\":";
                AppendJson(out, nkDS::XPathStringValue(n));
                out += '}';
            }
            out += ']';
        }
    }
    else
    {
        // JSON has no NaN or infinities: the value goes as XPath writes it.
        out += ",\"value\":";
        AppendJson(out, nkDS::XPathToString(v));
    }
    return out + "}\n";
}

} // namespace

int RunXPath(const std::string& file, const std::string& expression, const XPathOptions& options)
{
    nkDS::XPathNamespaces namespaces;
    for (const std::string& binding : options.namespaces)
    {
        const size_t eq = binding.find('=');
        if (eq == std::string::npos || eq == 0)
            return ReportError("--ns expects PREFIX=URI, not '" + binding + "'");
        namespaces.emplace_back(Wide(binding.substr(0, eq)), Wide(binding.substr(eq + 1)));
    }
    nkDS::CXPathExpr expr;
    nkDS::XPathError error;
    if (!expr.Compile(Wide(expression).c_str(), error))
        return ReportError("bad expression at column " + std::to_string(error.column) + ": " +
                           error.reason);
    std::unique_ptr<nkDS::CXmlFileW> doc = NewDocument();
    if (int status = LoadOrReport(file, *doc); status >= 0)
        return status;
    nkDS::XPathValue value;
    if (!expr.Evaluate({doc.get(), 0}, namespaces, value, error))
        return ReportError(file + ": cannot evaluate at column " + std::to_string(error.column) +
                           ": " + error.reason);
    const bool set = value.type == nkDS::XPathType::NodeSet;
    if (options.count && !set)
        return ReportError("--count needs an expression that selects nodes");
    if (options.json)
    {
        PrintOut(Json(value, options.count));
    }
    else if (options.count)
    {
        PrintOut(std::to_string(value.nodes.size()) + "\n");
    }
    else if (set)
    {
        std::string text;
        for (const nkDS::XPathNode& n : value.nodes)
        {
            text = Utf8(nkDS::XPathLocatorPath(n));
            text += '\t';
            text += OneLine(nkDS::XPathStringValue(n));
            text += '\n';
            if (!PrintOut(text))
                break;
        }
    }
    else
    {
        PrintOut(OneLine(nkDS::XPathToString(value)) + "\n");
    }
    if (!FinishOut())
        return ReportError("cannot write to standard output");
    return set && value.nodes.empty() ? kExitFailed : kExitOk;
}

} // namespace vxml
