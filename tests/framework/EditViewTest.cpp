// The edit view on a real QPlainTextEdit: change notifications, the edit
// commands and their update rules, searching and replacing, the Find and
// Replace dialogs, styles, the control's own context menu and printing.
#include "velmar/framework/framework.h"
#include "support/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

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

void Spin(int ms = 20)
{
    SpinEvents(ms);
}

void Type(QWidget* pWidget, Qt::Key key, const QString& text,
          Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(pWidget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(pWidget, &release);
}

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
        Spin(0);
    }
    QPlainTextEdit* Control() const { return view->GetTextControl(); }
    BOOL Enabled(UINT nID) const
    {
        CTestCmdUI state;
        state.m_nID = nID;
        view->OnCmdMsg(nID, (int)CN_UPDATE_COMMAND_UI, &state, nullptr);
        return state.m_bEnableChanged && state.m_bEnabled;
    }
    void Command(UINT nID) const { view->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0); }
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
    Type(f.Control(), Qt::Key_X, "x");
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
    int s = 0, e = 0;
    f.view->GetEditCtrl().GetSel(s, e);
    EXPECT_EQ(s, 5);
    EXPECT_EQ(e, 6);
    EXPECT_EQ(f.view->GetWindowTextLength(), 7);
}

TEST(EditView, derived_reflection_replaces_the_views_change_handling)
{
    EditFixture<COwnChangeView> f;
    ASSERT_NE(f.view, nullptr);
    f.view->SetWindowText(L"value");
    EXPECT_EQ(f.view->m_nOwnChanges, 0);
    f.view->GetEditCtrl().SetSel(0, -1);
    Type(f.Control(), Qt::Key_Z, "z");
    Type(f.Control(), Qt::Key_Return, "\r");
    EXPECT_EQ(f.view->GetWindowText(), CString(L"z\n"));
    EXPECT_EQ(f.view->m_nOwnChanges, 2);
    EXPECT_EQ(f.host->m_nChanges, 0);
    EXPECT_FALSE(f.doc->IsModified());
}

TEST(EditView, edit_commands_follow_selection_clipboard_undo_and_state)
{
    EditFixture<CEditView> f;
    ASSERT_NE(f.view, nullptr);
    QApplication::clipboard()->clear();
    for (UINT id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_CLEAR,
                    ID_EDIT_SELECT_ALL, ID_EDIT_FIND, ID_EDIT_REPLACE, ID_EDIT_REPEAT})
        EXPECT_FALSE(f.Enabled(id)) << id;

    f.view->SetWindowText(L"hello world");
    EXPECT_TRUE(f.Enabled(ID_EDIT_SELECT_ALL));
    EXPECT_TRUE(f.Enabled(ID_EDIT_FIND));
    EXPECT_TRUE(f.Enabled(ID_EDIT_REPLACE));
    EXPECT_FALSE(f.Enabled(ID_EDIT_CUT));
    EXPECT_FALSE(f.Enabled(ID_EDIT_COPY));
    EXPECT_FALSE(f.Enabled(ID_EDIT_CLEAR));
    EXPECT_FALSE(f.Enabled(ID_EDIT_UNDO));

    f.view->GetEditCtrl().SetSel(0, 5);
    EXPECT_TRUE(f.Enabled(ID_EDIT_CUT));
    EXPECT_TRUE(f.Enabled(ID_EDIT_COPY));
    EXPECT_TRUE(f.Enabled(ID_EDIT_CLEAR));
    f.Command(ID_EDIT_CUT);
    EXPECT_EQ(f.view->GetWindowText(), CString(L" world"));
    EXPECT_EQ(QApplication::clipboard()->text(), QString("hello"));
    EXPECT_TRUE(f.Enabled(ID_EDIT_PASTE));
    EXPECT_TRUE(f.Enabled(ID_EDIT_UNDO));
    f.Command(ID_EDIT_UNDO);
    EXPECT_EQ(f.view->GetWindowText(), CString(L"hello world"));
    f.Command(ID_EDIT_SELECT_ALL);
    int s = 0, e = 0;
    f.view->GetEditCtrl().GetSel(s, e);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(e, 11);
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
    EXPECT_TRUE(f.Enabled(ID_EDIT_COPY));
    for (UINT id : {ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_CLEAR, ID_EDIT_REPLACE})
        EXPECT_FALSE(f.Enabled(id)) << id;
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
    auto sel = [&]()
    {
        int s = 0, e = 0;
        edit.GetSel(s, e);
        return std::make_pair(s, e);
    };
    f.view->SetWindowText(L"one two One two one");
    edit.SetSel(0, 0);
    EXPECT_TRUE(f.view->FindText(L"one", TRUE, TRUE));
    EXPECT_EQ(sel(), std::make_pair(0, 3));
    EXPECT_TRUE(f.view->FindText(L"one", TRUE, TRUE));
    EXPECT_EQ(sel(), std::make_pair(16, 19));
    EXPECT_FALSE(f.view->FindText(L"one", TRUE, TRUE, FALSE, FALSE)); // no wrap: stays
    EXPECT_EQ(sel(), std::make_pair(16, 19));
    EXPECT_TRUE(f.view->FindText(L"one", TRUE, TRUE)); // wraps to the start
    EXPECT_EQ(sel(), std::make_pair(0, 3));
    EXPECT_TRUE(f.view->FindText(L"one", TRUE, FALSE));
    EXPECT_EQ(sel(), std::make_pair(8, 11));
    EXPECT_TRUE(f.view->FindText(L"two", FALSE, TRUE)); // up from 8
    EXPECT_EQ(sel(), std::make_pair(4, 7));
    EXPECT_TRUE(f.view->FindText(L"two", FALSE, TRUE)); // up wraps to the last
    EXPECT_EQ(sel(), std::make_pair(12, 15));
    EXPECT_FALSE(f.view->FindText(L"three", TRUE, FALSE));

    f.view->SetWindowText(L"once on_on on");
    EXPECT_TRUE(f.view->FindText(L"on", TRUE, TRUE, TRUE));
    EXPECT_EQ(sel(), std::make_pair(11, 13));

    // Replace: the first press finds, the next replaces and moves on; a miss is reported.
    f.view->SetWindowText(L"cat dog cat");
    edit.SetSel(0, 0);
    f.view->OnReplaceSel(L"cat", TRUE, TRUE, FALSE, L"cow");
    EXPECT_EQ(f.view->GetWindowText(), CString(L"cat dog cat"));
    EXPECT_EQ(sel(), std::make_pair(0, 3));
    f.view->OnReplaceSel(L"cat", TRUE, TRUE, FALSE, L"cow");
    EXPECT_EQ(f.view->GetWindowText(), CString(L"cow dog cat"));
    EXPECT_EQ(sel(), std::make_pair(8, 11));
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
    int s = 0, e = 0;
    f.view->GetEditCtrl().GetSel(s, e);
    EXPECT_EQ(std::make_pair(s, e), std::make_pair(20, 23));
    pWidget->findChild<QRadioButton*>("up")->setChecked(true);
    pWidget->findChild<QPushButton*>("findNext")->click();
    f.view->GetEditCtrl().GetSel(s, e);
    EXPECT_EQ(std::make_pair(s, e), std::make_pair(0, 3));
    pFind->clear();
    EXPECT_FALSE(pWidget->findChild<QPushButton*>("findNext")->isEnabled());

    // Replace takes the Find dialog's place.
    f.Command(ID_EDIT_REPLACE);
    Spin(0);
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
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(pReplaceWidget, &esc);
    Spin(0);
    EXPECT_EQ(CEditView::GetFindReplaceDialog(), nullptr);
    EXPECT_EQ(CEditView::GetLastFindString(), CString(L"red"));
    EXPECT_TRUE(f.Enabled(ID_EDIT_REPEAT));
    f.view->GetEditCtrl().SetSel(0, 0);
    f.Command(ID_EDIT_REPEAT);
    EXPECT_EQ(f.view->m_nNotFound, 1); // "red" with case matched is gone
    f.view->SetWindowText(L"x red");
    f.view->GetEditCtrl().SetSel(0, 0);
    f.Command(ID_EDIT_REPEAT);
    f.view->GetEditCtrl().GetSel(s, e);
    EXPECT_EQ(std::make_pair(s, e), std::make_pair(2, 5));

    // A dialog left open goes with its view.
    f.Command(ID_EDIT_FIND);
    ASSERT_NE(CEditView::GetFindReplaceDialog(), nullptr);
    f.view->DestroyWindow();
    f.view = nullptr;
    Spin(0);
    EXPECT_EQ(CEditView::GetFindReplaceDialog(), nullptr);
}

TEST(EditView, styles_map_to_the_control)
{
    EditFixture<CEditView> f;
    ASSERT_NE(f.view, nullptr);
    QPlainTextEdit* p = f.Control();
    DWORD style = f.view->GetStyle();
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & ES_AUTOHSCROLL);
    EXPECT_TRUE(style & ES_NOHIDESEL);
    EXPECT_EQ(p->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(p->palette().color(QPalette::Inactive, QPalette::Highlight),
              p->palette().color(QPalette::Active, QPalette::Highlight));

    // As a content pane sets itself up: wrapping at the edge, Enter kept.
    f.view->GetEditCtrl().ModifyStyle(ES_AUTOHSCROLL, ES_MULTILINE | ES_NOHIDESEL | ES_WANTRETURN);
    style = f.view->GetStyle();
    EXPECT_FALSE(style & ES_AUTOHSCROLL);
    EXPECT_TRUE(style & ES_WANTRETURN);
    EXPECT_EQ(f.view->GetEditCtrl().GetStyle(), style);
    EXPECT_EQ(p->lineWrapMode(), QPlainTextEdit::WidgetWidth);

    f.view->ModifyStyle(ES_NOHIDESEL, ES_READONLY);
    EXPECT_TRUE(p->isReadOnly());
    EXPECT_NE(p->palette().color(QPalette::Inactive, QPalette::Highlight),
              p->palette().color(QPalette::Active, QPalette::Highlight));

    f.view->EnableWindow(FALSE);
    EXPECT_FALSE(f.view->IsWindowEnabled());
    EXPECT_TRUE(f.view->GetStyle() & WS_DISABLED);
}

TEST(EditView, context_menu_is_the_controls_own_unless_the_view_handles_it)
{
    EditFixture<CEditView> f;
    ASSERT_NE(f.view, nullptr);
    QApplication::clipboard()->setText("clip");
    f.view->SetWindowText(L"some text");
    f.view->GetEditCtrl().SetSel(0, 4);
    std::unique_ptr<QMenu> pMenu(f.view->GetEditCtrl().CreateContextMenu());
    ASSERT_NE(pMenu, nullptr);
    QStringList texts;
    QList<bool> enabled;
    for (QAction* a : pMenu->actions())
        if (!a->isSeparator())
        {
            texts << a->text();
            enabled << a->isEnabled();
        }
    EXPECT_EQ(texts, QStringList({"&Undo", "Cu&t", "&Copy", "&Paste", "&Delete", "Select &All"}));
    EXPECT_EQ(enabled, QList<bool>({false, true, true, true, true, true}));
    pMenu->actions()[2]->trigger(); // Cut acts on the control itself
    EXPECT_EQ(f.view->GetWindowText(), CString(L" text"));

    // A right click shows that menu; it is closed by the script.
    QStringList shown;
    QTimer::singleShot(50,
                       [&shown]()
                       {
                           if (auto* pPopup =
                                   qobject_cast<QMenu*>(QApplication::activePopupWidget()))
                           {
                               for (QAction* a : pPopup->actions())
                                   if (!a->isSeparator())
                                       shown << a->text();
                               pPopup->close();
                           }
                       });
    QWidget* pViewport = f.Control()->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            pViewport->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(pViewport, &event);
    EXPECT_EQ(shown.size(), 6);

    // A view with its own handler gets WM_CONTEXTMENU instead, naming itself.
    EditFixture<COwnChangeView> g;
    ASSERT_NE(g.view, nullptr);
    QWidget* pOther = g.Control()->viewport();
    QContextMenuEvent event2(QContextMenuEvent::Mouse, QPoint(5, 5),
                             pOther->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(pOther, &event2);
    EXPECT_EQ(g.view->m_nContextMenus, 1);
    EXPECT_EQ(g.view->m_pContextWnd, g.view);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST(EditView, print_renders_every_page_of_the_text)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EditFixture<CProbeEditView> f;
    ASSERT_NE(f.view, nullptr);
    auto pages = [](const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        QByteArray bytes = file.readAll();
        if (!bytes.startsWith("%PDF"))
            return -1;
        return (int)bytes.count("/Type /Page\n") + (int)bytes.count("/Type /Page ") +
               (int)bytes.count("/Type /Page>");
    };
    f.view->SetWindowText(L"a short text");
    f.view->m_pdfPath = dir.filePath("short.pdf");
    f.Command(ID_FILE_PRINT);
    int nShort = pages(f.view->m_pdfPath);
    EXPECT_GE(nShort, 1);

    std::wstring longText;
    for (int i = 0; i < 300; ++i)
        longText += L"line " + std::to_wstring(i) + L"\n";
    f.view->SetWindowText(longText.c_str());
    f.view->m_pdfPath = dir.filePath("long.pdf");
    f.Command(ID_FILE_PRINT_DIRECT);
    EXPECT_GT(pages(f.view->m_pdfPath), nShort);

    // Cancelled at preparation: nothing is written.
    f.view->m_pdfPath.clear();
    f.Command(ID_FILE_PRINT);
    EXPECT_FALSE(QFile::exists(dir.filePath("none.pdf")));
}
