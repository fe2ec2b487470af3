#pragma once
// Resource ids of the editor. Strings, dialogs and menus have separate id
// spaces, so a string and a dialog may share a number.

// Frames and the document template.
#define IDR_MAINFRAME                                                                              \
    128                 // main frame: title, menu without a document, icon, accelerators, tool bar
#define IDR_XMLTYPE 129 // the document template: its strings, menu and icon

// Dialogs and their controls.
#define IDD_ABOUTBOX 100
#define IDD_PATHBAR 128
#define IDC_PATH 1003        // path bar: the read-only path field
#define IDC_ABOUT_INFO 1004  // about box: the credit text (string IDS_ABOUT_INFO)
#define IDC_ABOUT_BUILD 1005 // about box: the build line

// Strings.
#define IDP_OLE_INIT_FAILED 100
#define ID_INDICATOR_LOADTIME 130
#define ID_INDICATOR_MODE 140 // the active document's mode: XML 1.0 or strict
#define IDS_ABOUT_INFO 1004

// Commands. XML menu (also the tree pane's context menu).
#define ID_XML_DELETE 32780
#define ID_XML_ADD_DATANODE 32781
#define ID_XML_ADD_HEADER 32783
#define ID_XML_ADD_REMARK 32784
#define ID_XML_ADD_PARAM 32785
#define ID_XML_PREVIEW 32791
#define ID_XML_RENAME 32797
#define ID_XML_MOVE_UP 32803
#define ID_XML_MOVE_DOWN 32805
#define ID_XML_EXPORT_NODE 32807
#define ID_XML_CONTEXT_MENU 32811 // Shift+F10: the tree pane's context menu from the keyboard
// Other menus.
#define ID_VIEW_PATHBAR 32795
#define ID_EDIT_NOTEPAD 32801
#define ID_FILE_PROPERTY 32809
// Edit menu: commands on the nodes of the tree (32820-32849).
#define ID_EDIT_DUPLICATE 32820 // Ctrl+D: a copy of the selected node after it
// Finding and replacing in the document, going to a path, the value column.
#define ID_XML_FIND 32850         // Ctrl+F: the find bar
#define ID_XML_REPLACE 32851      // Ctrl+H: the find bar's replace field
#define ID_XML_FIND_NEXT 32852    // F3, and Enter in the find bar
#define ID_XML_FIND_PREV 32853    // Shift+F3
#define ID_XML_REPLACE_ONE 32854  // the found value
#define ID_XML_REPLACE_ALL 32855  // every value, as one change
#define ID_XML_FIND_CLOSE 32856   // the find bar's close button (Escape in it)
#define ID_XML_GO_TO_PATH 32857   // Ctrl+L: the path bar's field, to type a path
#define ID_VIEW_VALUES 32858      // the tree panes' value column
#define ID_EDIT_LONG_TEXT 32868   // the content pane's long text: into the text editor, and back
#define IDD_FINDBAR 32859         // the find bar's template
#define IDC_FIND_WHAT 32860       // find bar: the text to find
#define IDC_REPLACE_WITH 32861    // find bar: the replacement
#define IDC_FIND_MATCH_CASE 32862 // find bar: options
#define IDC_FIND_WHOLE_WORD 32863
#define IDC_FIND_REGEX 32864
#define IDC_FIND_IN_NAMES 32865
#define IDC_FIND_IN_VALUES 32866
#define IDC_FIND_XPATH 32867 // find bar: what to find is an XPath expression
// Documents: the dialect new and opened documents are read in.
#define ID_VIEW_STRICT 32890 // View > Strict dialect
// XML menu: validation and its error list (32870-32879).
#define ID_XML_VALIDATE 32870             // F7: validate the document as it stands
#define ID_XML_VALIDATE_SCHEMA 32871      // choose the schema of the document
#define ID_XML_VALIDATE_AS_YOU_EDIT 32872 // refresh the error list after edits
#define ID_XML_VALIDATE_AUTO_SCHEMA 32873 // back to the schema the document names
#define ID_VIEW_VALIDATION 32874          // the error list bar
#define ID_VALIDATION_GO_TO 32875         // a row of the error list activated
