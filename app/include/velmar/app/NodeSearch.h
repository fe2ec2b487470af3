#pragma once
// Finding and replacing in a document's nodes. The texts of a node are, in
// the order the tree shows them: its name, each parameter's name and value,
// then (after the texts of its children) its own value: an element's text,
// a remark. Searches walk the node tree itself, never a tree control's items,
// in slices, handing control back between slices so the windows stay alive.
#include "velmar/framework/framework.h"
#include "velmar/xml/nkDS.h"

#include <cstdint>
#include <functional>
#include <set>
#include <utility>
#include <vector>

struct NodeFindOptions
{
    CString what;
    bool matchCase = false;
    bool wholeWord = false;
    bool regex = false;
    bool inNames = true;  // element, header and parameter names
    bool inValues = true; // parameter values, texts and remarks
    // `what` is an XPath expression: the texts of the nodes it selects match
    // (an element's or instruction's name, a parameter's name, a text or
    // remark's value); the other options do not apply.
    bool xpath = false;
};

// One text of a node: slot 0 its name, 2i+1 and 2i+2 the name and value of
// parameter i, 2n+1 (n parameters) its own value.
struct NodeTextRef
{
    nkDS::CXmlNodeW* node = nullptr;
    uint32_t slot = 0;

    static uint32_t ValueSlot(const nkDS::CXmlNodeW& node) { return 2 * node.GetParamCount() + 1; }
    bool IsName() const { return slot == 0 || (node && slot < ValueSlot(*node) && slot % 2 == 1); }
    bool IsParam() const { return node && slot > 0 && slot < ValueSlot(*node); }
    uint32_t Param() const { return (slot - 1) / 2; }
    const wchar_t* Text() const; // never null
    bool operator==(const NodeTextRef& o) const { return node == o.node && slot == o.slot; }
};

// What a search looks for, ready to test many texts.
class CNodeTextMatcher
{
public:
    // FALSE, with the reason, for nothing to find or a regular expression that does not compile.
    // An XPath search is evaluated here, on `root`'s tree (required for one).
    BOOL Compile(const NodeFindOptions& options, CString& error, nkDS::CXmlNodeW* root = nullptr);
    // How many texts an XPath search matches.
    size_t XPathMatchCount() const { return m_xpathHits.size(); }
    const NodeFindOptions& Options() const { return m_options; }
    // Whether `ref`'s text is one the options search and holds a match.
    bool Matches(const NodeTextRef& ref) const;
    bool Matches(const wchar_t* text, size_t length) const;
    // `text` with every match replaced by `with`; *pCount the number of matches.
    CString Replace(const wchar_t* text, const CString& with, int* pCount) const;

private:
    // The first match at or after `from`, or -1.
    ptrdiff_t FindPlain(const wchar_t* text, size_t length, size_t from) const;

    NodeFindOptions m_options;
    std::wstring m_folded; // the text to find, lower-cased unless case matters
    CRegexPattern m_regex;
    std::set<std::pair<const nkDS::CXmlNodeW*, uint32_t>> m_xpathHits;
};

// How a search ended.
enum class NodeFindResult
{
    found,
    wrapped, // found after going past the end (the start, going backwards)
    notFound,
    stopped, // the pump said the tree may have changed
};

// Called between slices with how far the search got, in percent; false stops
// the search at once (the tree may have changed while the pump ran).
using NodeSearchPump = std::function<bool(int percent)>;

// The next (or previous) text of `root`'s tree after `from` that matches,
// going on from the other end when it reaches one; every text is tested once,
// `from`'s own last. `from` with no node: from the start (or the end). The
// pump runs about every kSliceMilliseconds.
constexpr DWORD kSliceMilliseconds = 50;
NodeFindResult FindNodeText(nkDS::CXmlNodeW& root, const NodeTextRef& from, bool bForward,
                            const CNodeTextMatcher& matcher, NodeTextRef& hit,
                            const NodeSearchPump& pump = {});

// Whether `text` may stand in the place of `ref`'s value (a parameter's value
// holds no quotes and no "<"; a text no "<" or ">", a CDATA text no "]]>"; a
// remark no "-->").
bool CanHoldValue(const NodeTextRef& ref, const wchar_t* text);
// Stores `text` as `ref`'s value; false, with nothing changed, when it cannot hold it.
bool StoreValue(const NodeTextRef& ref, const wchar_t* text);

// Replaces every match in the values of `root`'s tree (parameter values,
// texts and remarks). The number of matches replaced; values whose new text
// they cannot hold stay as they were and count in *pSkipped. A pump that says
// stop ends it where it is.
// The nodes that own a value (a parameter's or their own) holding a match, in
// document order: what a replace of every match changes.
std::vector<nkDS::CXmlNodeW*> NodesWithValueMatches(nkDS::CXmlNodeW& root,
                                                    const CNodeTextMatcher& matcher);
int ReplaceNodeValues(nkDS::CXmlNodeW& root, const CNodeTextMatcher& matcher, const CString& with,
                      int* pSkipped, const NodeSearchPump& pump = {});
