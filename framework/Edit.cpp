#include "velmar/framework/Edit.h"

#include "WndBridge.h"
#include "velmar/framework/Translation.h"
#include "velmar/win32/Unicode.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cwchar>

IMPLEMENT_DYNAMIC(CEdit, CWnd)

// ---- the multi-line control

namespace
{

// Sends an edit notification to the control's parent, which reflects it back to
// the control first; a control without a framework parent still sees its own.
void NotifyParent(QWidget* pControl, WORD wCode)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(CWnd::HandleOf(pControl));
    if (!pWnd)
        return;
    WPARAM wParam = MAKEWPARAM(pWnd->GetDlgCtrlID(), wCode);
    LPARAM lParam = (LPARAM)pWnd->GetSafeHwnd();
    if (CWnd* pParent = pWnd->GetParent())
        pParent->SendMessage(WM_COMMAND, wParam, lParam);
    else
        pWnd->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr);
}

QMenu* BuildContextMenu(HWND hWnd, QWidget* pParent);

class CPlainTextControl : public QPlainTextEdit
{
public:
    explicit CPlainTextControl(QWidget* pParent) : QPlainTextEdit(pParent)
    {
        // Only the user's changes are news to the parent; text the program sets is not.
        connect(this, &QPlainTextEdit::textChanged, this,
                [this]()
                {
                    if (m_nProgramText == 0)
                        NotifyParent(this, EN_CHANGE);
                });
    }

    void SetProgramText(const QString& text)
    {
        ++m_nProgramText;
        setPlainText(text);
        --m_nProgramText;
    }

    DWORD m_dwStyle = ES_MULTILINE;

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !WantsReturn(e))
        {
            e->ignore(); // the dialog's default button takes it
            return;
        }
        QPlainTextEdit::keyPressEvent(e);
    }

    // Dropped files are no text to insert: they go to the window that opens them.
    void dragEnterEvent(QDragEnterEvent* e) override
    {
        if (!PassFileDrag(e))
            QPlainTextEdit::dragEnterEvent(e);
    }
    void dragMoveEvent(QDragMoveEvent* e) override
    {
        if (!PassFileDrag(e))
            QPlainTextEdit::dragMoveEvent(e);
    }
    void dropEvent(QDropEvent* e) override
    {
        if (!PassFileDrag(e))
            QPlainTextEdit::dropEvent(e);
    }

    void contextMenuEvent(QContextMenuEvent* e) override
    {
        HWND hWnd = CWnd::HandleOf(this);
        QPointer<QPlainTextEdit> self(this);
        bool bKeyboard = e->reason() == QContextMenuEvent::Keyboard;
        QPoint global =
            bKeyboard ? viewport()->mapToGlobal(cursorRect().bottomLeft()) : e->globalPos();
        // The window's own handler first, as with WM_CONTEXTMENU; the keyboard gives no point.
        if (CWnd* pWnd = CWnd::FromHandlePermanent(hWnd))
        {
            LPARAM lParam =
                bKeyboard ? (LPARAM)(DWORD)0xFFFFFFFF : MAKELPARAM(global.x(), global.y());
            if (AfxDispatchFromQt(pWnd, WM_CONTEXTMENU, (WPARAM)hWnd, lParam))
            {
                e->accept();
                return;
            }
        }
        if (!self)
            return;
        if (QMenu* pMenu = BuildContextMenu(hWnd, this))
        {
            QPointer<QMenu> guard(pMenu);
            pMenu->exec(global);
            delete guard.data();
        }
        e->accept();
    }

private:
    bool PassFileDrag(QEvent* e)
    {
        CWnd* pWnd = CWnd::FromHandlePermanent(CWnd::HandleOf(this));
        return pWnd && AfxPassFileDrag(pWnd, e);
    }

    bool WantsReturn(const QKeyEvent* e) const
    {
        if (!(m_dwStyle & ES_MULTILINE))
            return false;
        if ((m_dwStyle & ES_WANTRETURN) || (e->modifiers() & Qt::ControlModifier))
            return true;
        // Outside a dialog nothing else claims the key.
        return !qobject_cast<const QDialog*>(window());
    }

    int m_nProgramText = 0;
};

bool IsEditable(const QWidget* pControl)
{
    if (!pControl || !pControl->isEnabled())
        return false;
    if (auto* p = qobject_cast<const QPlainTextEdit*>(pControl))
        return !p->isReadOnly();
    if (auto* p = qobject_cast<const QLineEdit*>(pControl))
        return !p->isReadOnly();
    return false;
}

// The document's text with its block separators as line feeds; unlike
// toPlainText it keeps no-break spaces as they are.
QString RawText(const QPlainTextEdit* p)
{
    QString text = p->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

QString ControlText(HWND hWnd)
{
    if (QPlainTextEdit* p = CEdit::PlainTextOf(hWnd))
        return RawText(p);
    if (QLineEdit* p = CEdit::LineEditOf(hWnd))
        return p->text();
    return QString();
}

// Positions in Qt's UTF-16 text and indexes into the wide text differ where
// wchar_t is 32 bits and the text holds characters beyond the BMP.
int WideIndex(const QString& text, int pos)
{
    if constexpr (sizeof(wchar_t) == 2)
        return pos;
    int n = 0;
    pos = std::clamp(pos, 0, (int)text.size());
    for (int i = 0; i < pos; ++i)
        if (!(unicode::IsLowSurrogate(text[i].unicode()) && i > 0 &&
              unicode::IsHighSurrogate(text[i - 1].unicode())))
            ++n;
    return n;
}

int Utf16Index(const QString& text, int wide)
{
    if constexpr (sizeof(wchar_t) == 2)
        return std::clamp(wide, 0, (int)text.size());
    int i = 0;
    for (int n = 0; n < wide && i < text.size(); ++n)
        i += (unicode::IsHighSurrogate(text[i].unicode()) && i + 1 < text.size() &&
              unicode::IsLowSurrogate(text[i + 1].unicode()))
                 ? 2
                 : 1;
    return i;
}

void GetSelection(HWND hWnd, int& nStart, int& nEnd)
{
    nStart = nEnd = 0;
    if (QPlainTextEdit* p = CEdit::PlainTextOf(hWnd))
    {
        QTextCursor c = p->textCursor();
        QString text = RawText(p);
        nStart = WideIndex(text, c.selectionStart());
        nEnd = WideIndex(text, c.selectionEnd());
    }
    else if (QLineEdit* p = CEdit::LineEditOf(hWnd))
    {
        QString text = p->text();
        int s = p->hasSelectedText() ? p->selectionStart() : p->cursorPosition();
        int e = p->hasSelectedText() ? p->selectionEnd() : p->cursorPosition();
        nStart = WideIndex(text, s);
        nEnd = WideIndex(text, e);
    }
}

void SetSelection(HWND hWnd, int nStart, int nEnd, bool bScroll)
{
    QString text = ControlText(hWnd);
    int length = WideIndex(text, (int)text.size());
    // -1 as the start removes the selection and leaves the caret where the selection ended.
    if (nStart == -1)
    {
        int s = 0, e = 0;
        GetSelection(hWnd, s, e);
        nStart = nEnd = e;
    }
    if (nStart < 0 || nStart > length)
        nStart = length;
    if (nEnd < 0 || nEnd > length)
        nEnd = length;
    int anchor = Utf16Index(text, nStart), position = Utf16Index(text, nEnd);
    if (QPlainTextEdit* p = CEdit::PlainTextOf(hWnd))
    {
        QTextCursor c = p->textCursor();
        c.setPosition(anchor);
        c.setPosition(position, QTextCursor::KeepAnchor);
        p->setTextCursor(c);
        if (bScroll)
            p->ensureCursorVisible();
    }
    else if (QLineEdit* p = CEdit::LineEditOf(hWnd))
    {
        p->setSelection(anchor, position - anchor);
    }
}

bool ClipboardHasText()
{
    const QMimeData* pData = QApplication::clipboard()->mimeData();
    return pData && pData->hasText();
}

void SetProgramText(HWND hWnd, LPCWSTR lpsz)
{
    QString text = AfxToQString(lpsz ? lpsz : L"");
    if (QPlainTextEdit* p = CEdit::PlainTextOf(hWnd))
    {
        if (auto* pControl = dynamic_cast<CPlainTextControl*>(p))
            pControl->SetProgramText(text);
        else
            p->setPlainText(text);
    }
    else if (QLineEdit* p = CEdit::LineEditOf(hWnd))
    {
        p->setText(text);
    }
}

} // namespace

QPlainTextEdit* CEdit::PlainTextOf(HWND hWnd)
{
    return qobject_cast<QPlainTextEdit*>(reinterpret_cast<QWidget*>(hWnd));
}

QLineEdit* CEdit::LineEditOf(HWND hWnd)
{
    return qobject_cast<QLineEdit*>(reinterpret_cast<QWidget*>(hWnd));
}

QPlainTextEdit* CEdit::CreatePlainTextControl(DWORD dwStyle, QWidget* pParentWidget)
{
    auto* p = new CPlainTextControl(pParentWidget);
    p->setTabChangesFocus(false);
    ApplyEditStyle(HandleOf(p), dwStyle);
    return p;
}

void CEdit::ApplyEditStyle(HWND hWnd, DWORD dwStyle)
{
    if (QPlainTextEdit* p = PlainTextOf(hWnd))
    {
        if (auto* pControl = dynamic_cast<CPlainTextControl*>(p))
            pControl->m_dwStyle = dwStyle;
        p->setReadOnly((dwStyle & ES_READONLY) != 0);
        // Without automatic horizontal scrolling a multi-line control wraps at its edge.
        p->setLineWrapMode((dwStyle & ES_AUTOHSCROLL) ? QPlainTextEdit::NoWrap
                                                      : QPlainTextEdit::WidgetWidth);
        p->setHorizontalScrollBarPolicy((dwStyle & WS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                               : Qt::ScrollBarAlwaysOff);
        p->setVerticalScrollBarPolicy((dwStyle & WS_VSCROLL) ? Qt::ScrollBarAsNeeded
                                                             : Qt::ScrollBarAlwaysOff);
        // The selection stays visible without focus only with ES_NOHIDESEL.
        QPalette pal = p->palette();
        if (dwStyle & ES_NOHIDESEL)
        {
            pal.setColor(QPalette::Inactive, QPalette::Highlight,
                         pal.color(QPalette::Active, QPalette::Highlight));
            pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         pal.color(QPalette::Active, QPalette::HighlightedText));
        }
        else
        {
            pal.setColor(QPalette::Inactive, QPalette::Highlight,
                         pal.color(QPalette::Inactive, QPalette::Base));
            pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         pal.color(QPalette::Inactive, QPalette::Text));
        }
        p->setPalette(pal);
    }
    else if (QLineEdit* p = LineEditOf(hWnd))
    {
        p->setReadOnly((dwStyle & ES_READONLY) != 0);
        p->setEchoMode((dwStyle & ES_PASSWORD) ? QLineEdit::Password : QLineEdit::Normal);
        Qt::Alignment align = (dwStyle & ES_RIGHT)    ? Qt::AlignRight
                              : (dwStyle & ES_CENTER) ? Qt::AlignHCenter
                                                      : Qt::AlignLeft;
        p->setAlignment(align | Qt::AlignVCenter);
    }
}

QWidget* CEdit::CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget)
{
    DWORD dwStyle = (DWORD)cs.style;
    if (dwStyle & ES_MULTILINE)
        return CreatePlainTextControl(dwStyle, pParentWidget);
    auto* p = new QLineEdit(pParentWidget);
    ApplyEditStyle(HandleOf(p), dwStyle);
    TrackText(p);
    if (cs.lpszName)
        p->setText(AfxToQString(cs.lpszName));
    QObject::connect(p, &QLineEdit::textEdited, p, [p]() { NotifyParent(p, EN_CHANGE); });
    return p;
}

BOOL CEdit::EditWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    QPlainTextEdit* pPlain = PlainTextOf(hWnd);
    QLineEdit* pLine = LineEditOf(hWnd);
    if (!pPlain && !pLine)
        return FALSE;
    QWidget* pControl = reinterpret_cast<QWidget*>(hWnd);
    LRESULT result = 0;
    switch (message)
    {
    case WM_SETTEXT:
        SetProgramText(hWnd, reinterpret_cast<LPCWSTR>(lParam));
        result = TRUE;
        break;
    case WM_GETTEXTLENGTH:
        result = AfxFromQString(ControlText(hWnd)).GetLength();
        break;
    case WM_GETTEXT:
    {
        auto* pBuffer = reinterpret_cast<wchar_t*>(lParam);
        if (!pBuffer || wParam == 0)
            break;
        CString text = AfxFromQString(ControlText(hWnd));
        int n = std::min<int>(text.GetLength(), (int)wParam - 1);
        wmemcpy(pBuffer, (LPCWSTR)text, (size_t)n);
        pBuffer[n] = L'\0';
        result = n;
        break;
    }
    case EM_GETSEL:
    {
        int s = 0, e = 0;
        GetSelection(hWnd, s, e);
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = (DWORD)s;
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = (DWORD)e;
        result = MAKELONG(std::min(s, 0xFFFF), std::min(e, 0xFFFF));
        break;
    }
    case EM_SETSEL:
        SetSelection(hWnd, (int)wParam, (int)lParam, true);
        break;
    case EM_REPLACESEL:
        if (IsEditable(pControl))
        {
            QString text = AfxToQString(lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"");
            if (pPlain)
            {
                pPlain->textCursor().insertText(text);
                pPlain->ensureCursorVisible();
            }
            else
            {
                pLine->insert(text);
                NotifyParent(pLine, EN_CHANGE);
            }
        }
        break;
    case EM_CANUNDO:
        result = IsEditable(pControl) &&
                 (pPlain ? pPlain->document()->isUndoAvailable() : pLine->isUndoAvailable());
        break;
    case EM_UNDO:
    case WM_UNDO:
        if (IsEditable(pControl) &&
            (pPlain ? pPlain->document()->isUndoAvailable() : pLine->isUndoAvailable()))
        {
            if (pPlain)
                pPlain->undo();
            else
            {
                pLine->undo();
                NotifyParent(pLine, EN_CHANGE);
            }
            result = TRUE;
        }
        break;
    case EM_EMPTYUNDOBUFFER:
        if (pPlain)
            pPlain->document()->clearUndoRedoStacks();
        break;
    case EM_SETREADONLY:
        if (pPlain)
            pPlain->setReadOnly(wParam != 0);
        else
            pLine->setReadOnly(wParam != 0);
        if (CWnd* pWnd = CWnd::FromHandlePermanent(hWnd))
        {
            // The style bit follows, as the system keeps ES_READONLY in step.
            DWORD old = pWnd->GetStyle();
            DWORD now = wParam ? (old | ES_READONLY) : (old & ~(DWORD)ES_READONLY);
            if (old != now)
                pWnd->ModifyStyle(ES_READONLY, now & ES_READONLY);
        }
        result = TRUE;
        break;
    case EM_GETMODIFY:
        result = pPlain ? pPlain->document()->isModified() : pLine->isModified();
        break;
    case EM_SETMODIFY:
        if (pPlain)
            pPlain->document()->setModified(wParam != 0);
        else
            pLine->setModified(wParam != 0);
        break;
    case EM_GETLINECOUNT:
        result = pPlain ? pPlain->document()->blockCount() : 1;
        break;
    case WM_COPY:
        if (pPlain)
            pPlain->copy();
        else
            pLine->copy();
        break;
    case WM_CUT:
    case WM_CLEAR:
    case WM_PASTE:
        if (!IsEditable(pControl))
            break;
        if (pPlain)
        {
            if (message == WM_CUT)
                pPlain->cut();
            else if (message == WM_PASTE)
                pPlain->paste();
            else
                pPlain->textCursor().removeSelectedText();
        }
        else
        {
            QString before = pLine->text();
            if (message == WM_CUT)
                pLine->cut();
            else if (message == WM_PASTE)
                pLine->paste();
            else
                pLine->del();
            if (pLine->text() != before)
                NotifyParent(pLine, EN_CHANGE);
        }
        break;
    case WM_STYLECHANGED:
        if ((int)wParam == GWL_STYLE && lParam)
            ApplyEditStyle(hWnd, reinterpret_cast<const STYLESTRUCT*>(lParam)->styleNew);
        break;
    default:
        return FALSE;
    }
    if (pResult)
        *pResult = result;
    return TRUE;
}

LRESULT CEdit::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (EditWindowProc(m_hWnd, message, wParam, lParam, &result))
        return result;
    return CWnd::DefWindowProc(message, wParam, lParam);
}

void CEdit::AttachAlias(HWND hWnd)
{
    m_bTemporary = TRUE;
    m_hWnd = hWnd;
}

DWORD CEdit::GetStyle() const
{
    if (m_bTemporary)
        if (CWnd* pOwner = FromHandlePermanent(m_hWnd))
            if (pOwner != this)
                return pOwner->GetStyle();
    return CWnd::GetStyle();
}

BOOL CEdit::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    if (m_bTemporary)
        if (CWnd* pOwner = FromHandlePermanent(m_hWnd))
            if (pOwner != this)
                return pOwner->ModifyStyle(dwRemove, dwAdd, nFlags);
    return CWnd::ModifyStyle(dwRemove, dwAdd, nFlags);
}

void CEdit::TrackText(QLineEdit* pEdit)
{
    pEdit->setWindowTitle(pEdit->text());
    QObject::connect(pEdit, &QLineEdit::textChanged, pEdit,
                     [pEdit](const QString& s) { pEdit->setWindowTitle(s); });
}

// ---- operations

QLineEdit* CEdit::GetLineEdit() const
{
    return LineEditOf(m_hWnd);
}

void CEdit::LimitText(int nChars)
{
    if (QLineEdit* p = LineEditOf(m_hWnd))
        p->setMaxLength(nChars > 0 ? nChars : 32767);
}

UINT CEdit::GetLimitText() const
{
    QLineEdit* p = LineEditOf(m_hWnd);
    return p ? (UINT)p->maxLength() : 0;
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const
{
    GetSelection(m_hWnd, nStartChar, nEndChar);
}

DWORD CEdit::GetSel() const
{
    int s = 0, e = 0;
    GetSelection(m_hWnd, s, e);
    return (DWORD)MAKELONG(std::min(s, 0xFFFF), std::min(e, 0xFFFF));
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    SetSelection(m_hWnd, nStartChar, nEndChar, !bNoScroll);
}

CString CEdit::GetSelText() const
{
    if (QPlainTextEdit* p = PlainTextOf(m_hWnd))
    {
        QString text = p->textCursor().selectedText();
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        return AfxFromQString(text);
    }
    if (QLineEdit* p = LineEditOf(m_hWnd))
        return AfxFromQString(p->selectedText());
    return CString();
}

void CEdit::ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo)
{
    EditWindowProc(m_hWnd, EM_REPLACESEL, (WPARAM)bCanUndo, (LPARAM)lpszNewText, nullptr);
}

void CEdit::Cut()
{
    EditWindowProc(m_hWnd, WM_CUT, 0, 0, nullptr);
}

void CEdit::Copy()
{
    EditWindowProc(m_hWnd, WM_COPY, 0, 0, nullptr);
}

void CEdit::Paste()
{
    EditWindowProc(m_hWnd, WM_PASTE, 0, 0, nullptr);
}

void CEdit::Clear()
{
    EditWindowProc(m_hWnd, WM_CLEAR, 0, 0, nullptr);
}

BOOL CEdit::Undo()
{
    LRESULT result = 0;
    EditWindowProc(m_hWnd, EM_UNDO, 0, 0, &result);
    return (BOOL)result;
}

BOOL CEdit::CanUndo() const
{
    LRESULT result = 0;
    EditWindowProc(m_hWnd, EM_CANUNDO, 0, 0, &result);
    return (BOOL)result;
}

void CEdit::EmptyUndoBuffer()
{
    EditWindowProc(m_hWnd, EM_EMPTYUNDOBUFFER, 0, 0, nullptr);
}

BOOL CEdit::CanPaste() const
{
    return ClipboardHasText();
}

BOOL CEdit::SetReadOnly(BOOL bReadOnly)
{
    LRESULT result = 0;
    EditWindowProc(m_hWnd, EM_SETREADONLY, (WPARAM)bReadOnly, 0, &result);
    return (BOOL)result;
}

BOOL CEdit::IsReadOnly() const
{
    if (QPlainTextEdit* p = PlainTextOf(m_hWnd))
        return p->isReadOnly();
    if (QLineEdit* p = LineEditOf(m_hWnd))
        return p->isReadOnly();
    return FALSE;
}

BOOL CEdit::GetModify() const
{
    LRESULT result = 0;
    EditWindowProc(m_hWnd, EM_GETMODIFY, 0, 0, &result);
    return (BOOL)result;
}

void CEdit::SetModify(BOOL bModified)
{
    EditWindowProc(m_hWnd, EM_SETMODIFY, (WPARAM)bModified, 0, nullptr);
}

int CEdit::GetLineCount() const
{
    LRESULT result = 0;
    EditWindowProc(m_hWnd, EM_GETLINECOUNT, 0, 0, &result);
    return (int)result;
}

QMenu* CEdit::CreateContextMenu(QWidget* pParent)
{
    return BuildContextMenu(m_hWnd, pParent);
}

namespace
{

QMenu* BuildContextMenu(HWND hWnd, QWidget* pParent)
{
    QWidget* pControl = reinterpret_cast<QWidget*>(hWnd);
    if (!CEdit::PlainTextOf(hWnd) && !CEdit::LineEditOf(hWnd))
        return nullptr;
    if (!pControl)
        return nullptr;
    bool bEditable = IsEditable(pControl);
    int s = 0, e = 0;
    GetSelection(hWnd, s, e);
    QString text = ControlText(hWnd);
    int length = WideIndex(text, (int)text.size());
    QPointer<QWidget> control(pControl);

    auto* pMenu = new QMenu(pParent);
    // Each item acts on the control directly, as the system's edit menu does.
    auto add = [&](const char* label, UINT message, bool bEnabled)
    {
        const CString text = AfxTranslate(QString::fromUtf8(label).toStdWString().c_str());
        QAction* a = pMenu->addAction(AfxToQString(text));
        a->setEnabled(bEnabled);
        QObject::connect(a, &QAction::triggered, pMenu,
                         [control, hWnd, message]()
                         {
                             if (!control)
                                 return;
                             if (message == EM_SETSEL)
                                 SetSelection(hWnd, 0, -1, true);
                             else
                                 CEdit::EditWindowProc(hWnd, message, 0, 0, nullptr);
                         });
    };
    bool bCanUndo = false;
    if (QPlainTextEdit* p = CEdit::PlainTextOf(hWnd))
        bCanUndo = p->document()->isUndoAvailable();
    else if (QLineEdit* p = CEdit::LineEditOf(hWnd))
        bCanUndo = p->isUndoAvailable();
    bool bPassword =
        CEdit::LineEditOf(hWnd) && CEdit::LineEditOf(hWnd)->echoMode() != QLineEdit::Normal;
    add("&Undo", EM_UNDO, bEditable && bCanUndo);
    pMenu->addSeparator();
    add("Cu&t", WM_CUT, bEditable && s != e && !bPassword);
    add("&Copy", WM_COPY, s != e && !bPassword);
    add("&Paste", WM_PASTE, bEditable && ClipboardHasText());
    add("&Delete", WM_CLEAR, bEditable && s != e);
    pMenu->addSeparator();
    add("Select &All", EM_SETSEL, length > 0 && !(s == 0 && e == length));
    return pMenu;
}

} // namespace
