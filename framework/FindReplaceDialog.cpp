#include "velmar/framework/FindReplaceDialog.h"

#include "velmar/framework/Translation.h"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{
// A label of the dialog in the interface's language.
QString Tr(LPCWSTR text)
{
    return AfxToQString(AfxTranslate(text));
}
} // namespace

IMPLEMENT_DYNAMIC(CFindReplaceDialog, CWnd)

BEGIN_MESSAGE_MAP(CFindReplaceDialog, CWnd)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CFindReplaceDialog* CFindReplaceDialog::GetNotifier(LPARAM lParam)
{
    auto* pFR = reinterpret_cast<FINDREPLACE*>(lParam);
    return pFR ? pFR->pDialog : nullptr;
}

BOOL CFindReplaceDialog::Create(BOOL bFindDialogOnly, LPCWSTR lpszFindWhat, LPCWSTR lpszReplaceWith,
                                DWORD dwFlags, CWnd* pParentWnd)
{
    m_bFindOnly = bFindDialogOnly;
    m_fr.Flags = dwFlags & ~(DWORD)(FR_FINDNEXT | FR_REPLACE | FR_REPLACEALL | FR_DIALOGTERM);
    m_fr.strFindWhat = lpszFindWhat;
    m_fr.strReplaceWith = lpszReplaceWith;
    m_fr.pDialog = this;
    m_hWndOwner = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
    m_fr.hwndOwner = m_hWndOwner;
    // The dialog belongs to the owner's top-level window, so it stays above it and
    // outlives the owner's own destruction only as long as the owner lets it.
    QWidget* pOwner = pParentWnd ? pParentWnd->GetWidget() : nullptr;
    HWND hWndParent = pOwner ? HandleOf(pOwner->window()) : nullptr;
    if (!CreateEx(0, nullptr, AfxTranslate(bFindDialogOnly ? L"Find" : L"Replace"), 0,
                  CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, hWndParent, nullptr))
        return FALSE;
    if (QWidget* pWidget = GetWidget())
    {
        pWidget->show();
        pWidget->raise();
        pWidget->activateWindow();
        m_pFindWhat->setFocus();
    }
    return TRUE;
}

QWidget* CFindReplaceDialog::CreateWidget(const CREATESTRUCT&, QWidget* pParentWidget)
{
    auto* pDialog = new QDialog(pParentWidget ? pParentWidget->window() : nullptr);
    pDialog->setModal(false);
    pDialog->setSizeGripEnabled(false);

    auto* pGrid = new QGridLayout;
    m_pFindWhat = new QLineEdit(AfxToQString(m_fr.strFindWhat));
    m_pFindWhat->setObjectName(QStringLiteral("findWhat"));
    auto* pFindLabel = new QLabel(Tr(L"Fi&nd what:"));
    pFindLabel->setBuddy(m_pFindWhat);
    pGrid->addWidget(pFindLabel, 0, 0);
    pGrid->addWidget(m_pFindWhat, 0, 1);
    int row = 1;
    if (!m_bFindOnly)
    {
        m_pReplaceWith = new QLineEdit(AfxToQString(m_fr.strReplaceWith));
        m_pReplaceWith->setObjectName(QStringLiteral("replaceWith"));
        auto* pReplaceLabel = new QLabel(Tr(L"Re&place with:"));
        pReplaceLabel->setBuddy(m_pReplaceWith);
        pGrid->addWidget(pReplaceLabel, row, 0);
        pGrid->addWidget(m_pReplaceWith, row, 1);
        ++row;
    }
    m_pWholeWord = new QCheckBox(Tr(L"Match &whole word only"));
    m_pWholeWord->setObjectName(QStringLiteral("wholeWord"));
    m_pWholeWord->setChecked((m_fr.Flags & FR_WHOLEWORD) != 0);
    m_pWholeWord->setEnabled(!(m_fr.Flags & FR_NOWHOLEWORD));
    m_pWholeWord->setVisible(!(m_fr.Flags & FR_HIDEWHOLEWORD));
    m_pMatchCase = new QCheckBox(Tr(L"Match &case"));
    m_pMatchCase->setObjectName(QStringLiteral("matchCase"));
    m_pMatchCase->setChecked((m_fr.Flags & FR_MATCHCASE) != 0);
    m_pMatchCase->setEnabled(!(m_fr.Flags & FR_NOMATCHCASE));
    m_pMatchCase->setVisible(!(m_fr.Flags & FR_HIDEMATCHCASE));
    auto* pChecks = new QVBoxLayout;
    pChecks->addWidget(m_pWholeWord);
    pChecks->addWidget(m_pMatchCase);
    auto* pOptions = new QHBoxLayout;
    pOptions->addLayout(pChecks);
    // Only the Find dialog has a direction; Replace always searches down.
    m_pUp = new QRadioButton(Tr(L"&Up"));
    m_pUp->setObjectName(QStringLiteral("up"));
    m_pDown = new QRadioButton(Tr(L"&Down"));
    m_pDown->setObjectName(QStringLiteral("down"));
    (m_fr.Flags & FR_DOWN ? m_pDown : m_pUp)->setChecked(true);
    if (m_bFindOnly && !(m_fr.Flags & FR_HIDEUPDOWN))
    {
        auto* pDirection = new QGroupBox(Tr(L"Direction"));
        auto* pDirLayout = new QHBoxLayout(pDirection);
        pDirLayout->addWidget(m_pUp);
        pDirLayout->addWidget(m_pDown);
        pDirection->setEnabled(!(m_fr.Flags & FR_NOUPDOWN));
        pOptions->addWidget(pDirection);
    }
    else
    {
        m_pUp->setParent(pDialog);
        m_pDown->setParent(pDialog);
        m_pUp->hide();
        m_pDown->hide();
    }
    pGrid->addLayout(pOptions, row, 0, 1, 2);

    auto* pButtons = new QVBoxLayout;
    m_pFindNext = new QPushButton(Tr(L"&Find Next"));
    m_pFindNext->setObjectName(QStringLiteral("findNext"));
    m_pFindNext->setDefault(true);
    pButtons->addWidget(m_pFindNext);
    if (!m_bFindOnly)
    {
        m_pReplace = new QPushButton(Tr(L"&Replace"));
        m_pReplace->setObjectName(QStringLiteral("replace"));
        m_pReplaceAll = new QPushButton(Tr(L"Replace &All"));
        m_pReplaceAll->setObjectName(QStringLiteral("replaceAll"));
        pButtons->addWidget(m_pReplace);
        pButtons->addWidget(m_pReplaceAll);
    }
    auto* pCancel = new QPushButton(Tr(L"Cancel"));
    pCancel->setObjectName(QStringLiteral("cancel"));
    pButtons->addWidget(pCancel);
    pButtons->addStretch();

    auto* pTop = new QHBoxLayout(pDialog);
    pTop->addLayout(pGrid, 1);
    pTop->addLayout(pButtons);

    // The search buttons stay grey while there is nothing to find.
    auto enable = [this]()
    {
        bool bAny = !m_pFindWhat->text().isEmpty();
        m_pFindNext->setEnabled(bAny);
        if (m_pReplace)
            m_pReplace->setEnabled(bAny);
        if (m_pReplaceAll)
            m_pReplaceAll->setEnabled(bAny);
    };
    QObject::connect(m_pFindWhat, &QLineEdit::textChanged, pDialog, enable);
    enable();

    QObject::connect(m_pFindNext, &QPushButton::clicked, pDialog,
                     [this]() { Notify(FR_FINDNEXT); });
    if (m_pReplace)
    {
        QObject::connect(m_pReplace, &QPushButton::clicked, pDialog,
                         [this]() { Notify(FR_REPLACE); });
        QObject::connect(m_pReplaceAll, &QPushButton::clicked, pDialog,
                         [this]() { Notify(FR_REPLACEALL); });
    }
    QObject::connect(pCancel, &QPushButton::clicked, pDialog, [this]() { DestroyWindow(); });
    // Escape rejects the dialog without a close event: it ends the dialog all the same.
    QObject::connect(pDialog, &QDialog::rejected, pDialog, [this]() { DestroyWindow(); });
    return pDialog;
}

void CFindReplaceDialog::SetFindString(LPCWSTR lpszFind)
{
    m_fr.strFindWhat = lpszFind;
    if (m_pFindWhat && GetSafeHwnd())
    {
        m_pFindWhat->setText(AfxToQString(lpszFind));
        m_pFindWhat->selectAll();
    }
}

void CFindReplaceDialog::ReadControls()
{
    if (!GetSafeHwnd())
        return;
    DWORD flags = m_fr.Flags & ~(DWORD)(FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD);
    if (m_pMatchCase->isChecked())
        flags |= FR_MATCHCASE;
    if (m_pWholeWord->isChecked())
        flags |= FR_WHOLEWORD;
    if (!m_bFindOnly || m_pDown->isChecked())
        flags |= FR_DOWN;
    m_fr.Flags = flags;
    m_fr.strFindWhat = AfxFromQString(m_pFindWhat->text());
    if (m_pReplaceWith)
        m_fr.strReplaceWith = AfxFromQString(m_pReplaceWith->text());
}

void CFindReplaceDialog::Notify(DWORD dwAction)
{
    ReadControls();
    m_fr.Flags = (m_fr.Flags & ~(DWORD)(FR_FINDNEXT | FR_REPLACE | FR_REPLACEALL | FR_DIALOGTERM)) |
                 dwAction;
    if (CWnd* pOwner = FromHandlePermanent(m_hWndOwner))
        pOwner->SendMessage(AFX_WM_FINDREPLACE, 0, (LPARAM)&m_fr);
}

void CFindReplaceDialog::OnDestroy()
{
    // The owner hears of the end while the dialog's texts can still be read.
    Notify(FR_DIALOGTERM);
    m_hWndOwner = nullptr;
    CWnd::OnDestroy();
}

void CFindReplaceDialog::PostNcDestroy()
{
    delete this;
}
