#include "velmar/app/NodeSearch.h"

#include <chrono>
#include <cwchar>
#include <cwctype>
#include <string_view>
#include <string>
#include <vector>

namespace
{

using Node = nkDS::CXmlNodeW;

wchar_t Fold(wchar_t c)
{
    if (c < 0x80)
        return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

bool IsWordChar(wchar_t c)
{
    if (c < 0x80)
        return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
               c == L'_';
    return std::iswalnum(static_cast<wint_t>(c)) != 0;
}

// A position among the texts of a tree, in the order the tree shows them.
// The nodes on the way down are kept with their places, so each step is a
// constant amount of work however wide the tree is.
class CTextWalker
{
public:
    explicit CTextWalker(Node& root) : m_root(root) {}

    NodeTextRef Ref() const { return {m_path.back().node, m_slot}; }

    bool First()
    {
        m_path.clear();
        Node* first = m_root.GetChildCount() ? m_root.GetChild(0) : nullptr;
        if (!first)
            return false;
        m_path.push_back({first, 0});
        m_slot = 0;
        return true;
    }

    bool Last()
    {
        m_path.clear();
        const uint32_t count = m_root.GetChildCount();
        Node* last = count ? m_root.GetChild(count - 1) : nullptr;
        if (!last)
            return false;
        m_path.push_back({last, count - 1});
        m_slot = NodeTextRef::ValueSlot(*last);
        return true;
    }

    // At `ref`, when its node lies in the tree.
    bool Seek(const NodeTextRef& ref)
    {
        m_path.clear();
        for (Node* n = ref.node; n && n != &m_root; n = n->GetParent())
        {
            Node* parent = n->GetParent();
            if (!parent)
                return false;
            const uint32_t index = parent->IndexOfChild(n);
            if (index >= parent->GetChildCount())
                return false;
            m_path.insert(m_path.begin(), {n, index});
        }
        if (m_path.empty() || m_path.front().node->GetParent() != &m_root)
            return false;
        m_slot = std::min(ref.slot, NodeTextRef::ValueSlot(*ref.node));
        return true;
    }

    // The next text; false past the last one.
    bool Next()
    {
        Node* n = m_path.back().node;
        const uint32_t value = NodeTextRef::ValueSlot(*n);
        if (m_slot + 1 < value)
        {
            ++m_slot;
            return true;
        }
        if (m_slot + 1 == value)
        {
            // Name and parameters done: the children, then the node's own value.
            Node* child = n->GetChildCount() ? n->GetChild(0) : nullptr;
            if (child)
            {
                m_path.push_back({child, 0});
                m_slot = 0;
            }
            else
            {
                m_slot = value;
            }
            return true;
        }
        Node* parent = m_path.size() > 1 ? m_path[m_path.size() - 2].node : &m_root;
        const uint32_t next = m_path.back().index + 1;
        if (Node* sibling = next < parent->GetChildCount() ? parent->GetChild(next) : nullptr)
        {
            m_path.back() = {sibling, next};
            m_slot = 0;
            return true;
        }
        m_path.pop_back();
        if (m_path.empty())
            return false;
        m_slot = NodeTextRef::ValueSlot(*m_path.back().node);
        return true;
    }

    // The previous text; false before the first one.
    bool Prev()
    {
        Node* n = m_path.back().node;
        const uint32_t value = NodeTextRef::ValueSlot(*n);
        if (m_slot == value)
        {
            const uint32_t count = n->GetChildCount();
            if (Node* child = count ? n->GetChild(count - 1) : nullptr)
            {
                m_path.push_back({child, count - 1});
                m_slot = NodeTextRef::ValueSlot(*child);
            }
            else
            {
                m_slot = value - 1;
            }
            return true;
        }
        if (m_slot > 0)
        {
            --m_slot;
            return true;
        }
        Node* parent = m_path.size() > 1 ? m_path[m_path.size() - 2].node : &m_root;
        const uint32_t index = m_path.back().index;
        if (Node* sibling = index > 0 ? parent->GetChild(index - 1) : nullptr)
        {
            m_path.back() = {sibling, index - 1};
            m_slot = NodeTextRef::ValueSlot(*sibling);
            return true;
        }
        m_path.pop_back();
        if (m_path.empty())
            return false;
        m_slot = NodeTextRef::ValueSlot(*m_path.back().node) - 1;
        return true;
    }

    // How far into the tree the position lies, from 0 to 1.
    double Fraction() const
    {
        double done = 0, share = 1;
        const Node* parent = &m_root;
        for (const Level& level : m_path)
        {
            const double count = parent->GetChildCount() ? parent->GetChildCount() : 1;
            done += share * level.index / count;
            share /= count;
            parent = level.node;
        }
        return done;
    }

private:
    struct Level
    {
        Node* node;
        uint32_t index; // among its parent's children
    };
    Node& m_root;
    std::vector<Level> m_path;
    uint32_t m_slot = 0;
};

// Runs the pump when a slice's time is up.
class CSlices
{
public:
    explicit CSlices(const NodeSearchPump& pump) : m_pump(pump), m_start(Clock::now()) {}
    // False when the pump said stop.
    template <class F> bool Tick(F percent)
    {
        // The clock is read only every so many texts.
        if (!m_pump || ++m_count % 256 != 0)
            return true;
        const auto now = Clock::now();
        if (now - m_start < std::chrono::milliseconds(kSliceMilliseconds))
            return true;
        const bool go = m_pump(percent());
        m_start = Clock::now();
        return go;
    }

private:
    using Clock = std::chrono::steady_clock;
    const NodeSearchPump& m_pump;
    Clock::time_point m_start;
    unsigned m_count = 0;
};

} // namespace

const wchar_t* NodeTextRef::Text() const
{
    if (!node)
        return L"";
    if (slot == 0)
        return node->GetName();
    if (!IsParam())
        return node->GetValue();
    return slot % 2 ? node->GetParamName(Param()) : node->GetParamValue(Param());
}

namespace
{

// The text of the tree that stands for a node XPath selected; false for the
// document node and namespaces, which have none.
bool TextOfXPathNode(const nkDS::XPathNode& n, NodeTextRef& ref)
{
    auto* node = const_cast<nkDS::CXmlNodeW*>(n.node);
    switch (nkDS::XPathTypeOf(n))
    {
    case nkDS::XPathNodeType::Element:
    case nkDS::XPathNodeType::ProcessingInstruction:
        ref = {node, 0};
        return true;
    case nkDS::XPathNodeType::Attribute:
        ref = {node, 2 * (n.slot - 1) + 1};
        return true;
    case nkDS::XPathNodeType::Text:
    case nkDS::XPathNodeType::Comment:
        ref = {node, NodeTextRef::ValueSlot(*node)};
        return true;
    default:
        return false;
    }
}

} // namespace

BOOL CNodeTextMatcher::Compile(const NodeFindOptions& options, CString& error,
                               nkDS::CXmlNodeW* root)
{
    m_options = options;
    m_folded.clear();
    m_xpathHits.clear();
    if (options.what.IsEmpty())
    {
        error = AfxTranslate(L"Type what to find.");
        return FALSE;
    }
    if (options.xpath)
    {
        nkDS::CXPathExpr expr;
        nkDS::XPathError why;
        nkDS::XPathValue value;
        if (!root || !expr.Compile(options.what, why) || !expr.Evaluate({root, 0}, {}, value, why))
        {
            CString column;
            column.Format(L"%u", why.column);
            error = AfxTranslate(L"The XPath expression is not valid at column %1: %2");
            error.Replace(L"%1", column);
            // The reason is ASCII.
            error.Replace(L"%2", std::wstring(why.reason.begin(), why.reason.end()).c_str());
            return FALSE;
        }
        for (const nkDS::XPathNode& n : value.nodes)
            if (NodeTextRef ref; TextOfXPathNode(n, ref))
                m_xpathHits.emplace(ref.node, ref.slot);
        return TRUE;
    }
    if (options.regex)
        return m_regex.Compile(options.what, options.matchCase, options.wholeWord, &error);
    m_folded = options.what.GetString();
    if (!options.matchCase)
        for (wchar_t& c : m_folded)
            c = Fold(c);
    return TRUE;
}

bool CNodeTextMatcher::Matches(const NodeTextRef& ref) const
{
    if (m_options.xpath)
        return m_xpathHits.count({ref.node, ref.slot}) != 0;
    if (!(ref.IsName() ? m_options.inNames : m_options.inValues))
        return false;
    const wchar_t* text = ref.Text();
    return *text && Matches(text, std::wcslen(text));
}

bool CNodeTextMatcher::Matches(const wchar_t* text, size_t length) const
{
    if (m_options.regex)
        return m_regex.Search(text, length);
    return FindPlain(text, length, 0) >= 0;
}

ptrdiff_t CNodeTextMatcher::FindPlain(const wchar_t* text, size_t length, size_t from) const
{
    const size_t m = m_folded.size();
    if (m == 0 || length < m)
        return -1;
    const std::wstring_view hay(text, length);
    const bool fold = !m_options.matchCase;
    for (size_t i = from; i + m <= length; ++i)
    {
        if (fold)
        {
            // The first character decides most places; the rest only where it agrees.
            if (Fold(text[i]) != m_folded[0])
                continue;
            size_t k = 1;
            while (k < m && Fold(text[i + k]) == m_folded[k])
                ++k;
            if (k < m)
                continue;
        }
        else
        {
            const size_t at = hay.find(m_folded, i);
            if (at == std::wstring_view::npos)
                return -1;
            i = at;
        }
        if (m_options.wholeWord &&
            ((i > 0 && IsWordChar(text[i - 1])) || (i + m < length && IsWordChar(text[i + m]))))
            continue;
        return static_cast<ptrdiff_t>(i);
    }
    return -1;
}

CString CNodeTextMatcher::Replace(const wchar_t* text, const CString& with, int* pCount) const
{
    const size_t length = std::wcslen(text);
    if (m_options.regex)
        return m_regex.Replace(text, length, with, pCount);
    int count = 0;
    std::wstring out;
    size_t done = 0;
    for (ptrdiff_t at = FindPlain(text, length, 0); at >= 0; at = FindPlain(text, length, done))
    {
        out.append(text + done, static_cast<size_t>(at) - done);
        out += with.GetString();
        done = static_cast<size_t>(at) + m_folded.size();
        ++count;
    }
    out.append(text + done, length - done);
    if (pCount)
        *pCount = count;
    return CString(out);
}

NodeFindResult FindNodeText(nkDS::CXmlNodeW& root, const NodeTextRef& from, bool bForward,
                            const CNodeTextMatcher& matcher, NodeTextRef& hit,
                            const NodeSearchPump& pump)
{
    CTextWalker walker(root);
    const bool bFromSomewhere = from.node && walker.Seek(from);
    // From nowhere, the search starts at the far end, so that the first step
    // goes round to the near one and the far end is tested last.
    if (!bFromSomewhere && !(bForward ? walker.Last() : walker.First()))
        return NodeFindResult::notFound;
    const NodeTextRef start = walker.Ref();
    const double startFraction = walker.Fraction();
    bool wrapped = false;
    CSlices slices(pump);
    for (;;)
    {
        if (!(bForward ? walker.Next() : walker.Prev()))
        {
            wrapped = true;
            if (!(bForward ? walker.First() : walker.Last()))
                return NodeFindResult::notFound;
        }
        const NodeTextRef ref = walker.Ref();
        if (matcher.Matches(ref))
        {
            hit = ref;
            return wrapped && bFromSomewhere ? NodeFindResult::wrapped : NodeFindResult::found;
        }
        if (ref == start)
            return NodeFindResult::notFound;
        const bool go = slices.Tick(
            [&]()
            {
                double done = walker.Fraction() - startFraction;
                if (!bForward)
                    done = -done;
                if (done < 0)
                    done += 1;
                return static_cast<int>(done * 100);
            });
        if (!go)
            return NodeFindResult::stopped;
    }
}

bool CanHoldValue(const NodeTextRef& ref, const wchar_t* text)
{
    if (!ref.node || ref.slot == 0 || ref.IsName())
        return false;
    if (ref.IsParam())
        return nkDS::IsValidParamValue(text);
    switch (ref.node->GetKind())
    {
    case nkDS::xnkRemark:
        return nkDS::IsValidRemark(text);
    case nkDS::xnkData:
    case nkDS::xnkText:
        // An element holds text or children, never both.
        if (ref.node->GetChildCount() != 0)
            return false;
        return ref.node->IsCData() ? nkDS::IsValidCData(text) : nkDS::IsValidXmlText(text);
    default:
        return false;
    }
}

bool StoreValue(const NodeTextRef& ref, const wchar_t* text)
{
    if (!CanHoldValue(ref, text))
        return false;
    if (ref.IsParam())
        ref.node->ParamValues().GetAtForWrite(ref.Param()).Assign(text);
    else
        ref.node->SetValue(text);
    return true;
}

std::vector<nkDS::CXmlNodeW*> NodesWithValueMatches(nkDS::CXmlNodeW& root,
                                                    const CNodeTextMatcher& matcher)
{
    std::vector<nkDS::CXmlNodeW*> nodes;
    CTextWalker walker(root);
    for (bool more = walker.First(); more; more = walker.Next())
    {
        const NodeTextRef ref = walker.Ref();
        if (!ref.IsName() && (nodes.empty() || nodes.back() != ref.node) && matcher.Matches(ref))
            nodes.push_back(ref.node);
    }
    return nodes;
}

int ReplaceNodeValues(nkDS::CXmlNodeW& root, const CNodeTextMatcher& matcher, const CString& with,
                      int* pSkipped, const NodeSearchPump& pump)
{
    int replaced = 0, skipped = 0;
    CTextWalker walker(root);
    CSlices slices(pump);
    for (bool more = walker.First(); more; more = walker.Next())
    {
        const NodeTextRef ref = walker.Ref();
        if (!ref.IsName() && matcher.Matches(ref))
        {
            int count = 0;
            const CString text = matcher.Replace(ref.Text(), with, &count);
            if (StoreValue(ref, text))
                replaced += count;
            else
                ++skipped;
        }
        if (!slices.Tick([&]() { return static_cast<int>(walker.Fraction() * 100); }))
            break;
    }
    if (pSkipped)
        *pSkipped = skipped;
    return replaced;
}
