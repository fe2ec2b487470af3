// Control bars of a real frame: the tool bar and the path bar in a rebar,
// the status bar with its panes, and the idle updates that drive them.
#include "TestApp.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QToolBar>

using namespace testsupport;

static QRect Geometry(CWnd& wnd)
{
    return wnd.GetWidget()->geometry();
}

TEST(Bars, rebar_holds_tool_bar_and_path_bar_above_the_client_and_status_bar_below)
{
    AppFixture f;
    CTestMainFrame* pMain = f.Main();
    ASSERT_NE(pMain, nullptr);
    // Wide enough for both bands in one row, as the main window is on a usual screen.
    pMain->GetWidget()->resize(1100, 700);
    f.Spin();
    QWidget* pHost = pMain->GetBarHost();
    ASSERT_NE(pHost, nullptr);

    // Both bars became bands of the rebar, in order, each with a gripper.
    ASSERT_EQ(pMain->m_wndReBar.GetBandCount(), 2);
    EXPECT_EQ(pMain->m_wndReBar.GetBandChild(0), &pMain->m_wndToolBar);
    EXPECT_EQ(pMain->m_wndReBar.GetBandChild(1), &pMain->m_wndPathBar);
    EXPECT_EQ(pMain->m_wndToolBar.GetParent(), &pMain->m_wndReBar);
    EXPECT_EQ(pMain->m_wndToolBar.GetParentFrame(), pMain);
    EXPECT_TRUE(pMain->m_wndReBar.GetBandStyle(0) & RBBS_GRIPPERALWAYS);
    RECT band0, band1;
    pMain->m_wndReBar.GetBandRect(0, &band0);
    pMain->m_wndReBar.GetBandRect(1, &band1);
    EXPECT_EQ(band0.top, band1.top); // side by side in one row
    EXPECT_LE(band0.right, band1.left);
    EXPECT_GE(Geometry(pMain->m_wndToolBar).left(), band0.left + CReBar::kGripperWidth);

    // Rebar at the top, status bar at the bottom, the MDI area between them.
    QRect rebar = Geometry(pMain->m_wndReBar), status = Geometry(pMain->m_wndStatusBar);
    QRect client = pMain->GetMDIArea()->geometry();
    EXPECT_EQ(rebar.top(), 0);
    EXPECT_EQ(rebar.width(), pHost->width());
    EXPECT_EQ(client.top(), rebar.bottom() + 1);
    EXPECT_EQ(status.top(), client.bottom() + 1);
    EXPECT_EQ(status.bottom(), pHost->height() - 1);
    EXPECT_GT(status.height(), 10);

    // The path bar is its template: 299 by 13 dialog units, field 1003 read-only, the label before
    // it.
    CWnd* pField = pMain->m_wndPathBar.GetDlgItem(IDC_PATH);
    ASSERT_NE(pField, nullptr);
    auto* pEdit = qobject_cast<QLineEdit*>(pField->GetWidget());
    ASSERT_NE(pEdit, nullptr);
    EXPECT_TRUE(pEdit->isReadOnly());
    CSize size = pMain->m_wndPathBar.m_sizeDefault;
    EXPECT_GT(size.cx, 299); // a dialog unit is more than a pixel wide in any usual font
    EXPECT_LT(Geometry(*pMain->m_wndPathBar.GetDlgItem(-1)).right(), Geometry(*pField).left());
    pMain->m_wndPathBar.SetDlgItemText(IDC_PATH, L"root/item?id=2");
    EXPECT_EQ(pEdit->text(), QString("root/item?id=2"));
    CString text;
    EXPECT_EQ(pMain->m_wndPathBar.GetDlgItemText(IDC_PATH, text), 14);
    EXPECT_EQ(text, CString(L"root/item?id=2"));

    // Hiding the path bar empties its band; the tool bar's row stays; the View
    // command's update sees it hidden. Showing it brings back its text.
    int rebarHeight = rebar.height();
    pMain->ShowControlBar(&pMain->m_wndPathBar, FALSE, FALSE);
    pMain->m_wndReBar.GetBandRect(1, &band1);
    EXPECT_EQ(band1.right - band1.left, 0);
    EXPECT_FALSE(pMain->m_wndPathBar.GetStyle() & WS_VISIBLE);
    EXPECT_EQ(Geometry(pMain->m_wndReBar).height(), rebarHeight);
    pMain->ShowControlBar(&pMain->m_wndPathBar, TRUE, FALSE);
    pMain->m_wndReBar.GetBandRect(1, &band1);
    EXPECT_GT(band1.right - band1.left, 0);
    EXPECT_EQ(pEdit->text(), QString("root/item?id=2"));

    // Hiding the whole status bar gives its edge to the client.
    pMain->ShowControlBar(&pMain->m_wndStatusBar, FALSE, FALSE);
    EXPECT_EQ(pMain->GetMDIArea()->geometry().bottom(), pHost->height() - 1);
}

TEST(Bars, tool_bar_buttons_follow_update_handlers_at_idle_and_send_commands)
{
    AppFixture f;
    CToolBar& bar = f.Main()->m_wndToolBar;
    ASSERT_EQ(bar.GetCount(), 4);
    EXPECT_EQ(bar.GetItemID(1), (UINT)ID_TOOL_RUN);
    EXPECT_EQ(bar.GetButtonStyle(2), (UINT)TBBS_SEPARATOR);
    EXPECT_EQ(bar.CommandToIndex(ID_TOOL_NOHANDLER), 3);
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
    f.Main()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TOOL_RUN, 0), 0);
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

TEST(Bars, tool_bar_refuses_missing_resource_and_unreadable_strip)
{
    AppFixture f;
    CToolBar bar;
    ASSERT_TRUE(bar.CreateEx(f.Main()));
    EXPECT_FALSE(bar.LoadToolBar(999));
    static const UINT ids[] = {ID_FILE_NEW};
    static const unsigned char junk[] = {'n', 'o', 't', ' ', 'a', 'n',
                                         ' ', 'i', 'm', 'a', 'g', 'e'};
    static const AFX_TOOLBAR_RESOURCE bad[] = {{998, 16, 16, ids, 1, junk, sizeof(junk)},
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

TEST(Bars, status_bar_panes_have_their_texts_widths_and_styles)
{
    AppFixture f;
    CStatusBar& status = f.Main()->m_wndStatusBar;
    ASSERT_EQ(status.GetCount(), 5);
    EXPECT_EQ(status.GetPaneText(2), CString(L"CAP"));
    EXPECT_EQ(status.GetPaneText(3), CString(L"NUM"));
    EXPECT_EQ(status.GetPaneText(4), CString(L"SCRL"));
    EXPECT_EQ(status.CommandToIndex(ID_INDICATOR_LOAD), 1);
    EXPECT_EQ(status.GetItemID(3), (UINT)ID_INDICATOR_NUM);

    UINT nID = 0, nStyle = 0;
    int cx = 0;
    status.GetPaneInfo(1, nID, nStyle, cx);
    EXPECT_EQ(nID, (UINT)ID_INDICATOR_LOAD);
    EXPECT_EQ(nStyle, (UINT)SBPS_NOBORDERS);
    EXPECT_EQ(cx, 120);
    status.GetPaneInfo(0, nID, nStyle, cx);
    EXPECT_EQ(nStyle, (UINT)(SBPS_STRETCH | SBPS_NOBORDERS));

    // The fixed panes keep their widths from the right edge; the first one stretches over the rest.
    f.Spin();
    int cxBar = status.GetWidget()->width();
    RECT r[5];
    for (int i = 0; i < 5; ++i)
        status.GetItemRect(i, &r[i]);
    EXPECT_EQ(r[1].right - r[1].left, 120 + CStatusBar::kPaneBorder);
    EXPECT_EQ(r[0].left, 0);
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(r[i].left, r[i - 1].right + CStatusBar::kPaneGap);
    EXPECT_EQ(r[4].right, cxBar);
    int cxCap = r[2].right - r[2].left;
    EXPECT_GT(cxCap, CStatusBar::kPaneBorder);
    EXPECT_LT(cxCap, r[4].right - r[4].left); // "SCRL" is wider than "CAP"

    // Too narrow a bar leaves the stretching pane empty, never negative.
    std::vector<RECT> narrow = status.LayoutPanes(50, 20);
    EXPECT_EQ(narrow[0].right - narrow[0].left, 0);

    EXPECT_TRUE(status.SetPaneText(1, L"Loaded in 1.2340 s."));
    EXPECT_EQ(status.GetPaneText(1), CString(L"Loaded in 1.2340 s."));
    EXPECT_FALSE(status.SetPaneText(7, L"x"));
    EXPECT_EQ(status.GetPaneText(7), CString());

    // The frame's message line is pane 0.
    f.Main()->SetMessageText(L"Working");
    EXPECT_EQ(status.GetPaneText(0), CString(L"Working"));
    EXPECT_EQ(status.GetWindowText(), CString(L"Working"));
    f.Main()->SetMessageText(AFX_IDS_IDLEMESSAGE);
    EXPECT_EQ(status.GetPaneText(0), CString(L"For help, press F1."));

    // Lock indicators show their text only while the system reports the lock on.
    f.Main()->GetWidget()->activateWindow();
    f.Main()->PostMessage(WM_NULL);
    f.Spin();
    EXPECT_EQ((status.GetPaneStyle(2) & SBPS_DISABLED) != 0, AfxGetKeyLockState(VK_CAPITAL) <= 0);
    EXPECT_EQ((status.GetPaneStyle(3) & SBPS_DISABLED) != 0, AfxGetKeyLockState(VK_NUMLOCK) <= 0);
    EXPECT_FALSE(status.GetPaneStyle(1) & SBPS_DISABLED); // no handler: left alone
}
