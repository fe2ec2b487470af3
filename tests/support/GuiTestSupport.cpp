#include "GuiTestSupport.h"

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

bool CScriptedUser::ShowFileDialog(const w32::FileDialogRequest& request,
                                   w32::FileDialogAnswer& answer)
{
    prompts.push_back(request);
    if (fileNames.empty())
        return false;
    const std::wstring name = fileNames.front();
    fileNames.pop_front();
    if (name.empty())
        return false;
    answer.path = name;
    return true;
}

bool CScriptedUser::ShowFileProperties(HWND owner, const std::wstring& path)
{
    sheets.emplace_back(owner, path);
    return true;
}

void SpinEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void CloseApplication(CWinApp& app)
{
    // The base class's flag: a document's own override may ask or refresh captions.
    for (CDocTemplate* pTemplate : app.GetDocTemplates())
        for (CDocument* pDoc : pTemplate->GetDocuments())
            pDoc->CDocument::SetModifiedFlag(FALSE);
    app.CloseAllDocuments(TRUE);
    if (app.m_pMainWnd)
        app.m_pMainWnd->DestroyWindow();
    app.m_pMainWnd = nullptr;
    SpinEvents(0);
}

CDocument* NewDocumentOf(CWinApp& app)
{
    const int before = app.GetOpenDocumentCount();
    app.OnFileNew();
    if (app.GetOpenDocumentCount() <= before)
        return nullptr;
    return app.GetDocTemplates().front()->GetDocuments().back();
}

GuiFixture::GuiFixture() : m_pPreviousUi(w32::InstallUiProvider(&user)) {}

GuiFixture::~GuiFixture()
{
    w32::InstallUiProvider(m_pPreviousUi);
}

std::wstring GuiFixture::Path(const char* name) const
{
    return QDir(dir.path()).filePath(QString::fromUtf8(name)).toStdWString();
}

void GuiFixture::WriteFile(const char* name, const std::string& bytes) const
{
    QFile f(QString::fromStdWString(Path(name)));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string GuiFixture::ReadFile(const char* name) const
{
    QFile f(QString::fromStdWString(Path(name)));
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

std::vector<std::string> GuiFixture::FileNames() const
{
    std::vector<std::string> names;
    for (const QString& name :
         QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System))
        names.push_back(name.toStdString());
    return names;
}
