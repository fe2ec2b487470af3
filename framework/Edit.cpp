#include "framework/Edit.h"

#include <QLineEdit>

IMPLEMENT_DYNAMIC(CEdit, CWnd)

QLineEdit* CEdit::GetLineEdit() const
{
    return qobject_cast<QLineEdit*>(GetWidget());
}

QWidget* CEdit::CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget)
{
    auto* pEdit = new QLineEdit(pParentWidget);
    TrackText(pEdit);
    if (cs.lpszName)
        pEdit->setText(QString::fromWCharArray(cs.lpszName));
    return pEdit;
}

void CEdit::TrackText(QLineEdit* pEdit)
{
    pEdit->setWindowTitle(pEdit->text());
    QObject::connect(pEdit, &QLineEdit::textChanged, pEdit, [pEdit](const QString& s) { pEdit->setWindowTitle(s); });
}

LRESULT CEdit::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT) {
        if (QLineEdit* pEdit = GetLineEdit()) {
            auto psz = reinterpret_cast<LPCWSTR>(lParam);
            pEdit->setText(psz ? QString::fromWCharArray(psz) : QString());
            pEdit->setWindowTitle(pEdit->text());
            return TRUE;
        }
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL)
{
    QLineEdit* pEdit = GetLineEdit();
    if (!pEdit)
        return;
    int length = (int)pEdit->text().size();
    if (nStartChar < 0) {
        pEdit->deselect();
        return;
    }
    if (nEndChar < 0 || nEndChar > length)
        nEndChar = length;
    if (nStartChar > length)
        nStartChar = length;
    // The caret goes to the end given last, as in a Win32 edit.
    pEdit->setSelection(nStartChar, nEndChar - nStartChar);
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const
{
    nStartChar = nEndChar = 0;
    QLineEdit* pEdit = GetLineEdit();
    if (!pEdit)
        return;
    if (pEdit->hasSelectedText()) {
        nStartChar = pEdit->selectionStart();
        nEndChar = pEdit->selectionEnd();
    } else {
        nStartChar = nEndChar = pEdit->cursorPosition();
    }
}

void CEdit::ReplaceSel(LPCWSTR lpszNewText, BOOL)
{
    if (QLineEdit* pEdit = GetLineEdit())
        pEdit->insert(lpszNewText ? QString::fromWCharArray(lpszNewText) : QString());
}

void CEdit::LimitText(int nChars)
{
    if (QLineEdit* pEdit = GetLineEdit())
        pEdit->setMaxLength(nChars > 0 ? nChars : 32767);
}

UINT CEdit::GetLimitText() const
{
    QLineEdit* pEdit = GetLineEdit();
    return pEdit ? (UINT)pEdit->maxLength() : 0;
}
