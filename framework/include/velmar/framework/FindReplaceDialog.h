#pragma once
// CFindReplaceDialog: the modeless Find and Replace dialogs. Each button sends
// AFX_WM_FINDREPLACE to the owner with the dialog's FINDREPLACE in lParam;
// closing the dialog sends it once more with FR_DIALOGTERM, after which the
// object deletes itself.
#include "velmar/framework/Wnd.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The message the dialog sends its owner (the registered FINDMSGSTRING of the system).
#define AFX_WM_FINDREPLACE 0x037E

#define FR_DOWN 0x00000001
#define FR_WHOLEWORD 0x00000002
#define FR_MATCHCASE 0x00000004
#define FR_FINDNEXT 0x00000008
#define FR_REPLACE 0x00000010
#define FR_REPLACEALL 0x00000020
#define FR_DIALOGTERM 0x00000040
#define FR_NOUPDOWN 0x00000400
#define FR_NOMATCHCASE 0x00000800
#define FR_NOWHOLEWORD 0x00001000
#define FR_HIDEUPDOWN 0x00004000
#define FR_HIDEMATCHCASE 0x00008000
#define FR_HIDEWHOLEWORD 0x00010000

class CFindReplaceDialog;

struct FINDREPLACE
{
    HWND hwndOwner = nullptr;
    DWORD Flags = FR_DOWN;
    CString strFindWhat;
    CString strReplaceWith;
    CFindReplaceDialog* pDialog = nullptr; // the dialog that sent it
};

class CFindReplaceDialog : public CWnd
{
    DECLARE_DYNAMIC(CFindReplaceDialog)
public:
    FINDREPLACE m_fr;

    CFindReplaceDialog() = default;

    // Creates and shows the dialog; pParentWnd receives the notifications.
    BOOL Create(BOOL bFindDialogOnly, LPCWSTR lpszFindWhat, LPCWSTR lpszReplaceWith = nullptr,
                DWORD dwFlags = FR_DOWN, CWnd* pParentWnd = nullptr);
    static CFindReplaceDialog* GetNotifier(LPARAM lParam);

    CString GetFindString() const { return m_fr.strFindWhat; }
    CString GetReplaceString() const { return m_fr.strReplaceWith; }
    BOOL SearchDown() const { return (m_fr.Flags & FR_DOWN) != 0; }
    BOOL FindNext() const { return (m_fr.Flags & FR_FINDNEXT) != 0; }
    BOOL MatchCase() const { return (m_fr.Flags & FR_MATCHCASE) != 0; }
    BOOL MatchWholeWord() const { return (m_fr.Flags & FR_WHOLEWORD) != 0; }
    BOOL ReplaceCurrent() const { return (m_fr.Flags & FR_REPLACE) != 0; }
    BOOL ReplaceAll() const { return (m_fr.Flags & FR_REPLACEALL) != 0; }
    BOOL IsTerminating() const { return (m_fr.Flags & FR_DIALOGTERM) != 0; }
    BOOL IsFindOnly() const { return m_bFindOnly; }

    // Sets the "Find what" text shown (the owner does this when reopening the dialog).
    void SetFindString(LPCWSTR lpszFind);

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;
    void OnDestroy();

protected:
    void PostNcDestroy() override;

private:
    void Notify(DWORD dwAction);
    void ReadControls();

    BOOL m_bFindOnly = TRUE;
    HWND m_hWndOwner = nullptr;
    QLineEdit* m_pFindWhat = nullptr;
    QLineEdit* m_pReplaceWith = nullptr;
    QCheckBox* m_pWholeWord = nullptr;
    QCheckBox* m_pMatchCase = nullptr;
    QRadioButton* m_pUp = nullptr;
    QRadioButton* m_pDown = nullptr;
    QPushButton* m_pFindNext = nullptr;
    QPushButton* m_pReplace = nullptr;
    QPushButton* m_pReplaceAll = nullptr;

    DECLARE_MESSAGE_MAP()
};
