#pragma once
// CAboutDlg: the about box. Besides the version it shows a credit line and
// the date and time this program was built.
#include "velmar/framework/framework.h"

class CAboutDlg : public CDialog
{
public:
    CAboutDlg();

    // "Built: <date>,<time>." from the compiler's narrow date and time texts.
    static CString BuildLine(const char* date, const char* time);

    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL bShow, UINT nStatus);

protected:
    DECLARE_MESSAGE_MAP()
};
