// The edit view on a real QPlainTextEdit: change notifications, the edit
// commands and their update rules, searching and replacing, the Find and
// Replace dialogs, styles, the control's own context menu and printing.
#include "velmar/framework/framework.h"
#include "support/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <utility>

using namespace testsupport;

namespace
{

class CEditTestDoc : public CDocument
{
    DECLARE_DYNCREATE(CEditTestDoc)
};
IMPLEMENT_DYNCREATE(CEditTestDoc, CDocument)

// The window the view sits in; it hears EN_CHANGE after the view's reflection.
class CEditHost : public CWnd
{
    DECLARE_DYNCREATE(CEditHost)
public:
    int m_nChanges = 0;
    void OnChange() { ++m_nChanges; }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CEditHost, CWnd)
BEGIN_MESSAGE_MAP(CEditHost, CWnd)
ON_CONTROL(EN_CHANGE, AFX_IDW_PANE_FIRST, &CEditHost::OnChange)
END_MESSAGE_MAP()

// A view that counts failed searches and prints to a PDF file instead of asking.
class CProbeEditView : public CEditView
{
    DECLARE_DYNCREATE(CProbeEditView)
public:
    int m_nNotFound = 0;
    QString m_pdfPath;
    void OnTextNotFound(LPCWSTR) override { ++m_nNotFound; }
    BOOL OnPreparePrinting(QPrinter* pPrinter, BOOL) override
    {
        if (m_pdfPath.isEmpty())
            return FALSE;
        pPrinter->setOutputFormat(QPrinter::PdfFormat);
        pPrinter->setOutputFileName(m_pdfPath);
        return TRUE;
    }
};
IMPLEMENT_DYNCREATE(CProbeEditView, CEditView)

// A view that writes changes back itself, as a content pane does: its reflection
// replaces the edit view's, so neither the document nor the parent hears of them.
class COwnChangeView : public CEditView
{
    DECLARE_DYNCREATE(COwnChangeView)
public:
    int m_nOwnChanges = 0;
    int m_nContextMenus = 0;
    CWnd* m_pContextWnd = nullptr;
    void OnOwnChange() { ++m_nOwnChanges; }
    void OnContextMenu(CWnd* pWnd, CPoint)
    {
        ++m_nContextMenus;
        m_pContextWnd = pWnd;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(COwnChangeView, CEditView)
BEGIN_MESSAGE_MAP(COwnChangeView, CEditView)
ON_CONTROL_REFLECT(EN_CHANGE, &COwnChangeView::OnOwnChange)
ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

// A host window, a document and an edit view of class T in it.
template <class T> struct EditFixture
{
    std::unique_ptr<CEditHost> host = std::make_unique<CEditHost>();
    std::unique_ptr<CEditTestDoc> doc = std::make_unique<CEditTestDoc>();
    T* view = new T;

    EditFixture()
    {
        doc->m_bAutoDelete = FALSE; // the fixture owns it
        host->CreateEx(0, nullptr, L"host", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr);
        CCreateContext context;
        context.m_pCurrentDoc = doc.get();
        if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 400, 300), host.get(),
                          AFX_IDW_PANE_FIRST, &context))
            view = nullptr;
        host->ShowWindow(SW_SHOW);
    }
    ~EditFixture()
    {
        host->DestroyWindow(); // the view goes with it and deletes itself
        SpinEvents(0);
    }
    QPlainTextEdit* Control() const { return view->GetTextControl(); }
    bool Enabled(UINT nID) const { return CommandEnabled(view, nID); }
    void Command(UINT nID) const { view->SendMessage(WM_COMMAND, nID); }
    std::pair<int, int> Selection() const
    {
        int s = 0, e = 0;
        view->GetEditCtrl().GetSel(s, e);
        return {s, e};
    }
};

} // namespace

TEST(EditView, change_notification_for_typing_never_for_program_text)
{
    EditFixture<CEditView> f;
    ASSERT_NE(f.view, nullptr);
    f.view->SetWindowText(L"abc");
    EXPECT_EQ(f.view->GetWindowText(), CString(L"abc"));
    EXPECT_EQ(f.host->m_nChanges, 0);
    EXPECT_FALSE(f.doc->IsModified());

    // Typing: the view's own reflection marks the document, then the parent hears of it.
    f.view->GetEditCtrl().SetSel(3, 3);
    QTest::keyClick(f.Control(), 'x');
    EXPECT_EQ(f.view->GetWindowText(), CString(L"abcx"));
    EXPECT_EQ(f.host->m_nChanges, 1);
    EXPECT_TRUE(f.doc->IsModified());

    // Commands are the user's edits too; setting the text again is not, and clears undo.
    f.view->GetEditCtrl().SetSel(0, 1);
    f.Command(ID_EDIT_CUT);
    EXPECT_EQ(f.view->GetWindowText(), CString(L"bcx"));
    EXPECT_EQ(f.host->m_nChanges, 2);
    f.doc->SetModifiedFlag(FALSE);
    f.view->SetWindowText(L"line one\r\nline two");
    EXPECT_EQ(f.host->m_nChanges, 2);
    EXPECT_FALSE(f.doc->IsModified());
    EXPECT_FALSE(f.view->GetEditCtrl().CanUndo());
    EXPECT_EQ(f.view->GetWindowText(), CString(L"line one\nline two"));
    EXPECT_EQ(f.view->GetEditCtrl().GetLineCount(), 2);

    // No-break spaces survive, and selections count characters of the wide text.
    f.view->SetWindowText(L"a\u00A0b \U0001F600xy");
    EXPECT_EQ(f.view->GetWindowText(), CString(L"a\u00A0b \U0001F600xy"));
    f.view->GetEditCtrl().SetSel(5, 6);
    EXPECT_EQ(f.view->GetEditCtrl().GetSelText(), CString(L"x"));
    EXPECT_EQ(f.Selection(), std::make_pair(5, 6));
    EXPECT_EQ(f.view->GetWindowTextLength(), 7);
}

TEST(EditView, edit_commands_follow_selection_clipboard_undo_and_state)
{
    EditFixture<CEditView> f;
    ASSERT_NE(f.view, nullptr);
    // "1" or "0" for Undo, Cut, Copy, Paste, Clear and Select All.
    const auto offered = [&f]
    {
        std::string s;
        for (UINT id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_CLEAR,
                        ID_EDIT_SELECT_ALL})
            s += f.Enabled(id) ? '1' : '0';
        return s;
    };
    QApplication::clipboard()->clear();
    EXPECT_EQ(offered(), "000000");
    for (UINT id : {ID_EDIT_FIND, ID_EDIT_REPLACE, ID_EDIT_REPEAT})
        EXPECT_FALSE(f.Enabled(id)) << id;

    f.view->SetWindowText(L"hello world");
    EXPECT_EQ(offered(), "000001");
    EXPECT_TRUE(f.Enabled(ID_EDIT_FIND));
    EXPECT_TRUE(f.Enabled(ID_EDIT_REPLACE));
    f.view->GetEditCtrl().SetSel(0, 5);
    EXPECT_EQ(offered(), "011011");
    f.Command(ID_EDIT_CUT);
    EXPECT_EQ(f.view->GetWindowText(), CString(L" world"));
    EXPECT_EQ(QApplication::clipboard()->text(), QString("hello"));
    EXPECT_EQ(offered(), "100101");
    f.Command(ID_EDIT_UNDO);
    EXPECT_EQ(f.view->GetWindowText(), CString(L"hello world"));
    f.Command(ID_EDIT_SELECT_ALL);
    EXPECT_EQ(f.Selection(), std::make_pair(0, 11));
    f.Command(ID_EDIT_PASTE);
    EXPECT_EQ(f.view->GetWindowText(), CString(L"hello"));
    f.Command(ID_EDIT_SELECT_ALL);
    f.Command(ID_EDIT_CLEAR);
    EXPECT_EQ(f.view->GetWindowText(), CString(L""));
    EXPECT_FALSE(f.Enabled(ID_EDIT_SELECT_ALL));

    // Read-only: nothing that changes the text is offered or carried out; Copy still is.
    f.view->SetWindowText(L"fixed text");
    f.view->GetEditCtrl().SetSel(0, 5);
    f.view->ModifyStyle(0, ES_READONLY);
    EXPECT_TRUE(f.view->GetEditCtrl().IsReadOnly());
    EXPECT_EQ(offered(), "001001");
    EXPECT_FALSE(f.Enabled(ID_EDIT_REPLACE));
    f.Command(ID_EDIT_PASTE);
    f.view->GetEditCtrl().Cut();
    EXPECT_EQ(f.view->GetWindowText(), CString(L"fixed text"));
    f.view->GetEditCtrl().SetReadOnly(FALSE);
    EXPECT_FALSE(f.view->GetStyle() & ES_READONLY);

    // A disabled pane takes no paste either: its text would be written nowhere sensible.
    f.view->EnableWindow(FALSE);
    EXPECT_FALSE(f.Enabled(ID_EDIT_PASTE));
    f.view->GetEditCtrl().Paste();
    EXPECT_EQ(f.view->GetWindowText(), CString(L"fixed text"));
    EXPECT_EQ(f.host->m_nChanges, 4); // cut, undo, paste and clear above
}

TEST(EditView, find_next_wraps_direction_case_whole_word_and_replace_all_counts)
{
    EditFixture<CProbeEditView> f;
    ASSERT_NE(f.view, nullptr);
    CEdit& edit = f.view->GetEditCtrl();
    // Each search starts from where the one before left the selection.
    const struct
    {
        const wchar_t* what;
        BOOL down, matchCase, wrap, found;
        std::pair<int, int> selection;
    } steps[] = {
        {L"one", TRUE, TRUE, TRUE, TRUE, {0, 3}},
        {L"one", TRUE, TRUE, TRUE, TRUE, {16, 19}},
        {L"one", TRUE, TRUE, FALSE, FALSE, {16, 19}}, // no wrap: stays
        {L"one", TRUE, TRUE, TRUE, TRUE, {0, 3}},     // wraps to the start
        {L"one", TRUE, FALSE, TRUE, TRUE, {8, 11}},
        {L"two", FALSE, TRUE, TRUE, TRUE, {4, 7}},   // up from 8
        {L"two", FALSE, TRUE, TRUE, TRUE, {12, 15}}, // up wraps to the last
        {L"three", TRUE, FALSE, TRUE, FALSE, {12, 15}},
    };
    f.view->SetWindowText(L"one two One two one");
    edit.SetSel(0, 0);
    for (size_t i = 0; i < std::size(steps); ++i)
    {
        SCOPED_TRACE(i);
        const auto& step = steps[i];
        EXPECT_EQ(f.view->FindText(step.what, step.down, step.matchCase, FALSE, step.wrap),
                  step.found);
        EXPECT_EQ(f.Selection(), step.selection);
    }
    f.view->SetWindowText(L"once on_on on");
    EXPECT_TRUE(f.view->FindText(L"on", TRUE, TRUE, TRUE));
    EXPECT_EQ(f.Selection(), std::make_pair(11, 13));

    // Replace: the first press finds, the next replaces and moves on; a miss is reported.
    f.view->SetWindowText(L"cat dog cat");
    edit.SetSel(0, 0);
    f.view->OnReplaceSel(L"cat", TRUE, TRUE, FALSE, L"cow");
    EXPECT_EQ(f.view->GetWindowText(), CString(L"cat dog cat"));
    EXPECT_EQ(f.Selection(), std::make_pair(0, 3));
    f.view->OnReplaceSel(L"cat", TRUE, TRUE, FALSE, L"cow");
    EXPECT_EQ(f.view->GetWindowText(), CString(L"cow dog cat"));
    EXPECT_EQ(f.Selection(), std::make_pair(8, 11));
    f.view->OnReplaceSel(L"cat", TRUE, TRUE, FALSE, L"cow");
    EXPECT_EQ(f.view->GetWindowText(), CString(L"cow dog cow"));
    EXPECT_EQ(f.view->m_nNotFound, 1);

    // Replace all: every occurrence in one undo step, also when the replacement holds the text.
    f.view->SetWindowText(L"a-A-a");
    EXPECT_EQ(f.view->ReplaceAllText(L"a", L"aa", FALSE, FALSE), 3);
    EXPECT_EQ(f.view->GetWindowText(), CString(L"aa-aa-aa"));
    f.view->GetEditCtrl().Undo();
    EXPECT_EQ(f.view->GetWindowText(), CString(L"a-A-a"));
    EXPECT_EQ(f.view->ReplaceAllText(L"a", L"b", TRUE, FALSE), 2);
    EXPECT_EQ(f.view->GetWindowText(), CString(L"b-A-b"));
    f.view->OnReplaceAll(L"zzz", L"y", TRUE, FALSE);
    EXPECT_EQ(f.view->m_nNotFound, 2);
}

TEST(EditView, find_and_replace_dialogs_are_modeless_and_drive_the_view)
{
    EditFixture<CProbeEditView> f;
    ASSERT_NE(f.view, nullptr);
    f.view->SetWindowText(L"red green Red green red");
    f.view->GetEditCtrl().SetSel(4, 9); // "green" becomes what to find
    f.Command(ID_EDIT_FIND);
    CFindReplaceDialog* pDialog = CEditView::GetFindReplaceDialog();
    ASSERT_NE(pDialog, nullptr);
    auto* pWidget = qobject_cast<QDialog*>(pDialog->GetWidget());
    ASSERT_NE(pWidget, nullptr);
    EXPECT_TRUE(pWidget->isVisible());
    EXPECT_FALSE(pWidget->isModal());
    EXPECT_EQ(pWidget->windowTitle(), QString("Find"));
    auto* pFind = pWidget->findChild<QLineEdit*>("findWhat");
    ASSERT_NE(pFind, nullptr);
    EXPECT_EQ(pFind->text(), QString("green"));
    pFind->setText("red");
    pWidget->findChild<QCheckBox*>("matchCase")->setChecked(true);
    pWidget->findChild<QPushButton*>("findNext")->click();
    EXPECT_EQ(f.Selection(), std::make_pair(20, 23));
    pWidget->findChild<QRadioButton*>("up")->setChecked(true);
    pWidget->findChild<QPushButton*>("findNext")->click();
    EXPECT_EQ(f.Selection(), std::make_pair(0, 3));
    pFind->clear();
    EXPECT_FALSE(pWidget->findChild<QPushButton*>("findNext")->isEnabled());

    // Replace takes the Find dialog's place.
    f.Command(ID_EDIT_REPLACE);
    SpinEvents(0);
    CFindReplaceDialog* pReplace = CEditView::GetFindReplaceDialog();
    ASSERT_NE(pReplace, nullptr);
    EXPECT_FALSE(pReplace->IsFindOnly());
    auto* pReplaceWidget = qobject_cast<QDialog*>(pReplace->GetWidget());
    ASSERT_NE(pReplaceWidget, nullptr);
    EXPECT_EQ(pReplaceWidget->windowTitle(), QString("Replace"));
    EXPECT_EQ(pReplaceWidget->findChild<QLineEdit*>("findWhat")->text(), QString("red"));
    EXPECT_TRUE(pReplaceWidget->findChild<QCheckBox*>("matchCase")->isChecked());
    pReplaceWidget->findChild<QLineEdit*>("replaceWith")->setText("blue");
    pReplaceWidget->findChild<QPushButton*>("replaceAll")->click();
    EXPECT_EQ(f.view->GetWindowText(), CString(L"blue green Red green blue"));
    EXPECT_EQ(f.host->m_nChanges, 1);

    // Escape ends the dialog; Repeat then searches with what it last had.
    QTest::keyClick(pReplaceWidget, Qt::Key_Escape);
    SpinEvents(0);
    EXPECT_EQ(CEditView::GetFindReplaceDialog(), nullptr);
    EXPECT_EQ(CEditView::GetLastFindString(), CString(L"red"));
    EXPECT_TRUE(f.Enabled(ID_EDIT_REPEAT));
    f.view->GetEditCtrl().SetSel(0, 0);
    f.Command(ID_EDIT_REPEAT);
    EXPECT_EQ(f.view->m_nNotFound, 1); // "red" with case matched is gone
    f.view->SetWindowText(L"x red");
    f.view->GetEditCtrl().SetSel(0, 0);
    f.Command(ID_EDIT_REPEAT);
    EXPECT_EQ(f.Selection(), std::make_pair(2, 5));

    // A dialog left open goes with its view.
    f.Command(ID_EDIT_FIND);
    ASSERT_NE(CEditView::GetFindReplaceDialog(), nullptr);
    f.view->DestroyWindow();
    f.view = nullptr;
    SpinEvents(0);
    EXPECT_EQ(CEditView::GetFindReplaceDialog(), nullptr);
}

TEST(EditView, styles_map_to_the_control)
{
    EditFixture<CEditView> f;
    ASSERT_NE(f.view, nullptr);
    QPlainTextEdit* p = f.Control();
    const auto highlight = [p](QPalette::ColorGroup group)
    { return p->palette().color(group, QPalette::Highlight); };
    EXPECT_EQ(p->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(highlight(QPalette::Inactive), highlight(QPalette::Active)); // ES_NOHIDESEL

    // As a content pane sets itself up: wrapping at the edge, Enter kept.
    f.view->GetEditCtrl().ModifyStyle(ES_AUTOHSCROLL, ES_MULTILINE | ES_NOHIDESEL | ES_WANTRETURN);
    EXPECT_EQ(f.view->GetStyle() & (ES_AUTOHSCROLL | ES_WANTRETURN), (DWORD)ES_WANTRETURN);
    EXPECT_EQ(f.view->GetEditCtrl().GetStyle(), f.view->GetStyle());
    EXPECT_EQ(p->lineWrapMode(), QPlainTextEdit::WidgetWidth);

    f.view->ModifyStyle(ES_NOHIDESEL, ES_READONLY);
    EXPECT_TRUE(p->isReadOnly());
    EXPECT_NE(highlight(QPalette::Inactive), highlight(QPalette::Active));
}

TEST(EditView, context_menu_and_changes_go_to_a_derived_view_that_handles_them)
{
    EditFixture<CEditView> f;
    ASSERT_NE(f.view, nullptr);
    QApplication::clipboard()->setText("clip");
    f.view->SetWindowText(L"some text");
    f.view->GetEditCtrl().SetSel(0, 4);
    // A right click shows the control's own menu; its Cut acts on the control itself.
    const PopupItems shown =
        WatchPopup([&f] { RightClick(f.Control()->viewport(), QPoint(5, 5)); },
                   [](QMenu* pMenu)
                   {
                       pMenu->actions()[2]->trigger(); // after Undo and a separator
                       pMenu->close();
                   });
    EXPECT_EQ(shown.texts,
              QStringList({"&Undo", "Cu&t", "&Copy", "&Paste", "&Delete", "Select &All"}));
    EXPECT_EQ(shown.enabled, QList<bool>({false, true, true, true, true, true}));
    EXPECT_EQ(f.view->GetWindowText(), CString(L" text"));

    // A view with its own handler gets WM_CONTEXTMENU instead, naming itself; its own
    // reflection of EN_CHANGE replaces the edit view's: neither the document nor the
    // parent hears of the typing.
    EditFixture<COwnChangeView> g;
    ASSERT_NE(g.view, nullptr);
    RightClick(g.Control()->viewport(), QPoint(5, 5));
    EXPECT_EQ(g.view->m_nContextMenus, 1);
    EXPECT_EQ(g.view->m_pContextWnd, g.view);
    g.view->SetWindowText(L"value");
    EXPECT_EQ(g.view->m_nOwnChanges, 0);
    g.view->GetEditCtrl().SetSel(0, -1);
    QTest::keyClick(g.Control(), 'z');
    QTest::keyClick(g.Control(), Qt::Key_Return);
    EXPECT_EQ(g.view->GetWindowText(), CString(L"z\n"));
    EXPECT_EQ(g.view->m_nOwnChanges, 2);
    EXPECT_EQ(g.host->m_nChanges, 0);
    EXPECT_FALSE(g.doc->IsModified());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST(EditView, print_renders_every_page_of_the_text)
{
    QTemporaryDir dir;
    EditFixture<CProbeEditView> f;
    ASSERT_NE(f.view, nullptr);
    // The pages `text` printed by command nID comes to in a PDF file, -1 for no file.
    const auto pages = [&](const std::wstring& text, UINT nID, const char* name)
    {
        f.view->SetWindowText(text.c_str());
        f.view->m_pdfPath = dir.filePath(name);
        f.Command(nID);
        QFile file(f.view->m_pdfPath);
        if (!file.open(QIODevice::ReadOnly))
            return qsizetype(-1);
        return QString::fromLatin1(file.readAll()).count(QRegularExpression("/Type\\s*/Page\\b"));
    };
    std::wstring longText;
    for (int i = 0; i < 300; ++i)
        longText += L"line " + std::to_wstring(i) + L"\n";
    const qsizetype nShort = pages(L"a short text", ID_FILE_PRINT, "short.pdf");
    EXPECT_GE(nShort, 1);
    EXPECT_GT(pages(longText, ID_FILE_PRINT_DIRECT, "long.pdf"), nShort);
}
