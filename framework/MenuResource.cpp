#include "velmar/framework/MenuResource.h"

#include "velmar/framework/Translation.h"

#include "velmar/framework/AfxString.h"
#include "velmar/framework/FrameWnd.h"
#include "velmar/framework/Wnd.h"

#include <QAction>
#include <QMenu>
#include <QVariant>

#include <memory>

static const char* const kCmdIDProperty = "afxCmdID";
static const char* const kHMenuProperty = "afxHMenu";

HMENU__::~HMENU__()
{
    for (QMenu* pMenu : popups)
        delete pMenu;
}

UINT AfxGetActionID(const QAction* pAction)
{
    if (!pAction)
        return 0;
    QVariant v = pAction->property(kCmdIDProperty);
    return v.isValid() ? v.toUInt() : 0;
}

HMENU AfxGetMenuOfPopup(const QMenu* pMenu)
{
    if (!pMenu)
        return nullptr;
    QVariant v = pMenu->property(kHMenuProperty);
    return v.isValid() ? reinterpret_cast<HMENU>(v.value<quintptr>()) : nullptr;
}

static CWnd* MenuOwner(const QMenu* pMenu)
{
    HMENU hMenu = AfxGetMenuOfPopup(pMenu);
    return hMenu ? CWnd::FromHandlePermanent(hMenu->hWndOwner) : nullptr;
}

static void WirePopup(QMenu* pMenu, HMENU hMenu)
{
    pMenu->setProperty(kHMenuProperty, QVariant::fromValue((quintptr)hMenu));
    QObject::connect(pMenu, &QMenu::aboutToShow, pMenu,
                     [pMenu]()
                     {
                         if (CFrameWnd* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, MenuOwner(pMenu)))
                             pFrame->OnInitMenuPopup(pMenu);
                     });
    QObject::connect(pMenu, &QMenu::aboutToHide, pMenu,
                     [pMenu]()
                     {
                         if (CFrameWnd* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, MenuOwner(pMenu)))
                             pFrame->OnMenuClosed();
                     });
}

QAction* AfxInsertMenuItem(QMenu* pMenu, QAction* pBefore, UINT nID, LPCWSTR lpszText)
{
    QAction* pAction = new QAction(AfxToQString(lpszText), pMenu);
    pAction->setProperty(kCmdIDProperty, nID);
    pMenu->insertAction(pBefore, pAction);
    QObject::connect(pAction, &QAction::triggered, pMenu,
                     [pMenu, nID]()
                     {
                         if (CWnd* pOwner = MenuOwner(pMenu))
                             pOwner->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0);
                     });
    QObject::connect(pAction, &QAction::hovered, pMenu,
                     [pMenu, nID]()
                     {
                         if (CFrameWnd* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, MenuOwner(pMenu)))
                             pFrame->OnMenuSelect(nID);
                     });
    return pAction;
}

HMENU AfxLoadMenu(UINT nID)
{
    const AFX_MENU_RESOURCE* pRes = AfxFindMenuResource(nID);
    if (!pRes)
        return nullptr;
    HMENU hMenu = new HMENU__;
    hMenu->nID = nID;
    // Pop-ups nest by MF_POPUP ... MF_END; an explicit stack keeps this iterative.
    std::vector<QMenu*> stack;
    for (int i = 0; i < pRes->nItems; ++i)
    {
        const AFX_MENU_ITEM& item = pRes->pItems[i];
        if (item.nFlags & MF_POPUP)
        {
            QMenu* pPopup = new QMenu(AfxToQString(AfxTranslatePermanent(item.lpszText)));
            WirePopup(pPopup, hMenu);
            if (stack.empty())
                hMenu->popups.push_back(pPopup);
            else
            {
                pPopup->setParent(stack.back(), pPopup->windowFlags());
                stack.back()->addMenu(pPopup);
            }
            stack.push_back(pPopup);
            continue;
        }
        if (item.nFlags & MF_END)
        {
            if (!stack.empty())
                stack.pop_back();
            continue;
        }
        if (stack.empty())
            continue; // items outside any pop-up have no place in a menu bar
        if (item.nFlags & MF_SEPARATOR)
        {
            stack.back()->addSeparator();
            continue;
        }
        QAction* pAction = AfxInsertMenuItem(stack.back(), nullptr, item.nID,
                                             AfxTranslatePermanent(item.lpszText));
        if (item.nFlags & (MF_GRAYED | MF_DISABLED))
            pAction->setEnabled(false);
        if (item.nFlags & MF_CHECKED)
        {
            pAction->setCheckable(true);
            pAction->setChecked(true);
        }
    }
    return hMenu;
}

void AfxDestroyMenu(HMENU hMenu)
{
    delete hMenu;
}

HACCEL AfxLoadAccelerators(UINT nID)
{
    const AFX_ACCEL_RESOURCE* pRes = AfxFindAccelResource(nID);
    if (!pRes)
        return nullptr;
    static std::vector<std::unique_ptr<HACCEL__>> owned; // one per resource, for the process
    for (const auto& p : owned)
        if (p->pResource == pRes)
            return p.get();
    owned.push_back(std::make_unique<HACCEL__>());
    owned.back()->pResource = pRes;
    return owned.back().get();
}

QKeySequence AfxAccelKeySequence(const AFX_ACCEL& accel)
{
    int key = 0;
    WORD vk = accel.key;
    if (!(accel.fVirt & FVIRTKEY))
    {
        key = (vk >= 'a' && vk <= 'z') ? vk - 'a' + 'A' : vk;
    }
    else if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
    {
        key = vk;
    }
    else if (vk >= VK_F1 && vk <= VK_F1 + 23)
    {
        key = Qt::Key_F1 + (vk - VK_F1);
    }
    else
    {
        switch (vk)
        {
        case VK_BACK:
            key = Qt::Key_Backspace;
            break;
        case VK_TAB:
            key = Qt::Key_Tab;
            break;
        case VK_RETURN:
            key = Qt::Key_Return;
            break;
        case VK_ESCAPE:
            key = Qt::Key_Escape;
            break;
        case VK_SPACE:
            key = Qt::Key_Space;
            break;
        case VK_PRIOR:
            key = Qt::Key_PageUp;
            break;
        case VK_NEXT:
            key = Qt::Key_PageDown;
            break;
        case VK_END:
            key = Qt::Key_End;
            break;
        case VK_HOME:
            key = Qt::Key_Home;
            break;
        case VK_LEFT:
            key = Qt::Key_Left;
            break;
        case VK_UP:
            key = Qt::Key_Up;
            break;
        case VK_RIGHT:
            key = Qt::Key_Right;
            break;
        case VK_DOWN:
            key = Qt::Key_Down;
            break;
        case VK_INSERT:
            key = Qt::Key_Insert;
            break;
        case VK_DELETE:
            key = Qt::Key_Delete;
            break;
        default:
            return QKeySequence();
        }
    }
    int mods = 0;
    if (accel.fVirt & FCONTROL)
        mods |= Qt::CTRL;
    if (accel.fVirt & FSHIFT)
        mods |= Qt::SHIFT;
    if (accel.fVirt & FALT)
        mods |= Qt::ALT;
    return QKeySequence(key | mods);
}
