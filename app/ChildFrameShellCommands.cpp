// CChildFrame: the commands that hand the document to the operating system,
// and when they are offered.
#include "velmar/app/ChildFrame.h"

#include "velmar/app/ShellActions.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLTreeView.h"

namespace
{

CXMLTreeView* ActiveTreeView(const CFrameWnd* pFrame)
{
    return dynamic_cast<CXMLTreeView*>(pFrame->GetActiveView());
}

// The document of the tree pane when it is the active view, else null.
CDocument* ActiveTreeDocument(const CFrameWnd* pFrame)
{
    CXMLTreeView* pView = ActiveTreeView(pFrame);
    return pView ? pView->GetDocument() : nullptr;
}

CDocument* ActiveDocumentOfView(const CFrameWnd* pFrame)
{
    CView* pView = pFrame->GetActiveView();
    return pView ? pView->GetDocument() : nullptr;
}

BOOL HasFileOnDisk(const CDocument* pDoc)
{
    return pDoc && FileExists(pDoc->GetPathName());
}

} // namespace

void CChildFrame::OnXmlPreview()
{
    // The tree pane's document, whichever pane has the focus.
    CXMLTreeView* pView = GetTreeView();
    if (pView)
        PreviewDocumentFile(this, pView->GetDocument());
}

void CChildFrame::OnUpdateXmlPreview(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(TRUE);
}

void CChildFrame::OnXmlExportNode()
{
    ExportSelectedNode(this, ActiveTreeView(this));
}

void CChildFrame::OnUpdateXmlExportNode(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(CanExportSelection(ActiveTreeView(this)));
}

void CChildFrame::OnEditNotepad()
{
    EditInNotepad(ActiveDocumentOfView(this));
}

void CChildFrame::OnUpdateEditNotepad(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(HasFileOnDisk(ActiveDocumentOfView(this)));
}

void CChildFrame::OnFileProperty()
{
    ShowFileProperties(this, ActiveTreeDocument(this));
}

void CChildFrame::OnUpdateFileProperty(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(HasFileOnDisk(ActiveTreeDocument(this)));
}
