#pragma once
// What the editor hands to the operating system: a document's saved file to
// the web browser, the text editor and the shell's property sheet, and one
// node behind the document's headers to a new file. The file actions work on
// the file as last saved, never on the tree in memory, and none saves first.
#include "velmar/framework/framework.h"
#include "velmar/xml/nkDS.h"

#include <string>

class CXMLTreeView;

// TRUE when path is given, exists and is not a folder.
BOOL FileExists(LPCWSTR path);

// Asks a new browser window to show path; whether it was asked. The browser
// is left running on its own.
BOOL PreviewInBrowser(LPCWSTR path);

// The document's file in the browser, or, for a document without a file on
// disk, a message owned by pOwner that it has not been saved.
void PreviewDocumentFile(CWnd* pOwner, const CDocument* pDoc);

// Whether a tree item of this kind stands for a node that can be exported.
BOOL IsExportableItemKind(int kind);

// Whether pView's selected item can be exported (null view: no): an element,
// a remark, or a parameter of either.
BOOL CanExportSelection(const CXMLTreeView* pView);

// Exports the node of pView's selected item (the owning node for a parameter)
// through ExportNodeToFile, when the selection can be exported.
void ExportSelectedNode(CWnd* pOwner, CXMLTreeView* pView);

// Asks for a file name (dialog owned by pOwner) and replaces that file with
// the document's top-level headers followed by pNode and its subtree. Tells
// the user when the file cannot be written, and leaves it as it was then.
// TRUE when the file was written.
BOOL ExportNodeToFile(CWnd* pOwner, nkDS::CXmlFileW& file, nkDS::CXmlNodeW* pNode);

// A path as one argument of a command line: quoted, so that blanks do not split it.
std::wstring CommandLineArgument(LPCWSTR path);

// The document's file in the text editor, when it has one on disk.
void EditInNotepad(const CDocument* pDoc);

// Writes `length` characters of `text` as UTF-8 to a new file in the folder
// for temporary files and opens it in the text editor; the file's name in
// `path`. FALSE, with no file left behind, when it cannot be written or no
// editor starts.
BOOL OpenTextInEditor(LPCWSTR text, size_t length, std::wstring& path);

// The text of a file the text editor saved: UTF-8, a leading byte order mark
// dropped. FALSE when the file cannot be read or is not UTF-8.
BOOL ReadEditedText(LPCWSTR path, std::wstring& text);

// The shell's property sheet of the document's file, owned by pOwner, when
// the file exists.
void ShowFileProperties(CWnd* pOwner, const CDocument* pDoc);
