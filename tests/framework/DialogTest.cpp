// Dialogs from templates: controls laid out in dialog units and found by id,
// initialisation before showing, the show-window message, and the ways a
// modal dialog ends.
#include "TestApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace testsupport;

namespace
{

class CTestAboutDlg : public CDialog
{
public:
    CTestAboutDlg() : CDialog(IDD_ABOUTBOX) {}

    std::function<void(CTestAboutDlg*)> onShown; // what the scripted user does once it is up
    std::vector<std::string> log;
    QRect infoRect, okRect, iconRect;
    bool iconShown = false;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        log.push_back(IsWindowVisible() ? "init visible" : "init hidden");
        CString text;
        text.LoadString(IDC_INFO);
        if (CWnd* pInfo = GetDlgItem(IDC_INFO))
            pInfo->SetWindowText(text);
        infoRect = GetDlgItem(IDC_INFO)->GetWidget()->geometry();
        okRect = GetDlgItem(IDOK)->GetWidget()->geometry();
        for (QLabel* pLabel : GetWidget()->findChildren<QLabel*>())
            if (!pLabel->pixmap().isNull())
            {
                iconRect = pLabel->geometry();
                iconShown = pLabel->pixmap().toImage().pixelColor(16, 16) == QColor(Qt::blue);
            }
        return TRUE;
    }

    void OnShowWindow(BOOL bShow, UINT nStatus)
    {
        CDialog::OnShowWindow(bShow, nStatus);
        if (!bShow)
            return;
        log.push_back("shown");
        SetDlgItemText(IDC_BUILD, L"Built: Jun 12 2009,00:16:47.");
        if (onShown)
        {
            auto action = onShown;
            QTimer::singleShot(10, QApplication::instance(), [this, action]() { action(this); });
        }
    }

    void OnCancel() override
    {
        log.push_back("cancel");
        CDialog::OnCancel();
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestAboutDlg, CDialog)
ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

QPushButton* Button(CDialog* pDlg, int nID)
{
    CWnd* pItem = pDlg->GetDlgItem(nID);
    return pItem ? qobject_cast<QPushButton*>(pItem->GetWidget()) : nullptr;
}

} // namespace

TEST(Dialog, template_controls_are_laid_out_in_dialog_units_and_found_by_id)
{
    AppFixture f;
    CTestAboutDlg dlg;
    CString info, build, label;
    QSize dialogSize;
    dlg.onShown = [&](CTestAboutDlg* p)
    {
        p->GetDlgItemText(IDC_INFO, info);
        p->GetDlgItemText(IDC_BUILD, build);
        dialogSize = p->GetWidget()->size();
        const auto pLabels = p->GetWidget()->findChildren<QLabel*>();
        for (QLabel* l : pLabels)
            if (l->text().startsWith("Bars"))
                label = AfxFromQString(l->text());
        EXPECT_EQ(p->GetWidget()->windowTitle(), QString("About Bars"));
        EXPECT_TRUE(Button(p, IDOK)->isDefault());
        EXPECT_TRUE(
            qobject_cast<QPlainTextEdit*>(p->GetDlgItem(IDC_INFO)->GetWidget())->isReadOnly());
        QTest::mouseClick(Button(p, IDOK), Qt::LeftButton);
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"init hidden", "shown"}));
    EXPECT_EQ(info, CString(L"Parsed by the I/O library."));
    EXPECT_EQ(build, CString(L"Built: Jun 12 2009,00:16:47."));
    EXPECT_EQ(label, CString(L"Bars Version 1.0")); // the "&" of a prefix is not shown
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);          // the window is gone afterwards

    // Positions follow the dialog units of the template's font.
    RECT r = {140, 65, 188, 78};
    dlg.MapDialogRect(&r);
    EXPECT_EQ(dlg.okRect, QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
    RECT whole = {0, 0, 199, 83};
    dlg.MapDialogRect(&whole);
    EXPECT_EQ(dialogSize, QSize(whole.right, whole.bottom));
    // The icon control shows icon resource 300 at its place, at the icon's size.
    EXPECT_TRUE(dlg.iconShown);
    RECT icon = {11, 12, 31, 32};
    dlg.MapDialogRect(&icon);
    EXPECT_EQ(dlg.iconRect, QRect(icon.left, icon.top, 32, 32));
    EXPECT_GT(dlg.infoRect.width(), 100); // 100 units are wider than 100 pixels
    EXPECT_LT(dlg.infoRect.left(), dlg.okRect.left());
    EXPECT_LT(dlg.infoRect.top(), dlg.okRect.top());
}

TEST(Dialog, modal_dialog_ends_by_cancel_escape_enter_close_or_end_dialog)
{
    AppFixture f;
    const struct
    {
        const char* how;
        std::function<void(CTestAboutDlg*)> end;
        INT_PTR result;
    } ends[] = {
        {"Cancel", [](CTestAboutDlg* p) { QTest::mouseClick(Button(p, IDCANCEL), Qt::LeftButton); },
         IDCANCEL},
        {"Escape", [](CTestAboutDlg* p) { QTest::keyClick(p->GetWidget(), Qt::Key_Escape); },
         IDCANCEL},
        {"Enter", [](CTestAboutDlg* p) { QTest::keyClick(p->GetWidget(), Qt::Key_Return); }, IDOK},
        {"close box", [](CTestAboutDlg* p) { p->GetWidget()->close(); }, IDCANCEL},
        {"EndDialog", [](CTestAboutDlg* p) { p->EndDialog(42); }, 42},
    };
    for (const auto& e : ends)
    {
        CTestAboutDlg dlg;
        dlg.onShown = e.end;
        EXPECT_EQ(dlg.DoModal(), e.result) << e.how;
        // Every way to cancel goes through OnCancel.
        EXPECT_EQ(dlg.log.back() == "cancel", e.result == IDCANCEL) << e.how;
    }
    // No template: -1 at once.
    CDialog missing(4711);
    EXPECT_EQ(missing.DoModal(), -1);
}
