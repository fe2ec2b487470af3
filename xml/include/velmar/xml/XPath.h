#pragma once
// XPath 1.0 over the engine's nodes. The data model is read off the tree as
// it stands: the document node is the tree's top, data nodes are elements,
// parameters are attributes (xmlns parameters declare namespaces instead),
// Text nodes and an element's own value are text nodes, remarks are
// comments and headers are processing instructions; the declaration and the
// document type are left out.
//
// An expression is compiled once and evaluated any number of times. Neither
// step throws or recurses without bound: expressions nest at most
// kXPathMaxDepth deep, and trees of any depth are walked with explicit stacks.

#include "velmar/xml/XmlNode.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace nkDS
{

inline constexpr uint32_t kXPathMaxDepth = 256;

// One node of the data model: a tree node itself (slot 0), its value as a
// text node (kXPathValueSlot), its parameter i (slot i + 1) or the k-th
// namespace in scope on an element (kXPathNamespaceSlot + k).
struct XPathNode
{
    const CXmlNodeW* node = nullptr;
    uint32_t slot = 0;
    bool operator==(const XPathNode& o) const { return node == o.node && slot == o.slot; }
    bool operator!=(const XPathNode& o) const { return !(*this == o); }
};
inline constexpr uint32_t kXPathValueSlot = 0xFFFFFFFFu;
inline constexpr uint32_t kXPathNamespaceSlot = 0x80000000u;

enum class XPathNodeType
{
    Root,
    Element,
    Attribute,
    Text,
    Comment,
    ProcessingInstruction,
    Namespace,
};

enum class XPathType
{
    NodeSet,
    Boolean,
    Number,
    String,
};

struct XPathValue
{
    XPathType type = XPathType::NodeSet;
    std::vector<XPathNode> nodes; // in document order, without duplicates
    bool boolean = false;
    double number = 0;
    std::wstring string;
};

// What went wrong: the column (characters from 1, 0 when it is no place in
// the text) and why.
struct XPathError
{
    uint32_t column = 0;
    std::string reason;
};

// Prefixes bound by the caller (prefix, namespace URI). A prefixed name test
// whose prefix is bound matches by namespace URI and local name, one whose
// prefix is not bound matches the qualified name as written; an unprefixed
// name test matches elements of that name in no namespace.
using XPathNamespaces = std::vector<std::pair<std::wstring, std::wstring>>;

class CXPathExpr
{
public:
    CXPathExpr();
    ~CXPathExpr();
    CXPathExpr(const CXPathExpr&) = delete;
    CXPathExpr& operator=(const CXPathExpr&) = delete;

    // Compiles `text`; false with the column and the reason when it is not
    // an XPath 1.0 expression (or nests too deeply).
    bool Compile(const wchar_t* text, XPathError& error);
    bool IsCompiled() const;

    // Evaluates with `context` as the context node; false with the reason
    // when the expression cannot be evaluated (a function given the wrong
    // type, a variable never bound).
    bool Evaluate(XPathNode context, const XPathNamespaces& namespaces, XPathValue& out,
                  XPathError& error) const;

    struct Impl;

private:
    Impl* m_impl;
};

// --- the data model, for printing results ------------------------------------
XPathNodeType XPathTypeOf(XPathNode n);
std::wstring XPathStringValue(XPathNode n);
// The qualified name (element, attribute, target, prefix); empty otherwise.
std::wstring XPathName(XPathNode n);
// Where the node is, in the data locator's form: element steps "name" or
// "name=k" (the k-th sibling of that name from 0) from the top, then "@name"
// for an attribute, "text()", "comment()" or "processing-instruction()"
// (with "=k" counting earlier siblings of that kind) or "namespace::prefix".
// The document node is "/".
std::wstring XPathLocatorPath(XPathNode n);
// A number as XPath's string() gives it: NaN, Infinity, -Infinity, integers
// without a point, others in plain decimals with the fewest digits that read
// back to the same number.
std::wstring XPathNumberText(double value);
// The value as string() converts it.
std::wstring XPathToString(const XPathValue& v);

} // namespace nkDS
