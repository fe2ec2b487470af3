#include "XPathModel.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace nkDS
{
namespace xpath
{

namespace
{

bool IsBlank(const wchar_t* s)
{
    for (; *s != 0; ++s)
        if (*s != L' ' && *s != L'\t' && *s != L'\r' && *s != L'\n')
            return false;
    return true;
}

bool Same(const wchar_t* a, const wchar_t* b)
{
    return std::wcscmp(a, b) == 0;
}

// The text of a processing instruction whose content was read as parameters.
std::wstring InstructionText(const Node* n)
{
    if (n->GetParamCount() == 0)
        return n->GetValue();
    std::wstring text;
    for (uint32_t i = 0; i < n->GetParamCount(); ++i)
    {
        if (i != 0)
            text += L' ';
        const wchar_t* value = n->GetParamValue(i);
        const wchar_t quote = std::wcschr(value, L'"') != nullptr ? L'\'' : L'"';
        text += n->GetParamName(i);
        text += L'=';
        text += quote;
        text += value;
        text += quote;
    }
    return text;
}

void AppendDescendantText(const Node* top, std::wstring& out)
{
    std::vector<std::pair<const Node*, uint32_t>> stack{{top, 0}};
    while (!stack.empty())
    {
        auto& [node, next] = stack.back();
        if (next == node->GetChildCount())
        {
            if (HasValueText(node))
                out += node->GetValue();
            stack.pop_back();
            continue;
        }
        const Node* child = node->GetChild(next++);
        if (child == nullptr || !IsModelNode(child))
            continue;
        if (child->GetKind() == xnkText)
            out += child->GetValue();
        else if (child->GetKind() == xnkData)
            stack.emplace_back(child, 0);
    }
}

// The prefix and URI of a namespace node.
std::pair<std::wstring, std::wstring> NamespaceNode(XPathNode n)
{
    Bindings ns;
    NamespacesInScope(n.node, ns);
    const uint32_t k = n.slot - kXPathNamespaceSlot;
    return k < ns.size() ? ns[k] : std::pair<std::wstring, std::wstring>();
}

void AppendIndex(std::wstring& out, uint32_t index)
{
    if (index > 0)
        out += L"=" + std::to_wstring(index);
}

} // namespace

bool IsModelNode(const Node* n)
{
    switch (n->GetKind())
    {
    case xnkDocType:
        return false;
    case xnkHeader:
        // The declaration is the top-level header named "xml".
        return !(n->GetParent() != nullptr && n->GetParent()->GetParent() == nullptr &&
                 Same(n->GetName(), L"xml"));
    default:
        return true;
    }
}

bool HasValueText(const Node* n)
{
    if (n->GetKind() != xnkData || n->GetParent() == nullptr || n->GetValue()[0] == 0)
        return false;
    // Blanks beside child nodes are layout, not content.
    return n->GetChildCount() == 0 || !IsBlank(n->GetValue());
}

bool IsNamespaceParam(const wchar_t* name)
{
    return std::wcsncmp(name, L"xmlns", 5) == 0 && (name[5] == 0 || name[5] == L':');
}

XPathNode ParentOf(XPathNode n)
{
    if (n.node == nullptr)
        return {};
    if (n.slot != 0)
        return {n.node, 0};
    return {n.node->GetParent(), 0};
}

void NamespacesInScope(const Node* el, Bindings& out)
{
    out.clear();
    std::vector<std::wstring> seen;
    for (const Node* n = el; n != nullptr && n->GetKind() == xnkData; n = n->GetParent())
    {
        for (uint32_t i = 0; i < n->GetParamCount(); ++i)
        {
            const wchar_t* name = n->GetParamName(i);
            if (!IsNamespaceParam(name))
                continue;
            std::wstring prefix = name[5] == 0 ? std::wstring() : std::wstring(name + 6);
            bool known = prefix == L"xml";
            for (const std::wstring& s : seen)
                known = known || s == prefix;
            if (known)
                continue;
            seen.push_back(prefix);
            // An empty URI undeclares the prefix below this element.
            if (n->GetParamValue(i)[0] != 0)
                out.emplace_back(prefix, n->GetParamValue(i));
        }
    }
    out.emplace_back(L"xml", kXmlNamespace);
}

const wchar_t* LocalPart(const wchar_t* qname)
{
    const wchar_t* colon = std::wcschr(qname, L':');
    return colon != nullptr ? colon + 1 : qname;
}

std::wstring ResolvePrefix(const Node* el, const wchar_t* qname, bool attribute)
{
    const wchar_t* colon = std::wcschr(qname, L':');
    if (colon == nullptr && attribute)
        return {};
    const std::wstring prefix = colon != nullptr ? std::wstring(qname, colon) : std::wstring();
    if (prefix == L"xml")
        return kXmlNamespace;
    const std::wstring param = prefix.empty() ? L"xmlns" : L"xmlns:" + prefix;
    for (const Node* n = el; n != nullptr && n->GetKind() == xnkData; n = n->GetParent())
        if (const wchar_t* uri = n->GetParamByName(param.c_str()))
            return uri;
    return {};
}

std::wstring NamespaceUriOf(XPathNode n)
{
    switch (XPathTypeOf(n))
    {
    case XPathNodeType::Element:
        return ResolvePrefix(n.node, n.node->GetName(), false);
    case XPathNodeType::Attribute:
        return ResolvePrefix(n.node, n.node->GetParamName(n.slot - 1), true);
    default:
        return {};
    }
}

} // namespace xpath

using namespace xpath;

XPathNodeType XPathTypeOf(XPathNode n)
{
    if (n.slot == kXPathValueSlot)
        return XPathNodeType::Text;
    if (n.slot >= kXPathNamespaceSlot)
        return XPathNodeType::Namespace;
    if (n.slot != 0)
        return XPathNodeType::Attribute;
    if (n.node->GetParent() == nullptr)
        return XPathNodeType::Root;
    switch (n.node->GetKind())
    {
    case xnkText:
        return XPathNodeType::Text;
    case xnkRemark:
        return XPathNodeType::Comment;
    case xnkHeader:
        return XPathNodeType::ProcessingInstruction;
    default:
        return XPathNodeType::Element;
    }
}

std::wstring XPathStringValue(XPathNode n)
{
    if (n.node == nullptr)
        return {};
    switch (XPathTypeOf(n))
    {
    case XPathNodeType::Root:
    case XPathNodeType::Element:
    {
        std::wstring text;
        AppendDescendantText(n.node, text);
        return text;
    }
    case XPathNodeType::Attribute:
        return n.node->GetParamValue(n.slot - 1);
    case XPathNodeType::Namespace:
        return NamespaceNode(n).second;
    case XPathNodeType::ProcessingInstruction:
        return InstructionText(n.node);
    default:
        return n.node->GetValue();
    }
}

std::wstring XPathName(XPathNode n)
{
    if (n.node == nullptr)
        return {};
    switch (XPathTypeOf(n))
    {
    case XPathNodeType::Element:
    case XPathNodeType::ProcessingInstruction:
        return n.node->GetName();
    case XPathNodeType::Attribute:
        return n.node->GetParamName(n.slot - 1);
    case XPathNodeType::Namespace:
        return NamespaceNode(n).first;
    default:
        return {};
    }
}

std::wstring XPathLocatorPath(XPathNode n)
{
    if (n.node == nullptr)
        return {};
    std::vector<std::wstring> steps; // from the node up
    const Node* element = n.node;
    switch (XPathTypeOf(n))
    {
    case XPathNodeType::Root:
        return L"/";
    case XPathNodeType::Attribute:
        steps.push_back(L"@" + XPathName(n));
        break;
    case XPathNodeType::Namespace:
        steps.push_back(L"namespace::" + XPathName(n));
        break;
    case XPathNodeType::Element:
        break;
    default:
        if (n.slot == kXPathValueSlot)
        {
            // After every Text child of its element.
            uint32_t texts = 0;
            for (uint32_t i = 0; i < n.node->GetChildCount(); ++i)
                texts += n.node->GetChild(i)->GetKind() == xnkText ? 1u : 0u;
            steps.push_back(L"text()");
            AppendIndex(steps.back(), texts);
        }
        else
        {
            const uint32_t kind = n.node->GetKind();
            const Node* parent = n.node->GetParent();
            uint32_t same = 0;
            for (uint32_t i = 0; i < parent->GetChildCount() && parent->GetChild(i) != n.node; ++i)
                same += parent->GetChild(i)->GetKind() == kind && IsModelNode(parent->GetChild(i))
                            ? 1u
                            : 0u;
            steps.push_back(kind == xnkText     ? L"text()"
                            : kind == xnkRemark ? L"comment()"
                                                : L"processing-instruction()");
            AppendIndex(steps.back(), same);
            element = parent;
        }
        break;
    }
    // Element steps as the data locator counts them.
    for (const Node* node = element; node != nullptr && node->GetParent() != nullptr;
         node = node->GetParent())
    {
        const Node* parent = node->GetParent();
        uint32_t same = 0;
        for (uint32_t i = 0; i < parent->GetChildCount() && parent->GetChild(i) != node; ++i)
        {
            const Node* s = parent->GetChild(i);
            same += s->GetKind() != xnkText && s->GetKind() != xnkDocType &&
                            Same(s->GetName(), node->GetName())
                        ? 1u
                        : 0u;
        }
        steps.emplace_back(node->GetName());
        AppendIndex(steps.back(), same);
    }
    std::wstring path;
    for (auto it = steps.rbegin(); it != steps.rend(); ++it)
    {
        if (!path.empty())
            path += L'/';
        path += *it;
    }
    return path;
}

std::wstring XPathNumberText(double value)
{
    if (std::isnan(value))
        return L"NaN";
    if (std::isinf(value))
        return value > 0 ? L"Infinity" : L"-Infinity";
    if (value == 0)
        return L"0";
    // The shortest digits that read back to `value`, then written out
    // without an exponent.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    *r.ptr = 0;
    const bool negative = buf[0] == '-';
    const char* p = buf + (negative ? 1 : 0);
    std::string digits;
    for (; *p != 'e'; ++p)
        if (*p != '.')
            digits += *p;
    const int exponent = std::atoi(p + 1);
    std::string text;
    const int point = exponent + 1; // digits before the decimal point
    if (point <= 0)
        text = "0." + std::string(static_cast<size_t>(-point), '0') + digits;
    else if (point >= static_cast<int>(digits.size()))
        text = digits + std::string(static_cast<size_t>(point) - digits.size(), '0');
    else
        text = digits.substr(0, static_cast<size_t>(point)) + "." +
               digits.substr(static_cast<size_t>(point));
    if (negative)
        text.insert(text.begin(), '-');
    return std::wstring(text.begin(), text.end());
}

std::wstring XPathToString(const XPathValue& v)
{
    switch (v.type)
    {
    case XPathType::NodeSet:
        return v.nodes.empty() ? std::wstring() : XPathStringValue(v.nodes.front());
    case XPathType::Boolean:
        return v.boolean ? L"true" : L"false";
    case XPathType::Number:
        return XPathNumberText(v.number);
    case XPathType::String:
        return v.string;
    }
    return {};
}

} // namespace nkDS
