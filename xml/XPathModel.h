#pragma once
// The XPath data model over the engine's nodes: which tree nodes take part,
// their children, parents, names and string values.

#include "velmar/xml/XPath.h"

#include <string>
#include <utility>
#include <vector>

namespace nkDS::xpath
{

using Node = CXmlNodeW;
using Bindings = std::vector<std::pair<std::wstring, std::wstring>>;

inline const wchar_t kXmlNamespace[] = L"http://www.w3.org/XML/1998/namespace";

// Whether a child of the tree is a node of the data model (the declaration
// and the document type are not).
bool IsModelNode(const Node* n);
// Whether an element's own value stands as a text node after its children.
bool HasValueText(const Node* n);
// Whether a parameter name declares a namespace instead of naming an attribute.
bool IsNamespaceParam(const wchar_t* name);
// The parent in the data model; node null for the document node.
XPathNode ParentOf(XPathNode n);
// Namespaces in scope on element `el` (prefix, URI), the nearest declaration
// of each prefix first, "xml" last. Index k is namespace node k.
void NamespacesInScope(const Node* el, Bindings& out);
// The namespace URI a qualified name's prefix has on `el` (`attribute`:
// an unprefixed name has none); empty when unbound.
std::wstring ResolvePrefix(const Node* el, const wchar_t* qname, bool attribute);
const wchar_t* LocalPart(const wchar_t* qname);
std::wstring NamespaceUriOf(XPathNode n);

} // namespace nkDS::xpath
