#pragma once
// Resources as code tables: the program describes its strings, menus,
// accelerators, icons and dialog templates in static arrays and registers them
// once; the framework looks them up by id. Tables registered later are searched
// first, so a program can override the framework's own strings.
#include "velmar/framework/AfxTypes.h"

struct AFX_STRING_RESOURCE
{
    UINT nID;
    LPCWSTR lpszText;
};

// A menu is a flat list: MF_POPUP opens a pop-up (its text is the title),
// MF_END closes the innermost open pop-up, MF_SEPARATOR is a separator line.
// Item texts use "&" for the mnemonic and "\t" before the key text.
#define MF_STRING 0x0000
#define MF_GRAYED 0x0001
#define MF_DISABLED 0x0002
#define MF_CHECKED 0x0008
#define MF_POPUP 0x0010
#define MF_END 0x0080
#define MF_SEPARATOR 0x0800

struct AFX_MENU_ITEM
{
    UINT nFlags;
    UINT nID;
    LPCWSTR lpszText;
};

struct AFX_MENU_RESOURCE
{
    UINT nID;
    const AFX_MENU_ITEM* pItems;
    int nItems;
};

struct AFX_ACCEL
{
    BYTE fVirt; // FVIRTKEY with FCONTROL, FSHIFT, FALT
    WORD key;   // virtual key: 'A'..'Z', '0'..'9', VK_ codes
    WORD cmd;   // command id
};

struct AFX_ACCEL_RESOURCE
{
    UINT nID;
    const AFX_ACCEL* pAccels;
    int nAccels;
};

// An icon is image data in a format Qt reads (PNG, XPM, ICO, SVG when available).
struct AFX_ICON_RESOURCE
{
    UINT nID;
    const unsigned char* pData;
    size_t nSize;
};

// Dialog templates, positions and sizes in dialog units. Items are created
// visible and as child windows, as a resource compiler makes them by default.
struct AFX_DIALOG_ITEM
{
    LPCWSTR lpszClass; // "BUTTON", "EDIT", "STATIC", ...
    LPCWSTR lpszText;  // caption; for icons "#<id>" of the icon resource
    int nID;           // control id, -1 for none
    DWORD dwStyle;
    DWORD dwExStyle;
    short x, y, cx, cy;
};

struct AFX_DIALOG_RESOURCE
{
    UINT nID;
    LPCWSTR lpszCaption;
    DWORD dwStyle;
    short x, y, cx, cy;
    LPCWSTR lpszFontName; // "MS Shell Dlg" stands for the system's dialog font
    WORD wPointSize;
    const AFX_DIALOG_ITEM* pItems;
    int nItems;
};

// A tool bar: its buttons' command ids in order, ID_SEPARATOR (0) for a
// separator, and the image strip with one image of wWidth by wHeight pixels
// per button (separators have none), left to right, in a format Qt reads.
// Pixels of the classic button-face gray RGB(192,192,192) are transparent in
// strips without an alpha channel. Without a strip the buttons show their
// tool tip text.
struct AFX_TOOLBAR_RESOURCE
{
    UINT nID;
    WORD wWidth;
    WORD wHeight;
    const UINT* pItems;
    int nItems;
    const unsigned char* pBitmap;
    size_t nBitmapSize;
};

struct AFX_RESOURCE_TABLE
{
    const AFX_STRING_RESOURCE* pStrings;
    int nStrings;
    const AFX_MENU_RESOURCE* pMenus;
    int nMenus;
    const AFX_ACCEL_RESOURCE* pAccels;
    int nAccels;
    const AFX_ICON_RESOURCE* pIcons;
    int nIcons;
    const AFX_DIALOG_RESOURCE* pDialogs;
    int nDialogs;
};

// Registers a table (kept by address, not copied); searched before earlier ones.
void AfxRegisterResources(const AFX_RESOURCE_TABLE* pTable);
// Removes a registered table; FALSE if it was not registered.
BOOL AfxUnregisterResources(const AFX_RESOURCE_TABLE* pTable);

LPCWSTR AfxFindStringResource(UINT nID);                // the text, or null
const AFX_MENU_RESOURCE* AfxFindMenuResource(UINT nID); // or null
const AFX_ACCEL_RESOURCE* AfxFindAccelResource(UINT nID);
const AFX_ICON_RESOURCE* AfxFindIconResource(UINT nID);
const AFX_DIALOG_RESOURCE* AfxFindDialogResource(UINT nID);

// Tool bars are registered on their own (kept by address, searched newest first).
void AfxRegisterToolBarResources(const AFX_TOOLBAR_RESOURCE* pBars, int nBars);
BOOL AfxUnregisterToolBarResources(const AFX_TOOLBAR_RESOURCE* pBars);
const AFX_TOOLBAR_RESOURCE* AfxFindToolBarResource(UINT nID);

#define AFX_COUNTOF(a) ((int)(sizeof(a) / sizeof((a)[0])))
