#include "velmar/framework/ToolBar.h"

#include "velmar/framework/CmdUI.h"
#include "velmar/framework/FrameWnd.h"
#include "velmar/framework/Resources.h"

#include <QAction>
#include <QEvent>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
END_MESSAGE_MAP()

// The bar's widget: a Qt tool bar outside any main window (the frame lays it
// out), which tells its CToolBar about clicks, hovering and tool tips.
class CToolBarWidget : public QToolBar
{
public:
    explicit CToolBarWidget(QWidget* pParent) : QToolBar(pParent)
    {
        setMovable(false);
        setFloatable(false);
        setIconSize(QSize(16, 16));
        setToolButtonStyle(Qt::ToolButtonIconOnly);
        setContextMenuPolicy(Qt::PreventContextMenu);
    }

    CToolBar* Bar() const
    {
        return DYNAMIC_DOWNCAST(CToolBar, CWnd::FromHandlePermanent(CWnd::HandleOf(this)));
    }

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        // Tool tips only with CBRS_TOOLTIPS.
        if (pEvent->type() == QEvent::ToolTip)
        {
            CToolBar* pBar = Bar();
            if (!pBar || !(pBar->GetBarStyle() & CBRS_TOOLTIPS))
                return true;
        }
        return QToolBar::eventFilter(pWatched, pEvent);
    }

protected:
    bool event(QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Leave)
            if (CToolBar* pBar = Bar())
                pBar->OnMouseLeft();
        if (pEvent->type() == QEvent::ChildAdded)
        {
            auto* pChild = static_cast<QChildEvent*>(pEvent)->child();
            if (pChild->isWidgetType())
                pChild->installEventFilter(this);
        }
        return QToolBar::event(pEvent);
    }
};

QWidget* CToolBar::CreateBarWidget(QWidget* pParentWidget)
{
    return new CToolBarWidget(pParentWidget);
}

QToolBar* CToolBar::GetToolBarWidget() const
{
    return qobject_cast<QToolBar*>(GetWidget());
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, 0, dwStyle, CRect(0, 0, 0, 0), nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect, UINT nID)
{
    m_dwCtrlStyle = dwCtrlStyle;
    if (!CreateBar(dwStyle, pParentWnd, nID))
        return FALSE;
    ApplyButtonLook();
    Relayout();
    return TRUE;
}

void CToolBar::SetBarStyle(DWORD dwStyle)
{
    CControlBar::SetBarStyle(dwStyle);
    if (!(dwStyle & CBRS_FLYBY) && m_nIDFlyBy)
        OnMouseLeft();
}

// The image strip of a resource, with the button-face gray made transparent
// when the strip has no alpha of its own.
static bool LoadStrip(const AFX_TOOLBAR_RESOURCE* pRes, QImage& strip)
{
    if (!pRes->pBitmap || pRes->nBitmapSize == 0)
        return true;
    if (!strip.loadFromData(pRes->pBitmap, (int)pRes->nBitmapSize))
        return false;
    if (!strip.hasAlphaChannel())
    {
        strip = strip.convertToFormat(QImage::Format_ARGB32);
        const QRgb gray = qRgb(192, 192, 192);
        for (int y = 0; y < strip.height(); ++y)
        {
            auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
            for (int x = 0; x < strip.width(); ++x)
                if ((line[x] | 0xFF000000u) == gray)
                    line[x] = 0;
        }
    }
    return true;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource)
{
    const AFX_TOOLBAR_RESOURCE* pRes = AfxFindToolBarResource(nIDResource);
    if (!pRes || !GetToolBarWidget() || pRes->nItems < 0 || (pRes->nItems > 0 && !pRes->pItems))
        return FALSE;
    QImage strip;
    if (!LoadStrip(pRes, strip))
        return FALSE;
    m_sizeImage = QSize(pRes->wWidth ? pRes->wWidth : 16, pRes->wHeight ? pRes->wHeight : 16);
    m_bTextOnly = strip.isNull();
    m_strip = strip;
    return SetButtons(pRes->pItems, pRes->nItems);
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount)
{
    QToolBar* pWidget = GetToolBarWidget();
    if (!pWidget || nIDCount < 0 || (nIDCount > 0 && !lpIDArray))
        return FALSE;
    pWidget->clear();
    m_buttons.clear();
    pWidget->setIconSize(m_sizeImage);
    pWidget->setToolButtonStyle(m_bTextOnly ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    const QImage& strip = m_strip;
    int nImage = 0;
    HWND hWnd = m_hWnd;
    for (int i = 0; i < nIDCount; ++i)
    {
        Button button;
        button.nID = lpIDArray[i];
        if (button.nID == ID_SEPARATOR)
        {
            pWidget->addSeparator();
            m_buttons.push_back(button);
            continue;
        }
        CString full, prompt, tip;
        if (full.LoadString(button.nID))
        {
            AfxExtractSubString(prompt, full, 0);
            AfxExtractSubString(tip, full, 1);
        }
        QAction* pAction = pWidget->addAction(AfxToQString(tip));
        pAction->setToolTip(AfxToQString(tip));
        pAction->setProperty("afxID", button.nID);
        int x = nImage * m_sizeImage.width();
        if (!strip.isNull() && x + m_sizeImage.width() <= strip.width())
            pAction->setIcon(QIcon(
                QPixmap::fromImage(strip.copy(x, 0, m_sizeImage.width(), m_sizeImage.height()))));
        ++nImage;
        UINT nID = button.nID;
        QObject::connect(pAction, &QAction::triggered, pAction,
                         [hWnd, nID]()
                         {
                             if (auto* pBar =
                                     DYNAMIC_DOWNCAST(CToolBar, CWnd::FromHandlePermanent(hWnd)))
                                 pBar->OnButtonClicked(nID);
                         });
        QObject::connect(pAction, &QAction::hovered, pAction,
                         [hWnd, nID]()
                         {
                             if (auto* pBar =
                                     DYNAMIC_DOWNCAST(CToolBar, CWnd::FromHandlePermanent(hWnd)))
                                 pBar->OnButtonHovered(nID);
                         });
        button.pAction = pAction;
        m_buttons.push_back(button);
    }
    ApplyButtonLook();
    Relayout();
    return TRUE;
}

void CToolBar::ApplyButtonLook()
{
    QToolBar* pWidget = GetToolBarWidget();
    if (!pWidget)
        return;
    // Flat buttons show their edge only under the mouse.
    bool bFlat = (m_dwCtrlStyle & TBSTYLE_FLAT) != 0;
    for (const Button& button : m_buttons)
        if (button.pAction)
            if (auto* pTool = qobject_cast<QToolButton*>(pWidget->widgetForAction(button.pAction)))
                pTool->setAutoRaise(bFlat);
}

void CToolBar::Relayout()
{
    if (QWidget* pWidget = GetWidget())
    {
        pWidget->adjustSize();
        pWidget->updateGeometry();
    }
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->RecalcLayout();
}

UINT CToolBar::GetItemID(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_buttons[(size_t)nIndex].nID : 0;
}

int CToolBar::CommandToIndex(UINT nIDFind) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (m_buttons[(size_t)i].nID == nIDFind)
            return i;
    return -1;
}

QAction* CToolBar::GetButtonAction(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_buttons[(size_t)nIndex].pAction : nullptr;
}

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    if (!lpRect)
        return;
    *lpRect = RECT{0, 0, 0, 0};
    QToolBar* pWidget = GetToolBarWidget();
    if (!pWidget || nIndex < 0 || nIndex >= GetCount())
        return;
    // A separator's place lies between the buttons around it.
    QAction* pAction = m_buttons[(size_t)nIndex].pAction;
    if (!pAction)
    {
        const QList<QAction*> actions = pWidget->actions();
        if (nIndex < actions.size())
            pAction = actions[nIndex];
    }
    QWidget* pButton = pAction ? pWidget->widgetForAction(pAction) : nullptr;
    if (!pButton)
        return;
    QRect r = pButton->geometry();
    *lpRect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

UINT CToolBar::GetButtonStyle(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return 0;
    QAction* pAction = m_buttons[(size_t)nIndex].pAction;
    if (!pAction)
        return TBBS_SEPARATOR;
    UINT nStyle = pAction->isCheckable() ? TBBS_CHECKBOX : TBBS_BUTTON;
    if (pAction->isChecked())
        nStyle |= TBBS_CHECKED;
    if (!pAction->isEnabled())
        nStyle |= TBBS_DISABLED;
    return nStyle;
}

CSize CToolBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    return CControlBar::CalcFixedLayout(bStretch, bHorz);
}

void CToolBar::OnButtonClicked(UINT nID)
{
    // As a menu item: the frame runs it only if its update handler lets it.
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0);
}

void CToolBar::OnButtonHovered(UINT nID)
{
    if (!(m_dwBarStyle & CBRS_FLYBY) || nID == m_nIDFlyBy)
        return;
    m_nIDFlyBy = nID;
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->SetMessageText(nID);
}

void CToolBar::OnMouseLeft()
{
    if (!m_nIDFlyBy)
        return;
    m_nIDFlyBy = 0;
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
}

// What an update handler sets on a button; the button's text stays.
class CToolCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        if (m_pAction)
            m_pAction->setEnabled(bOn != FALSE);
    }
    void SetCheck(int nCheck) override
    {
        if (!m_pAction)
            return;
        if (nCheck)
            m_pAction->setCheckable(true);
        m_pAction->setChecked(nCheck != 0);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCWSTR) override {}
};

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    CToolCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = (UINT)GetCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex)
    {
        const Button& button = m_buttons[state.m_nIndex];
        if (!button.pAction)
            continue;
        state.m_nID = button.nID;
        state.m_pAction = button.pAction;
        if (CWnd::OnCmdMsg(state.m_nID, (int)CN_UPDATE_COMMAND_UI, &state, nullptr))
            continue;
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
}
