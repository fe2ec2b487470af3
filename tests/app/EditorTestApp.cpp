#include "EditorTestApp.h"

#include "app/Resource.h"
#include "app/VelmarResources.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

int CScriptedUser::ShowMessageBox(const w32::MessageBoxRequest& request)
{
    boxes.push_back(request);
    if (answers.empty())
        return request.defaultButton;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

bool CScriptedUser::ShowFileDialog(const w32::FileDialogRequest&, w32::FileDialogAnswer& answer)
{
    if (fileNames.empty())
        return false;
    const std::wstring name = fileNames.front();
    fileNames.pop_front();
    if (name.empty())
        return false;
    answer.path = name;
    return true;
}

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
    AddDocTemplate(new CMultiDocTemplate(IDR_XMLTYPE, RUNTIME_CLASS(CVelmarDoc), RUNTIME_CLASS(CTestChildFrame),
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
    previousUi = w32::InstallUiProvider(&user);
    app.InitInstance();
    Spin(0);
}

EditorFixture::~EditorFixture()
{
    // Nothing may ask the user any more: every document closes unsaved.
    for (CDocTemplate* pTemplate : app.GetDocTemplates())
        for (CDocument* pDoc : pTemplate->GetDocuments())
            pDoc->CDocument::SetModifiedFlag(FALSE);
    app.CloseAllDocuments(TRUE);
    if (app.m_pMainWnd)
        app.m_pMainWnd->DestroyWindow();
    Spin(0);
    w32::InstallUiProvider(previousUi);
}

std::wstring EditorFixture::Path(const char* name) const
{
    return QDir(dir.path()).filePath(QString::fromUtf8(name)).toStdWString();
}

void EditorFixture::WriteFile(const char* name, const std::string& bytes) const
{
    QFile f(QString::fromStdWString(Path(name)));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string EditorFixture::ReadFile(const char* name) const
{
    QFile f(QString::fromStdWString(Path(name)));
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

std::vector<std::string> EditorFixture::FileNames() const
{
    std::vector<std::string> names;
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System))
        names.push_back(name.toStdString());
    return names;
}

int EditorFixture::OpenDocumentCount() const
{
    int n = 0;
    for (CDocTemplate* pTemplate : app.GetDocTemplates())
        n += static_cast<int>(pTemplate->GetDocuments().size());
    return n;
}

CVelmarDoc* EditorFixture::NewDocument()
{
    const int before = OpenDocumentCount();
    app.OnFileNew();
    const auto docs = app.GetDocTemplates().front()->GetDocuments();
    return OpenDocumentCount() > before ? static_cast<CVelmarDoc*>(docs.back()) : nullptr;
}

CVelmarDoc* EditorFixture::Open(const char* name)
{
    return static_cast<CVelmarDoc*>(app.OpenDocumentFile(Path(name).c_str()));
}

CTestChildFrame* EditorFixture::ActiveChild() const
{
    return dynamic_cast<CTestChildFrame*>(Main()->MDIGetActive());
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

void EditorFixture::Spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
