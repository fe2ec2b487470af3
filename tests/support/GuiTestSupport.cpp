#include "GuiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QTimer>

#include <memory>

namespace testsupport
{

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

QPoint RightClick(QWidget* pWidget, QPoint at, QContextMenuEvent::Reason reason)
{
    QContextMenuEvent e(reason, at, pWidget->mapToGlobal(at));
    QApplication::sendEvent(pWidget, &e);
    return e.globalPos();
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

bool CommandEnabled(CCmdTarget* pTarget, UINT nID)
{
    CTestCmdUI state;
    state.m_nID = nID;
    pTarget->OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state, nullptr);
    return state.m_bEnableChanged && state.m_bEnabled;
}

PopupItems WatchPopup(const std::function<void()>& open, const std::function<void(QMenu*)>& choose)
{
    // Shared with the timer, which may outlive this call when nothing opens.
    auto seen = std::make_shared<PopupItems>();
    auto fired = std::make_shared<bool>(false);
    QTimer::singleShot(50, QCoreApplication::instance(),
                       [seen, fired, choose]
                       {
                           *fired = true;
                           auto* pPopup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                           if (!pPopup)
                               return;
                           seen->shown = true;
                           for (QAction* a : pPopup->actions())
                           {
                               if (a->isSeparator())
                                   continue;
                               seen->texts << a->text();
                               seen->enabled << a->isEnabled();
                               seen->checked << a->isChecked();
                           }
                           if (choose)
                               choose(pPopup);
                           else
                               pPopup->close();
                       });
    open();
    QElapsedTimer waited;
    waited.start();
    while (!*fired && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (QWidget* pLeft = QApplication::activePopupWidget())
        pLeft->close();
    return *seen;
}

std::optional<std::wstring> RegistryString(const std::wstring& key, const wchar_t* value)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t buf[1024] = {};
    DWORD cb = sizeof buf - sizeof(wchar_t), type = 0;
    const LSTATUS status =
        RegQueryValueExW(hKey, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &cb);
    RegCloseKey(hKey);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    return std::wstring(buf);
}

std::vector<std::pair<const char*, QString>> PrivateHome(const QString& root)
{
    return {{"HOME", root},
            {"XDG_CONFIG_HOME", root + "/config"},
            {"XDG_DATA_HOME", root + "/data"},
            {"XDG_CACHE_HOME", root + "/cache"},
            {"XDG_RUNTIME_DIR", root},
            {"VELMAR_REGISTRY", root + "/registry.db"}};
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

} // namespace testsupport
