// MDI frames: further windows on a document, activation messages, the Window
// menu, dropped files; the application's command line.
#include "TestApp.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

using namespace testsupport;

TEST(Frames, second_window_on_a_document_is_numbered)
{
    AppFixture f;
    CDocument* pDoc = f.NewDocument();
    ASSERT_NE(pDoc, nullptr);
    CMDIChildWnd* pFirst = f.Main()->MDIGetActive();
    f.Main()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_WINDOW_NEW, 0), 0);
    CMDIChildWnd* pSecond = f.Main()->MDIGetActive();
    ASSERT_NE(pSecond, pFirst);
    EXPECT_EQ(pSecond->GetActiveDocument(), pDoc);
    EXPECT_EQ(pDoc->GetViews().size(), 4u); // two panes a window
    EXPECT_EQ(pFirst->GetWindowText(), CString(L"XML1:1"));
    EXPECT_EQ(pSecond->GetWindowText(), CString(L"XML1:2"));
    EXPECT_EQ(f.app.GetOpenDocumentCount(), 1);

    // Closing one window of two closes only that window, without asking.
    pDoc->SetModifiedFlag();
    pSecond->SendMessage(WM_CLOSE);
    EXPECT_TRUE(f.user.boxes.empty());
    EXPECT_EQ(pDoc->GetViews().size(), 2u);
    EXPECT_EQ(f.Main()->MDIGetActive(), pFirst);
    EXPECT_EQ(pFirst->GetWindowText(), CString(L"XML1"));
}

TEST(Frames, activation_is_announced_to_the_old_window_then_the_new)
{
    AppFixture f;
    f.NewDocument();
    CMDIChildWnd* pFirst = f.Main()->MDIGetActive();
    f.NewDocument();
    EXPECT_EQ(ActivationLog(), (std::vector<std::string>{"+XML1", "-XML1", "+XML2"}));
    ActivationLog().clear();
    f.Main()->MDIActivate(pFirst);
    EXPECT_EQ(ActivationLog(), (std::vector<std::string>{"-XML2", "+XML1"}));
    EXPECT_EQ(f.Main()->GetWindowText(), CString(L"TestApp - XML1"));
    // Closing the active window activates the one before it.
    ActivationLog().clear();
    f.Main()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_CLOSE, 0), 0);
    EXPECT_EQ(ActivationLog(), (std::vector<std::string>{"-XML1", "+XML2"}));
    EXPECT_EQ(f.Main()->GetWindowText(), CString(L"TestApp - XML2"));
}

TEST(Frames, window_menu_lists_open_windows_and_activates_them)
{
    AppFixture f;
    f.NewDocument();
    f.NewDocument();
    QMenu* pWindow = nullptr;
    for (QMenu* pMenu : f.Main()->GetMenu()->popups)
        if (pMenu->title() == "&Window")
            pWindow = pMenu;
    ASSERT_NE(pWindow, nullptr);
    pWindow->popup(QPoint(0, 0));
    QCoreApplication::processEvents();
    std::vector<QString> texts;
    QAction* pFirstEntry = nullptr;
    for (QAction* a : pWindow->actions())
        if (AfxGetActionID(a) >= AFX_IDM_FIRST_MDICHILD)
        {
            texts.push_back(a->text());
            if (!pFirstEntry)
                pFirstEntry = a;
        }
    EXPECT_EQ(texts, (std::vector<QString>{"&1 XML1", "&2 XML2"}));
    ASSERT_NE(pFirstEntry, nullptr);
    EXPECT_FALSE(pFirstEntry->isChecked());
    pFirstEntry->trigger();
    pWindow->hide();
    EXPECT_EQ(f.Main()->MDIGetActive()->GetActiveDocument()->GetTitle(), CString(L"XML1"));
    // Opening again rebuilds the list instead of adding to it.
    pWindow->popup(QPoint(0, 0));
    QCoreApplication::processEvents();
    int entries = 0;
    for (QAction* a : pWindow->actions())
        entries += AfxGetActionID(a) >= AFX_IDM_FIRST_MDICHILD;
    EXPECT_EQ(entries, 2);
    pWindow->hide();
    // Cascade and tile keep every window.
    f.Main()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_WINDOW_CASCADE, 0), 0);
    f.Main()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_WINDOW_TILE_HORZ, 0), 0);
    EXPECT_EQ(f.Main()->GetMDIArea()->subWindowList().size(), 2);
}

TEST(Frames, files_dropped_on_the_main_window_open_one_by_one)
{
    AppFixture f;
    f.WriteFile("one.xml", std::string(4, '\0'));
    f.WriteFile("two.xml", std::string(4, '\0'));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdWString(f.Path("one.xml"))),
                  QUrl::fromLocalFile(QString::fromStdWString(f.Path("two.xml")))});
    QWidget* pTarget = f.Main()->GetWidget();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pTarget, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pTarget, &drop);
    ASSERT_EQ(f.app.GetOpenDocumentCount(), 2);
    std::vector<CString> titles;
    for (CDocument* pDoc : f.app.GetDocTemplates().front()->GetDocuments())
        titles.push_back(pDoc->GetTitle());
    EXPECT_EQ(titles, (std::vector<CString>{L"one.xml", L"two.xml"}));
    // A window that does not accept files refuses the drag.
    f.Main()->DragAcceptFiles(FALSE);
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(pTarget, &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST(CommandLine, no_argument_one_file_a_missing_file_and_flags)
{
    AppFixture f;
    {
        CCommandLineInfo info;
        f.app.SetCommandLine({});
        f.app.ParseCommandLine(info);
        EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileNew);
        // As the editor does: an empty command line opens nothing.
        info.m_nShellCommand = CCommandLineInfo::FileNothing;
        EXPECT_TRUE(f.app.ProcessShellCommand(info));
        EXPECT_EQ(f.app.GetOpenDocumentCount(), 0);
    }
    {
        f.WriteFile("cmd.xml", std::string(4, '\0'));
        CCommandLineInfo info;
        f.app.SetCommandLine({f.Path("cmd.xml")});
        f.app.ParseCommandLine(info);
        EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
        EXPECT_EQ(info.m_strFileName, CString(f.Path("cmd.xml").c_str()));
        EXPECT_TRUE(f.app.ProcessShellCommand(info));
        EXPECT_EQ(f.app.GetOpenDocumentCount(), 1);
    }
    {
        CCommandLineInfo info;
        f.app.SetCommandLine({f.Path("gone.xml")});
        f.app.ParseCommandLine(info);
        EXPECT_FALSE(f.app.ProcessShellCommand(info));
        EXPECT_EQ(f.user.LastText(), f.Path("gone.xml") + L" was not found.");
        EXPECT_EQ(f.app.GetOpenDocumentCount(), 1);
    }
    {
        // Only "-" marks a flag: "/" begins a path here.
        CCommandLineInfo info;
        f.app.SetCommandLine({L"-p", L"/tmp/x.xml"});
        f.app.ParseCommandLine(info);
        EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FilePrint);
        EXPECT_EQ(info.m_strFileName, CString(L"/tmp/x.xml"));
        CCommandLineInfo dashes;
        f.app.SetCommandLine({L"--", L"-odd.xml"});
        f.app.ParseCommandLine(dashes);
        EXPECT_EQ(dashes.m_nShellCommand, CCommandLineInfo::FileOpen);
        EXPECT_EQ(dashes.m_strFileName, CString(L"-odd.xml"));
        CCommandLineInfo embedding;
        f.app.SetCommandLine({L"-Embedding"});
        f.app.ParseCommandLine(embedding);
        EXPECT_TRUE(embedding.m_bRunEmbedded);
        EXPECT_FALSE(embedding.m_bShowSplash);
    }
}

namespace
{

// A frame that sizes itself in PreCreateWindow, as the editor's main window does.
class CSizedFrame : public CFrameWnd
{
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override
    {
        if (!CFrameWnd::PreCreateWindow(cs))
            return FALSE;
        cs.cx = (int)(GetSystemMetrics(SM_CXSCREEN) * 0.8);
        cs.cy = (int)(GetSystemMetrics(SM_CYSCREEN) * 0.8);
        return TRUE;
    }
};

} // namespace

TEST(Frames, load_frame_takes_title_menu_and_size_from_its_resource_and_precreate)
{
    AppFixture f;
    auto* pFrame = new CSizedFrame; // deletes itself when destroyed
    ASSERT_TRUE(pFrame->LoadFrame(IDR_MAINFRAME));
    EXPECT_EQ(pFrame->GetWindowText(), CString(L"TestApp"));
    ASSERT_NE(pFrame->GetMenu(), nullptr);
    EXPECT_EQ(pFrame->GetMenu()->nID, (UINT)IDR_MAINFRAME);
    pFrame->ShowWindow(SW_SHOWNORMAL);
    CRect rc;
    pFrame->GetClientRect(&rc);
    EXPECT_EQ(rc.Width(), (int)(GetSystemMetrics(SM_CXSCREEN) * 0.8));
    pFrame->DestroyWindow();
    AppFixture::Spin(0);
}
