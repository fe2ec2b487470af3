#include "velmar/framework/EditView.h"

#include "LongTextPane.h"
#include "velmar/framework/AfxRes.h"
#include "velmar/framework/CmdUI.h"
#include "velmar/framework/Document.h"
#include "velmar/framework/FindReplaceDialog.h"
#include "velmar/framework/WinApp.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>
#include <string>
#include <vector>

IMPLEMENT_DYNCREATE(CEditView, CView)

BEGIN_MESSAGE_MAP(CEditView, CView)
ON_WM_DESTROY()
ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, &CEditView::OnUpdateEditUndo)
ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, &CEditView::OnUpdateNeedSelEdit)
ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, &CEditView::OnUpdateNeedSel)
ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, &CEditView::OnUpdateNeedClip)
ON_UPDATE_COMMAND_UI(ID_EDIT_CLEAR, &CEditView::OnUpdateNeedSelEdit)
ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, &CEditView::OnUpdateNeedText)
ON_UPDATE_COMMAND_UI(ID_EDIT_FIND, &CEditView::OnUpdateNeedText)
ON_UPDATE_COMMAND_UI(ID_EDIT_REPLACE, &CEditView::OnUpdateNeedTextEdit)
ON_UPDATE_COMMAND_UI(ID_EDIT_REPEAT, &CEditView::OnUpdateNeedFind)
ON_COMMAND(ID_EDIT_UNDO, &CEditView::OnEditUndo)
ON_COMMAND(ID_EDIT_CUT, &CEditView::OnEditCut)
ON_COMMAND(ID_EDIT_COPY, &CEditView::OnEditCopy)
ON_COMMAND(ID_EDIT_PASTE, &CEditView::OnEditPaste)
ON_COMMAND(ID_EDIT_CLEAR, &CEditView::OnEditClear)
ON_COMMAND(ID_EDIT_SELECT_ALL, &CEditView::OnEditSelectAll)
ON_COMMAND(ID_EDIT_FIND, &CEditView::OnEditFind)
ON_COMMAND(ID_EDIT_REPLACE, &CEditView::OnEditReplace)
ON_COMMAND(ID_EDIT_REPEAT, &CEditView::OnEditRepeat)
ON_COMMAND(ID_FILE_PRINT, &CEditView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_DIRECT, &CEditView::OnFilePrintDirect)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, &CEditView::OnFilePrintPreview)
ON_CONTROL_REFLECT_EX(EN_CHANGE, &CEditView::OnEditChange)
ON_MESSAGE(AFX_WM_FINDREPLACE, &CEditView::OnFindReplaceCmd)
END_MESSAGE_MAP()

namespace
{

// The search every edit view shares, as the one Find dialog and Repeat do.
struct EditFindState
{
    CFindReplaceDialog* pDialog = nullptr;
    HWND hWndOwner = nullptr;
    BOOL bFindOnly = TRUE;
    CString strFind;
    CString strReplace;
    BOOL bCase = FALSE;
    BOOL bNext = TRUE;
    BOOL bWord = FALSE;
};

EditFindState& FindState()
{
    static EditFindState state;
    return state;
}

QString RawText(const QPlainTextEdit* p)
{
    QString text = p->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

bool IsWordChar(QChar ch)
{
    return ch.isLetterOrNumber() || ch == QLatin1Char('_');
}

// Occurrences of a search text in a text, with the options of the dialogs.
class CTextSearch
{
public:
    CTextSearch(const QString& text, const QString& find, BOOL bCase, BOOL bWord)
        : m_text(text), m_find(find), m_cs(bCase ? Qt::CaseSensitive : Qt::CaseInsensitive),
          m_bWord(bWord)
    {
    }

    int LastStart() const { return (int)(m_text.size() - m_find.size()); }

    // The first match starting in [from, LastStart()], or -1.
    int Forward(int from) const
    {
        while (from >= 0 && from <= LastStart())
        {
            int pos = (int)m_text.indexOf(m_find, from, m_cs);
            if (pos < 0 || pos > LastStart())
                return -1;
            if (IsWhole(pos))
                return pos;
            from = pos + 1;
        }
        return -1;
    }

    // The last match starting in [0, from], or -1.
    int Backward(int from) const
    {
        from = std::min(from, LastStart());
        while (from >= 0)
        {
            int pos = (int)m_text.lastIndexOf(m_find, from, m_cs);
            if (pos < 0)
                return -1;
            if (IsWhole(pos))
                return pos;
            from = pos - 1;
        }
        return -1;
    }

private:
    bool IsWhole(int pos) const
    {
        if (!m_bWord)
            return true;
        int end = pos + (int)m_find.size();
        return !(pos > 0 && IsWordChar(m_text[pos - 1])) &&
               !(end < m_text.size() && IsWordChar(m_text[end]));
    }

    const QString& m_text;
    const QString& m_find;
    Qt::CaseSensitivity m_cs;
    BOOL m_bWord;
};

} // namespace

CEditView::CEditView() = default;

CEditView::~CEditView() = default;

CEdit& CEditView::GetEditCtrl() const
{
    m_edit.AttachAlias(m_hWnd);
    return m_edit;
}

QPlainTextEdit* CEditView::GetTextControl() const
{
    return CEdit::PlainTextOf(m_hWnd);
}

namespace
{

CLongTextPane* LongTextPaneOf(const QPlainTextEdit* p)
{
    return p ? p->findChild<CLongTextPane*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

} // namespace

void CEditView::ShowLongText(LPCWSTR lpszText, size_t nLength, LPCWSTR lpszNotice,
                             LPCWSTR lpszAction, UINT nActionID)
{
    QPlainTextEdit* p = GetTextControl();
    if (!p)
        return;
    SetWindowText(L"");
    p->setReadOnly(true);
    CLongTextPane* pPane = LongTextPaneOf(p);
    if (!pPane)
        pPane = new CLongTextPane(p);
    pPane->show();
    pPane->raise();
    std::function<void()> onAction;
    if (lpszAction && nActionID)
    {
        const HWND hWnd = m_hWnd;
        onAction = [hWnd, nActionID]()
        {
            if (CWnd* pWnd = CWnd::FromHandlePermanent(hWnd))
                pWnd->SendMessage(WM_COMMAND, MAKEWPARAM(nActionID, 0), 0);
        };
    }
    pPane->SetNotice(AfxToQString(lpszNotice ? lpszNotice : L""),
                     lpszAction && nActionID ? AfxToQString(lpszAction) : QString(),
                     std::move(onAction));
    pPane->SetText(lpszText, lpszText ? nLength : 0);
}

void CEditView::HideLongText()
{
    QPlainTextEdit* p = GetTextControl();
    CLongTextPane* pPane = LongTextPaneOf(p);
    if (!pPane || pPane->isHidden())
        return;
    // Emptied rather than deleted: its own button may be what led here.
    pPane->hide();
    pPane->SetText(nullptr, 0);
    pPane->SetNotice(QString(), QString(), nullptr);
    p->setReadOnly((GetStyle() & ES_READONLY) != 0);
}

BOOL CEditView::IsShowingLongText() const
{
    return GetLongTextPane() != nullptr;
}

QWidget* CEditView::GetLongTextPane() const
{
    CLongTextPane* pPane = LongTextPaneOf(GetTextControl());
    return pPane && !pPane->isHidden() ? pPane : nullptr;
}

BOOL CEditView::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= (LONG)dwStyleDefault;
    return CView::PreCreateWindow(cs);
}

QWidget* CEditView::CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget)
{
    return CEdit::CreatePlainTextControl((DWORD)cs.style, pParentWidget);
}

LRESULT CEditView::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (CEdit::EditWindowProc(m_hWnd, message, wParam, lParam, &result))
        return result;
    return CView::DefWindowProc(message, wParam, lParam);
}

void CEditView::OnDraw(CDC*)
{
    // The edit control paints itself.
}

int CEditView::GetBufferLength() const
{
    return GetWindowTextLength();
}

LPCWSTR CEditView::LockBuffer() const
{
    m_strLocked = GetWindowText();
    return m_strLocked;
}

CString CEditView::GetSelectedText() const
{
    std::wstring text = (LPCWSTR)GetEditCtrl().GetSelText();
    size_t nBreak = text.find_first_of(L"\r\n");
    return CString(nBreak == std::wstring::npos ? text : text.substr(0, nBreak));
}

BOOL CEditView::IsEditable() const
{
    QPlainTextEdit* p = GetTextControl();
    return p && p->isEnabled() && !p->isReadOnly();
}

BOOL CEditView::SameAsSelected(LPCWSTR lpszFind, BOOL bCase, BOOL) const
{
    QPlainTextEdit* p = GetTextControl();
    if (!p || !lpszFind)
        return FALSE;
    QString selected = p->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return QString::compare(selected, AfxToQString(lpszFind),
                            bCase ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

BOOL CEditView::FindText(LPCWSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord, BOOL bWrap)
{
    QPlainTextEdit* p = GetTextControl();
    if (!p || !lpszFind || !*lpszFind)
        return FALSE;
    QString text = RawText(p);
    QString find = AfxToQString(lpszFind);
    CTextSearch search(text, find, bCase, bWord);
    QTextCursor cursor = p->textCursor();
    int nStart = cursor.selectionStart(), nEnd = cursor.selectionEnd();
    int pos = -1;
    if (bNext)
    {
        // Past a selection that is the text itself by one character, so overlapping matches are
        // found too.
        int from = (nStart != nEnd && SameAsSelected(lpszFind, bCase, bWord)) ? nStart + 1 : nStart;
        pos = search.Forward(from);
        if (pos < 0 && bWrap)
            pos = search.Forward(0);
    }
    else
    {
        pos = nStart > 0 ? search.Backward(nStart - 1) : -1;
        if (pos < 0 && bWrap)
            pos = search.Backward(search.LastStart());
    }
    if (pos < 0)
        return FALSE;
    cursor.setPosition(pos);
    cursor.setPosition(pos + (int)find.size(), QTextCursor::KeepAnchor);
    p->setTextCursor(cursor);
    p->ensureCursorVisible();
    return TRUE;
}

int CEditView::ReplaceAllText(LPCWSTR lpszFind, LPCWSTR lpszReplace, BOOL bCase, BOOL bWord)
{
    QPlainTextEdit* p = GetTextControl();
    if (!p || !lpszFind || !*lpszFind || !IsEditable())
        return 0;
    QString text = RawText(p);
    QString find = AfxToQString(lpszFind);
    QString replace = AfxToQString(lpszReplace ? lpszReplace : L"");
    CTextSearch search(text, find, bCase, bWord);
    std::vector<int> found;
    for (int pos = search.Forward(0); pos >= 0; pos = search.Forward(pos + (int)find.size()))
        found.push_back(pos);
    if (found.empty())
        return 0;
    // Back to front, so the positions still to come stay valid; one block is one undo step
    // and one change notification.
    QTextCursor cursor(p->document());
    cursor.beginEditBlock();
    for (auto it = found.rbegin(); it != found.rend(); ++it)
    {
        cursor.setPosition(*it);
        cursor.setPosition(*it + (int)find.size(), QTextCursor::KeepAnchor);
        cursor.insertText(replace);
    }
    cursor.endEditBlock();
    return (int)found.size();
}

void CEditView::OnFindNext(LPCWSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord)
{
    FindState().strFind = lpszFind;
    FindState().bCase = bCase;
    FindState().bNext = bNext;
    FindState().bWord = bWord;
    if (!FindText(lpszFind, bNext, bCase, bWord))
        OnTextNotFound(lpszFind);
}

void CEditView::OnReplaceSel(LPCWSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord,
                             LPCWSTR lpszReplace)
{
    EditFindState& state = FindState();
    state.strFind = lpszFind;
    state.strReplace = lpszReplace;
    state.bCase = bCase;
    state.bNext = bNext;
    state.bWord = bWord;
    // The first press only finds; the ones after replace what was found and find the next.
    if (!SameAsSelected(lpszFind, bCase, bWord))
    {
        if (!FindText(lpszFind, bNext, bCase, bWord))
            OnTextNotFound(lpszFind);
        return;
    }
    if (!IsEditable())
        return;
    GetEditCtrl().ReplaceSel(lpszReplace, TRUE);
    if (!FindText(lpszFind, bNext, bCase, bWord))
        OnTextNotFound(lpszFind);
}

void CEditView::OnReplaceAll(LPCWSTR lpszFind, LPCWSTR lpszReplace, BOOL bCase, BOOL bWord)
{
    EditFindState& state = FindState();
    state.strFind = lpszFind;
    state.strReplace = lpszReplace;
    state.bCase = bCase;
    state.bWord = bWord;
    if (ReplaceAllText(lpszFind, lpszReplace, bCase, bWord) == 0)
        OnTextNotFound(lpszFind);
}

void CEditView::OnTextNotFound(LPCWSTR)
{
    QApplication::beep();
}

CFindReplaceDialog* CEditView::GetFindReplaceDialog()
{
    return FindState().pDialog;
}

CString CEditView::GetLastFindString()
{
    return FindState().strFind;
}

void CEditView::OnEditFindReplace(BOOL bFindOnly)
{
    EditFindState& state = FindState();
    if (state.pDialog)
    {
        if (state.bFindOnly == bFindOnly && state.hWndOwner == m_hWnd)
        {
            state.pDialog->SetActiveWindow();
            state.pDialog->ShowWindow(SW_SHOW);
            return;
        }
        // The other kind, or another view's: that one goes, this view's opens.
        state.pDialog->DestroyWindow();
        state.pDialog = nullptr;
    }
    CString strFind = GetSelectedText();
    if (strFind.IsEmpty())
        strFind = state.strFind;
    DWORD dwFlags = (state.bNext ? FR_DOWN : 0) | (state.bCase ? FR_MATCHCASE : 0) |
                    (state.bWord ? FR_WHOLEWORD : 0);
    auto* pDialog = new CFindReplaceDialog;
    if (!pDialog->Create(bFindOnly, strFind, state.strReplace, dwFlags, this))
    {
        if (!pDialog->GetSafeHwnd())
            delete pDialog;
        return;
    }
    state.pDialog = pDialog;
    state.hWndOwner = m_hWnd;
    state.bFindOnly = bFindOnly;
}

LRESULT CEditView::OnFindReplaceCmd(WPARAM, LPARAM lParam)
{
    EditFindState& state = FindState();
    CFindReplaceDialog* pDialog = CFindReplaceDialog::GetNotifier(lParam);
    if (!pDialog)
        return 0;
    state.strFind = pDialog->GetFindString();
    state.strReplace = pDialog->GetReplaceString();
    state.bCase = pDialog->MatchCase();
    state.bWord = pDialog->MatchWholeWord();
    if (pDialog->IsFindOnly())
        state.bNext = pDialog->SearchDown();
    if (pDialog->IsTerminating())
    {
        if (state.pDialog == pDialog)
        {
            state.pDialog = nullptr;
            state.hWndOwner = nullptr;
        }
    }
    else if (pDialog->FindNext())
    {
        OnFindNext(state.strFind, pDialog->SearchDown(), state.bCase, state.bWord);
    }
    else if (pDialog->ReplaceCurrent())
    {
        OnReplaceSel(state.strFind, TRUE, state.bCase, state.bWord, state.strReplace);
    }
    else if (pDialog->ReplaceAll())
    {
        OnReplaceAll(state.strFind, state.strReplace, state.bCase, state.bWord);
    }
    return 0;
}

void CEditView::OnDestroy()
{
    EditFindState& state = FindState();
    if (state.pDialog && state.hWndOwner == m_hWnd)
    {
        CFindReplaceDialog* pDialog = state.pDialog;
        state.pDialog = nullptr;
        state.hWndOwner = nullptr;
        pDialog->DestroyWindow();
    }
    CView::OnDestroy();
}

BOOL CEditView::OnEditChange()
{
    // The user changed the text: the document is modified; the parent hears of it too.
    if (CDocument* pDoc = GetDocument())
        pDoc->SetModifiedFlag(TRUE);
    return FALSE;
}

// ---- commands

void CEditView::OnEditUndo()
{
    GetEditCtrl().Undo();
}

void CEditView::OnEditCut()
{
    GetEditCtrl().Cut();
}

void CEditView::OnEditCopy()
{
    GetEditCtrl().Copy();
}

void CEditView::OnEditPaste()
{
    GetEditCtrl().Paste();
}

void CEditView::OnEditClear()
{
    GetEditCtrl().Clear();
}

void CEditView::OnEditSelectAll()
{
    GetEditCtrl().SetSel(0, -1);
}

void CEditView::OnEditFind()
{
    OnEditFindReplace(TRUE);
}

void CEditView::OnEditReplace()
{
    OnEditFindReplace(FALSE);
}

void CEditView::OnEditRepeat()
{
    EditFindState& state = FindState();
    if (state.strFind.IsEmpty())
    {
        OnEditFindReplace(TRUE);
        return;
    }
    OnFindNext(CString(state.strFind), state.bNext, state.bCase, state.bWord);
}

void CEditView::OnUpdateEditUndo(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetEditCtrl().CanUndo());
}

void CEditView::OnUpdateNeedSel(CCmdUI* pCmdUI)
{
    int nStart = 0, nEnd = 0;
    GetEditCtrl().GetSel(nStart, nEnd);
    pCmdUI->Enable(nStart != nEnd);
}

void CEditView::OnUpdateNeedSelEdit(CCmdUI* pCmdUI)
{
    int nStart = 0, nEnd = 0;
    GetEditCtrl().GetSel(nStart, nEnd);
    pCmdUI->Enable(nStart != nEnd && IsEditable());
}

void CEditView::OnUpdateNeedClip(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetEditCtrl().CanPaste() && IsEditable());
}

void CEditView::OnUpdateNeedText(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetWindowTextLength() != 0);
}

void CEditView::OnUpdateNeedTextEdit(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetWindowTextLength() != 0 && IsEditable());
}

void CEditView::OnUpdateNeedFind(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetWindowTextLength() != 0 && !FindState().strFind.IsEmpty());
}

// ---- printing

BOOL CEditView::OnPreparePrinting(QPrinter* pPrinter, BOOL bDirect)
{
    if (bDirect)
    {
        if (QPrinterInfo::defaultPrinter().isNull())
        {
            MessageBox(L"No printer is installed.", nullptr, MB_OK | MB_ICONEXCLAMATION);
            return FALSE;
        }
        pPrinter->setPrinterName(QPrinterInfo::defaultPrinter().printerName());
        return TRUE;
    }
    QPrintDialog dialog(pPrinter, GetWidget());
    return dialog.exec() == QDialog::Accepted;
}

BOOL CEditView::PrintText(QPrinter* pPrinter)
{
    QPlainTextEdit* p = GetTextControl();
    if (!p || !pPrinter)
        return FALSE;
    // A copy in the printer's own layout, so the screen's wrapping and scrolling stay as they are.
    std::unique_ptr<QTextDocument> pCopy(p->document()->clone());
    pCopy->setDefaultFont(p->font());
    pCopy->print(pPrinter);
    return pPrinter->printerState() != QPrinter::Error &&
           pPrinter->printerState() != QPrinter::Aborted;
}

void CEditView::OnFilePrint()
{
    QPrinter printer(QPrinter::HighResolution);
    if (OnPreparePrinting(&printer, FALSE) && !PrintText(&printer))
        MessageBox(L"Failed to start print job.", nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void CEditView::OnFilePrintDirect()
{
    QPrinter printer(QPrinter::HighResolution);
    if (OnPreparePrinting(&printer, TRUE) && !PrintText(&printer))
        MessageBox(L"Failed to start print job.", nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void CEditView::OnFilePrintPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, GetWidget());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this](QPrinter* pPrinter) { PrintText(pPrinter); });
    dialog.exec();
}
