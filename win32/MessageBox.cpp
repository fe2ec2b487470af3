#include "velmar/win32/MessageBox.h"

#include "velmar/win32/CodePages.h"
#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/UiProvider.h"

#include <cstdio>
#include <string>

namespace
{

std::wstring FromAnsi(LPCSTR s)
{
    std::wstring out;
    if (!s || !*s)
        return out;
    const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    if (n <= 0)
        return out;
    out.resize(static_cast<size_t>(n));
    MultiByteToWideChar(CP_ACP, 0, s, -1, out.data(), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::string ToAnsi(const std::wstring& s)
{
    std::string out;
    if (s.empty())
        return out;
    const int n = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                      nullptr, nullptr);
    if (n <= 0)
        return out;
    out.resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

// With nobody to ask, the box is reported where a developer will see it.
void WriteToStandardError(const std::wstring& caption, const std::wstring& text)
{
    const std::string line = ToAnsi(caption) + ": " + ToAnsi(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace

namespace w32
{

int MessageBoxButtons(UINT style, int ids[3])
{
    static const int kSets[][3] = {
        {IDOK, 0, 0},                       // MB_OK
        {IDOK, IDCANCEL, 0},                // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},       // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},            // MB_YESNOCANCEL
        {IDYES, IDNO, 0},                   // MB_YESNO
        {IDRETRY, IDCANCEL, 0},             // MB_RETRYCANCEL
        {IDCANCEL, IDTRYAGAIN, IDCONTINUE}, // MB_CANCELTRYCONTINUE
    };
    const UINT set = style & MB_TYPEMASK;
    int count = 0;
    for (int i = 0; i < 3; ++i)
    {
        ids[i] = set < 7 ? kSets[set][i] : 0;
        if (ids[i])
            ++count;
    }
    return count;
}

int MessageBoxDefaultButton(UINT style)
{
    int ids[3];
    const int count = MessageBoxButtons(style, ids);
    if (!count)
        return 0;
    const int index = static_cast<int>((style & MB_DEFMASK) >> 8);
    return index < count ? ids[index] : ids[0];
}

} // namespace w32

int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    w32::MessageBoxRequest request;
    request.owner = hWnd;
    request.caption = lpCaption ? lpCaption : L"Error";
    request.text = lpText ? lpText : L"";
    request.style = uType;
    request.buttonCount = w32::MessageBoxButtons(uType, request.buttons);
    request.defaultButton = w32::MessageBoxDefaultButton(uType);
    if (!request.buttonCount)
    {
        SetLastError(ERROR_INVALID_MSGBOX_STYLE);
        return 0;
    }
    if (w32::IUiProvider* provider = w32::CurrentUiProvider())
        return provider->ShowMessageBox(request);
    WriteToStandardError(request.caption, request.text);
    return request.defaultButton;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType)
{
    const std::wstring caption = FromAnsi(lpCaption);
    const std::wstring text = FromAnsi(lpText);
    return MessageBoxW(hWnd, lpText ? text.c_str() : nullptr, lpCaption ? caption.c_str() : nullptr,
                       uType);
}
