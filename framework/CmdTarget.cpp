#include "velmar/framework/CmdTarget.h"

#include "velmar/framework/CmdUI.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

static const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP_ENTRY* p, UINT nMsg, UINT nCode, UINT nID)
{
    for (; p->nSig != AfxSig_end; ++p)
        if (p->nMessage == nMsg && p->nCode == nCode && nID >= p->nID && nID <= p->nLastID)
            return p;
    return nullptr;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMsg, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
        if (const AFX_MSGMAP_ENTRY* e = FindEntry(map->lpEntries, nMsg, nCode, nID))
            return e;
    return nullptr;
}

BOOL AfxDispatchCmdMsg(CCmdTarget* pTarget, UINT nID, int, AFX_PMSG pfn, void* pExtra, UINT nSig,
                       AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (pHandlerInfo)
    {
        // Only asked whether a handler exists.
        pHandlerInfo->pTarget = pTarget;
        pHandlerInfo->pmf = pfn;
        return TRUE;
    }
    switch (nSig)
    {
    case AfxSig_v_v:
        (pTarget->*AfxMsgFnBack<void>(pfn))();
        return TRUE;
    case AfxSig_b_v:
        return (pTarget->*AfxMsgFnBack<BOOL>(pfn))();
    case AfxSig_b_u:
        return (pTarget->*AfxMsgFnBack<BOOL, UINT>(pfn))(nID);
    case AfxSig_v_u:
        (pTarget->*AfxMsgFnBack<void, UINT>(pfn))(nID);
        return TRUE;
    case AfxSig_v_ui:
    {
        CCmdUI* pCmdUI = static_cast<CCmdUI*>(pExtra);
        if (!pCmdUI)
            return FALSE;
        pCmdUI->m_bContinueRouting = FALSE;
        (pTarget->*AfxMsgFnBack<void, CCmdUI*>(pfn))(pCmdUI);
        return !pCmdUI->m_bContinueRouting;
    }
    case AfxSig_v_nmhdr:
    {
        AFX_NOTIFY* pNotify = static_cast<AFX_NOTIFY*>(pExtra);
        if (!pNotify)
            return FALSE;
        (pTarget->*AfxMsgFnBack<void, NMHDR*, LRESULT*>(pfn))(pNotify->pNMHDR, pNotify->pResult);
        return TRUE;
    }
    case AfxSig_b_nmhdr:
    {
        AFX_NOTIFY* pNotify = static_cast<AFX_NOTIFY*>(pExtra);
        if (!pNotify)
            return FALSE;
        return (pTarget->*AfxMsgFnBack<BOOL, NMHDR*, LRESULT*>(pfn))(pNotify->pNMHDR,
                                                                     pNotify->pResult);
    }
    default:
        return FALSE;
    }
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    // nCode carries the message in its high word for notifications; plain
    // commands and control codes come as WM_COMMAND.
    UINT nMsg = 0;
    UINT code = (UINT)nCode;
    if (code != CN_UPDATE_COMMAND_UI)
    {
        nMsg = HIWORD(code);
        code = LOWORD(code);
    }
    if (nMsg == 0)
        nMsg = WM_COMMAND;
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
    {
        if (const AFX_MSGMAP_ENTRY* e = FindEntry(map->lpEntries, nMsg, code, nID))
            return AfxDispatchCmdMsg(this, nID, nCode, e->pfn, pExtra, e->nSig, pHandlerInfo);
    }
    return FALSE;
}
