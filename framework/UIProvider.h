#pragma once
// The framework's questions to the user (message boxes, file prompts) go
// through one replaceable provider. The default shows Qt dialogs; tests
// install a scripted provider and answer without a person.
#include "framework/AfxString.h"

#include <utility>
#include <vector>

struct AFX_FILE_PROMPT
{
    HWND hWndOwner = nullptr;
    BOOL bOpenFileDialog = TRUE;                       // open or save
    CString strTitle;                                  // dialog caption
    std::vector<std::pair<CString, CString>> filters;  // (display text, patterns such as "*.xml;*.xsl")
    int nFilterIndex = 1;                              // 1-based, in and out
    CString strDefExt;                                 // without the dot; appended to a typed name without one
    CString strFileName;                               // in: proposed name; out: the chosen full path
    DWORD dwFlags = 0;                                 // OFN_ flags
};

class IAfxUIProvider
{
public:
    virtual ~IAfxUIProvider() = default;
    // Returns IDOK, IDCANCEL, IDYES, IDNO, ... ; nType holds MB_ buttons, icon and default button.
    virtual int MessageBox(HWND hWndOwner, LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType) = 0;
    // TRUE with prompt.strFileName set when the user chose a file; FALSE when cancelled.
    virtual BOOL PromptFileName(AFX_FILE_PROMPT& prompt) = 0;
};

// Installs a provider (not owned) and returns the previous one; null reinstalls the Qt dialogs.
IAfxUIProvider* AfxSetUIProvider(IAfxUIProvider* pProvider);
IAfxUIProvider* AfxGetUIProvider();
