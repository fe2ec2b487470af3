#pragma once
// CCmdTarget and message maps: tables that route window messages, commands,
// command-update queries and control notifications to member functions.
#include "velmar/framework/AfxGeometry.h"
#include "velmar/framework/Object.h"

#include <type_traits>

class CCmdTarget;
class CCmdUI;
class CWnd;

typedef void (CCmdTarget::*AFX_PMSG)();

// The signature a message-map entry's handler has; the dispatcher casts back by it.
enum AfxSig : UINT
{
    AfxSig_end = 0,
    AfxSig_v_v,     // void ()                         ON_COMMAND, ON_CONTROL, WM_DESTROY, WM_CLOSE
    AfxSig_b_u,     // BOOL (UINT)                     ON_COMMAND_EX, ON_COMMAND_EX_RANGE
    AfxSig_v_u,     // void (UINT)                     ON_COMMAND_RANGE
    AfxSig_v_ui,    // void (CCmdUI*)                  ON_UPDATE_COMMAND_UI(_RANGE)
    AfxSig_v_nmhdr, // void (NMHDR*, LRESULT*)         ON_NOTIFY, ON_NOTIFY_REFLECT
    AfxSig_b_nmhdr, // BOOL (NMHDR*, LRESULT*)         ON_NOTIFY_EX, ON_NOTIFY_REFLECT_EX
    AfxSig_b_v,     // BOOL ()                         ON_CONTROL_REFLECT_EX
    AfxSig_l_wl,    // LRESULT (WPARAM, LPARAM)        ON_MESSAGE
    AfxSig_i_cs,    // int (LPCREATESTRUCT)            WM_CREATE
    AfxSig_v_bu,    // void (BOOL, UINT)               WM_SHOWWINDOW
    AfxSig_v_wp,    // void (CWnd*, CPoint)            WM_CONTEXTMENU
    AfxSig_v_up,    // void (UINT, CPoint)             mouse buttons
    AfxSig_v_bww,   // void (BOOL, CWnd*, CWnd*)       WM_MDIACTIVATE
    AfxSig_v_hdrop, // void (HDROP)                    WM_DROPFILES
    AfxSig_v_uii,   // void (UINT, int, int)           WM_SIZE
    AfxSig_v_w,     // void (CWnd*)                    WM_SETFOCUS, WM_KILLFOCUS
};

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage; // window message
    UINT nCode;    // control code, notification code or CN_ value
    UINT nID;      // first control or command id
    UINT nLastID;  // last id of a range
    UINT nSig;     // AfxSig of pfn
    AFX_PMSG pfn;  // the handler, cast to one type
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Codes of OnCmdMsg.
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))

// What OnCmdMsg reports instead of calling, when asked whether a handler exists.
struct AFX_CMDHANDLERINFO
{
    CCmdTarget* pTarget;
    AFX_PMSG pmf;
};

// Extra data of a WM_NOTIFY routed through OnCmdMsg.
struct AFX_NOTIFY
{
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

class CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;

    // Routes a command, update query or notification through this target's map
    // (and, in derived classes, on along the framework's routing). TRUE if handled.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // The map entry for a window message (not WM_COMMAND/WM_NOTIFY), or null.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMsg, UINT nCode = 0, UINT nID = 0) const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    friend class CWnd;
};

// Calls one command, update or notification handler by its signature.
BOOL AfxDispatchCmdMsg(CCmdTarget* pTarget, UINT nID, int nCode, AFX_PMSG pfn, void* pExtra,
                       UINT nSig, AFX_CMDHANDLERINFO* pHandlerInfo);

// A handler stored in a map entry: the signature is stated, never deduced, so a
// handler of the wrong type does not compile. The dispatcher casts it back to
// exactly that type before calling.
template <class R, class... A> using AfxPmsgT = R (CCmdTarget::*)(A...);

// The casts below change only the static type of the pointer; every call goes
// through the original type again, which is what the language allows.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
template <class R, class C, class... A> AFX_PMSG AfxMsgFn(std::type_identity_t<R (C::*)(A...)> pfn)
{
    return reinterpret_cast<AFX_PMSG>(static_cast<AfxPmsgT<R, A...>>(pfn));
}
template <class R, class... A> AfxPmsgT<R, A...> AfxMsgFnBack(AFX_PMSG pfn)
{
    return reinterpret_cast<AfxPmsgT<R, A...>>(pfn);
}
#pragma GCC diagnostic pop

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const                                              \
    {                                                                                              \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                \
    {                                                                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    {                                                                                              \
        0, 0, 0, 0, AfxSig_end, nullptr                                                            \
    }                                                                                              \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

// The handler arguments are member-function pointers: &CMyClass::OnSomething.
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, CN_COMMAND, (UINT)(id),                                                           \
     (UINT)(id), AfxSig_v_v, AfxMsgFn<void, ThisClass>(memberFxn)},
#define ON_COMMAND_EX(id, memberFxn)                                                               \
    {WM_COMMAND, CN_COMMAND, (UINT)(id),                                                           \
     (UINT)(id), AfxSig_b_u, AfxMsgFn<BOOL, ThisClass, UINT>(memberFxn)},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                    \
    {WM_COMMAND,     CN_COMMAND, (UINT)(id),                                                       \
     (UINT)(idLast), AfxSig_v_u, AfxMsgFn<void, ThisClass, UINT>(memberFxn)},
#define ON_COMMAND_EX_RANGE(id, idLast, memberFxn)                                                 \
    {WM_COMMAND,     CN_COMMAND, (UINT)(id),                                                       \
     (UINT)(idLast), AfxSig_b_u, AfxMsgFn<BOOL, ThisClass, UINT>(memberFxn)},
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                        \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id),                                                 \
     (UINT)(id), AfxSig_v_ui,          AfxMsgFn<void, ThisClass, CCmdUI*>(memberFxn)},
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn)                                          \
    {WM_COMMAND,     CN_UPDATE_COMMAND_UI, (UINT)(id),                                             \
     (UINT)(idLast), AfxSig_v_ui,          AfxMsgFn<void, ThisClass, CCmdUI*>(memberFxn)},
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                     \
    {WM_COMMAND, (WORD)(wNotifyCode), (UINT)(id),                                                  \
     (UINT)(id), AfxSig_v_v,          AfxMsgFn<void, ThisClass>(memberFxn)},
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                                 \
    {WM_COMMAND + WM_REFLECT_BASE,        (WORD)(wNotifyCode), 0, 0, AfxSig_v_v,                   \
     AfxMsgFn<void, ThisClass>(memberFxn)},
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn)                                              \
    {WM_COMMAND + WM_REFLECT_BASE,        (WORD)(wNotifyCode), 0, 0, AfxSig_b_v,                   \
     AfxMsgFn<BOOL, ThisClass>(memberFxn)},
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                      \
    {                                                                                              \
        WM_NOTIFY,      (WORD)(int)(wNotifyCode),                                                  \
        (UINT)(id),     (UINT)(id),                                                                \
        AfxSig_v_nmhdr, AfxMsgFn<void, ThisClass, NMHDR*, LRESULT*>(memberFxn)},
#define ON_NOTIFY_EX(wNotifyCode, id, memberFxn)                                                   \
    {                                                                                              \
        WM_NOTIFY,      (WORD)(int)(wNotifyCode),                                                  \
        (UINT)(id),     (UINT)(id),                                                                \
        AfxSig_b_nmhdr, AfxMsgFn<BOOL, ThisClass, NMHDR*, LRESULT*>(memberFxn)},
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                                                  \
    {WM_NOTIFY + WM_REFLECT_BASE,                                                                  \
     (WORD)(int)(wNotifyCode),                                                                     \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_v_nmhdr,                                                                               \
     AfxMsgFn<void, ThisClass, NMHDR*, LRESULT*>(memberFxn)},
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn)                                               \
    {WM_NOTIFY + WM_REFLECT_BASE,                                                                  \
     (WORD)(int)(wNotifyCode),                                                                     \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_b_nmhdr,                                                                               \
     AfxMsgFn<BOOL, ThisClass, NMHDR*, LRESULT*>(memberFxn)},
#define ON_MESSAGE(message, memberFxn)                                                             \
    {(UINT)(message),                                                                              \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_l_wl,                                                                                  \
     AfxMsgFn<LRESULT, ThisClass, WPARAM, LPARAM>(memberFxn)},

#define ON_WM_CREATE()                                                                             \
    {WM_CREATE, 0,           0,                                                                    \
     0,         AfxSig_i_cs, AfxMsgFn<int, ThisClass, LPCREATESTRUCT>(&ThisClass::OnCreate)},
#define ON_WM_DESTROY()                                                                            \
    {WM_DESTROY, 0, 0, 0, AfxSig_v_v, AfxMsgFn<void, ThisClass>(&ThisClass::OnDestroy)},
#define ON_WM_CLOSE()                                                                              \
    {WM_CLOSE, 0, 0, 0, AfxSig_v_v, AfxMsgFn<void, ThisClass>(&ThisClass::OnClose)},
#define ON_WM_SHOWWINDOW()                                                                         \
    {WM_SHOWWINDOW,                                                                                \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_v_bu,                                                                                  \
     AfxMsgFn<void, ThisClass, BOOL, UINT>(&ThisClass::OnShowWindow)},
#define ON_WM_CONTEXTMENU()                                                                        \
    {WM_CONTEXTMENU,                                                                               \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_v_wp,                                                                                  \
     AfxMsgFn<void, ThisClass, CWnd*, CPoint>(&ThisClass::OnContextMenu)},
#define ON_WM_RBUTTONDOWN()                                                                        \
    {WM_RBUTTONDOWN,                                                                               \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_v_up,                                                                                  \
     AfxMsgFn<void, ThisClass, UINT, CPoint>(&ThisClass::OnRButtonDown)},
#define ON_WM_LBUTTONDOWN()                                                                        \
    {WM_LBUTTONDOWN,                                                                               \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_v_up,                                                                                  \
     AfxMsgFn<void, ThisClass, UINT, CPoint>(&ThisClass::OnLButtonDown)},
#define ON_WM_MDIACTIVATE()                                                                        \
    {WM_MDIACTIVATE,                                                                               \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_v_bww,                                                                                 \
     AfxMsgFn<void, ThisClass, BOOL, CWnd*, CWnd*>(&ThisClass::OnMDIActivate)},
#define ON_WM_DROPFILES()                                                                          \
    {WM_DROPFILES,                                                                                 \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_v_hdrop,                                                                               \
     AfxMsgFn<void, ThisClass, HDROP>(&ThisClass::OnDropFiles)},
#define ON_WM_SIZE()                                                                               \
    {WM_SIZE, 0, 0, 0, AfxSig_v_uii, AfxMsgFn<void, ThisClass, UINT, int, int>(&ThisClass::OnSize)},
#define ON_WM_SETFOCUS()                                                                           \
    {WM_SETFOCUS, 0, 0, 0, AfxSig_v_w, AfxMsgFn<void, ThisClass, CWnd*>(&ThisClass::OnSetFocus)},
#define ON_WM_KILLFOCUS()                                                                          \
    {WM_KILLFOCUS, 0, 0, 0, AfxSig_v_w, AfxMsgFn<void, ThisClass, CWnd*>(&ThisClass::OnKillFocus)},
