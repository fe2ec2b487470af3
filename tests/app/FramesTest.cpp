// The main frame and the document windows: bars, panes, captions, the path
// bar and the context menu, driven offscreen.
#include "EditorTestApp.h"

#include "velmar/app/HelpPages.h"
#include "velmar/app/Resource.h"
#include "velmar/app/ValueColumn.h"
#include "velmar/app/VelmarImages.h"
#include "velmar/app/VelmarResources.h"

#include "velmar/win32/DesktopApps.h"
#include "velmar/win32/Launcher.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeySequence>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QTreeView>

#include <functional>
#include <map>

using namespace testsupport;

namespace
{

const char kSmall[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<a x=\"1\"><b>text</b><c/></a>\n";

// The load time is measured by the document itself; tests that need two
// different ones set them as if the loads had taken that long.
struct LoadTimeOf : CVelmarDoc
{
    static void Set(CVelmarDoc* pDoc, DWORD ms) { pDoc->*(&LoadTimeOf::m_dwLoadTime) = ms; }
};

// Opens the small document; its window, or null.
CTestChildFrame* OpenSmall(EditorFixture& f)
{
    if (!f.OpenWith("a.xml", kSmall))
        return nullptr;
    f.Spin(0);
    return f.ActiveChild();
}

CString PaneText(EditorFixture& f, int nPane)
{
    return f.Main()->GetStatusBar().GetPaneText(nPane);
}

CString PathBarText(EditorFixture& f)
{
    CString text;
    f.Main()->GetPathBar().GetDlgItemText(IDC_PATH, text);
    return text;
}

// The texts of the pop-up menu `open` brings up; empty when none came.
QStringList PopupTexts(const std::function<void()>& open)
{
    return WatchPopup(open).texts;
}

// Records the check mark an update handler sets.
struct CheckProbe : CCmdUI
{
    int m_nCheck = -1;
    void Enable(BOOL) override {}
    void SetCheck(int nCheck) override { m_nCheck = nCheck; }
    void SetRadio(BOOL) override {}
    void SetText(LPCWSTR) override {}
};

} // namespace

TEST(MainFrame, opens_at_four_fifths_of_the_screen_centred_with_its_bars_around_the_client)
{
    EditorFixture f;
    CMainFrame* pMain = f.Main();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QWidget* pWidget = pMain->GetWidget();
    // The suite's screen; 819.2 is truncated, never rounded.
    ASSERT_EQ(screen.size(), QSize(1280, 1024));
    EXPECT_EQ(pWidget->size(), QSize(1024, 819));
    const QRect frame = pWidget->frameGeometry();
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    // Centred when made, before the window system adds its frame: off by
    // at most half the frame's margins once shown.
    EXPECT_LE(std::abs(frame.center().x() - avail.center().x()), 4);
    EXPECT_LE(std::abs(frame.center().y() - avail.center().y()), 4);
    f.Spin();

    // The tool bar and the path bar share one row of the rebar, tool bar first,
    // each band with its gripper.
    CReBar& rebar = pMain->GetReBar();
    CToolBar& toolBar = pMain->GetToolBar();
    ASSERT_EQ(rebar.GetBandCount(), 2);
    EXPECT_EQ(rebar.GetBandChild(0), &toolBar);
    EXPECT_EQ(rebar.GetBandChild(1), &pMain->GetPathBar());
    EXPECT_EQ(toolBar.GetParent(), &rebar);
    EXPECT_EQ(toolBar.GetParentFrame(), pMain);
    EXPECT_TRUE(toolBar.GetBarStyle() & CBRS_FLYBY);
    EXPECT_TRUE(rebar.GetBandStyle(0) & RBBS_GRIPPERALWAYS);
    CRect band0, band1;
    rebar.GetBandRect(0, &band0);
    rebar.GetBandRect(1, &band1);
    EXPECT_EQ(band0.top, band1.top);
    EXPECT_LE(band0.right, band1.left);
    EXPECT_GE(toolBar.GetWidget()->geometry().left(), band0.left + CReBar::kGripperWidth);

    // Rebar at the top, status bar at the bottom, the document windows between them.
    QWidget* pHost = pMain->GetBarHost();
    ASSERT_NE(pHost, nullptr);
    const QRect top = rebar.GetWidget()->geometry();
    const QRect bottom = pMain->GetStatusBar().GetWidget()->geometry();
    const QRect client = pMain->GetMDIArea()->geometry();
    EXPECT_EQ(top.top(), 0);
    EXPECT_EQ(top.width(), pHost->width());
    EXPECT_EQ(client.top(), top.bottom() + 1);
    EXPECT_EQ(bottom.top(), client.bottom() + 1);
    EXPECT_EQ(bottom.bottom(), pHost->height() - 1);
    EXPECT_GT(bottom.height(), 10);

    // The path bar is its template: 299 by 13 dialog units (a dialog unit is
    // more than a pixel wide in any usual font), the field after its label, which
    // takes a typed path.
    CDialogBar& pathBar = pMain->GetPathBar();
    CWnd* pField = pathBar.GetDlgItem(IDC_PATH);
    ASSERT_NE(pField, nullptr);
    auto* pEdit = qobject_cast<QLineEdit*>(pField->GetWidget());
    ASSERT_NE(pEdit, nullptr);
    EXPECT_FALSE(pEdit->isReadOnly());
    EXPECT_GT(pathBar.m_sizeDefault.cx, 299);
    EXPECT_LT(pathBar.GetDlgItem(-1)->GetWidget()->geometry().right(),
              pField->GetWidget()->geometry().left());

    // Hidden, the path bar leaves the tool bar's row as high as it was; the
    // hidden status bar gives its edge to the client.
    pMain->ShowControlBar(&pathBar, FALSE, FALSE);
    EXPECT_EQ(rebar.GetWidget()->height(), top.height());
    pMain->ShowControlBar(&pMain->GetStatusBar(), FALSE, FALSE);
    EXPECT_EQ(pMain->GetMDIArea()->geometry().bottom(), pHost->height() - 1);
}

TEST(MainFrame, status_panes_keep_their_widths_from_the_right_and_show_the_lock_keys)
{
    EditorFixture f;
    CStatusBar& status = f.Main()->GetStatusBar();
    ASSERT_EQ(status.GetCount(), 6);
    EXPECT_EQ(PaneText(f, 1), CString(L"Loaded in 0.0000 s."));
    EXPECT_EQ(PaneText(f, 2), CString()); // the mode of no document
    EXPECT_EQ(PaneText(f, 3), CString(L"CAP"));
    EXPECT_EQ(PaneText(f, 4), CString(L"NUM"));
    EXPECT_EQ(PaneText(f, 5), CString(L"SCRL"));
    EXPECT_EQ(status.CommandToIndex(ID_INDICATOR_LOADTIME), 1);
    EXPECT_EQ(status.CommandToIndex(ID_INDICATOR_MODE), 2);
    UINT nID = 0, nStyle = 0;
    int cx = 0;
    status.GetPaneInfo(0, nID, nStyle, cx);
    EXPECT_EQ(nStyle, (UINT)(SBPS_STRETCH | SBPS_NOBORDERS));

    // The fixed panes keep their widths from the right edge; the first one stretches over the rest.
    f.Spin();
    RECT r[6];
    for (int i = 0; i < 6; ++i)
        status.GetItemRect(i, &r[i]);
    EXPECT_EQ(r[1].right - r[1].left, CMainFrame::kLoadTimePaneWidth + CStatusBar::kPaneBorder);
    EXPECT_EQ(r[2].right - r[2].left, CMainFrame::kModePaneWidth + CStatusBar::kPaneBorder);
    EXPECT_EQ(r[0].left, 0);
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(r[i].left, r[i - 1].right + CStatusBar::kPaneGap);
    EXPECT_EQ(r[5].right, status.GetWidget()->width());
    EXPECT_GT(r[3].right - r[3].left, CStatusBar::kPaneBorder);
    EXPECT_LT(r[3].right - r[3].left, r[5].right - r[5].left); // "SCRL" is wider than "CAP"
    // Too narrow a bar leaves the stretching pane empty, never negative.
    std::vector<RECT> narrow = status.LayoutPanes(50, 20);
    EXPECT_EQ(narrow[0].right - narrow[0].left, 0);
    EXPECT_FALSE(status.SetPaneText(7, L"x"));
    EXPECT_EQ(PaneText(f, 7), CString());

    // The frame's message line is pane 0.
    f.Main()->SetMessageText(L"Working");
    EXPECT_EQ(PaneText(f, 0), CString(L"Working"));
    EXPECT_EQ(status.GetWindowText(), CString(L"Working"));
    f.Main()->SetMessageText(AFX_IDS_IDLEMESSAGE);
    EXPECT_EQ(PaneText(f, 0), CString(L"For help, press F1."));

    // Lock indicators show their text only while the system reports the lock on.
    f.Main()->GetWidget()->activateWindow();
    f.Main()->PostMessage(WM_NULL);
    f.Spin();
    EXPECT_EQ((status.GetPaneStyle(3) & SBPS_DISABLED) != 0, AfxGetKeyLockState(VK_CAPITAL) <= 0);
    EXPECT_EQ((status.GetPaneStyle(4) & SBPS_DISABLED) != 0, AfxGetKeyLockState(VK_NUMLOCK) <= 0);
    EXPECT_FALSE(status.GetPaneStyle(1) & SBPS_DISABLED); // no handler: left alone
}

TEST(MainFrame, load_time_pane_follows_the_active_document)
{
    EditorFixture f;
    CVelmarDoc* pA = f.OpenWith("a.xml", kSmall);
    ASSERT_NE(pA, nullptr);
    CTestChildFrame* pChildA = f.ActiveChild();
    CVelmarDoc* pB = f.OpenWith("b.xml", kSmall);
    ASSERT_NE(pB, nullptr);
    CTestChildFrame* pChildB = f.ActiveChild();
    ASSERT_NE(pChildA, pChildB);
    // Opening shows the time of what was just loaded.
    CString shown;
    shown.Format(L"Loaded in %0.4f s.", pB->GetLoadTime() / 1000.0);
    EXPECT_EQ(PaneText(f, 1), shown);

    LoadTimeOf::Set(pA, 1234);
    LoadTimeOf::Set(pB, 56);
    f.Main()->MDIActivate(pChildA);
    EXPECT_EQ(PaneText(f, 1), CString(L"Loaded in 1.2340 s."));
    f.Main()->MDIActivate(pChildB);
    EXPECT_EQ(PaneText(f, 1), CString(L"Loaded in 0.0560 s."));
    // Another window on the same document shows that document's time.
    CTestChildFrame* pSecond = f.NewWindow();
    ASSERT_NE(pSecond, nullptr);
    f.Main()->MDIActivate(pChildA);
    f.Main()->MDIActivate(pSecond);
    EXPECT_EQ(PaneText(f, 1), CString(L"Loaded in 0.0560 s."));

    // The whole range of the unsigned count, without a sign or an overflow.
    f.Main()->ShowLoadTime(0xFFFFFFFFu);
    EXPECT_EQ(PaneText(f, 1), CString(L"Loaded in 4294967.2950 s."));
}

TEST(ChildFrame, splits_into_tree_and_content_with_the_tree_active)
{
    EditorFixture f;
    CTestChildFrame* pChild = OpenSmall(f);
    ASSERT_TRUE(pChild && pChild->Tree() && pChild->Content());
    EXPECT_EQ(pChild->m_wndSplitter.GetDlgCtrlID(), AFX_IDW_PANE_FIRST); // it fills the frame
    EXPECT_EQ(pChild->GetActiveView(), pChild->Tree());
    EXPECT_EQ(pChild->Tree()->GetWidget()->width(), IsValueColumnShown()
                                                        ? CChildFrame::kTreePaneWidthWithValues
                                                        : CChildFrame::kTreePaneWidth);
    // The content pane takes the rest of the window.
    EXPECT_EQ(pChild->Content()->GetWidget()->geometry().right() + 1,
              pChild->m_wndSplitter.GetWidget()->width());
}

TEST(ChildFrame, caption_carries_the_mark_while_modified_in_every_window)
{
    EditorFixture f;
    CTestChildFrame* pChild = OpenSmall(f);
    ASSERT_NE(pChild, nullptr);
    auto* pDoc = static_cast<CVelmarDoc*>(pChild->GetActiveDocument());
    EXPECT_EQ(pChild->GetWindowText(), CString(L"a.xml"));

    pDoc->CDocument::SetModifiedFlag(TRUE);
    pChild->UpdateTitle();
    EXPECT_EQ(pChild->GetWindowText(), CString(L"a.xml - [Modified]"));
    // Twice marked is still marked once.
    pChild->UpdateTitle();
    pChild->OnUpdateFrameTitle(TRUE);
    EXPECT_EQ(pChild->GetWindowText(), CString(L"a.xml") + kModifiedMark);

    // A second window numbers both; both keep the mark through the renumbering.
    CTestChildFrame* pSecond = f.NewWindow();
    ASSERT_NE(pSecond, nullptr);
    EXPECT_EQ(pChild->GetWindowText(), CString(L"a.xml:1") + kModifiedMark);
    EXPECT_EQ(pSecond->GetWindowText(), CString(L"a.xml:2") + kModifiedMark);
    // Activation keeps it too.
    f.Main()->MDIActivate(pChild);
    EXPECT_EQ(pChild->GetWindowText(), CString(L"a.xml:1") + kModifiedMark);

    // Saving gives the plain titles back.
    ASSERT_TRUE(pDoc->DoFileSave());
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(pChild->GetWindowText(), CString(L"a.xml:1"));
    EXPECT_EQ(pSecond->GetWindowText(), CString(L"a.xml:2"));
    // Unmodified, asking changes nothing.
    pChild->UpdateTitle();
    EXPECT_EQ(pChild->GetWindowText(), CString(L"a.xml:1"));
}

TEST(MainFrame, path_bar_shows_the_selection_and_toggles_with_its_check_mark)
{
    EditorFixture f;
    CTestChildFrame* pChild = OpenSmall(f);
    ASSERT_NE(pChild, nullptr);
    CXMLTreeCtrl& tree = pChild->Tree()->GetXMLTreeCtrl();
    // The second top-level item is element a.
    HTREEITEM hA = tree.GetNextSiblingItem(tree.GetRootItem());
    ASSERT_NE(hA, nullptr);
    tree.SelectItem(hA);
    EXPECT_EQ(PathBarText(f), CString(L"a/"));
    EXPECT_EQ(PathBarText(f), CString(f.Main()->m_path.c_str()));

    CMainFrame* pMain = f.Main();
    auto checked = [&]
    {
        CheckProbe probe;
        probe.m_nID = ID_VIEW_PATHBAR;
        probe.DoUpdate(pMain, FALSE);
        return probe.m_nCheck;
    };
    EXPECT_TRUE(pMain->IsPathBarShown());
    EXPECT_EQ(checked(), 1);
    pMain->SendMessage(WM_COMMAND, ID_VIEW_PATHBAR);
    EXPECT_FALSE(pMain->IsPathBarShown());
    EXPECT_EQ(checked(), 0);
    CRect band;
    pMain->GetReBar().GetBandRect(1, &band);
    EXPECT_TRUE(band.IsRectEmpty());
    // Selecting while hidden still fills the field; shown again, it has the last path.
    tree.Expand(hA, TVE_EXPAND);
    HTREEITEM hChildren = tree.FindGroup(hA, ikChildNodes);
    ASSERT_NE(hChildren, nullptr);
    tree.Expand(hChildren, TVE_EXPAND);
    HTREEITEM hC = tree.GetNextSiblingItem(tree.GetChildItem(hChildren));
    ASSERT_NE(hC, nullptr);
    tree.SelectItem(hC);
    pMain->SendMessage(WM_COMMAND, ID_VIEW_PATHBAR);
    EXPECT_TRUE(pMain->IsPathBarShown());
    EXPECT_EQ(checked(), 1);
    pMain->GetReBar().GetBandRect(1, &band);
    EXPECT_FALSE(band.IsRectEmpty());
    EXPECT_EQ(PathBarText(f), CString(L"a/c/"));
    // A header has no path.
    tree.SelectItem(tree.GetRootItem());
    EXPECT_EQ(PathBarText(f), CString(L""));
}

TEST(ChildFrame, xml_menu_pops_up_over_the_tree_only)
{
    EditorFixture f;
    CTestChildFrame* pChild = OpenSmall(f);
    ASSERT_NE(pChild, nullptr);
    const QStringList xmlMenu = {"&Add",
                                 "&Rename\tF2",
                                 "D&elete\tCtrl+Del",
                                 "Move &up",
                                 "Move &down",
                                 "Pre&view\tF12",
                                 "E&xport node",
                                 "Va&lidate\tF7",
                                 "&Choose Schema...",
                                 "&Schema the Document Names",
                                 "Validate as I Ed&it"};

    QWidget* pTreeWidget = pChild->Tree()->GetWidget();
    EXPECT_EQ(PopupTexts([&] { RightClick(pTreeWidget, QPoint(5, 5)); }), xmlMenu);
    // From the keyboard too, placed at the selected item.
    CXMLTreeCtrl& tree = pChild->Tree()->GetXMLTreeCtrl();
    tree.SelectItem(tree.GetRootItem());
    EXPECT_EQ(
        PopupTexts([&] { RightClick(pTreeWidget, QPoint(0, 0), QContextMenuEvent::Keyboard); }),
        xmlMenu);
    EXPECT_EQ(PopupTexts([&] { f.Main()->SendMessage(WM_COMMAND, ID_XML_CONTEXT_MENU); }), xmlMenu);

    // The content pane has the edit control's own menu.
    pChild->SetActiveView(pChild->Content());
    EXPECT_FALSE(PopupTexts([&] { RightClick(pChild->Content()->GetWidget(), QPoint(5, 5)); })
                     .contains("&Rename\tF2"));

    // No menu over the splitter bar, whichever pane is active, nor over the bars.
    const auto overSplitter = [&]
    {
        pChild->SendMessage(WM_CONTEXTMENU, (WPARAM)pChild->m_wndSplitter.GetSafeHwnd(),
                            MAKELPARAM(10, 10));
    };
    EXPECT_TRUE(PopupTexts(overSplitter).isEmpty());
    pChild->SetActiveView(pChild->Tree());
    EXPECT_TRUE(PopupTexts(overSplitter).isEmpty());
    for (CWnd* pBar : std::initializer_list<CWnd*>{
             &f.Main()->GetToolBar(), &f.Main()->GetStatusBar(), &f.Main()->GetPathBar()})
        EXPECT_TRUE(PopupTexts([&] { RightClick(pBar->GetWidget(), QPoint(3, 3)); }).isEmpty())
            << pBar->GetRuntimeClass()->m_lpszClassName;
}

TEST(Resources, menu_items_have_prompts_and_the_keys_they_show_are_theirs)
{
    VelmarRegisterResources();
    const AFX_ACCEL_RESOURCE* pAccel = AfxFindAccelResource(IDR_MAINFRAME);
    ASSERT_NE(pAccel, nullptr);
    std::set<std::pair<BYTE, WORD>> keys;
    for (int i = 0; i < pAccel->nAccels; ++i)
        EXPECT_TRUE(keys.insert({pAccel->pAccels[i].fVirt, pAccel->pAccels[i].key}).second) << i;
    auto commandOf = [&](const QKeySequence& key) -> int
    {
        for (int i = 0; i < pAccel->nAccels; ++i)
            if (AfxAccelKeySequence(pAccel->pAccels[i]) == key)
                return pAccel->pAccels[i].cmd;
        return -1;
    };

    // Both menus, pop-ups within pop-ups, without recursion.
    CMenu menu, bare;
    ASSERT_TRUE(menu.LoadMenu(IDR_XMLTYPE));
    ASSERT_TRUE(bare.LoadMenu(IDR_MAINFRAME));
    // Every command of the document window is reachable from its menu.
    CString text;
    for (UINT nID : {ID_XML_ADD_HEADER, ID_XML_ADD_DATANODE, ID_XML_ADD_PARAM, ID_XML_ADD_REMARK,
                     ID_XML_RENAME, ID_XML_DELETE, ID_XML_MOVE_UP, ID_XML_MOVE_DOWN, ID_XML_PREVIEW,
                     ID_XML_EXPORT_NODE, ID_EDIT_NOTEPAD, ID_FILE_PROPERTY, ID_VIEW_PATHBAR})
        EXPECT_GT(menu.GetMenuString(nID, text, MF_BYCOMMAND), 0) << nID;
    int shownKeys = 0;
    for (CMenu* pMenu : {&menu, &bare})
    {
        std::vector<CMenu*> pending{pMenu};
        while (!pending.empty())
        {
            CMenu* pCur = pending.back();
            pending.pop_back();
            std::set<QChar> mnemonics; // each answers to one item of its menu
            for (int i = 0; i < pCur->GetMenuItemCount(); ++i)
            {
                pCur->GetMenuString(i, text, MF_BYPOSITION);
                if (const qsizetype amp = AfxToQString(text).indexOf('&'); amp >= 0)
                {
                    EXPECT_TRUE(mnemonics.insert(AfxToQString(text)[amp + 1].toLower()).second)
                        << AfxToQString(text).toStdString();
                }
                const UINT nID = pCur->GetMenuItemID(i);
                if (nID == static_cast<UINT>(-1))
                {
                    pending.push_back(pCur->GetSubMenu(i));
                    continue;
                }
                if (nID == 0)
                    continue;
                EXPECT_NE(AfxFindStringResource(nID), nullptr) << nID;
                pCur->GetMenuString(i, text, MF_BYPOSITION);
                const QString item = AfxToQString(text);
                if (const qsizetype tab = item.indexOf('\t'); tab >= 0)
                {
                    ++shownKeys;
                    const QKeySequence key =
                        QKeySequence::fromString(item.mid(tab + 1), QKeySequence::PortableText);
                    EXPECT_EQ(commandOf(key), static_cast<int>(nID)) << item.toStdString();
                }
            }
        }
    }
    EXPECT_GT(shownKeys, 3);
    EXPECT_EQ(commandOf(QKeySequence(Qt::SHIFT | Qt::Key_F10)), ID_XML_CONTEXT_MENU);
}

TEST(MainFrame, help_opens_the_help_pages_in_the_browser_or_says_where_they_are)
{
    EditorFixture f;
    const std::wstring dir = FindHelpDirectory(HelpDirectories());
    ASSERT_FALSE(dir.empty());
    std::vector<std::vector<std::string>> launches;
    DWORD result = ERROR_SUCCESS;
    setenv("BROWSER", "/bin/true", 1);
    CoInitialize(nullptr); // as the editor's start-up does
    w32::SetLauncher(
        [&](const w32::LaunchRequest& request, int*)
        {
            launches.push_back(request.argv);
            return result;
        });
    const std::string index =
        w32::FileUrl(QString::fromStdWString(dir + L"/index.html").toStdString());
    for (UINT nID : {ID_HELP, ID_HELP_FINDER, ID_CONTEXT_HELP, ID_DEFAULT_HELP})
    {
        f.Main()->SendMessage(WM_COMMAND, nID);
        ASSERT_FALSE(launches.empty()) << nID;
        EXPECT_EQ(launches.back(), (std::vector<std::string>{"/bin/true", index}));
    }
    EXPECT_TRUE(f.user.boxes.empty());
    result = ERROR_FILE_NOT_FOUND;
    f.Main()->SendMessage(WM_COMMAND, ID_HELP);
    ASSERT_EQ(f.user.boxes.size(), 1u);
    EXPECT_NE(f.user.LastText().find(dir), std::wstring::npos) << f.user.LastText();
    w32::SetLauncher({});
    CoUninitialize();
    unsetenv("BROWSER");
}

TEST(Resources, tool_bar_images_are_one_per_button_and_transparent_around)
{
    const std::string& strip = VelmarToolBarStrip();
    QImage image;
    ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(strip.data()),
                                   static_cast<int>(strip.size())));
    int count = 0;
    const UINT* pButtons = VelmarToolBarButtons(&count);
    int images = 0;
    for (int i = 0; i < count; ++i)
        images += pButtons[i] != ID_SEPARATOR;
    EXPECT_EQ(images, VelmarToolBarImageCount());
    EXPECT_EQ(image.size(), QSize(16 * images, 16));
    ASSERT_TRUE(image.hasAlphaChannel());
    // Each picture leaves some of its square transparent and draws something.
    for (int n = 0; n < images; ++n)
    {
        int clear = 0, drawn = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 16 * n; x < 16 * n + 16; ++x)
                ++(qAlpha(image.pixel(x, y)) == 0 ? clear : drawn);
        EXPECT_GT(clear, 0) << n;
        EXPECT_GT(drawn, 40) << n;
    }
    const std::string& icon = VelmarAppIcon();
    ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(icon.data()),
                                   static_cast<int>(icon.size())));
    EXPECT_EQ(image.size(), QSize(32, 32));
}

TEST(MainFrame, print_button_follows_the_content_pane)
{
    EditorFixture f;
    CTestChildFrame* pChild = OpenSmall(f);
    ASSERT_NE(pChild, nullptr);
    CToolBar& bar = f.Main()->GetToolBar();
    const int print = bar.CommandToIndex(ID_FILE_PRINT);
    const int open = bar.CommandToIndex(ID_FILE_OPEN);
    ASSERT_GE(print, 0);
    auto disabled = [&](int index)
    {
        bar.OnUpdateCmdUI(f.Main(), TRUE);
        return (bar.GetButtonStyle(index) & TBBS_DISABLED) != 0;
    };
    EXPECT_EQ(pChild->GetActiveView(), pChild->Tree());
    EXPECT_TRUE(disabled(print));
    EXPECT_FALSE(disabled(open));
    pChild->SetActiveView(pChild->Content());
    EXPECT_FALSE(disabled(print));
    pChild->SetActiveView(pChild->Tree());
    EXPECT_TRUE(disabled(print));
}

TEST(ChildFrame, windows_open_filling_the_client_area_and_cascade_inside_it)
{
    EditorFixture f;
    QMdiArea* pArea = f.Main()->GetMDIArea();
    const QRect client = pArea->viewport()->rect();
    ASSERT_TRUE(f.NewDocument());
    QWidget* pFirst = f.ActiveChild()->GetWidget();
    EXPECT_EQ(pFirst->geometry(), client);
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(f.NewDocument());
    f.Main()->SendMessage(WM_COMMAND, ID_WINDOW_CASCADE);
    for (QMdiSubWindow* pSub : pArea->subWindowList())
    {
        EXPECT_TRUE(client.contains(pSub->geometry())) << pSub->geometry().x();
        EXPECT_GE(pSub->width(), 300); // never shrunk to nothing by their number
    }
    // The next window opens as the last one was left.
    f.app.CloseAllDocuments(FALSE);
    f.Spin();
    for (bool maximized : {true, false, true})
    {
        ASSERT_TRUE(f.NewDocument());
        EXPECT_EQ(f.ActiveChild()->GetWidget()->isMaximized(), !maximized);
        if (maximized)
            f.ActiveChild()->MDIMaximize();
        else
            f.ActiveChild()->MDIRestore();
        f.ActiveChild()->SendMessage(WM_CLOSE);
        f.Spin();
    }
}
