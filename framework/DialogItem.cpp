#include "velmar/framework/DialogItem.h"

#include "velmar/framework/Edit.h"

#include "velmar/framework/Translation.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

IMPLEMENT_DYNAMIC(CDialogItem, CWnd)

BEGIN_MESSAGE_MAP(CDialogItem, CWnd)
END_MESSAGE_MAP()

// MulDiv: the product over the divisor, rounded half away from zero.
static int MulDivRound(int a, int b, int c)
{
    long long p = (long long)a * b;
    return (int)(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

QRect AFX_DIALOG_METRICS::ToPixels(int x, int y, int cx, int cy) const
{
    return QRect(MulDivRound(x, baseUnits.width(), 4), MulDivRound(y, baseUnits.height(), 8),
                 MulDivRound(cx, baseUnits.width(), 4), MulDivRound(cy, baseUnits.height(), 8));
}

AFX_DIALOG_METRICS AfxDialogMetrics(const AFX_DIALOG_RESOURCE* pTemplate)
{
    AFX_DIALOG_METRICS metrics;
    QString name =
        pTemplate && pTemplate->lpszFontName ? AfxToQString(pTemplate->lpszFontName) : QString();
    // The shell's dialog font names stand for whatever the system uses in dialogs.
    if (name.isEmpty() || name.compare(QLatin1String("MS Shell Dlg"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("MS Shell Dlg 2"), Qt::CaseInsensitive) == 0)
        metrics.font = QApplication::font("QDialog");
    else
        metrics.font = QFont(name);
    if (pTemplate && pTemplate->wPointSize > 0)
        metrics.font.setPointSize(pTemplate->wPointSize);
    QFontMetrics fm(metrics.font);
    // The average width of the Latin letters, as Windows measures a dialog font.
    int cxAlpha = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    metrics.baseUnits = QSize(std::max(1, (cxAlpha / 26 + 1) / 2), std::max(1, fm.height()));
    return metrics;
}

// Windows hides a single "&" in a control's text and shows "&&" as one.
static QString WithoutPrefix(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i)
    {
        if (text[i] == QLatin1Char('&'))
        {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&'))
                out += QLatin1Char('&');
            ++i;
            if (i < text.size() && text[i] != QLatin1Char('&'))
                out += text[i];
            continue;
        }
        out += text[i];
    }
    return out;
}

static CDialogItem::Kind KindOf(const AFX_DIALOG_ITEM& item)
{
    QString cls = item.lpszClass ? AfxToQString(item.lpszClass).toUpper() : QString();
    if (cls == QLatin1String("STATIC"))
        return (item.dwStyle & SS_TYPEMASK) == SS_ICON ? CDialogItem::kIcon : CDialogItem::kStatic;
    if (cls == QLatin1String("EDIT"))
        return (item.dwStyle & ES_MULTILINE) ? CDialogItem::kMultiLineEdit : CDialogItem::kEdit;
    if (cls == QLatin1String("BUTTON"))
    {
        switch (item.dwStyle & BS_TYPEMASK)
        {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
            return CDialogItem::kCheckBox;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return CDialogItem::kRadioButton;
        case BS_GROUPBOX:
            return CDialogItem::kGroupBox;
        default:
            return CDialogItem::kPushButton;
        }
    }
    return CDialogItem::kOther;
}

BOOL CDialogItem::Create(const AFX_DIALOG_ITEM& item, CWnd* pParentWnd,
                         const AFX_DIALOG_METRICS& metrics)
{
    if (!pParentWnd || m_hWnd)
        return FALSE;
    m_kind = KindOf(item);
    QString text = item.lpszText ? AfxToQString(item.lpszText) : QString();
    if (m_kind == kIcon)
    {
        // "#128" or "128" names the icon resource.
        QString number = text.startsWith(QLatin1Char('#')) ? text.mid(1) : text;
        m_nIconID = number.toUInt();
    }
    QRect r = metrics.ToPixels(item.x, item.y, item.cx, item.cy);
    DWORD dwStyle = item.dwStyle | WS_CHILD | WS_VISIBLE;
    if (!CreateEx(item.dwExStyle, item.lpszClass, nullptr, dwStyle, r.x(), r.y(), r.width(),
                  r.height(), pParentWnd->m_hWnd,
                  reinterpret_cast<HMENU>((UINT_PTR)(UINT)item.nID)))
        return FALSE;
    QWidget* pWidget = GetWidget();
    pWidget->setGeometry(r);
    if (m_kind == kIcon)
    {
        // An icon control takes the size of the icon, as the system sizes it.
        pWidget->resize(32, 32);
    }
    else if (item.lpszText)
    {
        SetWindowText(AfxTranslatePermanent(item.lpszText));
    }
    return TRUE;
}

QWidget* CDialogItem::CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget)
{
    DWORD dwStyle = (DWORD)cs.style;
    bool bBorder = (dwStyle & WS_BORDER) || (cs.dwExStyle & WS_EX_CLIENTEDGE);
    switch (m_kind)
    {
    case kStatic:
    {
        auto* pLabel = new QLabel(pParentWidget);
        pLabel->setTextFormat(Qt::PlainText);
        Qt::Alignment align = Qt::AlignTop;
        switch (dwStyle & SS_TYPEMASK)
        {
        case SS_CENTER:
            align |= Qt::AlignHCenter;
            break;
        case SS_RIGHT:
            align |= Qt::AlignRight;
            break;
        default:
            align |= Qt::AlignLeft;
            break;
        }
        if (dwStyle & SS_CENTERIMAGE)
            align = (align & ~Qt::AlignTop) | Qt::AlignVCenter;
        pLabel->setAlignment(align);
        pLabel->setWordWrap((dwStyle & SS_TYPEMASK) != SS_LEFTNOWORDWRAP);
        if (dwStyle & SS_SUNKEN)
            pLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return pLabel;
    }
    case kIcon:
    {
        auto* pLabel = new QLabel(pParentWidget);
        if (const AFX_ICON_RESOURCE* pIcon = AfxFindIconResource(m_nIconID))
        {
            QPixmap pixmap;
            if (pixmap.loadFromData(pIcon->pData, (uint)pIcon->nSize))
                pLabel->setPixmap(
                    pixmap.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        }
        return pLabel;
    }
    case kEdit:
    {
        auto* pEdit = new QLineEdit(pParentWidget);
        pEdit->setReadOnly((dwStyle & ES_READONLY) != 0);
        pEdit->setFrame(bBorder);
        if ((dwStyle & 0x3) == ES_CENTER)
            pEdit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        else if ((dwStyle & 0x3) == ES_RIGHT)
            pEdit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (!(dwStyle & WS_TABSTOP))
            pEdit->setFocusPolicy(Qt::ClickFocus);
        // The window text follows what the user types; a change of theirs is EN_CHANGE.
        QObject::connect(pEdit, &QLineEdit::textChanged, pEdit,
                         [pEdit](const QString& text) { pEdit->setWindowTitle(text); });
        QObject::connect(pEdit, &QLineEdit::textEdited, pEdit,
                         [pEdit]()
                         {
                             if (auto* p = DYNAMIC_DOWNCAST(
                                     CDialogItem, CWnd::FromHandlePermanent(CWnd::HandleOf(pEdit))))
                                 p->Notify(EN_CHANGE);
                         });
        return pEdit;
    }
    case kMultiLineEdit:
    {
        auto* pEdit = new QPlainTextEdit(pParentWidget);
        pEdit->setReadOnly((dwStyle & ES_READONLY) != 0);
        if (!bBorder)
            pEdit->setFrameStyle(QFrame::NoFrame);
        bool bWrap = !(dwStyle & (ES_AUTOHSCROLL | WS_HSCROLL));
        pEdit->setLineWrapMode(bWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        pEdit->setVerticalScrollBarPolicy((dwStyle & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn
                                                                 : Qt::ScrollBarAlwaysOff);
        pEdit->setHorizontalScrollBarPolicy((dwStyle & WS_HSCROLL) ? Qt::ScrollBarAlwaysOn
                                                                   : Qt::ScrollBarAlwaysOff);
        if (!(dwStyle & WS_TABSTOP))
            pEdit->setFocusPolicy(Qt::ClickFocus);
        QObject::connect(pEdit, &QPlainTextEdit::textChanged, pEdit,
                         [pEdit]()
                         {
                             if (pEdit->property("afxSettingText").toBool())
                                 return;
                             QString text = pEdit->toPlainText();
                             text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
                             pEdit->setWindowTitle(text);
                             if (auto* p = DYNAMIC_DOWNCAST(
                                     CDialogItem, CWnd::FromHandlePermanent(CWnd::HandleOf(pEdit))))
                                 p->Notify(EN_CHANGE);
                         });
        return pEdit;
    }
    case kPushButton:
    {
        auto* pButton = new QPushButton(pParentWidget);
        bool bDefault = (dwStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        pButton->setDefault(bDefault);
        pButton->setAutoDefault(false);
        if (!(dwStyle & WS_TABSTOP))
            pButton->setFocusPolicy(Qt::ClickFocus);
        QObject::connect(
            pButton, &QPushButton::clicked, pButton,
            [pButton]()
            {
                if (auto* p = DYNAMIC_DOWNCAST(CDialogItem,
                                               CWnd::FromHandlePermanent(CWnd::HandleOf(pButton))))
                    p->Notify(BN_CLICKED);
            });
        return pButton;
    }
    case kCheckBox:
    case kRadioButton:
    {
        QAbstractButton* pButton =
            m_kind == kCheckBox ? static_cast<QAbstractButton*>(new QCheckBox(pParentWidget))
                                : static_cast<QAbstractButton*>(new QRadioButton(pParentWidget));
        pButton->setAutoExclusive(m_kind == kRadioButton &&
                                  (dwStyle & BS_TYPEMASK) == BS_AUTORADIOBUTTON);
        if ((dwStyle & BS_TYPEMASK) == BS_CHECKBOX || (dwStyle & BS_TYPEMASK) == BS_RADIOBUTTON)
        {
            // The plain kinds leave checking to the program.
            pButton->setCheckable(false);
        }
        QObject::connect(
            pButton, &QAbstractButton::clicked, pButton,
            [pButton]()
            {
                if (auto* p = DYNAMIC_DOWNCAST(CDialogItem,
                                               CWnd::FromHandlePermanent(CWnd::HandleOf(pButton))))
                    p->Notify(BN_CLICKED);
            });
        return pButton;
    }
    case kGroupBox:
        return new QGroupBox(pParentWidget);
    case kOther:
    default:
        return new QWidget(pParentWidget);
    }
}

BOOL CDialogItem::IsDefaultButton() const
{
    auto* pButton = qobject_cast<QPushButton*>(GetWidget());
    return pButton && pButton->isDefault();
}

void CDialogItem::Notify(UINT nCode)
{
    if (CWnd* pParent = GetParent())
        pParent->SendMessage(WM_COMMAND, MAKEWPARAM(m_nID, nCode), (LPARAM)m_hWnd);
}

void CDialogItem::ApplyText(const QString& text)
{
    QWidget* pWidget = GetWidget();
    if (!pWidget)
        return;
    if (auto* pLabel = qobject_cast<QLabel*>(pWidget))
    {
        if (m_kind == kStatic)
            pLabel->setText((m_dwStyle & SS_NOPREFIX) ? text : WithoutPrefix(text));
    }
    else if (auto* pLine = qobject_cast<QLineEdit*>(pWidget))
    {
        pLine->setText(text);
        pLine->setCursorPosition(0);
    }
    else if (auto* pPlain = qobject_cast<QPlainTextEdit*>(pWidget))
    {
        QString plain = text;
        plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        pPlain->setProperty("afxSettingText", true);
        pPlain->setPlainText(plain);
        pPlain->setProperty("afxSettingText", false);
    }
    else if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget))
    {
        pButton->setText(text);
    }
    else if (auto* pGroup = qobject_cast<QGroupBox*>(pWidget))
    {
        pGroup->setTitle(text);
    }
}

LRESULT CDialogItem::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT)
    {
        QString text = AfxToQString(reinterpret_cast<LPCWSTR>(lParam));
        ApplyText(text);
        // The window text is the control's text, as given.
        if (QWidget* pWidget = GetWidget())
            pWidget->setWindowTitle(text);
        return TRUE;
    }
    // An edit of a template answers the edit messages as any edit window does.
    constexpr UINT kFirstEditMessage = 0x00B0, kLastEditMessage = 0x00DA;
    if ((m_kind == kEdit || m_kind == kMultiLineEdit) && message >= kFirstEditMessage &&
        message <= kLastEditMessage)
    {
        LRESULT result = 0;
        if (CEdit::EditWindowProc(m_hWnd, message, wParam, lParam, &result))
            return result;
    }
    if (message == BM_GETCHECK || message == BM_SETCHECK)
    {
        auto* pButton = qobject_cast<QAbstractButton*>(GetWidget());
        if (!pButton || !pButton->isCheckable())
            return BST_UNCHECKED;
        if (message == BM_SETCHECK)
            pButton->setChecked(wParam == BST_CHECKED);
        return message == BM_GETCHECK && pButton->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}

BOOL AfxCreateDialogItems(CWnd* pParentWnd, const AFX_DIALOG_RESOURCE* pTemplate,
                          const AFX_DIALOG_METRICS& metrics)
{
    if (!pParentWnd || !pTemplate)
        return FALSE;
    for (int i = 0; i < pTemplate->nItems; ++i)
    {
        auto* pItem = new CDialogItem;
        // A failed creation has already let the item delete itself.
        if (!pItem->Create(pTemplate->pItems[i], pParentWnd, metrics))
            return FALSE;
    }
    return TRUE;
}
