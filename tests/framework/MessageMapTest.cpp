// Run-time classes, message maps, window messages and notification reflection.
#include "velmar/framework/framework.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

namespace
{

#define WM_TEST (WM_USER + 1)
#define IDC_CHILD 100
#define NM_TEST ((UINT)-700)
#define EN_TEST 0x0300

std::vector<std::string> g_log;

class CChild : public CWnd
{
    DECLARE_DYNCREATE(CChild)
public:
    BOOL m_bPassNotify = FALSE; // let the parent see the notification too
    BOOL OnReflectNotify(NMHDR*, LRESULT* pResult)
    {
        g_log.push_back("child notify");
        *pResult = 7;
        return !m_bPassNotify;
    }
    void OnReflectCommand() { g_log.push_back("child command"); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CChild, CWnd)
BEGIN_MESSAGE_MAP(CChild, CWnd)
ON_NOTIFY_REFLECT_EX(NM_TEST, &CChild::OnReflectNotify)
ON_CONTROL_REFLECT(EN_TEST, &CChild::OnReflectCommand)
END_MESSAGE_MAP()

class CParent : public CWnd
{
    DECLARE_DYNCREATE(CParent)
public:
    LRESULT OnTest(WPARAM w, LPARAM l) { return (LRESULT)(w * 10 + (WPARAM)l); }
    void OnNotifyTest(NMHDR* p, LRESULT*)
    {
        g_log.push_back("parent notify " + std::to_string(p->idFrom));
    }
    void OnControlTest() { g_log.push_back("parent command"); }
    int OnCreate(LPCREATESTRUCT lpcs)
    {
        g_log.push_back("create");
        return lpcs->lpCreateParams ? -1 : 0;
    }
    void OnDestroy() { g_log.push_back("destroy"); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CParent, CWnd)
BEGIN_MESSAGE_MAP(CParent, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_MESSAGE(WM_TEST, &CParent::OnTest)
ON_NOTIFY(NM_TEST, IDC_CHILD, &CParent::OnNotifyTest)
ON_CONTROL(EN_TEST, IDC_CHILD, &CParent::OnControlTest)
END_MESSAGE_MAP()

} // namespace

TEST(RuntimeClass, kind_of_creation_and_lookup_by_name)
{
    CObject* pObject = RUNTIME_CLASS(CChild)->CreateObject();
    ASSERT_NE(pObject, nullptr);
    EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CChild)));
    EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CCmdTarget)));
    EXPECT_FALSE(pObject->IsKindOf(RUNTIME_CLASS(CParent)));
    EXPECT_EQ(DYNAMIC_DOWNCAST(CParent, pObject), nullptr);
    EXPECT_NE(DYNAMIC_DOWNCAST(CWnd, pObject), nullptr);
    EXPECT_STREQ(pObject->GetRuntimeClass()->m_lpszClassName, "CChild");
    delete pObject;
    EXPECT_EQ(CRuntimeClass::FromName("CParent"), RUNTIME_CLASS(CParent));
    EXPECT_EQ(CRuntimeClass::FromName("NoSuchClass"), nullptr);
    // Abstract or non-creatable classes give no object.
    EXPECT_EQ(RUNTIME_CLASS(CView)->CreateObject(), nullptr);
}

TEST(MessageMap, messages_notifications_and_reflection)
{
    g_log.clear();
    CParent parent;
    ASSERT_TRUE(
        parent.CreateEx(0, nullptr, L"parent", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr));
    CChild child;
    ASSERT_TRUE(child.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &parent,
                             IDC_CHILD));
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_EQ(parent.GetDlgItem(IDC_CHILD), &child);
    EXPECT_EQ(CWnd::FromHandlePermanent(child.GetSafeHwnd()), &child);
    // A widget the framework did not make still gets a window object on request.
    QWidget foreign;
    CWnd* pForeign = CWnd::FromHandle(CWnd::HandleOf(&foreign));
    ASSERT_NE(pForeign, nullptr);
    EXPECT_EQ(pForeign->GetWidget(), &foreign);
    EXPECT_EQ(CWnd::FromHandlePermanent(CWnd::HandleOf(&foreign)), nullptr);
    EXPECT_EQ(GetSystemMetrics(42), 0); // a metric the framework does not know

    // ON_MESSAGE gets both parameters and its result is SendMessage's.
    EXPECT_EQ(parent.SendMessage(WM_TEST, 4, 2), 42);
    // Unhandled messages fall to the default processing: WM_SETTEXT sets the caption.
    parent.SetWindowText(L"renamed");
    EXPECT_EQ(parent.GetWindowText(), CString(L"renamed"));

    // A notification goes to the control first; the _EX handler decides whether the parent sees it.
    NMHDR nm = {child.GetSafeHwnd(), IDC_CHILD, NM_TEST};
    g_log.clear();
    LRESULT r = parent.SendMessage(WM_NOTIFY, IDC_CHILD, (LPARAM)&nm);
    EXPECT_EQ(g_log, (std::vector<std::string>{"child notify"}));
    EXPECT_EQ(r, 7);
    child.m_bPassNotify = TRUE;
    g_log.clear();
    parent.SendMessage(WM_NOTIFY, IDC_CHILD, (LPARAM)&nm);
    EXPECT_EQ(g_log, (std::vector<std::string>{"child notify", "parent notify 100"}));

    // A reflected control command without _EX stops at the control.
    g_log.clear();
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CHILD, EN_TEST), (LPARAM)child.GetSafeHwnd());
    EXPECT_EQ(g_log, (std::vector<std::string>{"child command"}));

    // Posted messages arrive later, and not at all once the window is gone.
    EXPECT_TRUE(parent.PostMessage(WM_SETTEXT, 0, (LPARAM)L"posted"));
    EXPECT_EQ(parent.GetWindowText(), CString(L"renamed"));
    QCoreApplication::processEvents();
    EXPECT_EQ(parent.GetWindowText(), CString(L"posted"));

    g_log.clear();
    parent.PostMessage(WM_SETTEXT, 0, (LPARAM)L"late");
    EXPECT_TRUE(parent.DestroyWindow());
    QCoreApplication::processEvents();
    EXPECT_EQ(g_log, (std::vector<std::string>{"destroy"}));
    EXPECT_EQ(parent.GetSafeHwnd(), nullptr);
    EXPECT_EQ(child.GetSafeHwnd(), nullptr); // children go with their parent
}

TEST(MessageMap, create_fails_when_oncreate_refuses)
{
    g_log.clear();
    CParent wnd;
    int refuse = 1;
    EXPECT_FALSE(
        wnd.CreateEx(0, nullptr, L"x", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, &refuse));
    EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"create", "destroy"}));
}

TEST(Strings, format_is_not_cut_short_and_fields_are_picked_by_index)
{
    CString longText;
    longText.Format(L"%ls", std::wstring(5000, L'x').c_str());
    EXPECT_EQ(longText.GetLength(), 5000);
    CString field;
    EXPECT_TRUE(AfxExtractSubString(field, L"a\nbb\n\nc", 1));
    EXPECT_EQ(field, CString(L"bb"));
    EXPECT_TRUE(AfxExtractSubString(field, L"a\nbb\n\nc", 2));
    EXPECT_TRUE(field.IsEmpty());
    EXPECT_FALSE(AfxExtractSubString(field, L"a\nbb", 5));
}
