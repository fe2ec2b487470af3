#include "EditorTestApp.h"
#include "TreeTestUtil.h"

#include "velmar/app/Resource.h"
#include "velmar/app/VelmarResources.h"

namespace testsupport
{

IMPLEMENT_DYNCREATE(CTestChildFrame, CChildFrame)

void CTestChildFrame::UpdateTitle()
{
    ++m_nTitleUpdates;
    CChildFrame::UpdateTitle();
}

IMPLEMENT_DYNCREATE(CTestMainFrame, CMainFrame)

void CTestMainFrame::SetPathText(LPCWSTR path)
{
    ++m_nPathUpdates;
    m_path = path;
    CMainFrame::SetPathText(path);
}

BEGIN_MESSAGE_MAP(CEditorTestApp, CWinApp)
ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
ON_COMMAND(ID_FILE_OPEN, &CWinApp::OnFileOpen)
END_MESSAGE_MAP()

BOOL CEditorTestApp::InitInstance()
{
    VelmarRegisterResources();
    AddDocTemplate(new CMultiDocTemplate(IDR_XMLTYPE, RUNTIME_CLASS(CVelmarDoc),
                                         RUNTIME_CLASS(CTestChildFrame),
                                         RUNTIME_CLASS(CXMLTreeView)));
    auto* pMainFrame = new CTestMainFrame;
    if (!pMainFrame->LoadFrame(IDR_MAINFRAME))
        return FALSE;
    m_pMainWnd = pMainFrame;
    pMainFrame->ShowWindow(SW_SHOWNORMAL);
    pMainFrame->SetActiveWindow();
    return TRUE;
}

EditorFixture::EditorFixture()
{
    app.InitInstance();
    Spin(0);
}

CVelmarDoc* EditorFixture::Open(const char* name)
{
    return static_cast<CVelmarDoc*>(app.OpenDocumentFile(Path(name).c_str()));
}

CTestChildFrame* EditorFixture::ActiveChild() const
{
    return dynamic_cast<CTestChildFrame*>(Main()->MDIGetActive());
}

CXMLTreeCtrl* EditorFixture::ActiveTree() const
{
    CTestChildFrame* pChild = ActiveChild();
    return pChild && pChild->Tree() ? &pChild->Tree()->GetXMLTreeCtrl() : nullptr;
}

bool EditorFixture::Select(const std::vector<std::wstring>& labels) const
{
    CXMLTreeCtrl* pTree = ActiveTree();
    HTREEITEM hItem = pTree ? ItemAt(*pTree, labels) : nullptr;
    return hItem && pTree->SelectItem(hItem);
}

CTestChildFrame* EditorFixture::NewWindow()
{
    CTestChildFrame* pActive = ActiveChild();
    if (!pActive)
        return nullptr;
    CDocument* pDoc = pActive->GetActiveDocument();
    CDocTemplate* pTemplate = pDoc ? pDoc->GetDocTemplate() : nullptr;
    if (!pTemplate)
        return nullptr;
    auto* pFrame = dynamic_cast<CTestChildFrame*>(pTemplate->CreateNewFrame(pDoc, pActive));
    if (pFrame)
        pTemplate->InitialUpdateFrame(pFrame, pDoc);
    return pFrame;
}

} // namespace testsupport
