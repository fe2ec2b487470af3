#pragma once
// The editor's document, views and frames in a small MDI application of the
// tests, driven offscreen with a scripted user in place of the dialogs.
#include "velmar/app/ChildFrame.h"
#include "velmar/app/FrameHooks.h"
#include "velmar/app/MainFrame.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLContentView.h"
#include "velmar/app/XMLTreeView.h"
#include "velmar/framework/framework.h"
#include "support/GuiTestSupport.h"

#include <string>
#include <vector>

namespace testsupport
{

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

// A document window: its document and the document's nodes, the frame, and
// the frame's tree pane and tree control.
struct DocWindow
{
    CVelmarDoc* doc = nullptr;
    nkDS::CXmlFileW* root = nullptr;
    CTestChildFrame* frame = nullptr;
    CXMLTreeView* view = nullptr;
    CXMLTreeCtrl* tree = nullptr;
    // Selects the item reached from the top of this window's tree through `labels`.
    bool Select(const std::vector<std::wstring>& labels) const;
};
DocWindow WindowOf(CTestChildFrame* pFrame);

// One test's world: a temporary folder, the scripted user and a running application.
class EditorFixture : public GuiFixture
{
public:
    EditorFixture();
    ~EditorFixture() { CloseApplication(app); }
    CEditorTestApp app;

    CTestMainFrame* Main() const { return static_cast<CTestMainFrame*>(app.m_pMainWnd); }
    CVelmarDoc* NewDocument() { return static_cast<CVelmarDoc*>(NewDocumentOf(app)); }
    CVelmarDoc* Open(const char* name); // null when the open failed
    CVelmarDoc* OpenWith(const char* name, const std::string& bytes)
    {
        WriteFile(name, bytes);
        return Open(name);
    }
    // Opens `bytes` as doc.xml; its window (all null when the open failed).
    DocWindow OpenSample(const std::string& bytes);
    CXMLTreeCtrl* ActiveTree() const; // the active window's tree, or null
    // Selects the item reached from the top of the active window's tree through `labels`.
    bool Select(const std::vector<std::wstring>& labels) const;
    CTestChildFrame* ActiveChild() const;
    CTestChildFrame* NewWindow(); // another window on the active document
    int OpenDocumentCount() const { return app.GetOpenDocumentCount(); }
    static void Spin(int ms = 20) { SpinEvents(ms); }
};

} // namespace testsupport
