#include "velmar/app/AboutDlg.h"

#include "velmar/app/Resource.h"

#include <string>

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

namespace
{

CString FromAnsi(const char* text)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0)
        return CString();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    return CString(wide);
}

} // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CString CAboutDlg::BuildLine(const char* date, const char* time)
{
    CString line;
    line = AfxTranslate(L"Built: %1,%2.");
    line.Replace(L"%1", FromAnsi(date));
    line.Replace(L"%2", FromAnsi(time));
    return line;
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CString info;
    if (GetDlgItem(IDC_ABOUT_INFO) && info.LoadString(IDS_ABOUT_INFO))
        SetDlgItemText(IDC_ABOUT_INFO, info);
    return TRUE;
}

void CAboutDlg::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    if (bShow != TRUE)
        return;
    // When this file was compiled, in the compiler's own forms.
    SetDlgItemText(IDC_ABOUT_BUILD, BuildLine(__DATE__, __TIME__));
}
