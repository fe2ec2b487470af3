// The Edit menu of a document window: undo and redo of the document's
// history, and cut, copy, paste and duplicate of the tree's nodes. With the
// content pane active, its own text editing takes Cut, Copy, Paste and
// (while it has something to undo) Undo.
#include "velmar/app/ChildFrame.h"

#include "velmar/app/ItemKind.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLTreeView.h"

namespace
{

// The frame's tree while it is the active pane and no label is being edited.
CXMLTreeView* ActiveTree(const CChildFrame& frame)
{
    auto* pView = dynamic_cast<CXMLTreeView*>(frame.GetActiveView());
    if (!pView || pView->GetXMLTreeCtrl().GetEditControl())
        return nullptr;
    return pView;
}

CVelmarDoc* DocumentOf(const CChildFrame& frame)
{
    CXMLTreeView* pTree = frame.GetTreeView();
    return pTree ? pTree->GetDocument() : nullptr;
}

// "&Undo Rename 'book'\tCtrl+Z" and the like.
void ShowStep(CCmdUI* pCmdUI, LPCWSTR format, const CString& step)
{
    CString text = AfxTranslate(format);
    text.Replace(step.IsEmpty() ? L" %1" : L"%1", step);
    pCmdUI->SetText(text);
}

} // namespace

void CChildFrame::OnEditUndo()
{
    if (CVelmarDoc* pDoc = DocumentOf(*this))
        pDoc->GetHistory().Undo(GetTreeView());
}

void CChildFrame::OnEditRedo()
{
    if (CVelmarDoc* pDoc = DocumentOf(*this))
        pDoc->GetHistory().Redo(GetTreeView());
}

void CChildFrame::OnUpdateEditUndo(CCmdUI* pCmdUI)
{
    CVelmarDoc* pDoc = DocumentOf(*this);
    CXMLTreeView* pTree = GetTreeView();
    const bool editing = pTree && pTree->GetXMLTreeCtrl().GetEditControl();
    const bool can = pDoc && !editing && pDoc->GetHistory().CanUndo();
    pCmdUI->Enable(can);
    ShowStep(pCmdUI, L"&Undo %1\tCtrl+Z", can ? pDoc->GetHistory().GetUndoName() : CString());
}

void CChildFrame::OnUpdateEditRedo(CCmdUI* pCmdUI)
{
    CVelmarDoc* pDoc = DocumentOf(*this);
    CXMLTreeView* pTree = GetTreeView();
    const bool editing = pTree && pTree->GetXMLTreeCtrl().GetEditControl();
    const bool can = pDoc && !editing && pDoc->GetHistory().CanRedo();
    pCmdUI->Enable(can);
    ShowStep(pCmdUI, L"&Redo %1\tCtrl+Y", can ? pDoc->GetHistory().GetRedoName() : CString());
}

void CChildFrame::OnEditCut()
{
    if (CXMLTreeView* pTree = ActiveTree(*this))
        pTree->CutSelected();
}

void CChildFrame::OnEditCopy()
{
    if (CXMLTreeView* pTree = ActiveTree(*this))
        pTree->CopySelected();
}

void CChildFrame::OnEditDuplicate()
{
    if (CXMLTreeView* pTree = ActiveTree(*this))
        pTree->DuplicateSelected();
}

void CChildFrame::OnEditPaste()
{
    CXMLTreeView* pTree = ActiveTree(*this);
    CString reason;
    if (pTree && !pTree->PasteFromClipboard(reason) && !reason.IsEmpty())
        MessageBox(reason + L"\n\n" + AfxTranslate(L"Nothing was pasted."), nullptr,
                   MB_OK | MB_ICONWARNING);
}

void CChildFrame::OnUpdateEditCopy(CCmdUI* pCmdUI)
{
    const CXMLTreeView* pTree = ActiveTree(*this);
    const CXMLTreeCtrl* pCtrl = pTree ? &pTree->GetXMLTreeCtrl() : nullptr;
    const int kind = pCtrl ? pCtrl->GetItemKind(pCtrl->GetSelectedItem()) : ikNone;
    pCmdUI->Enable(IsNodeItemKind(kind) || kind == ikParam);
}

void CChildFrame::OnUpdateEditPaste(CCmdUI* pCmdUI)
{
    const CXMLTreeView* pTree = ActiveTree(*this);
    const CXMLTreeCtrl* pCtrl = pTree ? &pTree->GetXMLTreeCtrl() : nullptr;
    const int kind = pCtrl ? pCtrl->GetItemKind(pCtrl->GetSelectedItem()) : ikNone;
    COleDataObject data(AfxGetClipboardData());
    pCmdUI->Enable(kind != ikNone && kind != ikNodeValue && data.IsDataAvailable(CF_UNICODETEXT));
}
