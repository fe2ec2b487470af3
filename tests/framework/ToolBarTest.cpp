// The tool bar of a real frame: buttons and images from its resource, the
// idle updates that enable them, the commands they send and their prompts.
#include "TestApp.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QToolBar>

using namespace testsupport;

TEST(ToolBar, buttons_follow_update_handlers_at_idle_and_send_commands)
{
    AppFixture f;
    CToolBar& bar = f.Main()->m_wndToolBar;
    ASSERT_EQ(bar.GetCount(), 4);
    EXPECT_EQ(bar.GetItemID(1), (UINT)ID_TOOL_RUN);
    EXPECT_EQ(bar.GetButtonStyle(2), (UINT)TBBS_SEPARATOR);
    EXPECT_EQ(bar.CommandToIndex(ID_TEST_NOHANDLER), 3);
    EXPECT_EQ(bar.CommandToIndex(12345), -1);
    EXPECT_TRUE(bar.GetToolBarWidget()->toolButtonStyle() == Qt::ToolButtonIconOnly);

    // Images come from the strip in order, its gray made transparent; the
    // button after the separator takes the third image.
    QImage run = bar.GetButtonAction(1)->icon().pixmap(16, 16).toImage();
    QImage last = bar.GetButtonAction(3)->icon().pixmap(16, 16).toImage();
    ASSERT_FALSE(run.isNull());
    EXPECT_EQ(qAlpha(run.pixel(0, 0)), 0);
    EXPECT_EQ(run.pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(last.pixelColor(8, 8), QColor(Qt::white));
    EXPECT_EQ(bar.GetButtonAction(1)->toolTip(), QString("Run"));

    f.Main()->GetWidget()->activateWindow();
    f.Spin();
    EXPECT_TRUE(bar.GetButtonAction(1)->isEnabled());
    EXPECT_FALSE(bar.GetButtonAction(3)->isEnabled()); // nobody handles it
    EXPECT_TRUE(bar.GetButtonAction(0)->isEnabled());
    EXPECT_FALSE(bar.GetButtonStyle(1) & TBBS_DISABLED);
    EXPECT_TRUE(bar.GetButtonStyle(3) & TBBS_DISABLED);

    bar.GetButtonAction(1)->trigger();
    EXPECT_EQ(g_nRunCount, 1);

    // The handler's answer changes; the next idle time after input shows it.
    g_bRunEnabled = false;
    f.Main()->PostMessage(WM_NULL);
    f.Spin();
    EXPECT_FALSE(bar.GetButtonAction(1)->isEnabled());
    // A command sent while its update handler says no is not carried out.
    f.Main()->SendMessage(WM_COMMAND, ID_TOOL_RUN);
    EXPECT_EQ(g_nRunCount, 1);
    g_bRunEnabled = true;
    f.Main()->PostMessage(WM_NULL);
    f.Spin();
    EXPECT_TRUE(bar.GetButtonAction(1)->isEnabled());

    // Fly-by: the prompt shows in the message pane while over a button, the
    // idle text once the mouse leaves the bar.
    CStatusBar& status = f.Main()->m_wndStatusBar;
    bar.GetButtonAction(1)->hover();
    EXPECT_EQ(status.GetPaneText(0), CString(L"Run the thing"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(bar.GetToolBarWidget(), &leave);
    EXPECT_EQ(status.GetPaneText(0), CString(L"For help, press F1."));
    // Without the fly-by style nothing is shown.
    bar.SetBarStyle(bar.GetBarStyle() & ~CBRS_FLYBY);
    bar.GetButtonAction(1)->hover();
    EXPECT_EQ(status.GetPaneText(0), CString(L"For help, press F1."));
}

TEST(ToolBar, refuses_a_missing_resource_and_an_unreadable_strip)
{
    AppFixture f;
    CToolBar bar;
    ASSERT_TRUE(bar.CreateEx(f.Main()));
    EXPECT_FALSE(bar.LoadToolBar(999));
    static const UINT ids[] = {ID_FILE_NEW};
    static const unsigned char junk[] = "not an image";
    static const AFX_TOOLBAR_RESOURCE bad[] = {{998, 16, 16, ids, 1, junk, sizeof(junk) - 1},
                                               {997, 16, 16, ids, 1, nullptr, 0}};
    AfxRegisterToolBarResources(bad, 2);
    EXPECT_FALSE(bar.LoadToolBar(998));
    // Without a strip the buttons carry their tool tip text instead.
    EXPECT_TRUE(bar.LoadToolBar(997));
    EXPECT_EQ(bar.GetToolBarWidget()->toolButtonStyle(), Qt::ToolButtonTextOnly);
    EXPECT_EQ(bar.GetButtonAction(0)->text(), QString("New"));
    EXPECT_TRUE(AfxUnregisterToolBarResources(bad));
    bar.DestroyWindow();
}
