#pragma once
// The default user-interface provider: Qt message boxes and file dialogs.
#include "framework/UIProvider.h"

class CQtUIProvider : public IAfxUIProvider
{
public:
    int MessageBox(HWND hWndOwner, LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType) override;
    BOOL PromptFileName(AFX_FILE_PROMPT& prompt) override;
};
