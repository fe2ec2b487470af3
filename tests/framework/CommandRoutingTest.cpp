// Command routing through an MDI application, command-update handlers before
// a menu opens, and prompts on the status bar.
#include "TestApp.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

using namespace testsupport;

TEST(CommandRouting, mdi_order_view_document_template_child_main_app)
{
    AppFixture f;
    ASSERT_NE(f.NewDocument(), nullptr);
    f.Main()->SendMessage(WM_COMMAND, ID_TEST_ROUTE);
    EXPECT_EQ(g_routeLog, (std::vector<std::string>{"view", "document", "template", "child frame",
                                                    "main frame", "application"}));
    // Without a document only the main frame and the application are asked.
    f.app.CloseAllDocuments(FALSE);
    g_routeLog.clear();
    f.Main()->SendMessage(WM_COMMAND, ID_TEST_ROUTE);
    EXPECT_EQ(g_routeLog, (std::vector<std::string>{"main frame", "application"}));
    // A handler that takes the command ends the routing.
    g_routeLog.clear();
    f.Main()->SendMessage(WM_COMMAND, ID_TEST_APPONLY);
    EXPECT_EQ(g_routeLog, (std::vector<std::string>{"application only"}));
}

TEST(CommandRouting, menu_update_before_opening_disables_unhandled_and_runs_handlers)
{
    AppFixture f;
    ASSERT_NE(f.NewDocument(), nullptr);
    QMenu* pTest = MenuPopup(f.Main(), "&Test");
    ASSERT_NE(pTest, nullptr);
    QAction* pNoHandler = MenuAction(pTest, ID_TEST_NOHANDLER);
    QAction* pAppOnly = MenuAction(pTest, ID_TEST_APPONLY);
    QAction* pUpdate = MenuAction(pTest, ID_TEST_UPDATE);
    ASSERT_TRUE(pNoHandler && pAppOnly && pUpdate);
    EXPECT_TRUE(pNoHandler->isEnabled()); // nothing has updated it yet
    OpenPopup(pTest);
    EXPECT_FALSE(pNoHandler->isEnabled());
    EXPECT_TRUE(pAppOnly->isEnabled());
    EXPECT_FALSE(pUpdate->isEnabled());
    EXPECT_TRUE(pUpdate->isChecked());
    EXPECT_EQ(pUpdate->text(), QString("Updated"));
    pTest->hide();

    // A nested pop-up is updated when it opens.
    QMenu* pMore = pTest->actions().back()->menu();
    ASSERT_NE(pMore, nullptr);
    OpenPopup(pMore);
    EXPECT_FALSE(pMore->actions().front()->isEnabled());
    pMore->hide();

    // A command its update handler disables is not carried out, even by its id.
    g_routeLog.clear();
    f.Main()->SendMessage(WM_COMMAND, ID_TEST_UPDATE);
    EXPECT_TRUE(g_routeLog.empty());
}

TEST(CommandRouting, view_menu_checks_and_toggles_a_bar)
{
    AppFixture f;
    QMenu* pView = MenuPopup(f.Main(), "&View");
    ASSERT_NE(pView, nullptr);
    QAction* pStatus = MenuAction(pView, ID_VIEW_STATUS_BAR);
    OpenPopup(pView);
    EXPECT_TRUE(pStatus->isChecked());
    pView->hide();
    pStatus->trigger();
    EXPECT_FALSE(f.Main()->m_wndStatusBar.GetStyle() & WS_VISIBLE);
    OpenPopup(pView);
    EXPECT_FALSE(pStatus->isChecked());
    pView->hide();
}

TEST(StatusBar, prompts_while_highlighted_and_idle_message_after)
{
    AppFixture f;
    AppFixture::Spin(); // the frame posts its first message line
    CStatusBar& status = f.Main()->m_wndStatusBar;
    EXPECT_EQ(status.GetPaneText(0), CString(L"For help, press F1."));
    QMenu* pFile = MenuPopup(f.Main(), "&File");
    ASSERT_NE(pFile, nullptr);
    OpenPopup(pFile);
    emit MenuAction(pFile, ID_FILE_NEW)->hovered();
    EXPECT_EQ(status.GetPaneText(0), CString(L"Create a new document"));
    emit MenuAction(pFile, ID_FILE_OPEN)->hovered();
    EXPECT_EQ(status.GetPaneText(0), CString(L"Open an existing document"));
    pFile->hide();
    AppFixture::Spin();
    EXPECT_EQ(status.GetPaneText(0), CString(L"For help, press F1."));
    // The menu texts keep their mnemonics and key texts.
    EXPECT_EQ(MenuAction(pFile, ID_FILE_NEW)->text(), QString("&New\tCtrl+N"));
}
