#pragma once
// The editor's document, views and frames in a small MDI application of the
// tests, driven offscreen with a scripted user in place of the dialogs.
#include "app/ChildFrame.h"
#include "app/FrameHooks.h"
#include "app/MainFrame.h"
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

// The editor's own frames, counting what the views and the document ask of them.
class CTestChildFrame : public CChildFrame
{
    DECLARE_DYNCREATE(CTestChildFrame)
public:
    CXMLTreeView* Tree() const { return GetTreeView(); }
    CXMLContentView* Content() const { return GetContentView(); }
    int m_nTitleUpdates = 0;
    void UpdateTitle() override;
};

class CTestMainFrame : public CMainFrame
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
