#include "velmar/app/NodeCommandHistory.h"

#include "velmar/app/ItemKind.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLContentView.h"
#include "velmar/app/XMLTreeView.h"

#include <tuple>
#include <utility>

namespace
{

using Node = nkDS::CXmlNodeW;

// What a node holds of its own, apart from its children's contents.
struct NodeState
{
    Node* node = nullptr;
    decltype(Node::m_nKind) kind = 0;
    bool cdata = false;
    nkMem::CStringT<wchar_t> name, value;
    nkMem::CStrTList<wchar_t> names, values;
    Node::ChildList children; // shares the node's list until either changes

    explicit NodeState(Node* n)
        : node(n), kind(n->m_nKind), cdata(n->m_bCData), name(n->m_strName), value(n->m_strValue),
          names(std::as_const(*n).ParamNames()), values(std::as_const(*n).ParamValues()),
          children(n->GetChildren())
    {
    }

    bool Matches() const
    {
        const Node& now = *node; // read only: no room for parameters is made
        if (kind != node->m_nKind || cdata != node->m_bCData || !(name == node->m_strName) ||
            !(value == node->m_strValue) || names.GetCount() != now.GetParamCount() ||
            children.GetCount() != node->GetChildCount())
            return false;
        for (uint32_t i = 0; i < names.GetCount(); ++i)
            if (!(names.GetAt(i) == now.ParamNames().GetAt(i)) ||
                !(values.GetAt(i) == now.ParamValues().GetAt(i)))
                return false;
        for (uint32_t i = 0; i < children.GetCount(); ++i)
            if (children.GetAt(i) != node->GetChild(i))
                return false;
        return true;
    }

    // Exchanges the recorded state with the node's; the children's parent
    // links are set by the caller.
    void Exchange()
    {
        std::swap(kind, node->m_nKind);
        std::swap(cdata, node->m_bCData);
        std::swap(name, node->m_strName);
        std::swap(value, node->m_strValue);
        std::swap(names, node->ParamNames());
        std::swap(values, node->ParamValues());
        std::swap(children, node->GetChildren());
    }
};

} // namespace

class CNodeStep : public CUndoStep
{
public:
    CNodeStep(CNodeHistory& history, const CString& name) : CUndoStep(name), m_history(history) {}

    void Touch(Node* node)
    {
        for (const NodeState& s : m_states)
            if (s.node == node)
                return;
        m_states.emplace_back(node);
    }
    // Whether the recorded states differ from the live ones.
    bool Changes() const
    {
        for (const NodeState& s : m_states)
            if (!s.Matches())
                return true;
        return false;
    }
    // The nodes that left the tree are kept for a later step.
    void KeepLeavers()
    {
        for (const NodeState& s : m_states)
            for (uint32_t i = 0; i < s.children.GetCount(); ++i)
                if (Node* child = s.children.GetAt(i); child && !child->GetParent())
                    m_history.Keep(child);
    }

    void Undo() override { Exchange(); }
    void Redo() override { Exchange(); }
    int GetMergeId() const override { return m_merge ? 1 : -1; }
    BOOL MergeWith(const CUndoStep& next) override
    {
        const auto& other = static_cast<const CNodeStep&>(next);
        if (!m_merge || !other.m_merge || m_key != other.m_key)
            return FALSE;
        // The earlier state stays; the newer one lies between it and now.
        return TRUE;
    }
    BOOL IsObsolete() const override { return !Changes(); }

    std::vector<NodeState> m_states;
    Node* m_pShow = nullptr;
    Node* m_pFallback = nullptr;
    int m_nShowKind = ikNone;
    int m_nShowParam = -1;
    bool m_merge = false;
    std::tuple<const void*, const void*, int, unsigned> m_key{};

private:
    void Exchange()
    {
        // Every list lets go of its children before any takes its own back,
        // so a node that changes parent ends with the right one.
        for (NodeState& s : m_states)
            for (uint32_t i = 0; i < s.node->GetChildCount(); ++i)
                if (Node* child = s.node->GetChild(i))
                    child->SetParent(nullptr);
        for (NodeState& s : m_states)
        {
            s.Exchange();
            for (uint32_t i = 0; i < s.node->GetChildCount(); ++i)
                if (Node* child = s.node->GetChild(i))
                    child->SetParent(s.node);
        }
        KeepLeavers();
        m_history.Show(*this);
    }

    CNodeHistory& m_history;
};

CNodeHistory::~CNodeHistory()
{
    Clear();
}

void CNodeHistory::Clear()
{
    m_stack.Clear();
    // Only nodes outside the tree go; each of them takes its subtree along.
    std::vector<Node*> orphans;
    for (Node* node : m_kept)
        if (!node->GetParent())
            orphans.push_back(node);
    m_kept.clear();
    for (Node* node : orphans)
        nkDS::DestroyXmlNode(node);
}

void CNodeHistory::Push(CNodeStep* pStep)
{
    pStep->KeepLeavers();
    m_stack.Push(pStep);
    m_doc.SetModifiedFlag(m_stack.IsClean() ? FALSE : TRUE);
}

BOOL CNodeHistory::Undo(CXMLTreeView* pView)
{
    return Walk(pView, true);
}

BOOL CNodeHistory::Redo(CXMLTreeView* pView)
{
    return Walk(pView, false);
}

BOOL CNodeHistory::Walk(CXMLTreeView* pView, bool bUndo)
{
    m_pActing = pView;
    const BOOL done = bUndo ? m_stack.Undo() : m_stack.Redo();
    m_pActing = nullptr;
    if (!done)
        return FALSE;
    const BOOL modified = m_stack.IsClean() ? FALSE : TRUE;
    m_doc.SetModifiedFlag(modified);
    if (!modified)
        m_doc.UpdateFrameCounts(); // the caption loses its mark
    return TRUE;
}

void CNodeHistory::Show(const CNodeStep& step)
{
    std::unordered_set<const Node*> touched;
    for (const NodeState& s : step.m_states)
        touched.insert(s.node);
    // A pane keeps nothing of a node whose text may have changed under it.
    for (CView* pView : m_doc.GetViews())
        if (auto* pPane = dynamic_cast<CXMLContentView*>(pView))
            for (const Node* n = pPane->GetEditedNode(); n; n = n->GetParent())
                if (touched.count(n))
                {
                    pPane->OnUpdate(nullptr, 0, nullptr);
                    break;
                }
    Node* root = &m_doc.GetXmlFile();
    for (CView* pView : m_doc.GetViews())
    {
        auto* pTree = dynamic_cast<CXMLTreeView*>(pView);
        if (!pTree)
            continue;
        std::vector<Node*> nodes;
        for (const NodeState& s : step.m_states)
            nodes.push_back(s.node);
        pTree->ShowNodeChange(nodes, root);
        if (pTree == m_pActing || (!m_pActing && pTree == m_doc.GetViews().front()))
            pTree->SelectNodeItem(step.m_pShow, step.m_nShowKind, step.m_nShowParam,
                                  step.m_pFallback);
    }
}

CNodeEdit::CNodeEdit(CVelmarDoc* pDoc, const CString& name)
    : m_pDoc(pDoc), m_pStep(pDoc ? new CNodeStep(pDoc->GetHistory(), name) : nullptr)
{
}

CNodeEdit::~CNodeEdit()
{
    delete m_pStep;
}

void CNodeEdit::Touch(Node* node)
{
    if (m_pStep && node)
        m_pStep->Touch(node);
}

void CNodeEdit::Show(Node* node, int kind, int param, Node* fallback)
{
    if (!m_pStep)
        return;
    m_pStep->m_pShow = node;
    m_pStep->m_nShowKind = kind;
    m_pStep->m_nShowParam = param;
    m_pStep->m_pFallback = fallback;
}

void CNodeEdit::MergeAs(const void* owner, const void* what, int part, unsigned session)
{
    if (!m_pStep)
        return;
    m_pStep->m_merge = true;
    m_pStep->m_key = {owner, what, part, session};
}

void CNodeEdit::Commit()
{
    if (!m_pStep)
        return;
    CNodeStep* pStep = m_pStep;
    m_pStep = nullptr;
    if (!pStep->Changes())
    {
        delete pStep;
        return;
    }
    m_pDoc->GetHistory().Push(pStep);
}

CString CNodeEdit::StepName(LPCWSTR verb, LPCWSTR name)
{
    CString text = AfxTranslate(verb);
    text.Replace(L"%1", name);
    return text;
}

CString CNodeEdit::StepName(LPCWSTR verb, const Node* node)
{
    CString name = AfxTranslate(verb);
    if (node && node->GetKind() == nkDS::xnkText)
        name.Replace(L"'%1'", AfxTranslate(L"text"));
    else if (node && node->GetKind() == nkDS::xnkDocType)
        name.Replace(L"%1", L"DOCTYPE");
    else if (!node || node->GetKind() == nkDS::xnkRemark || !*node->GetName())
        name.Replace(L"'%1'", AfxTranslate(L"remark"));
    else
        name.Replace(L"%1", node->GetName());
    return name;
}

BOOL CVelmarDoc::RunEdit(const CString& name, const std::vector<nkDS::CXmlNodeW*>& touched,
                         const std::function<bool()>& change, nkDS::CXmlNodeW* show)
{
    CNodeEdit edit(this, name);
    for (Node* node : touched)
        edit.Touch(node);
    if (!change())
        return FALSE;
    edit.Show(show, ikElement, -1, touched.empty() ? nullptr : touched.front());
    edit.Commit();
    for (CView* pView : GetViews())
        if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView))
            pTree->ShowNodeChange(touched, &m_xmlFile);
    return TRUE;
}
