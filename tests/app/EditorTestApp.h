#pragma once
// The editor's document and views in a small MDI application of the tests,
// driven offscreen with a scripted user in place of the dialogs. The frames
// stand in for the editor's own, implementing what the views ask of them.
#include "app/FrameHooks.h"
#include "app/VelmarDoc.h"
#include "app/XMLContentView.h"
#include "app/XMLTreeView.h"
#include "framework/framework.h"

#include <QTemporaryDir>

#include <deque>
#include <string>
#include <vector>

// Answers message boxes and file prompts from queues and records what was asked.
class CScriptedUser : public w32::IUiProvider
{
public:
    std::vector<w32::MessageBoxRequest> boxes;
    std::deque<int> answers;                      // the default button when empty
    std::deque<std::wstring> fileNames;           // empty string: cancelled

    int ShowMessageBox(const w32::MessageBoxRequest& request) override;
    bool ShowFileDialog(const w32::FileDialogRequest& request, w32::FileDialogAnswer& answer) override;
    std::wstring LastText() const { return boxes.empty() ? std::wstring() : boxes.back().text; }
};

// A document window: the tree on the left, the content pane beside it.
class CTestChildFrame : public CMDIChildWnd, public IModifiedCaption
{
    DECLARE_DYNCREATE(CTestChildFrame)
public:
    CXMLTreeView* Tree() const;
    CXMLContentView* Content() const;
    int m_nTitleUpdates = 0;
    void UpdateTitle() override;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
};

class CTestMainFrame : public CMDIFrameWnd, public IPathTextSink
{
    DECLARE_DYNCREATE(CTestMainFrame)
public:
    std::wstring m_path;
    int m_nPathUpdates = 0;
    void SetPathText(LPCWSTR path) override;
};

class CEditorTestApp : public CWinApp
{
public:
    CEditorTestApp() : CWinApp(L"Velmar") {}
    BOOL InitInstance() override;
    DECLARE_MESSAGE_MAP()
};

// One test's world: a temporary folder, the scripted user and a running application.
class EditorFixture
{
public:
    EditorFixture();
    ~EditorFixture();
    CEditorTestApp app;
    CScriptedUser user;
    w32::IUiProvider* previousUi = nullptr;
    QTemporaryDir dir;

    CTestMainFrame* Main() const { return static_cast<CTestMainFrame*>(app.m_pMainWnd); }
    std::wstring Path(const char* name) const;
    void WriteFile(const char* name, const std::string& bytes) const;
    std::string ReadFile(const char* name) const;
    std::vector<std::string> FileNames() const;   // what the folder holds
    CVelmarDoc* NewDocument();
    CVelmarDoc* Open(const char* name);           // null when the open failed
    CTestChildFrame* ActiveChild() const;
    CTestChildFrame* NewWindow();                 // another window on the active document
    int OpenDocumentCount() const;
    static void Spin(int ms = 20);
};
