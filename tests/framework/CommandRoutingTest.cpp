// Command routing through an MDI application, command-update handlers before
// a menu opens, and prompts on the status bar.
#include "TestApp.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

using namespace testsupport;

namespace
{

QMenu* TopMenu(CFrameWnd* pFrame, const char* title)
{
    HMENU hMenu = pFrame->GetMenu();
    if (!hMenu)
        return nullptr;
    for (QMenu* pMenu : hMenu->popups)
        if (pMenu->title() == QString::fromUtf8(title))
            return pMenu;
    return nullptr;
}

QAction* ActionOf(QMenu* pMenu, UINT nID)
{
    for (QAction* a : pMenu->actions())
        if (AfxGetActionID(a) == nID && a->isVisible())
            return a;
    return nullptr;
}

void Open(QMenu* pMenu)
{
    pMenu->popup(QPoint(10, 10));
    QCoreApplication::processEvents();
}

} // namespace

TEST(CommandRouting, mdi_order_view_document_template_child_main_app)
{
    AppFixture f;
    ASSERT_NE(f.NewDocument(), nullptr);
    f.Main()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_ROUTE, 0), 0);
    EXPECT_EQ(RouteLog(), (std::vector<std::string>{"view", "document", "template", "child frame",
                                                    "main frame", "application"}));
    // Without a document only the main frame and the application are asked.
    f.app.CloseAllDocuments(FALSE);
    RouteLog().clear();
    f.Main()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_ROUTE, 0), 0);
    EXPECT_EQ(RouteLog(), (std::vector<std::string>{"main frame", "application"}));
    // A handler that takes the command ends the routing.
    RouteLog().clear();
    f.Main()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_APPONLY, 0), 0);
    EXPECT_EQ(RouteLog(), (std::vector<std::string>{"application only"}));
}

TEST(CommandRouting, menu_update_before_opening_disables_unhandled_and_runs_handlers)
{
    AppFixture f;
    ASSERT_NE(f.NewDocument(), nullptr);
    QMenu* pTest = TopMenu(f.Main(), "&Test");
    ASSERT_NE(pTest, nullptr);
    QAction* pNoHandler = ActionOf(pTest, ID_TEST_NOHANDLER);
    QAction* pAppOnly = ActionOf(pTest, ID_TEST_APPONLY);
    QAction* pUpdate = ActionOf(pTest, ID_TEST_UPDATE);
    ASSERT_TRUE(pNoHandler && pAppOnly && pUpdate);
    EXPECT_TRUE(pNoHandler->isEnabled()); // nothing has updated it yet
    Open(pTest);
    EXPECT_FALSE(pNoHandler->isEnabled());
    EXPECT_TRUE(pAppOnly->isEnabled());
    EXPECT_FALSE(pUpdate->isEnabled());
    EXPECT_TRUE(pUpdate->isChecked());
    EXPECT_EQ(pUpdate->text(), QString("Updated"));
    pTest->hide();

    // A nested pop-up is updated when it opens.
    QMenu* pMore = nullptr;
    for (QAction* a : pTest->actions())
        if (a->menu())
            pMore = a->menu();
    ASSERT_NE(pMore, nullptr);
    Open(pMore);
    EXPECT_FALSE(pMore->actions().front()->isEnabled());
    pMore->hide();

    // A command its update handler disables is not carried out, even by its id.
    RouteLog().clear();
    f.Main()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_UPDATE, 0), 0);
    EXPECT_TRUE(RouteLog().empty());
}

TEST(CommandRouting, view_menu_checks_and_toggles_a_bar)
{
    AppFixture f;
    QMenu* pView = TopMenu(f.Main(), "&View");
    ASSERT_NE(pView, nullptr);
    QAction* pStatus = ActionOf(pView, ID_VIEW_STATUS_BAR);
    Open(pView);
    EXPECT_TRUE(pStatus->isChecked());
    pView->hide();
    pStatus->trigger();
    EXPECT_FALSE(f.Main()->m_wndStatusBar.GetStyle() & WS_VISIBLE);
    Open(pView);
    EXPECT_FALSE(pStatus->isChecked());
    pView->hide();
}

TEST(CommandRouting, accelerators_route_like_menus)
{
    AppFixture f;
    // The accelerator table became shortcuts that send the command to the frame.
    QShortcut* pF12 = nullptr;
    for (QShortcut* s : f.Main()->GetWidget()->findChildren<QShortcut*>())
        if (s->key() == QKeySequence(Qt::Key_F12))
            pF12 = s;
    ASSERT_NE(pF12, nullptr);
    ASSERT_NE(f.NewDocument(), nullptr);
    RouteLog().clear();
    emit pF12->activated();
    EXPECT_EQ(RouteLog().front(), "view");
    EXPECT_EQ(RouteLog().size(), 6u);
}

TEST(StatusBar, prompts_while_highlighted_and_idle_message_after)
{
    AppFixture f;
    AppFixture::Spin(); // the frame posts its first message line
    EXPECT_EQ(f.Main()->m_wndStatusBar.GetPaneText(0), CString(L"For help, press F1."));
    QMenu* pFile = TopMenu(f.Main(), "&File");
    ASSERT_NE(pFile, nullptr);
    Open(pFile);
    emit ActionOf(pFile, ID_FILE_NEW)->hovered();
    EXPECT_EQ(f.Main()->m_wndStatusBar.GetPaneText(0), CString(L"Create a new document"));
    emit ActionOf(pFile, ID_FILE_OPEN)->hovered();
    EXPECT_EQ(f.Main()->m_wndStatusBar.GetPaneText(0), CString(L"Open an existing document"));
    pFile->hide();
    AppFixture::Spin();
    EXPECT_EQ(f.Main()->m_wndStatusBar.GetPaneText(0), CString(L"For help, press F1."));
    // The menu texts keep their mnemonics and key texts.
    EXPECT_EQ(ActionOf(pFile, ID_FILE_NEW)->text(), QString("&New\tCtrl+N"));
}
