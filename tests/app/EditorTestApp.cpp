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

bool DocWindow::Select(const std::vector<std::wstring>& labels) const
{
    HTREEITEM hItem = tree ? ItemAt(*tree, labels) : nullptr;
    return hItem && tree->SelectItem(hItem);
}

DocWindow WindowOf(CTestChildFrame* pFrame)
{
    DocWindow w;
    w.frame = pFrame;
    w.doc = pFrame ? dynamic_cast<CVelmarDoc*>(pFrame->GetActiveDocument()) : nullptr;
    w.root = w.doc ? &w.doc->GetXmlFile() : nullptr;
    w.view = pFrame ? pFrame->Tree() : nullptr;
    w.tree = w.view ? &w.view->GetXMLTreeCtrl() : nullptr;
    return w;
}

EditorFixture::EditorFixture()
{
    // Documents open in XML 1.0 mode unless a test asks for the strict dialect.
    CVelmarDoc::SetStrictDialect(false);
    app.InitInstance();
    Spin(0);
}

CVelmarDoc* EditorFixture::Open(const char* name)
{
    return static_cast<CVelmarDoc*>(app.OpenDocumentFile(Path(name).c_str()));
}

DocWindow EditorFixture::OpenSample(const std::string& bytes)
{
    return OpenWith("doc.xml", bytes) ? WindowOf(ActiveChild()) : DocWindow();
}

CTestChildFrame* EditorFixture::ActiveChild() const
{
    return dynamic_cast<CTestChildFrame*>(Main()->MDIGetActive());
}

CXMLTreeCtrl* EditorFixture::ActiveTree() const
{
    return WindowOf(ActiveChild()).tree;
}

bool EditorFixture::Select(const std::vector<std::wstring>& labels) const
{
    return WindowOf(ActiveChild()).Select(labels);
}

CTestChildFrame* EditorFixture::NewWindow()
{
    CTestChildFrame* pActive = ActiveChild();
    CDocument* pDoc = pActive ? pActive->GetActiveDocument() : nullptr;
    CDocTemplate* pTemplate = pDoc ? pDoc->GetDocTemplate() : nullptr;
    if (!pTemplate)
        return nullptr;
    auto* pFrame = dynamic_cast<CTestChildFrame*>(pTemplate->CreateNewFrame(pDoc, pActive));
    if (pFrame)
        pTemplate->InitialUpdateFrame(pFrame, pDoc);
    return pFrame;
}

} // namespace testsupport
