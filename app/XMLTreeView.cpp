#include "velmar/app/XMLTreeView.h"

#include "velmar/app/FrameHooks.h"
#include "velmar/app/NodeCommandHistory.h"
#include "velmar/app/Resource.h"
#include "velmar/app/ValueColumn.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLContentView.h"

#include <cwctype>

IMPLEMENT_DYNCREATE(CXMLTreeView, CTreeView)

BEGIN_MESSAGE_MAP(CXMLTreeView, CTreeView)
ON_WM_SETFOCUS()
ON_NOTIFY_REFLECT(TVN_SELCHANGED, &CXMLTreeView::OnSelChanged)
ON_NOTIFY_REFLECT(TVN_ITEMEXPANDING, &CXMLTreeView::OnItemExpanding)
ON_NOTIFY_REFLECT(TVN_BEGINLABELEDIT, &CXMLTreeView::OnBeginLabelEdit)
ON_NOTIFY_REFLECT(TVN_ENDLABELEDIT, &CXMLTreeView::OnEndLabelEdit)
ON_NOTIFY_REFLECT(TVN_BEGINDRAG, &CXMLTreeView::OnBeginDrag)
ON_NOTIFY_REFLECT(TVN_KEYDOWN, &CXMLTreeView::OnKeyDownNotify)
ON_WM_RBUTTONDOWN()
END_MESSAGE_MAP()

namespace
{

// "xml" in any case is reserved for the declaration at the top of a file.
bool IsReservedTarget(LPCWSTR name)
{
    return std::towlower(name[0]) == L'x' && std::towlower(name[1]) == L'm' &&
           std::towlower(name[2]) == L'l' && name[3] == 0;
}

// Whether `node` is `top` or lies below it.
bool IsWithin(const nkDS::CXmlNodeW* node, const nkDS::CXmlNodeW* top)
{
    for (; node; node = node->GetParent())
        if (node == top)
            return true;
    return false;
}

} // namespace

CXMLTreeView::CXMLTreeView() = default;

CXMLTreeView::~CXMLTreeView() = default;

CTreeCtrl* CXMLTreeView::NewTreeCtrl()
{
    return new CXMLTreeCtrl;
}

CVelmarDoc* CXMLTreeView::GetDocument() const
{
    return dynamic_cast<CVelmarDoc*>(m_pDocument);
}

BOOL CXMLTreeView::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                          const RECT& rect, CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    if (!CTreeView::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext))
        return FALSE;
    GetTreeCtrl().ModifyStyle(0, TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS |
                                     TVS_SHOWSELALWAYS);
    ApplyValueColumn();
    m_dropTarget.Register(this);
    return TRUE;
}

void CXMLTreeView::OnInitialUpdate()
{
    // A new window on a document builds only its own tree.
    if (CVelmarDoc* pDoc = GetDocument())
        GetXMLTreeCtrl().FillItem(TVI_ROOT, &pDoc->GetXmlFile());
    CTreeView::OnInitialUpdate();
}

void CXMLTreeView::OnUpdate(CView*, LPARAM, CObject*) {}

void CXMLTreeView::OnDraw(CDC*) {}

std::vector<CXMLTreeView*> CXMLTreeView::OtherTreeViews() const
{
    std::vector<CXMLTreeView*> views;
    if (m_pDocument)
        for (CView* pView : m_pDocument->GetViews())
            if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView); pTree && pTree != this)
                views.push_back(pTree);
    return views;
}

void CXMLTreeView::RebuildOtherTrees(const std::function<void(CXMLTreeCtrl&)>& rebuild)
{
    for (CXMLTreeView* pOther : OtherTreeViews())
    {
        CXMLTreeCtrl& other = pOther->GetXMLTreeCtrl();
        HTREEITEM hSelected = other.GetSelectedItem();
        ++pOther->m_nMirroring;
        rebuild(other);
        // A handle of a deleted item is refused, so this keeps only a survivor.
        const bool kept = !hSelected || other.SelectItem(hSelected);
        --pOther->m_nMirroring;
        if (!kept)
            pOther->AnnounceSelection(nullptr);
    }
}

void CXMLTreeView::MirrorChildList(Node* node)
{
    CVelmarDoc* pDoc = GetDocument();
    if (!pDoc)
        return;
    RebuildOtherTrees(
        [&](CXMLTreeCtrl& other)
        {
            // Where the other tree has no such list, only a whole rebuild is sure
            // to drop every item of what changed; a list it has not made yet
            // is made from the nodes as they are when it is.
            bool unbuilt = false;
            if (HTREEITEM hList = other.FindChildListItem(node, &unbuilt))
                other.FillItem(hList, node);
            else if (!unbuilt)
                other.FillItem(TVI_ROOT, &pDoc->GetXmlFile());
        });
}

void CXMLTreeView::MirrorParams(Node* node)
{
    CVelmarDoc* pDoc = GetDocument();
    if (!pDoc)
        return;
    RebuildOtherTrees(
        [&](CXMLTreeCtrl& other)
        {
            // A node item without a "Child Vars" group shows no parameters.
            bool unbuilt = false;
            if (HTREEITEM hItem = other.FindNodeItem(node, &unbuilt))
                other.FillParams(hItem);
            else if (!unbuilt)
                other.FillItem(TVI_ROOT, &pDoc->GetXmlFile());
        });
}

void CXMLTreeView::EmptyContentPanes(const std::function<bool(const CXMLContentView&)>& goes)
{
    if (!m_pDocument)
        return;
    for (CView* pView : m_pDocument->GetViews())
        if (auto* pContent = dynamic_cast<CXMLContentView*>(pView);
            pContent && pContent->GetEditedNode() && goes(*pContent))
            pContent->OnUpdate(nullptr, 0, nullptr);
}

void CXMLTreeView::RefreshItem(HTREEITEM hItem)
{
    CVelmarDoc* pDoc = GetDocument();
    if (!pDoc)
        return;
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    const int kind = hItem == TVI_ROOT ? ikNone : tree.GetItemKind(hItem);
    Node* node = hItem == TVI_ROOT ? &pDoc->GetXmlFile() : tree.GetItemNode(hItem);
    tree.FillItem(hItem, node);
    if (hItem == TVI_ROOT || kind == ikChildNodes)
        MirrorChildList(node);
    else
        RebuildOtherTrees([&](CXMLTreeCtrl& other)
                          { other.FillItem(TVI_ROOT, &pDoc->GetXmlFile()); });
}

BOOL CXMLTreeView::AddNode(nkDS::CXmlNodeW* node)
{
    CVelmarDoc* pDoc = GetDocument();
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    HTREEITEM hSelected = tree.GetSelectedItem();
    if (!pDoc || !node || !hSelected)
        return FALSE;
    const int kind = tree.GetItemKind(hSelected);
    if (kind == ikChildVars || kind == ikParam || kind == ikNodeValue)
        return FALSE;
    HTREEITEM hTarget = kind == ikChildNodes ? hSelected : tree.GetParentItem(hSelected);
    Node* parent = nullptr;
    if (hTarget)
        parent = tree.GetItemNode(hTarget);
    else
        hTarget = TVI_ROOT;
    if (!parent)
        parent = &pDoc->GetXmlFile();
    // The new node takes the names of the document's mode.
    node->SetXml10(pDoc->IsXml10());
    // An XML 1.0 element keeps its text as a run before the new child.
    nkDS::CXmlNodeW* text = nullptr;
    if (pDoc->IsXml10() && *parent->GetValue() && parent != &pDoc->GetXmlFile())
    {
        text = nkDS::CreateXmlNodeW();
        if (!text)
            return FALSE;
        text->SetXml10(true);
        text->SetKind(nkDS::xnkText);
        text->SetValue(parent->GetValue());
        text->SetCData(parent->IsCData());
    }
    else if (!ConfirmTextLoss(*parent))
        return FALSE;
    CNodeEdit edit(pDoc, CNodeEdit::StepName(L"Add '%1'", node));
    edit.Touch(parent);
    if (text && !parent->InsertChild(0, text))
    {
        nkDS::DestroyXmlNode(text);
        return FALSE;
    }
    if (!parent->AddChild(node))
    {
        if (text)
            nkDS::DestroyXmlNode(parent->DetachChild(0));
        return FALSE;
    }
    EmptyContentPanes(
        [parent](const CXMLContentView& pane)
        { return pane.GetEditedNode() == parent && pane.GetEditedKind() == ikNodeValue; });
    parent->SetValue(nullptr);
    parent->SetCData(false);
    RefreshItem(hTarget);
    if (hTarget == TVI_ROOT)
    {
        tree.SelectItem(tree.GetRootItem());
    }
    else
    {
        // The new node shows at the end of the opened list.
        tree.Expand(hTarget, TVE_EXPAND);
        tree.SelectItem(hTarget);
    }
    edit.Show(node, ikElement, -1, parent);
    edit.Commit();
    pDoc->SetModifiedFlag(TRUE);
    return TRUE;
}

bool CXMLTreeView::ConfirmTextLoss(const Node& parent)
{
    const CString text = parent.GetValue();
    if (text.IsEmpty())
        return true;
    // An element holds either text or child nodes: its text goes with the
    // first child, so the user sees what goes before anything changes.
    constexpr int kQuoted = 200;
    CString question =
        AfxTranslate(L"Adding a child to \"%1\" removes its text:\n\n%2\n\nAdd the child?");
    question.Replace(L"%1", parent.GetName());
    question.Replace(L"%2", text.GetLength() > kQuoted ? text.Left(kQuoted) + L"..." : text);
    return MessageBox(question, nullptr, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

BOOL CXMLTreeView::AddParam(LPCWSTR name, LPCWSTR value)
{
    CVelmarDoc* pDoc = GetDocument();
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    HTREEITEM hSelected = tree.GetSelectedItem();
    const int kind = tree.GetItemKind(hSelected);
    if (!pDoc || (kind != ikChildVars && kind != ikParam))
        return FALSE;
    Node* node = tree.GetItemNode(hSelected);
    CNodeEdit edit(pDoc, CNodeEdit::StepName(L"Add parameter to '%1'", node));
    edit.Touch(node);
    if (!node || !node->AddParam(name, value))
        return FALSE;
    // A selected parameter goes with the rebuild; its group stays.
    HTREEITEM hGroup = kind == ikChildVars ? hSelected : tree.GetParentItem(hSelected);
    if (!tree.FillParams(hSelected))
    {
        node->RemoveParam(node->GetParamCount() - 1);
        return FALSE;
    }
    MirrorParams(node);
    tree.Expand(hGroup, TVE_EXPAND);
    tree.SelectItem(hGroup);
    edit.Show(node, ikChildVars);
    edit.Commit();
    pDoc->SetModifiedFlag(TRUE);
    return TRUE;
}

void CXMLTreeView::OnKeyDownNotify(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    // Delete on a node is the delete command, asked through the main window so
    // that its enable rule and confirmation apply as from the menu.
    if (reinterpret_cast<NMTVKEYDOWN*>(pNMHDR)->wVKey == VK_DELETE)
        if (CWnd* pMain = AfxGetMainWnd())
            pMain->SendMessage(WM_COMMAND, ID_XML_DELETE);
}

BOOL CXMLTreeView::DeleteSelected(LPCWSTR verb)
{
    CVelmarDoc* pDoc = GetDocument();
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    HTREEITEM hSelected = tree.GetSelectedItem();
    Node* node = tree.GetItemNode(hSelected);
    if (!pDoc || !node)
        return FALSE;
    // Items and panes let go of what is deleted before it leaves the tree.
    // The nodes themselves stay with the history, which can bring them back.
    auto editsParamOf = [node](const CXMLContentView& pane)
    { return pane.GetEditedNode() == node && pane.GetEditedKind() == ikParam; };
    const int kind = tree.GetItemKind(hSelected);
    const uint32_t param = static_cast<uint32_t>(tree.GetIndexInParent(hSelected));
    CNodeEdit edit(pDoc, kind == ikParam ? CNodeEdit::StepName(verb, node->GetParamName(param))
                                         : CNodeEdit::StepName(verb, node));
    switch (kind)
    {
    case ikChildNodes:
    {
        EmptyContentPanes(
            [node](const CXMLContentView& pane)
            { return pane.GetEditedNode() != node && IsWithin(pane.GetEditedNode(), node); });
        edit.Touch(node);
        while (node->GetChildCount() > 0)
            node->DetachChild(node->GetChildCount() - 1);
        tree.DeleteChildren(hSelected);
        MirrorChildList(node);
        edit.Show(node, ikChildNodes);
        SelectNodeItem(node, ikChildNodes, -1, nullptr);
        break;
    }
    case ikChildVars:
        EmptyContentPanes(editsParamOf);
        edit.Touch(node);
        node->RemoveAllParams();
        tree.DeleteChildren(hSelected);
        MirrorParams(node);
        edit.Show(node, ikChildVars);
        SelectNodeItem(node, ikChildVars, -1, nullptr);
        break;
    case ikHeader:
    case ikElement:
    case ikRemark:
    case ikDocType:
    case ikText:
    {
        HTREEITEM hParent = tree.GetParentItem(hSelected);
        Node* parent = nullptr;
        if (hParent)
        {
            parent = tree.GetItemNode(hParent);
            if (!parent)
                return FALSE;
        }
        else
        {
            parent = &pDoc->GetXmlFile();
            hParent = TVI_ROOT;
        }
        const uint32_t index = parent->IndexOfChild(node);
        if (index >= parent->GetChildCount())
            return FALSE;
        EmptyContentPanes([node](const CXMLContentView& pane)
                          { return IsWithin(pane.GetEditedNode(), node); });
        edit.Touch(parent);
        parent->DetachChild(index);
        RefreshItem(hParent);
        edit.Show(node, kind, -1, parent);
        // The user stays where the node was: on its neighbour, else its list.
        const uint32_t left = parent->GetChildCount();
        Node* next = left == 0 ? nullptr : parent->GetChild(index < left ? index : left - 1);
        SelectNodeItem(next, ikElement, -1, parent);
        break;
    }
    case ikParam:
    {
        HTREEITEM hGroup = tree.GetParentItem(hSelected);
        Node* owner = tree.GetItemNode(hGroup);
        if (!owner)
            return FALSE;
        const int index = tree.GetIndexInParent(hSelected);
        if (index < 0 || static_cast<uint32_t>(index) >= owner->GetParamCount())
            return FALSE;
        EmptyContentPanes(editsParamOf);
        edit.Touch(owner);
        owner->RemoveParam(static_cast<uint32_t>(index));
        tree.FillParams(hGroup);
        MirrorParams(owner);
        edit.Show(owner, ikParam, index);
        const int left = static_cast<int>(owner->GetParamCount());
        SelectNodeItem(owner, left > 0 ? ikParam : ikChildVars, index < left ? index : left - 1,
                       nullptr);
        break;
    }
    default:
        return FALSE;
    }
    edit.Commit();
    pDoc->SetModifiedFlag(TRUE);
    return TRUE;
}

BOOL CXMLTreeView::MoveItem(HTREEITEM hItem, BOOL bUp)
{
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    const int kind = tree.GetItemKind(hItem);
    const bool param = kind == ikParam;
    Node* node = tree.GetItemNode(hItem);
    Node* changed = param ? node : node ? node->GetParent() : nullptr;
    const int index = param ? tree.GetIndexInParent(hItem) : -1;
    const int to = index + (bUp ? -1 : 1);
    CNodeEdit edit(
        GetDocument(),
        param && node
            ? CNodeEdit::StepName(L"Move '%1'", node->GetParamName(static_cast<uint32_t>(index)))
            : CNodeEdit::StepName(L"Move '%1'", node));
    edit.Touch(changed);
    if (!tree.MoveItem(hItem, bUp))
        return FALSE;
    if (param)
    {
        // A pane on a parameter knows it by position, which the move changed.
        EmptyContentPanes(
            [node](const CXMLContentView& pane)
            { return pane.GetEditedNode() == node && pane.GetEditedKind() == ikParam; });
        MirrorParams(changed);
    }
    else
    {
        MirrorChildList(changed);
    }
    // The moved item stays selected, here and after an undo or redo.
    edit.Show(node, param ? ikParam : kind, to, changed);
    edit.Commit();
    SelectNodeItem(node, param ? ikParam : kind, to, changed);
    return TRUE;
}

void CXMLTreeView::BuildPath(CString& out) const
{
    out = GetXMLTreeCtrl().BuildPath();
}

void CXMLTreeView::ReleaseItems()
{
    GetXMLTreeCtrl().DeleteChildren(TVI_ROOT);
}

void CXMLTreeView::OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const NMTREEVIEW* pNM = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
    if (pNM->action == TVE_EXPAND)
        GetXMLTreeCtrl().Build(pNM->itemNew.hItem);
}

void CXMLTreeView::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (m_nMirroring == 0)
        AnnounceSelection(reinterpret_cast<NMTREEVIEW*>(pNMHDR)->itemNew.hItem);
}

void CXMLTreeView::AnnounceSelection(HTREEITEM hItem)
{
    if (CDocument* pDoc = GetDocument())
        pDoc->UpdateAllViews(this, reinterpret_cast<LPARAM>(hItem), nullptr);
    CString path;
    BuildPath(path);
    if (auto* pSink = dynamic_cast<IPathTextSink*>(AfxGetMainWnd()))
        pSink->SetPathText(path);
}

void CXMLTreeView::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    HTREEITEM hItem = reinterpret_cast<NMTVDISPINFO*>(pNMHDR)->item.hItem;
    const int kind = tree.GetItemKind(hItem);
    const bool allowed =
        (kind == ikHeader || kind == ikElement || kind == ikParam) && !tree.IsFirstRootItem(hItem);
    *pResult = allowed ? FALSE : TRUE;
}

void CXMLTreeView::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = FALSE;
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    const TVITEM& item = reinterpret_cast<NMTVDISPINFO*>(pNMHDR)->item;
    LPCWSTR text = item.pszText ? item.pszText : L"";
    CXMLTreeCtrl::Node* node = tree.GetItemNode(item.hItem);
    const CVelmarDoc* pOwner = GetDocument();
    if (!node || !nkDS::IsValidXmlName(text, pOwner && pOwner->IsXml10()))
        return;
    const int kind = tree.GetItemKind(item.hItem);
    int param = kind == ikParam ? tree.GetIndexInParent(item.hItem) : -1;
    CNodeEdit edit(
        GetDocument(),
        kind == ikParam
            ? CNodeEdit::StepName(L"Rename '%1'", node->GetParamName(static_cast<uint32_t>(param)))
            : CNodeEdit::StepName(L"Rename '%1'", node));
    edit.Touch(node);
    edit.Show(node, kind, param);
    switch (kind)
    {
    case ikHeader:
        // A second "xml" declaration would not read back.
        if (IsReservedTarget(text) || !node->SetName(text))
            return;
        break;
    case ikElement:
        if (!node->SetName(text))
            return;
        break;
    case ikParam:
        if (param < 0 || static_cast<uint32_t>(param) >= node->GetParamCount())
            return;
        node->ParamNames().GetAtForWrite(static_cast<uint32_t>(param)).Assign(text);
        break;
    default:
        return;
    }
    *pResult = TRUE;
    edit.Commit();
    // Other windows on the document show the new name too.
    for (CXMLTreeView* pOther : OtherTreeViews())
    {
        CXMLTreeCtrl& other = pOther->GetXMLTreeCtrl();
        HTREEITEM hNode = other.FindNodeItem(node);
        if (param < 0)
        {
            if (hNode)
                other.SetItemText(hNode, text);
            continue;
        }
        HTREEITEM hGroup = other.FindGroup(hNode, ikChildVars);
        HTREEITEM hParam = hGroup ? other.GetChildItem(hGroup) : nullptr;
        for (int i = 0; hParam && i < param; ++i)
            hParam = other.GetNextSiblingItem(hParam);
        if (hParam)
            other.SetItemText(hParam, text);
    }
    if (CVelmarDoc* pDoc = GetDocument())
        pDoc->SetModifiedFlag(TRUE);
}

void CXMLTreeView::OnRButtonDown(UINT nFlags, CPoint point)
{
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    if (HTREEITEM hItem = tree.HitTest(point))
        tree.SelectItem(hItem);
    CTreeView::OnRButtonDown(nFlags, point);
}

void CXMLTreeView::OnSetFocus(CWnd* pOldWnd)
{
    CTreeView::OnSetFocus(pOldWnd);
    // Coming back to the document is when another program's change to its file shows.
    if (CVelmarDoc* pDoc = GetDocument())
        pDoc->CheckFileChanged(GetParentFrame());
}
