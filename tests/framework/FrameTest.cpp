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

#include <utility>

using namespace testsupport;

TEST(Frames, second_window_on_a_document_is_numbered)
{
    AppFixture f;
    CDocument* pDoc = f.NewDocument();
    ASSERT_NE(pDoc, nullptr);
    CMDIChildWnd* pFirst = f.Main()->MDIGetActive();
    f.Main()->SendMessage(WM_COMMAND, ID_WINDOW_NEW);
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
    EXPECT_EQ(g_activationLog, (std::vector<std::string>{"+XML1", "-XML1", "+XML2"}));
    g_activationLog.clear();
    f.Main()->MDIActivate(pFirst);
    EXPECT_EQ(g_activationLog, (std::vector<std::string>{"-XML2", "+XML1"}));
    EXPECT_EQ(f.Main()->GetWindowText(), CString(L"TestApp - XML1"));
    // Closing the active window activates the one before it.
    g_activationLog.clear();
    f.Main()->SendMessage(WM_COMMAND, ID_FILE_CLOSE);
    EXPECT_EQ(g_activationLog, (std::vector<std::string>{"-XML1", "+XML2"}));
    EXPECT_EQ(f.Main()->GetWindowText(), CString(L"TestApp - XML2"));
}

TEST(Frames, window_menu_lists_open_windows_and_activates_them)
{
    AppFixture f;
    f.NewDocument();
    f.NewDocument();
    QMenu* pWindow = MenuPopup(f.Main(), "&Window");
    ASSERT_NE(pWindow, nullptr);
    // Opens the menu; its window entries.
    const auto entries = [pWindow]
    {
        OpenPopup(pWindow);
        std::vector<QAction*> found;
        for (QAction* a : pWindow->actions())
            if (AfxGetActionID(a) >= AFX_IDM_FIRST_MDICHILD)
                found.push_back(a);
        pWindow->hide();
        return found;
    };
    std::vector<QAction*> listed = entries();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0]->text(), QString("&1 XML1"));
    EXPECT_EQ(listed[1]->text(), QString("&2 XML2"));
    EXPECT_FALSE(listed[0]->isChecked());
    EXPECT_TRUE(listed[1]->isChecked());
    listed[0]->trigger();
    EXPECT_EQ(f.Main()->MDIGetActive()->GetActiveDocument()->GetTitle(), CString(L"XML1"));
    // Opening again rebuilds the list instead of adding to it.
    EXPECT_EQ(entries().size(), 2u);
    // Cascade and tile keep every window.
    f.Main()->SendMessage(WM_COMMAND, ID_WINDOW_CASCADE);
    f.Main()->SendMessage(WM_COMMAND, ID_WINDOW_TILE_HORZ);
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

TEST(CommandLine, only_a_dash_marks_a_flag_and_the_named_file_is_opened)
{
    AppFixture f;
    using Info = CCommandLineInfo;
    const struct
    {
        std::vector<std::wstring> args;
        Info::Command command;
        const wchar_t* file;
    } cases[] = {
        {{}, Info::FileNew, L""},
        {{L"/tmp/x.xml"}, Info::FileOpen, L"/tmp/x.xml"}, // "/" begins a path here
        {{L"-p", L"/tmp/x.xml"}, Info::FilePrint, L"/tmp/x.xml"},
        {{L"--", L"-odd.xml"}, Info::FileOpen, L"-odd.xml"},
    };
    for (const auto& c : cases)
    {
        CCommandLineInfo info;
        f.app.SetCommandLine(c.args);
        f.app.ParseCommandLine(info);
        EXPECT_EQ(info.m_nShellCommand, c.command) << c.args.size();
        EXPECT_EQ(info.m_strFileName, CString(c.file)) << c.args.size();
    }
    CCommandLineInfo embedding;
    f.app.SetCommandLine({L"-Embedding"});
    f.app.ParseCommandLine(embedding);
    EXPECT_TRUE(embedding.m_bRunEmbedded);
    EXPECT_FALSE(embedding.m_bShowSplash);

    // As the editor does: an empty command line opens nothing.
    CCommandLineInfo nothing;
    nothing.m_nShellCommand = Info::FileNothing;
    EXPECT_TRUE(f.app.ProcessShellCommand(nothing));
    EXPECT_EQ(f.app.GetOpenDocumentCount(), 0);
    f.WriteFile("cmd.xml", std::string(4, '\0'));
    for (const auto& [name, opened] : {std::pair("cmd.xml", true), std::pair("gone.xml", false)})
    {
        CCommandLineInfo info;
        f.app.SetCommandLine({f.Path(name)});
        f.app.ParseCommandLine(info);
        EXPECT_EQ(f.app.ProcessShellCommand(info) != FALSE, opened) << name;
        EXPECT_EQ(f.app.GetOpenDocumentCount(), 1) << name;
    }
}
