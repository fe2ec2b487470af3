#include "velmar/framework/Resources.h"

#include "velmar/framework/Translation.h"

#include "velmar/framework/AfxRes.h"

#include <algorithm>
#include <utility>
#include <vector>

// The framework's own strings: its idle prompt, file messages and the prompts
// of the standard commands. A program's tables take precedence.
static const AFX_STRING_RESOURCE s_frameworkStrings[] = {
    {AFX_IDS_IDLEMESSAGE, L"For help, press F1."},
    {AFX_IDS_UNTITLED, L"Untitled"},
    {AFX_IDS_OPENFILE, L"Open"},
    {AFX_IDS_SAVEFILE, L"Save As"},
    {AFX_IDS_SAVEFILECOPY, L"Save As"},
    {AFX_IDS_ALLFILTER, L"All Files (*.*)"},
    {AFX_IDS_MDICHILD, L"Activate this window"},
    {AFX_IDP_INVALID_FILENAME, L"Invalid filename."},
    {AFX_IDP_FAILED_TO_OPEN_DOC, L"Failed to open document."},
    {AFX_IDP_FAILED_TO_SAVE_DOC, L"Failed to save document."},
    {AFX_IDP_ASK_TO_SAVE, L"Save changes to %1?"},
    {AFX_IDP_FAILED_TO_CREATE_DOC, L"Failed to create empty document."},
    {AFX_IDP_COMMAND_FAILURE, L"Command failed."},
    {AFX_IDP_FAILED_TO_LAUNCH_HELP, L"Failed to launch help."},
    {AFX_IDP_FILE_NOT_FOUND, L"%1 was not found."},
    {AFX_IDP_FILE_ACCESS_DENIED, L"Access to %1 was denied."},
    {AFX_IDP_SETTINGS_DAMAGED, L"The settings file was damaged and has been moved to %1. "
                               L"The program starts with default settings and an empty list of "
                               L"recent files."},
    {ID_FILE_NEW, L"Create a new document\nNew"},
    {ID_FILE_OPEN, L"Open an existing document\nOpen"},
    {ID_FILE_CLOSE, L"Close the active document\nClose"},
    {ID_FILE_SAVE, L"Save the active document\nSave"},
    {ID_FILE_SAVE_AS, L"Save the active document with a new name\nSave As"},
    {ID_APP_ABOUT, L"Display program information, version number and copyright\nAbout"},
    {ID_APP_EXIT, L"Quit the application; prompts to save documents\nExit"},
    {ID_WINDOW_NEW, L"Open another window for the active document\nNew Window"},
    {ID_WINDOW_ARRANGE, L"Arrange icons at the bottom of the window\nArrange Icons"},
    {ID_WINDOW_CASCADE, L"Arrange windows so they overlap\nCascade Windows"},
    {ID_WINDOW_TILE_HORZ, L"Arrange windows as non-overlapping tiles\nTile Windows"},
    {ID_WINDOW_TILE_VERT, L"Arrange windows as non-overlapping tiles\nTile Windows"},
    {ID_NEXT_PANE, L"Switch to the next window pane\nNext Pane"},
    {ID_PREV_PANE, L"Switch back to the previous window pane\nPrevious Pane"},
    {ID_VIEW_TOOLBAR, L"Show or hide the toolbar\nToggle ToolBar"},
    {ID_VIEW_STATUS_BAR, L"Show or hide the status bar\nToggle StatusBar"},
    {ID_VIEW_REBAR, L"Show or hide the rebar\nToggle ReBar"},
    {ID_INDICATOR_EXT, L"EXT"},
    {ID_INDICATOR_CAPS, L"CAP"},
    {ID_INDICATOR_NUM, L"NUM"},
    {ID_INDICATOR_SCRL, L"SCRL"},
    {ID_FILE_PRINT, L"Print the active document\nPrint"},
    {ID_EDIT_CUT, L"Cut the selection and put it on the Clipboard\nCut"},
    {ID_EDIT_COPY, L"Copy the selection and put it on the Clipboard\nCopy"},
    {ID_EDIT_PASTE, L"Insert Clipboard contents\nPaste"},
    {ID_EDIT_UNDO, L"Undo the last action\nUndo"},
    {ID_CONTEXT_HELP, L"Display help for clicked on buttons, menus and windows\nHelp"},
    {ID_HELP_INDEX, L"Opens Help\nHelp Topics"},
    {ID_HELP, L"Display help for current task or command\nHelp"},
    {ID_FILE_MRU_FILE1 + 0, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 1, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 2, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 3, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 4, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 5, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 6, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 7, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 8, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 9, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 10, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 11, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 12, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 13, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 14, L"Open this document"},
    {ID_FILE_MRU_FILE1 + 15, L"Open this document"},
};

static const AFX_RESOURCE_TABLE s_frameworkTable = {s_frameworkStrings,
                                                    AFX_COUNTOF(s_frameworkStrings),
                                                    nullptr,
                                                    0,
                                                    nullptr,
                                                    0,
                                                    nullptr,
                                                    0,
                                                    nullptr,
                                                    0};

static std::vector<const AFX_RESOURCE_TABLE*>& Tables()
{
    static std::vector<const AFX_RESOURCE_TABLE*> tables{&s_frameworkTable};
    return tables;
}

void AfxRegisterResources(const AFX_RESOURCE_TABLE* pTable)
{
    if (pTable)
        Tables().push_back(pTable);
}

BOOL AfxUnregisterResources(const AFX_RESOURCE_TABLE* pTable)
{
    auto& tables = Tables();
    auto it = std::find(tables.begin(), tables.end(), pTable);
    if (it == tables.end() || pTable == &s_frameworkTable)
        return FALSE;
    tables.erase(it);
    return TRUE;
}

template <class T> static const T* FindIn(const T* p, int n, UINT nID)
{
    for (int i = 0; p && i < n; ++i)
        if (p[i].nID == nID)
            return &p[i];
    return nullptr;
}

LPCWSTR AfxFindStringResource(UINT nID)
{
    const auto& tables = Tables();
    for (auto it = tables.rbegin(); it != tables.rend(); ++it)
        if (const AFX_STRING_RESOURCE* s = FindIn((*it)->pStrings, (*it)->nStrings, nID))
            return AfxTranslatePermanent(s->lpszText);
    return nullptr;
}

const AFX_MENU_RESOURCE* AfxFindMenuResource(UINT nID)
{
    const auto& tables = Tables();
    for (auto it = tables.rbegin(); it != tables.rend(); ++it)
        if (const AFX_MENU_RESOURCE* m = FindIn((*it)->pMenus, (*it)->nMenus, nID))
            return m;
    return nullptr;
}

const AFX_ACCEL_RESOURCE* AfxFindAccelResource(UINT nID)
{
    const auto& tables = Tables();
    for (auto it = tables.rbegin(); it != tables.rend(); ++it)
        if (const AFX_ACCEL_RESOURCE* a = FindIn((*it)->pAccels, (*it)->nAccels, nID))
            return a;
    return nullptr;
}

const AFX_ICON_RESOURCE* AfxFindIconResource(UINT nID)
{
    const auto& tables = Tables();
    for (auto it = tables.rbegin(); it != tables.rend(); ++it)
        if (const AFX_ICON_RESOURCE* i = FindIn((*it)->pIcons, (*it)->nIcons, nID))
            return i;
    return nullptr;
}

const AFX_DIALOG_RESOURCE* AfxFindDialogResource(UINT nID)
{
    const auto& tables = Tables();
    for (auto it = tables.rbegin(); it != tables.rend(); ++it)
        if (const AFX_DIALOG_RESOURCE* d = FindIn((*it)->pDialogs, (*it)->nDialogs, nID))
            return d;
    return nullptr;
}

static std::vector<std::pair<const AFX_TOOLBAR_RESOURCE*, int>>& ToolBarTables()
{
    static std::vector<std::pair<const AFX_TOOLBAR_RESOURCE*, int>> tables;
    return tables;
}

void AfxRegisterToolBarResources(const AFX_TOOLBAR_RESOURCE* pBars, int nBars)
{
    if (pBars && nBars > 0)
        ToolBarTables().emplace_back(pBars, nBars);
}

BOOL AfxUnregisterToolBarResources(const AFX_TOOLBAR_RESOURCE* pBars)
{
    auto& tables = ToolBarTables();
    for (auto it = tables.begin(); it != tables.end(); ++it)
        if (it->first == pBars)
        {
            tables.erase(it);
            return TRUE;
        }
    return FALSE;
}

const AFX_TOOLBAR_RESOURCE* AfxFindToolBarResource(UINT nID)
{
    const auto& tables = ToolBarTables();
    for (auto it = tables.rbegin(); it != tables.rend(); ++it)
        if (const AFX_TOOLBAR_RESOURCE* t = FindIn(it->first, it->second, nID))
            return t;
    return nullptr;
}
