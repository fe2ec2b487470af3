#include "velmar/app/VelmarResources.h"

#include "velmar/app/Resource.h"
#include "velmar/app/VelmarImages.h"
#include "velmar/framework/framework.h"

namespace
{

const AFX_STRING_RESOURCE kStrings[] = {
    {IDR_MAINFRAME, L"Velmar"},
    // Window title, document name, file-new name, filter name, filter
    // extension, registry file type id and name.
    {IDR_XMLTYPE, L"\nXML\nXML\nXML Files (*.xml)\n.xml\nXML.Document\nXML.Document"},
    {AFX_IDS_APP_TITLE, L"Velmar"},
    {AFX_IDS_IDLEMESSAGE, L"For help, press F1."},
    {IDP_OLE_INIT_FAILED,
     L"OLE initialization failed. Make sure that the OLE libraries are the correct version."},
    {ID_INDICATOR_LOADTIME, L"Loaded in 0 ms"},
    {ID_INDICATOR_MODE, L"XML 1.0"},
    {IDS_ABOUT_INFO, L"The XML document parser of Velmar is based on the Orvex library (Orvex "
                     L"Input/Output Library)."},

    // Prompts of the editor's own commands; the text after "\n" is the tool tip.
    {ID_EDIT_REDO, L"Do again what was undone.\nRedo"},
    {ID_EDIT_DUPLICATE, L"Insert a copy of the selected node after it.\nDuplicate"},
    {ID_XML_ADD_HEADER, L"Add header node."},
    {ID_XML_ADD_DATANODE, L"Add node."},
    {ID_XML_ADD_PARAM, L"Add selected node's parameter."},
    {ID_XML_ADD_REMARK, L"Add remarks."},
    {ID_XML_RENAME, L"Rename node."},
    {ID_XML_DELETE, L"Delete selected node."},
    {ID_XML_MOVE_UP, L"Move node up."},
    {ID_XML_MOVE_DOWN, L"Move node down."},
    {ID_XML_PREVIEW, L"View current xml document in Internet Explorer.\nPreview"},
    {ID_XML_EXPORT_NODE, L"Export selected node to file."},
    {ID_EDIT_NOTEPAD, L"Open notepad to edit current xml document,"},
    {ID_FILE_PROPERTY, L"View file property."},
    {ID_VIEW_PATHBAR, L"Hide/Show path bar\nswitch path bar"},
    {ID_HELP_FINDER, L"List Help topics\nHelp Topics"},
    {ID_XML_FIND, L"Find names and values in the document.\nFind"},
    {ID_XML_REPLACE, L"Replace in the document's values.\nReplace"},
    {ID_XML_FIND_NEXT, L"Select the next match.\nFind next"},
    {ID_XML_FIND_PREV, L"Select the previous match.\nFind previous"},
    {ID_XML_REPLACE_ONE, L"Replace in the selected value and find the next match.\nReplace"},
    {ID_XML_REPLACE_ALL, L"Replace in every value of the document.\nReplace all"},
    {ID_XML_FIND_CLOSE, L"Close the find bar.\nClose"},
    {ID_XML_GO_TO_PATH, L"Type a path to select its node.\nGo to path"},
    {ID_VIEW_VALUES, L"Show or hide the values beside the names in the tree.\nValues"},
    {ID_VIEW_STRICT, L"Open and create documents in the editor's strict dialect instead of XML "
                     L"1.0.\nStrict dialect"},
    {ID_XML_VALIDATE, L"Validate the document against its schema and list the errors.\nValidate"},
    {ID_XML_VALIDATE_SCHEMA,
     L"Choose the XML Schema, DTD or RELAX NG file to validate the document "
     L"against.\nChoose schema"},
    {ID_XML_VALIDATE_AUTO_SCHEMA,
     L"Validate against the schema or document type the document names.\nDocument's schema"},
    {ID_XML_VALIDATE_AS_YOU_EDIT, L"Validate again after each edit while the error list is "
                                  L"shown.\nValidate as I edit"},
    {ID_VIEW_VALIDATION, L"Show or hide the error list.\nErrors"},
};

// The File menu's recent files take the place of this grayed item.
#define VELMAR_RECENT_FILES                                                                        \
    {                                                                                              \
        MF_GRAYED, ID_FILE_MRU_FILE1, L"Recent files"                                              \
    }
#define VELMAR_SEPARATOR                                                                           \
    {                                                                                              \
        MF_SEPARATOR, 0, nullptr                                                                   \
    }

// Menu without a document.
const AFX_MENU_ITEM kMainMenu[] = {
    {MF_POPUP, 0, L"&File"},
    {0, ID_FILE_NEW, L"&New\tCtrl+N"},
    {0, ID_FILE_OPEN, L"&Open...\tCtrl+O"},
    VELMAR_SEPARATOR,
    VELMAR_RECENT_FILES,
    VELMAR_SEPARATOR,
    {0, ID_FILE_CLOSE, L"&Close"},
    {0, ID_APP_EXIT, L"E&xit"},
    {MF_END, 0, nullptr},
    {MF_POPUP, 0, L"&View"},
    {0, ID_VIEW_TOOLBAR, L"&Toolbar"},
    {0, ID_VIEW_STATUS_BAR, L"&Statusbar"},
    {0, ID_VIEW_PATHBAR, L"&Pathbar"},
    {0, ID_VIEW_VALUES, L"&Values"},
    {0, ID_VIEW_STRICT, L"Strict &dialect"},
    {0, ID_VIEW_VALIDATION, L"&Errors"},
    {MF_END, 0, nullptr},
    {MF_POPUP, 0, L"&Help"},
    {0, ID_HELP_FINDER, L"&Index"},
    VELMAR_SEPARATOR,
    {0, ID_APP_ABOUT, L"&About Velmar..."},
    {MF_END, 0, nullptr},
};

// Menu with a document. The XML menu is the third: the tree pane's context menu.
const AFX_MENU_ITEM kDocumentMenu[] = {
    {MF_POPUP, 0, L"&File"},
    {0, ID_FILE_NEW, L"&New\tCtrl+N"},
    {0, ID_FILE_OPEN, L"&Open...\tCtrl+O"},
    {0, ID_FILE_CLOSE, L"&Close"},
    VELMAR_SEPARATOR,
    {0, ID_FILE_SAVE, L"&Save\tCtrl+S"},
    {0, ID_FILE_SAVE_AS, L"Save &as..."},
    VELMAR_SEPARATOR,
    {0, ID_FILE_PROPERTY, L"&Property"},
    VELMAR_SEPARATOR,
    VELMAR_RECENT_FILES,
    VELMAR_SEPARATOR,
    {0, ID_APP_EXIT, L"E&xit"},
    {MF_END, 0, nullptr},
    {MF_POPUP, 0, L"&Edit"},
    {0, ID_EDIT_UNDO, L"&Undo\tCtrl+Z"},
    {0, ID_EDIT_REDO, L"&Redo\tCtrl+Y"},
    VELMAR_SEPARATOR,
    {0, ID_EDIT_CUT, L"Cu&t\tCtrl+X"},
    {0, ID_EDIT_COPY, L"&Copy\tCtrl+C"},
    {0, ID_EDIT_PASTE, L"&Paste\tCtrl+V"},
    {0, ID_EDIT_DUPLICATE, L"&Duplicate\tCtrl+D"},
    VELMAR_SEPARATOR,
    {0, ID_EDIT_NOTEPAD, L"Edit by &Notepad"},
    VELMAR_SEPARATOR,
    {0, ID_XML_FIND, L"&Find...\tCtrl+F"},
    {0, ID_XML_FIND_NEXT, L"Find Ne&xt\tF3"},
    {0, ID_XML_FIND_PREV, L"Find Pre&vious\tShift+F3"},
    {0, ID_XML_REPLACE, L"R&eplace...\tCtrl+H"},
    {0, ID_XML_GO_TO_PATH, L"&Go to Path\tCtrl+L"},
    {MF_END, 0, nullptr},
    {MF_POPUP, 0, L"&XML"},
    {MF_POPUP, 0, L"&Add"},
    {0, ID_XML_ADD_HEADER, L"&Header node"},
    {0, ID_XML_ADD_DATANODE, L"&Data node"},
    {0, ID_XML_ADD_PARAM, L"Node &parameter"},
    {0, ID_XML_ADD_REMARK, L"&Remark"},
    {MF_END, 0, nullptr},
    VELMAR_SEPARATOR,
    {0, ID_XML_RENAME, L"&Rename\tF2"},
    {0, ID_XML_DELETE, L"D&elete\tCtrl+Del"},
    VELMAR_SEPARATOR,
    {0, ID_XML_MOVE_UP, L"Move &up"},
    {0, ID_XML_MOVE_DOWN, L"Move &down"},
    VELMAR_SEPARATOR,
    {0, ID_XML_PREVIEW, L"Pre&view\tF12"},
    {0, ID_XML_EXPORT_NODE, L"E&xport node"},
    VELMAR_SEPARATOR,
    {0, ID_XML_VALIDATE, L"Va&lidate\tF7"},
    {0, ID_XML_VALIDATE_SCHEMA, L"&Choose Schema..."},
    {0, ID_XML_VALIDATE_AUTO_SCHEMA, L"&Schema the Document Names"},
    {0, ID_XML_VALIDATE_AS_YOU_EDIT, L"Validate as I Ed&it"},
    {MF_END, 0, nullptr},
    {MF_POPUP, 0, L"&View"},
    {0, ID_VIEW_TOOLBAR, L"&Toolbar"},
    {0, ID_VIEW_STATUS_BAR, L"&Statusbar"},
    {0, ID_VIEW_PATHBAR, L"&Pathbar"},
    {0, ID_VIEW_VALUES, L"&Values"},
    {0, ID_VIEW_STRICT, L"Strict &dialect"},
    {0, ID_VIEW_VALIDATION, L"&Errors"},
    {MF_END, 0, nullptr},
    {MF_POPUP, 0, L"&Window"},
    {0, ID_WINDOW_NEW, L"&New window"},
    {0, ID_WINDOW_CASCADE, L"&Cascade"},
    {0, ID_WINDOW_TILE_HORZ, L"&Tile"},
    {0, ID_WINDOW_ARRANGE, L"&Arrange Icons"},
    {MF_END, 0, nullptr},
    {MF_POPUP, 0, L"&Help"},
    {0, ID_HELP_FINDER, L"&Index"},
    VELMAR_SEPARATOR,
    {0, ID_APP_ABOUT, L"&About Velmar..."},
    {MF_END, 0, nullptr},
};

#undef VELMAR_RECENT_FILES
#undef VELMAR_SEPARATOR

const AFX_MENU_RESOURCE kMenus[] = {
    {IDR_MAINFRAME, kMainMenu, AFX_COUNTOF(kMainMenu)},
    {IDR_XMLTYPE, kDocumentMenu, AFX_COUNTOF(kDocumentMenu)},
};

const AFX_ACCEL kAccels[] = {
    {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
    {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},
    {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
    {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},
    {FVIRTKEY | FALT, VK_BACK, ID_EDIT_UNDO},
    {FVIRTKEY | FCONTROL, 'Y', ID_EDIT_REDO},
    {FVIRTKEY | FCONTROL | FSHIFT, 'Z', ID_EDIT_REDO},
    {FVIRTKEY | FCONTROL, 'D', ID_EDIT_DUPLICATE},
    {FVIRTKEY | FCONTROL, 'X', ID_EDIT_CUT},
    {FVIRTKEY | FSHIFT, VK_DELETE, ID_EDIT_CUT},
    {FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, VK_INSERT, ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, 'V', ID_EDIT_PASTE},
    {FVIRTKEY | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
    {FVIRTKEY | FCONTROL, VK_DELETE, ID_XML_DELETE},
    {FVIRTKEY, VK_F2, ID_XML_RENAME},
    {FVIRTKEY, VK_F12, ID_XML_PREVIEW},
    {FVIRTKEY, VK_F7, ID_XML_VALIDATE},
    {FVIRTKEY | FCONTROL, 'F', ID_XML_FIND},
    {FVIRTKEY | FCONTROL, 'H', ID_XML_REPLACE},
    {FVIRTKEY, VK_F3, ID_XML_FIND_NEXT},
    {FVIRTKEY | FSHIFT, VK_F3, ID_XML_FIND_PREV},
    {FVIRTKEY | FCONTROL, 'L', ID_XML_GO_TO_PATH},
    {FVIRTKEY | FSHIFT, VK_F10, ID_XML_CONTEXT_MENU},
    {FVIRTKEY, VK_F1, ID_HELP},
    {FVIRTKEY | FSHIFT, VK_F1, ID_CONTEXT_HELP},
    {FVIRTKEY, VK_F6, ID_NEXT_PANE},
    {FVIRTKEY | FSHIFT, VK_F6, ID_PREV_PANE},
};

const AFX_ACCEL_RESOURCE kAccelTables[] = {{IDR_MAINFRAME, kAccels, AFX_COUNTOF(kAccels)}};

const AFX_DIALOG_ITEM kPathBarItems[] = {
    {L"STATIC", L"Current path:", -1, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 4, 2, 47, 8},
    // Typing a path and Enter selects its node.
    {L"EDIT", L"", IDC_PATH, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, WS_EX_TRANSPARENT, 53, 0, 245,
     13},
};

// Two rows: what to find with the search buttons and options, then the
// replacement with its buttons and Close; narrow enough for a 1024 pixel window.
const AFX_DIALOG_ITEM kFindBarItems[] = {
    {L"STATIC", L"Find:", -1, SS_LEFTNOWORDWRAP, 0, 4, 4, 34, 8},
    {L"EDIT", L"", IDC_FIND_WHAT, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 40, 2, 120, 12},
    {L"BUTTON", L"&Next", ID_XML_FIND_NEXT, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 164, 1, 46, 14},
    {L"BUTTON", L"&Previous", ID_XML_FIND_PREV, BS_PUSHBUTTON | WS_TABSTOP, 0, 212, 1, 46, 14},
    {L"BUTTON", L"Match &case", IDC_FIND_MATCH_CASE, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 264, 3, 58,
     10},
    {L"BUTTON", L"Whole w&ord", IDC_FIND_WHOLE_WORD, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 324, 3, 58,
     10},
    {L"BUTTON", L"Re&gular expression", IDC_FIND_REGEX, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 384, 3, 80,
     10},
    {L"BUTTON", L"In na&mes", IDC_FIND_IN_NAMES, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 466, 3, 46, 10},
    {L"BUTTON", L"In va&lues", IDC_FIND_IN_VALUES, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 514, 3, 48, 10},
    {L"BUTTON", L"Close", ID_XML_FIND_CLOSE, BS_PUSHBUTTON | WS_TABSTOP, 0, 264, 16, 46, 14},
    {L"BUTTON", L"&XPath", IDC_FIND_XPATH, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 324, 18, 46, 10},
    {L"STATIC", L"Replace:", -1, SS_LEFTNOWORDWRAP, 0, 4, 19, 34, 8},
    {L"EDIT", L"", IDC_REPLACE_WITH, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 40, 17, 120, 12},
    {L"BUTTON", L"&Replace", ID_XML_REPLACE_ONE, BS_PUSHBUTTON | WS_TABSTOP, 0, 164, 16, 46, 14},
    {L"BUTTON", L"Replace &all", ID_XML_REPLACE_ALL, BS_PUSHBUTTON | WS_TABSTOP, 0, 212, 16, 46,
     14},
};

const AFX_DIALOG_ITEM kAboutItems[] = {
    {L"STATIC", L"#128", -1, SS_ICON, 0, 11, 12, 20, 20},
    {L"STATIC", L"Velmar Version 1.0Beta", -1, SS_LEFT | SS_NOPREFIX, 0, 40, 10, 84, 8},
    {L"BUTTON", L"OK", IDOK, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 140, 65, 48, 13},
    {L"STATIC", L"brandvik.example 2026", -1, SS_LEFT | SS_NOPREFIX, 0, 38, 67, 95, 8},
    {L"EDIT", L"", IDC_ABOUT_INFO, ES_MULTILINE | ES_READONLY | WS_BORDER, 0, 38, 23, 150, 30},
    // Wider than the 93 units first drawn for it: the build line did not fit
    // in the system's dialog font. It ends above the OK button, so nothing meets.
    {L"STATIC", L"", IDC_ABOUT_BUILD, SS_LEFT | SS_NOPREFIX, 0, 38, 56, 150, 8},
};

const AFX_DIALOG_RESOURCE kDialogs[] = {
    {IDD_PATHBAR, nullptr, WS_CHILD, 0, 0, 299, 13, L"MS Shell Dlg", 9, kPathBarItems,
     AFX_COUNTOF(kPathBarItems)},
    {IDD_FINDBAR, nullptr, WS_CHILD, 0, 0, 566, 32, L"MS Shell Dlg", 9, kFindBarItems,
     AFX_COUNTOF(kFindBarItems)},
    {IDD_ABOUTBOX, L"About Velmar", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 199,
     83, L"MS Shell Dlg", 9, kAboutItems, AFX_COUNTOF(kAboutItems)},
};

const UINT kToolBarButtons[] = {
    ID_FILE_NEW,   ID_FILE_OPEN,  ID_FILE_SAVE,    ID_SEPARATOR,   ID_EDIT_CUT,
    ID_EDIT_COPY,  ID_EDIT_PASTE, ID_SEPARATOR,    ID_XML_PREVIEW, ID_SEPARATOR,
    ID_FILE_PRINT, ID_APP_ABOUT,  ID_CONTEXT_HELP,
};

} // namespace

const UINT* VelmarToolBarButtons(int* pCount)
{
    if (pCount)
        *pCount = AFX_COUNTOF(kToolBarButtons);
    return kToolBarButtons;
}

void VelmarRegisterResources()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    static const std::string& strip = VelmarToolBarStrip();
    static const std::string& icon = VelmarAppIcon();
    static const AFX_ICON_RESOURCE icons[] = {
        {IDR_MAINFRAME, reinterpret_cast<const unsigned char*>(icon.data()), icon.size()},
        {IDR_XMLTYPE, reinterpret_cast<const unsigned char*>(icon.data()), icon.size()},
    };
    static const AFX_RESOURCE_TABLE table = {
        kStrings,     AFX_COUNTOF(kStrings),     kMenus, AFX_COUNTOF(kMenus),
        kAccelTables, AFX_COUNTOF(kAccelTables), icons,  AFX_COUNTOF(icons),
        kDialogs,     AFX_COUNTOF(kDialogs)};
    AfxRegisterResources(&table);
    static const AFX_TOOLBAR_RESOURCE bars[] = {
        {IDR_MAINFRAME, 16, 16, kToolBarButtons, AFX_COUNTOF(kToolBarButtons),
         reinterpret_cast<const unsigned char*>(strip.data()), strip.size()},
    };
    AfxRegisterToolBarResources(bars, AFX_COUNTOF(bars));
}
