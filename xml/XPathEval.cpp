// Evaluation of compiled XPath expressions over the data model of
// XPathModel.h. Node-sets are kept in document order without duplicates;
// sorting is skipped where a step cannot disturb the order.

#include "XPathExpr.h"
#include "XPathModel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace nkDS
{
namespace xpath
{
namespace
{

using NodeSet = std::vector<XPathNode>;

struct Ctx
{
    XPathNode node;
    size_t pos = 1;
    size_t size = 1;
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();

bool IsXmlSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// XPath's number(): optional blanks, an optional minus, digits with an
// optional point, optional blanks; anything else is NaN.
double ToNumber(const wchar_t* s)
{
    while (IsXmlSpace(*s))
        ++s;
    const bool negative = *s == L'-';
    if (negative)
        ++s;
    std::string ascii;
    bool digits = false;
    while (*s >= L'0' && *s <= L'9')
    {
        ascii += static_cast<char>(*s++);
        digits = true;
    }
    if (*s == L'.')
    {
        ascii += '.';
        ++s;
        while (*s >= L'0' && *s <= L'9')
        {
            ascii += static_cast<char>(*s++);
            digits = true;
        }
    }
    while (IsXmlSpace(*s))
        ++s;
    if (!digits || *s != 0)
        return kNaN;
    const double v = std::strtod(ascii.c_str(), nullptr);
    return negative ? -v : v;
}

// Text as code points, so that lengths and positions count characters
// where wchar_t holds UTF-16 units.
std::u32string Points(const std::wstring& s)
{
    std::u32string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i)
    {
        uint32_t c = static_cast<uint32_t>(s[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < s.size())
        {
            const uint32_t d = static_cast<uint32_t>(s[i + 1]) & 0xFFFF;
            if (d >= 0xDC00 && d < 0xE000)
            {
                c = 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00);
                ++i;
            }
        }
        out += static_cast<char32_t>(c);
    }
    return out;
}

std::wstring FromPoints(const std::u32string& s)
{
    std::wstring out;
    out.reserve(s.size());
    for (char32_t c : s)
    {
        if (sizeof(wchar_t) == 2 && c >= 0x10000)
        {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        else
        {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

double Round(double v)
{
    if (std::isnan(v) || std::isinf(v))
        return v;
    if (v < 0 && v >= -0.5)
        return -0.0;
    return std::floor(v + 0.5);
}

bool IsReverse(Axis a)
{
    return a == Axis::Ancestor || a == Axis::AncestorOrSelf || a == Axis::Preceding ||
           a == Axis::PrecedingSibling;
}

// The string value, without building anything for an element of one value.
std::wstring StringOfNode(XPathNode n)
{
    if (n.slot == 0 && n.node->GetKind() == xnkData && n.node->GetChildCount() == 0 &&
        n.node->GetParent() != nullptr)
        return n.node->GetValue();
    return XPathStringValue(n);
}

double NumberOfNode(XPathNode n)
{
    if (n.slot == 0 && n.node->GetKind() == xnkData && n.node->GetChildCount() == 0 &&
        n.node->GetParent() != nullptr)
        return ToNumber(n.node->GetValue());
    if (n.slot != 0 && n.slot < kXPathNamespaceSlot)
        return ToNumber(n.node->GetParamValue(n.slot - 1));
    return ToNumber(XPathStringValue(n).c_str());
}

class Evaluator
{
public:
    Evaluator(const Program& p, const XPathNamespaces& ns, XPathError& error, const Node* top)
        : m_p(p), m_ns(ns), m_error(error), m_top(top)
    {
    }

    bool Eval(int32_t i, const Ctx& c, XPathValue& out);

private:
    const ExprNode& N(int32_t i) const { return m_p.nodes[static_cast<size_t>(i)]; }

    bool Fail(const ExprNode& n, const char* reason)
    {
        m_error.column = n.column;
        m_error.reason = reason;
        return false;
    }

    // --- conversions ---------------------------------------------------------
    static std::wstring StringOf(const XPathValue& v) { return XPathToString(v); }
    static double NumberOf(const XPathValue& v)
    {
        switch (v.type)
        {
        case XPathType::NodeSet:
            return v.nodes.empty() ? kNaN : NumberOfNode(v.nodes.front());
        case XPathType::Boolean:
            return v.boolean ? 1 : 0;
        case XPathType::Number:
            return v.number;
        case XPathType::String:
            return ToNumber(v.string.c_str());
        }
        return kNaN;
    }
    static bool BoolOf(const XPathValue& v)
    {
        switch (v.type)
        {
        case XPathType::NodeSet:
            return !v.nodes.empty();
        case XPathType::Boolean:
            return v.boolean;
        case XPathType::Number:
            return v.number != 0 && !std::isnan(v.number);
        case XPathType::String:
            return !v.string.empty();
        }
        return false;
    }
    static void SetNumber(XPathValue& v, double d)
    {
        v = XPathValue();
        v.type = XPathType::Number;
        v.number = d;
    }
    static void SetBool(XPathValue& v, bool b)
    {
        v = XPathValue();
        v.type = XPathType::Boolean;
        v.boolean = b;
    }
    static void SetString(XPathValue& v, std::wstring s)
    {
        v = XPathValue();
        v.type = XPathType::String;
        v.string = std::move(s);
    }

    bool Compare(Op op, const XPathValue& a, const XPathValue& b);
    bool Call(const ExprNode& n, const Ctx& c, XPathValue& out);
    bool Path(const ExprNode& n, const Ctx& c, XPathValue& out);
    bool Predicates(int32_t first, NodeSet& set);
    bool OrderFree(int32_t pred) const;
    void AxisNodes(const ExprNode& step, XPathNode x, NodeSet& out);
    bool Matches(const ExprNode& step, XPathNode n, XPathNodeType principal) const;
    const std::wstring* Bound(const std::wstring& prefix) const;
    uint32_t IndexInParent(const Node* n);
    void SortUnique(NodeSet& set);
    uint64_t OrderKey(XPathNode n);
    bool Ids(const XPathValue& arg, XPathValue& out);

    template <class F> void ForChildren(const Node* n, F f);
    template <class F> void ForDescendants(const Node* n, F f);

    const Program& m_p;
    const XPathNamespaces& m_ns;
    XPathError& m_error;
    const Node* m_top;
    std::unordered_map<const Node*, uint32_t> m_index;
    std::unordered_map<uintptr_t, uint32_t> m_order;
};

template <class F> void Evaluator::ForChildren(const Node* n, F f)
{
    for (uint32_t i = 0; i < n->GetChildCount(); ++i)
        if (const Node* child = n->GetChild(i); child != nullptr && IsModelNode(child))
            f(XPathNode{child, 0});
    if (HasValueText(n))
        f(XPathNode{n, kXPathValueSlot});
}

// Every descendant of `n` in document order, without attributes.
template <class F> void Evaluator::ForDescendants(const Node* n, F f)
{
    std::vector<std::pair<const Node*, uint32_t>> stack{{n, 0}};
    while (!stack.empty())
    {
        auto& [node, next] = stack.back();
        if (next < node->GetChildCount())
        {
            const Node* child = node->GetChild(next++);
            if (child == nullptr || !IsModelNode(child))
                continue;
            f(XPathNode{child, 0});
            if (child->GetKind() == xnkData && (child->GetChildCount() != 0 || HasValueText(child)))
                stack.emplace_back(child, 0);
            continue;
        }
        if (HasValueText(node))
            f(XPathNode{node, kXPathValueSlot});
        stack.pop_back();
    }
}

uint32_t Evaluator::IndexInParent(const Node* n)
{
    auto it = m_index.find(n);
    if (it != m_index.end())
        return it->second;
    const Node* parent = n->GetParent();
    for (uint32_t i = 0; i < parent->GetChildCount(); ++i)
        m_index[parent->GetChild(i)] = i;
    return m_index[n];
}

uint64_t Evaluator::OrderKey(XPathNode n)
{
    if (m_order.empty())
    {
        // One walk numbers every node and every value text.
        uint32_t next = 0;
        m_order[reinterpret_cast<uintptr_t>(m_top)] = next++;
        ForDescendants(
            m_top, [&](XPathNode d)
            { m_order[reinterpret_cast<uintptr_t>(d.node) | (d.slot != 0 ? 1u : 0u)] = next++; });
    }
    const uintptr_t key =
        reinterpret_cast<uintptr_t>(n.node) | (n.slot == kXPathValueSlot ? 1u : 0u);
    const uint64_t ordinal = m_order[key];
    uint64_t sub = 0;
    if (n.slot >= kXPathNamespaceSlot && n.slot != kXPathValueSlot)
        sub = 1 + (n.slot - kXPathNamespaceSlot);
    else if (n.slot != 0 && n.slot != kXPathValueSlot)
        sub = 0x40000000u + n.slot;
    return (ordinal << 32) | sub;
}

void Evaluator::SortUnique(NodeSet& set)
{
    if (set.size() < 2)
        return;
    std::vector<std::pair<uint64_t, XPathNode>> keyed;
    keyed.reserve(set.size());
    for (const XPathNode& n : set)
        keyed.emplace_back(OrderKey(n), n);
    std::sort(keyed.begin(), keyed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    set.clear();
    for (size_t i = 0; i < keyed.size(); ++i)
        if (i == 0 || keyed[i].first != keyed[i - 1].first)
            set.push_back(keyed[i].second);
}

const std::wstring* Evaluator::Bound(const std::wstring& prefix) const
{
    for (const auto& [p, uri] : m_ns)
        if (p == prefix)
            return &uri;
    return nullptr;
}

bool Evaluator::Matches(const ExprNode& step, XPathNode n, XPathNodeType principal) const
{
    const XPathNodeType type = XPathTypeOf(n);
    switch (step.test)
    {
    case Test::Node:
        return true;
    case Test::Text:
        return type == XPathNodeType::Text;
    case Test::Comment:
        return type == XPathNodeType::Comment;
    case Test::Instruction:
        return type == XPathNodeType::ProcessingInstruction &&
               (!step.hasTarget || step.text == n.node->GetName());
    case Test::AnyName:
        return type == principal;
    case Test::PrefixAny:
    {
        if (type != principal)
            return false;
        if (const std::wstring* uri = Bound(step.text))
            return NamespaceUriOf(n) == *uri;
        const std::wstring name = XPathName(n);
        return name.size() > step.text.size() &&
               name.compare(0, step.text.size(), step.text) == 0 && name[step.text.size()] == L':';
    }
    case Test::Name:
        break;
    }
    if (type != principal)
        return false;
    const wchar_t* name = type == XPathNodeType::Element     ? n.node->GetName()
                          : type == XPathNodeType::Attribute ? n.node->GetParamName(n.slot - 1)
                                                             : nullptr;
    const size_t colon = step.text.find(L':');
    if (colon != std::wstring::npos)
        if (const std::wstring* uri = Bound(step.text.substr(0, colon)))
        {
            if (name == nullptr)
                return false;
            return std::wcscmp(LocalPart(name), step.text.c_str() + colon + 1) == 0 &&
                   NamespaceUriOf(n) == *uri;
        }
    if (name == nullptr)
        return step.text == XPathName(n);
    if (step.text != name)
        return false;
    // An unprefixed name is an element in no namespace, as the
    // recommendation has it; a default namespace in scope takes it out.
    return colon != std::wstring::npos || type != XPathNodeType::Element ||
           ResolvePrefix(n.node, name, false).empty();
}

void Evaluator::AxisNodes(const ExprNode& step, XPathNode x, NodeSet& out)
{
    const XPathNodeType principal = step.axis == Axis::Attribute   ? XPathNodeType::Attribute
                                    : step.axis == Axis::Namespace ? XPathNodeType::Namespace
                                                                   : XPathNodeType::Element;
    auto emit = [&](XPathNode n)
    {
        if (Matches(step, n, principal))
            out.push_back(n);
    };
    const bool own = x.slot == 0; // a tree node itself, which may have children
    const bool parent = own && (x.node->GetKind() == xnkData || x.node->GetParent() == nullptr);
    switch (step.axis)
    {
    case Axis::Self:
        emit(x);
        break;
    case Axis::Child:
        if (parent)
            ForChildren(x.node, emit);
        break;
    case Axis::DescendantOrSelf:
        emit(x);
        [[fallthrough]];
    case Axis::Descendant:
        if (parent)
            ForDescendants(x.node, emit);
        break;
    case Axis::Parent:
        if (XPathNode p = ParentOf(x); p.node != nullptr)
            emit(p);
        break;
    case Axis::AncestorOrSelf:
        emit(x);
        [[fallthrough]];
    case Axis::Ancestor:
        for (XPathNode p = ParentOf(x); p.node != nullptr; p = ParentOf(p))
            emit(p);
        break;
    case Axis::Attribute:
        if (own && x.node->GetKind() == xnkData && x.node->GetParent() != nullptr)
            for (uint32_t i = 0; i < x.node->GetParamCount(); ++i)
                if (!IsNamespaceParam(x.node->GetParamName(i)))
                    emit(XPathNode{x.node, i + 1});
        break;
    case Axis::Namespace:
        if (own && x.node->GetKind() == xnkData && x.node->GetParent() != nullptr)
        {
            Bindings ns;
            NamespacesInScope(x.node, ns);
            for (uint32_t k = 0; k < ns.size(); ++k)
                emit(XPathNode{x.node, kXPathNamespaceSlot + k});
        }
        break;
    case Axis::FollowingSibling:
        if (own && x.node->GetParent() != nullptr)
        {
            const Node* p = x.node->GetParent();
            for (uint32_t i = IndexInParent(x.node) + 1; i < p->GetChildCount(); ++i)
                if (IsModelNode(p->GetChild(i)))
                    emit(XPathNode{p->GetChild(i), 0});
            if (HasValueText(p))
                emit(XPathNode{p, kXPathValueSlot});
        }
        break;
    case Axis::PrecedingSibling:
        if (x.slot == kXPathValueSlot)
        {
            for (uint32_t i = x.node->GetChildCount(); i-- > 0;)
                if (IsModelNode(x.node->GetChild(i)))
                    emit(XPathNode{x.node->GetChild(i), 0});
        }
        else if (own && x.node->GetParent() != nullptr)
        {
            const Node* p = x.node->GetParent();
            for (uint32_t i = IndexInParent(x.node); i-- > 0;)
                if (IsModelNode(p->GetChild(i)))
                    emit(XPathNode{p->GetChild(i), 0});
        }
        break;
    case Axis::Following:
    {
        const Node* n = x.node;
        // An attribute is followed by its element's content.
        if (!own && x.slot != kXPathValueSlot)
            ForDescendants(n, emit);
        for (; n->GetParent() != nullptr; n = n->GetParent())
        {
            const Node* p = n->GetParent();
            for (uint32_t i = IndexInParent(n) + 1; i < p->GetChildCount(); ++i)
            {
                const Node* s = p->GetChild(i);
                if (!IsModelNode(s))
                    continue;
                emit(XPathNode{s, 0});
                if (s->GetKind() == xnkData)
                    ForDescendants(s, emit);
            }
            if (HasValueText(p))
                emit(XPathNode{p, kXPathValueSlot});
        }
        break;
    }
    case Axis::Preceding:
    {
        const Node* n = x.node;
        NodeSet subtree;
        if (x.slot == kXPathValueSlot)
        {
            ForDescendants(n, [&](XPathNode d) { subtree.push_back(d); });
            subtree.pop_back(); // the value text itself, last of its element
            for (auto it = subtree.rbegin(); it != subtree.rend(); ++it)
                emit(*it);
        }
        for (; n->GetParent() != nullptr; n = n->GetParent())
        {
            const Node* p = n->GetParent();
            for (uint32_t i = IndexInParent(n); i-- > 0;)
            {
                const Node* s = p->GetChild(i);
                if (!IsModelNode(s))
                    continue;
                subtree.clear();
                if (s->GetKind() == xnkData)
                    ForDescendants(s, [&](XPathNode d) { subtree.push_back(d); });
                for (auto it = subtree.rbegin(); it != subtree.rend(); ++it)
                    emit(*it);
                emit(XPathNode{s, 0});
            }
        }
        break;
    }
    }
}

// Whether a predicate keeps the same nodes whatever their positions are:
// it is no number and asks for no position.
bool Evaluator::OrderFree(int32_t pred) const
{
    for (int32_t p = pred; p >= 0; p = N(p).next)
    {
        const ExprNode& n = N(p);
        const bool boolean =
            (n.op >= Op::Or && n.op <= Op::Ge) || n.op == Op::Path ||
            (n.op == Op::Function &&
             (n.func == Func::Not || n.func == Func::Boolean || n.func == Func::Contains ||
              n.func == Func::StartsWith || n.func == Func::True || n.func == Func::False));
        if (!boolean)
            return false;
        std::vector<int32_t> stack{n.left, n.right};
        while (!stack.empty())
        {
            const int32_t i = stack.back();
            stack.pop_back();
            if (i < 0)
                continue;
            const ExprNode& e = N(i);
            if (e.op == Op::Function && (e.func == Func::Position || e.func == Func::Last))
                return false;
            stack.push_back(e.left);
            stack.push_back(e.right);
            stack.push_back(e.next);
            if (e.op != Op::Step)
                stack.push_back(e.preds);
        }
    }
    return true;
}

bool Evaluator::Predicates(int32_t first, NodeSet& set)
{
    for (int32_t p = first; p >= 0 && !set.empty(); p = N(p).next)
    {
        const ExprNode& pred = N(p);
        if (pred.op == Op::Number)
        {
            const double k = pred.number;
            const bool hit = k >= 1 && k <= static_cast<double>(set.size()) && k == std::floor(k);
            XPathNode keep = hit ? set[static_cast<size_t>(k) - 1] : XPathNode();
            set.clear();
            if (hit)
                set.push_back(keep);
            continue;
        }
        NodeSet kept;
        XPathValue v;
        const size_t size = set.size();
        for (size_t i = 0; i < size; ++i)
        {
            if (!Eval(p, Ctx{set[i], i + 1, size}, v))
                return false;
            const bool keep =
                v.type == XPathType::Number ? v.number == static_cast<double>(i + 1) : BoolOf(v);
            if (keep)
                kept.push_back(set[i]);
        }
        set.swap(kept);
    }
    return true;
}

// Whether all nodes of `set` lie at one depth, so that none is inside
// another. Gives up (false) past a walk proportional to the set's size, so
// that deep trees cost no more than sorting would.
bool SameDepth(const NodeSet& set)
{
    if (set.size() < 2)
        return true;
    size_t budget = 8 * set.size() + 1024;
    auto depthOf = [&budget](XPathNode n, size_t& depth)
    {
        depth = n.slot != 0 ? 1 : 0;
        for (const Node* p = n.node->GetParent(); p != nullptr; p = p->GetParent(), ++depth)
            if (budget-- == 0)
                return false;
        return true;
    };
    size_t first = 0, depth = 0;
    if (!depthOf(set.front(), first))
        return false;
    for (const XPathNode& n : set)
        if (!depthOf(n, depth) || depth != first)
            return false;
    return true;
}

bool Evaluator::Path(const ExprNode& n, const Ctx& c, XPathValue& out)
{
    NodeSet cur;
    if (n.left >= 0)
    {
        XPathValue start;
        if (!Eval(n.left, c, start))
            return false;
        if (start.type != XPathType::NodeSet)
            return Fail(N(n.left), "a path can only continue from a node-set");
        cur.swap(start.nodes);
    }
    else
    {
        cur.push_back(n.absolute ? XPathNode{m_top, 0} : c.node);
    }
    // No node of `cur` lies inside another one of it.
    bool flat = SameDepth(cur);
    NodeSet next, found;
    for (int32_t s = n.right; s >= 0 && !cur.empty(); s = N(s).next)
    {
        const ExprNode* step = &N(s);
        // "//name" walks the descendants once, unless a predicate counts positions.
        bool fused = false;
        if (step->axis == Axis::DescendantOrSelf && step->test == Test::Node && step->preds < 0 &&
            step->next >= 0)
        {
            const ExprNode& following = N(step->next);
            if ((following.axis == Axis::Child || following.axis == Axis::Attribute) &&
                OrderFree(following.preds))
            {
                fused = true;
                s = step->next;
                step = &following;
            }
        }
        next.clear();
        for (const XPathNode& x : cur)
        {
            found.clear();
            if (fused && step->axis == Axis::Child)
            {
                if (x.slot == 0 && (x.node->GetKind() == xnkData || x.node->GetParent() == nullptr))
                    ForDescendants(x.node,
                                   [&](XPathNode d)
                                   {
                                       if (Matches(*step, d, XPathNodeType::Element))
                                           found.push_back(d);
                                   });
            }
            else if (fused)
            {
                auto attributes = [&](XPathNode e)
                {
                    if (e.slot == 0 && e.node->GetKind() == xnkData &&
                        e.node->GetParent() != nullptr)
                        AxisNodes(*step, e, found);
                };
                attributes(x);
                if (x.slot == 0)
                    ForDescendants(x.node, attributes);
            }
            else
            {
                AxisNodes(*step, x, found);
            }
            if (!Predicates(step->preds, found))
                return false;
            if (IsReverse(step->axis))
                std::reverse(found.begin(), found.end());
            next.insert(next.end(), found.begin(), found.end());
        }
        const Axis a = step->axis;
        const bool keepsOrder = a == Axis::Child || a == Axis::Attribute || a == Axis::Namespace ||
                                a == Axis::Self || a == Axis::Descendant ||
                                a == Axis::DescendantOrSelf;
        if (cur.size() > 1)
        {
            if (flat && keepsOrder)
            {
            }
            else if (flat && a == Axis::Parent)
                next.erase(std::unique(next.begin(), next.end()), next.end());
            else
                SortUnique(next);
        }
        const bool staysFlat =
            !fused && (a == Axis::Child || a == Axis::Attribute || a == Axis::Namespace ||
                       a == Axis::Self || a == Axis::Parent);
        flat = (flat && staysFlat) || (N(s).next >= 0 && SameDepth(next));
        cur.swap(next);
    }
    out = XPathValue();
    out.type = XPathType::NodeSet;
    out.nodes.swap(cur);
    return true;
}

bool Evaluator::Compare(Op op, const XPathValue& a, const XPathValue& b)
{
    auto numbers = [op](double x, double y)
    {
        switch (op)
        {
        case Op::Eq:
            return x == y;
        case Op::Ne:
            return x != y;
        case Op::Lt:
            return x < y;
        case Op::Le:
            return x <= y;
        case Op::Gt:
            return x > y;
        default:
            return x >= y;
        }
    };
    const bool equality = op == Op::Eq || op == Op::Ne;
    const bool setA = a.type == XPathType::NodeSet, setB = b.type == XPathType::NodeSet;
    if (setA && setB)
    {
        if (equality)
        {
            std::unordered_set<std::wstring> strings;
            for (const XPathNode& n : b.nodes)
                strings.insert(StringOfNode(n));
            for (const XPathNode& n : a.nodes)
            {
                const std::wstring s = StringOfNode(n);
                const bool found = strings.count(s) != 0;
                if (op == Op::Eq ? found : (strings.size() > 1 || (!strings.empty() && !found)))
                    return true;
            }
            return false;
        }
        for (const XPathNode& n : a.nodes)
        {
            const double x = NumberOfNode(n);
            for (const XPathNode& m : b.nodes)
                if (numbers(x, NumberOfNode(m)))
                    return true;
        }
        return false;
    }
    if (setA || setB)
    {
        const XPathValue& set = setA ? a : b;
        const XPathValue& other = setA ? b : a;
        // With the node-set on the right, the operator turns around.
        Op turned = op;
        if (!setA)
            turned = op == Op::Lt   ? Op::Gt
                     : op == Op::Le ? Op::Ge
                     : op == Op::Gt ? Op::Lt
                     : op == Op::Ge ? Op::Le
                                    : op;
        XPathValue left;
        if (other.type == XPathType::Boolean)
        {
            SetBool(left, BoolOf(set));
            return Compare(turned, left, other);
        }
        Evaluator& self = *this;
        for (const XPathNode& n : set.nodes)
        {
            if (other.type == XPathType::Number || !equality)
            {
                SetNumber(left, NumberOfNode(n));
                XPathValue right;
                SetNumber(right, NumberOf(other));
                if (self.Compare(turned, left, right))
                    return true;
            }
            else if ((StringOfNode(n) == other.string) == (op == Op::Eq))
            {
                return true;
            }
        }
        return false;
    }
    if (equality)
    {
        bool same;
        if (a.type == XPathType::Boolean || b.type == XPathType::Boolean)
            same = BoolOf(a) == BoolOf(b);
        else if (a.type == XPathType::Number || b.type == XPathType::Number)
            return numbers(NumberOf(a), NumberOf(b));
        else
            same = StringOf(a) == StringOf(b);
        return op == Op::Eq ? same : !same;
    }
    return numbers(NumberOf(a), NumberOf(b));
}

bool Evaluator::Ids(const XPathValue& arg, XPathValue& out)
{
    std::vector<std::wstring> tokens;
    auto split = [&tokens](const std::wstring& s)
    {
        size_t i = 0;
        while (i < s.size())
        {
            while (i < s.size() && IsXmlSpace(s[i]))
                ++i;
            const size_t start = i;
            while (i < s.size() && !IsXmlSpace(s[i]))
                ++i;
            if (i > start)
                tokens.push_back(s.substr(start, i - start));
        }
    };
    if (arg.type == XPathType::NodeSet)
        for (const XPathNode& n : arg.nodes)
            split(StringOfNode(n));
    else
        split(StringOf(arg));
    out = XPathValue();
    out.type = XPathType::NodeSet;
    if (tokens.empty())
        return true;
    std::unordered_set<std::wstring> wanted(tokens.begin(), tokens.end());
    ForDescendants(m_top,
                   [&](XPathNode d)
                   {
                       if (d.slot != 0 || d.node->GetKind() != xnkData)
                           return;
                       const wchar_t* id = d.node->GetParamByName(L"xml:id");
                       if (id != nullptr && wanted.count(id) != 0)
                           out.nodes.push_back(d);
                   });
    return true;
}

bool Evaluator::Call(const ExprNode& n, const Ctx& c, XPathValue& out)
{
    XPathValue args[3];
    const uint32_t fixed = n.func == Func::Concat ? 0u : n.argc;
    int32_t a = n.left;
    for (uint32_t i = 0; i < fixed && i < 3; ++i, a = N(a).next)
        if (!Eval(a, c, args[i]))
            return false;
    auto needSet = [&](const XPathValue& v)
    {
        return v.type == XPathType::NodeSet ? true
                                            : Fail(n, "the function's argument must be a node-set");
    };
    // The node a name function asks about: its argument's first, or the context.
    auto subject = [&](XPathNode& node)
    {
        if (n.argc == 0)
        {
            node = c.node;
            return true;
        }
        if (!needSet(args[0]))
            return false;
        node = args[0].nodes.empty() ? XPathNode() : args[0].nodes.front();
        return true;
    };
    auto text = [&](uint32_t i) { return i < n.argc ? StringOf(args[i]) : StringOfNode(c.node); };
    switch (n.func)
    {
    case Func::Last:
        SetNumber(out, static_cast<double>(c.size));
        return true;
    case Func::Position:
        SetNumber(out, static_cast<double>(c.pos));
        return true;
    case Func::Count:
        if (!needSet(args[0]))
            return false;
        SetNumber(out, static_cast<double>(args[0].nodes.size()));
        return true;
    case Func::Id:
        return Ids(args[0], out);
    case Func::LocalName:
    case Func::NamespaceUri:
    case Func::Name:
    {
        XPathNode node;
        if (!subject(node))
            return false;
        std::wstring s;
        if (node.node != nullptr)
        {
            if (n.func == Func::Name)
                s = XPathName(node);
            else if (n.func == Func::NamespaceUri)
                s = NamespaceUriOf(node);
            else
            {
                s = XPathName(node);
                const XPathNodeType t = XPathTypeOf(node);
                if (t == XPathNodeType::Element || t == XPathNodeType::Attribute)
                    s = LocalPart(s.c_str());
            }
        }
        SetString(out, std::move(s));
        return true;
    }
    case Func::String:
        SetString(out, text(0));
        return true;
    case Func::Concat:
    {
        std::wstring s;
        XPathValue v;
        for (int32_t i = n.left; i >= 0; i = N(i).next)
        {
            if (!Eval(i, c, v))
                return false;
            s += StringOf(v);
        }
        SetString(out, std::move(s));
        return true;
    }
    case Func::StartsWith:
    case Func::Contains:
    {
        const std::wstring s = text(0), t = text(1);
        SetBool(out, n.func == Func::StartsWith
                         ? s.compare(0, t.size(), t) == 0 && s.size() >= t.size()
                         : s.find(t) != std::wstring::npos);
        return true;
    }
    case Func::SubstringBefore:
    case Func::SubstringAfter:
    {
        const std::wstring s = text(0), t = text(1);
        const size_t at = s.find(t);
        if (at == std::wstring::npos)
            SetString(out, std::wstring());
        else
            SetString(out,
                      n.func == Func::SubstringBefore ? s.substr(0, at) : s.substr(at + t.size()));
        return true;
    }
    case Func::Substring:
    {
        const std::u32string s = Points(text(0));
        const double start = Round(NumberOf(args[1]));
        const double end = n.argc == 3 ? start + Round(NumberOf(args[2]))
                                       : std::numeric_limits<double>::infinity();
        std::u32string r;
        for (size_t i = 0; i < s.size(); ++i)
        {
            const double p = static_cast<double>(i + 1);
            if (p >= start && p < end)
                r += s[i];
        }
        SetString(out, FromPoints(r));
        return true;
    }
    case Func::StringLength:
        SetNumber(out, static_cast<double>(Points(text(0)).size()));
        return true;
    case Func::NormalizeSpace:
    {
        const std::wstring s = text(0);
        std::wstring r;
        bool gap = false;
        for (wchar_t ch : s)
        {
            if (IsXmlSpace(ch))
            {
                gap = !r.empty();
                continue;
            }
            if (gap)
                r += L' ';
            gap = false;
            r += ch;
        }
        SetString(out, std::move(r));
        return true;
    }
    case Func::Translate:
    {
        const std::u32string s = Points(text(0)), from = Points(text(1)), to = Points(text(2));
        std::u32string r;
        for (char32_t ch : s)
        {
            const size_t at = from.find(ch);
            if (at == std::u32string::npos)
                r += ch;
            else if (at < to.size())
                r += to[at];
        }
        SetString(out, FromPoints(r));
        return true;
    }
    case Func::Boolean:
        SetBool(out, BoolOf(args[0]));
        return true;
    case Func::Not:
        SetBool(out, !BoolOf(args[0]));
        return true;
    case Func::True:
    case Func::False:
        SetBool(out, n.func == Func::True);
        return true;
    case Func::Lang:
    {
        std::wstring want = StringOf(args[0]);
        const wchar_t* have = nullptr;
        for (XPathNode p = c.node; p.node != nullptr && have == nullptr; p = ParentOf(p))
            if (p.slot == 0 && p.node->GetKind() == xnkData && p.node->GetParent() != nullptr)
                have = p.node->GetParamByName(L"xml:lang");
        bool match = false;
        if (have != nullptr)
        {
            const size_t len = std::wcslen(have);
            match = len >= want.size() && (len == want.size() || have[want.size()] == L'-');
            for (size_t i = 0; match && i < want.size(); ++i)
                match = std::towlower(static_cast<wint_t>(have[i])) ==
                        std::towlower(static_cast<wint_t>(want[i]));
        }
        SetBool(out, match);
        return true;
    }
    case Func::Number:
        SetNumber(out, n.argc == 0 ? NumberOfNode(c.node) : NumberOf(args[0]));
        return true;
    case Func::Sum:
    {
        if (!needSet(args[0]))
            return false;
        double sum = 0;
        for (const XPathNode& node : args[0].nodes)
            sum += NumberOfNode(node);
        SetNumber(out, sum);
        return true;
    }
    case Func::Floor:
        SetNumber(out, std::floor(NumberOf(args[0])));
        return true;
    case Func::Ceiling:
        SetNumber(out, std::ceil(NumberOf(args[0])));
        return true;
    case Func::Round:
        SetNumber(out, Round(NumberOf(args[0])));
        return true;
    }
    return Fail(n, "unknown function");
}

bool Evaluator::Eval(int32_t i, const Ctx& c, XPathValue& out)
{
    const ExprNode& n = N(i);
    switch (n.op)
    {
    case Op::Or:
    case Op::And:
    {
        if (!Eval(n.left, c, out))
            return false;
        const bool left = BoolOf(out);
        if (left == (n.op == Op::Or))
        {
            SetBool(out, left);
            return true;
        }
        if (!Eval(n.right, c, out))
            return false;
        SetBool(out, BoolOf(out));
        return true;
    }
    case Op::Eq:
    case Op::Ne:
    case Op::Lt:
    case Op::Le:
    case Op::Gt:
    case Op::Ge:
    {
        XPathValue right;
        if (!Eval(n.left, c, out) || !Eval(n.right, c, right))
            return false;
        const bool result = Compare(n.op, out, right);
        SetBool(out, result);
        return true;
    }
    case Op::Add:
    case Op::Sub:
    case Op::Mul:
    case Op::Div:
    case Op::Mod:
    {
        XPathValue right;
        if (!Eval(n.left, c, out) || !Eval(n.right, c, right))
            return false;
        const double x = NumberOf(out), y = NumberOf(right);
        const double r = n.op == Op::Add   ? x + y
                         : n.op == Op::Sub ? x - y
                         : n.op == Op::Mul ? x * y
                         : n.op == Op::Div ? x / y
                                           : std::fmod(x, y);
        SetNumber(out, r);
        return true;
    }
    case Op::Neg:
        if (!Eval(n.left, c, out))
            return false;
        SetNumber(out, -NumberOf(out));
        return true;
    case Op::Union:
    {
        XPathValue right;
        if (!Eval(n.left, c, out) || !Eval(n.right, c, right))
            return false;
        if (out.type != XPathType::NodeSet || right.type != XPathType::NodeSet)
            return Fail(n, "'|' joins node-sets only");
        if (out.nodes.empty())
            out.nodes.swap(right.nodes);
        else if (!right.nodes.empty())
        {
            out.nodes.insert(out.nodes.end(), right.nodes.begin(), right.nodes.end());
            SortUnique(out.nodes);
        }
        return true;
    }
    case Op::Number:
        SetNumber(out, n.number);
        return true;
    case Op::Literal:
        SetString(out, n.text);
        return true;
    case Op::Variable:
        return Fail(n, "no variables are bound");
    case Op::Function:
        return Call(n, c, out);
    case Op::Path:
        return Path(n, c, out);
    case Op::Filter:
        if (!Eval(n.left, c, out))
            return false;
        if (out.type != XPathType::NodeSet)
            return Fail(n, "a predicate can only filter a node-set");
        return Predicates(n.preds, out.nodes);
    case Op::Step:
        break;
    }
    return Fail(n, "not an expression");
}

} // namespace
} // namespace xpath

CXPathExpr::CXPathExpr() : m_impl(new Impl) {}
CXPathExpr::~CXPathExpr()
{
    delete m_impl;
}

bool CXPathExpr::Compile(const wchar_t* text, XPathError& error)
{
    return xpath::Compile(text, m_impl->program, error);
}

bool CXPathExpr::IsCompiled() const
{
    return m_impl->program.root >= 0;
}

bool CXPathExpr::Evaluate(XPathNode context, const XPathNamespaces& namespaces, XPathValue& out,
                          XPathError& error) const
{
    error = XPathError();
    out = XPathValue();
    if (!IsCompiled() || context.node == nullptr)
    {
        error.reason = IsCompiled() ? "no context node" : "no expression was compiled";
        return false;
    }
    const xpath::Node* top = context.node;
    while (top->GetParent() != nullptr)
        top = top->GetParent();
    xpath::Evaluator evaluator(m_impl->program, namespaces, error, top);
    return evaluator.Eval(m_impl->program.root, xpath::Ctx{context, 1, 1}, out);
}

} // namespace nkDS
