#pragma once
// Styles and notification codes of the standard controls that dialog
// templates create (static, edit, button). Defined only where not defined yet.
#include "velmar/framework/AfxTypes.h"

#ifndef WS_POPUP
#define WS_POPUP 0x80000000
#endif
#ifndef WS_GROUP
#define WS_GROUP 0x00020000
#endif
#ifndef WS_EX_CLIENTEDGE
#define WS_EX_CLIENTEDGE 0x00000200
#endif

// Static controls.
#ifndef SS_LEFT
#define SS_LEFT 0x0000L
#define SS_CENTER 0x0001L
#define SS_RIGHT 0x0002L
#define SS_ICON 0x0003L
#define SS_LEFTNOWORDWRAP 0x000CL
#define SS_TYPEMASK 0x001FL
#define SS_NOPREFIX 0x0080L
#define SS_CENTERIMAGE 0x0200L
#define SS_SUNKEN 0x1000L
#endif

// Edit controls.
#ifndef ES_LEFT
#define ES_LEFT 0x0000
#endif
#ifndef ES_CENTER
#define ES_CENTER 0x0001
#endif
#ifndef ES_RIGHT
#define ES_RIGHT 0x0002
#endif
#ifndef ES_MULTILINE
#define ES_MULTILINE 0x0004
#endif
#ifndef ES_AUTOVSCROLL
#define ES_AUTOVSCROLL 0x0040
#endif
#ifndef ES_AUTOHSCROLL
#define ES_AUTOHSCROLL 0x0080
#endif
#ifndef ES_NOHIDESEL
#define ES_NOHIDESEL 0x0100
#endif
#ifndef ES_READONLY
#define ES_READONLY 0x0800
#endif
#ifndef ES_WANTRETURN
#define ES_WANTRETURN 0x1000
#endif
#ifndef WS_VSCROLL
#define WS_VSCROLL 0x00200000
#endif
#ifndef WS_HSCROLL
#define WS_HSCROLL 0x00100000
#endif

// Buttons.
#ifndef BS_PUSHBUTTON
#define BS_PUSHBUTTON 0x0000L
#define BS_DEFPUSHBUTTON 0x0001L
#define BS_CHECKBOX 0x0002L
#define BS_AUTOCHECKBOX 0x0003L
#define BS_RADIOBUTTON 0x0004L
#define BS_GROUPBOX 0x0007L
#define BS_AUTORADIOBUTTON 0x0009L
#define BS_TYPEMASK 0x000FL
#endif

// Check state of a check box or radio button.
#ifndef BM_GETCHECK
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#endif

// Dialog styles.
#ifndef DS_MODALFRAME
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define DS_CENTER 0x0800L
#endif

// Notification codes, in the high word of WM_COMMAND's wParam.
#ifndef BN_CLICKED
#define BN_CLICKED 0
#endif
#ifndef EN_CHANGE
#define EN_CHANGE 0x0300
#endif

#ifndef WM_INITDIALOG
#define WM_INITDIALOG 0x0110
#endif
