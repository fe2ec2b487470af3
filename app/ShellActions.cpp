#include "velmar/app/ShellActions.h"

#include "velmar/app/ItemKind.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLTreeView.h"
#include "velmar/io/Orvex.h"
#include "velmar/win32/win32.h"

#include <algorithm>
#include <climits>
#include <string>

namespace
{

// Shown in the interface's language: "文档尚未保存！" with the caption "失败",
// the dialog title "导出节点", "节点导出失败！" and the filter "XML文档(*.xml)" in Chinese.
const wchar_t kNotSavedText[] = L"The document has not been saved yet!";
const wchar_t kNotSavedCaption[] = L"Failed";
const wchar_t kExportTitle[] = L"Export node";
const wchar_t kExportFailedText[] = L"Node export failed!";
const wchar_t kExportFilterName[] = L"XML Documents (*.xml)";

HWND OwnerWindow(CWnd* pOwner)
{
    return pOwner ? pOwner->GetSafeHwnd() : nullptr;
}

void ShowMessage(CWnd* pOwner, const std::wstring& text, LPCWSTR caption, UINT type)
{
    if (pOwner)
        pOwner->MessageBox(text.c_str(), caption, type);
    else
        MessageBoxW(nullptr, AfxTranslate(text.c_str()),
                    caption ? AfxTranslate(caption) : CString(), type);
}

} // namespace

BOOL FileExists(LPCWSTR path)
{
    if (!path || !*path)
        return FALSE;
    if (_waccess(path, 0) != 0)
        return FALSE;
    // The 64-bit form, so that a file of 2 GiB or more exists too.
    struct _stat64 st;
    if (_wstat64(path, &st) != 0)
        return FALSE;
    return (st.st_mode & _S_IFDIR) == 0;
}

BOOL PreviewInBrowser(LPCWSTR path)
{
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"InternetExplorer.Application", &clsid)))
        return FALSE;
    IWebBrowser2* pBrowser = nullptr;
    const DWORD context =
        CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
    if (FAILED(CoCreateInstance(clsid, nullptr, context, IID_IWebBrowser2,
                                reinterpret_cast<void**>(&pBrowser))) ||
        !pBrowser)
        return FALSE;
    pBrowser->put_Visible(VARIANT_TRUE);
    VARIANT address;
    VARIANT empty;
    VariantInit(&address);
    VariantInit(&empty);
    address.vt = VT_BSTR;
    address.bstrVal = SysAllocString(path);
    // A browser that cannot be started is the caller's to report; one that
    // started reports its own trouble.
    const HRESULT hr = pBrowser->Navigate2(&address, &empty, &empty, &empty, &empty);
    SysFreeString(address.bstrVal);
    pBrowser->Release();
    return SUCCEEDED(hr);
}

void PreviewDocumentFile(CWnd* pOwner, const CDocument* pDoc)
{
    if (!pDoc)
        return;
    const CString& path = pDoc->GetPathName();
    if (FileExists(path))
    {
        if (!PreviewInBrowser(path))
        {
            CString text = AfxTranslate(L"No web browser could be started to show %1. Name one in "
                                        L"the BROWSER environment variable, or open the file "
                                        L"yourself.");
            text.Replace(L"%1", path);
            ShowMessage(pOwner, text.Str(), nullptr, MB_OK | MB_ICONWARNING);
        }
        return;
    }
    ShowMessage(pOwner, kNotSavedText, kNotSavedCaption, MB_OK | MB_ICONINFORMATION);
}

BOOL IsExportableItemKind(int kind)
{
    return kind == ikElement || kind == ikParam || kind == ikRemark || kind == ikText;
}

BOOL CanExportSelection(const CXMLTreeView* pView)
{
    if (!pView)
        return FALSE;
    const CXMLTreeCtrl& tree = pView->GetXMLTreeCtrl();
    const HTREEITEM hItem = tree.GetSelectedItem();
    const int kind = tree.GetItemKind(hItem);
    if (!IsExportableItemKind(kind))
        return FALSE;
    // A header's parameter would export the header behind the headers, a
    // second declaration no reader takes; the header itself is not offered either.
    const nkDS::CXmlNodeW* pNode = tree.GetItemNode(hItem);
    return pNode && !(kind == ikParam && pNode->GetKind() == nkDS::xnkHeader);
}

void ExportSelectedNode(CWnd* pOwner, CXMLTreeView* pView)
{
    CVelmarDoc* pDoc = pView ? pView->GetDocument() : nullptr;
    if (!pDoc || !CanExportSelection(pView))
        return;
    const CXMLTreeCtrl& tree = pView->GetXMLTreeCtrl();
    ExportNodeToFile(pOwner, pDoc->GetXmlFile(), tree.GetItemNode(tree.GetSelectedItem()));
}

BOOL ExportNodeToFile(CWnd* pOwner, nkDS::CXmlFileW& file, nkDS::CXmlNodeW* pNode)
{
    if (!pNode)
        return FALSE;
    wchar_t name[261] = {};
    OPENFILENAMEW ofn = {};
    // The structure as Windows 2000 and later first defined it.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = OwnerWindow(pOwner);
    // One filter, as the dialog takes pairs: each part ends in a zero, and one
    // more zero ends the list.
    const std::wstring filter = AfxTranslate(kExportFilterName).Str() + L'\0' + L"*.xml" + L'\0';
    const CString title = AfxTranslate(kExportTitle);
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = name;
    ofn.nMaxFile = static_cast<DWORD>(sizeof name / sizeof name[0]);
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = L"xml";
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&ofn))
        return FALSE;

    // Written beside the chosen file and put in its place once complete: a
    // failed export leaves the file as it was. A file that cannot be replaced
    // is as much a failed export as one that cannot be written, and the user
    // hears of both.
    const auto write = [&](Orvex::IStream* stream) { return file.ExportNode(stream, pNode); };
    const BOOL bWritten = Orvex::WriteFileAtomically(name, write) ? TRUE : FALSE;
    if (!bWritten)
        AfxMessageBox(kExportFailedText, MB_OK);
    return bWritten;
}

std::wstring CommandLineArgument(LPCWSTR path)
{
    return L"\"" + std::wstring(path ? path : L"") + L"\"";
}

void EditInNotepad(const CDocument* pDoc)
{
    if (!pDoc || !FileExists(pDoc->GetPathName()))
        return;
    ShellExecuteW(nullptr, L"open", L"notepad", CommandLineArgument(pDoc->GetPathName()).c_str(),
                  nullptr, SW_SHOW);
}

BOOL OpenTextInEditor(LPCWSTR text, size_t length, std::wstring& path)
{
    path.clear();
    std::string bytes;
    if (!w32::Utf8FromWide(std::wstring(text ? text : L"", text ? length : 0), bytes))
        return FALSE;
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = GetTempPathW(MAX_PATH, dir);
    if (n == 0 || n >= MAX_PATH)
        return FALSE;
    // A name of this process's that no earlier file has: one not loaded back stays as it was.
    std::wstring name;
    for (unsigned i = 0; name.empty() || FileExists(name.c_str()); ++i)
        name = std::wstring(dir) + L"velmar-text-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(i) + L".txt";
    const auto write = [&](Orvex::IStream* stream)
    {
        for (size_t done = 0; done < bytes.size();)
        {
            const uint32_t chunk = (uint32_t)std::min<size_t>(bytes.size() - done, 1u << 24);
            if (stream->Write(bytes.data() + done, chunk) != chunk)
                return false;
            done += chunk;
        }
        return true;
    };
    if (!Orvex::WriteFileAtomically(name.c_str(), write))
        return FALSE;
    const INT_PTR started = reinterpret_cast<INT_PTR>(ShellExecuteW(
        nullptr, L"open", L"notepad", CommandLineArgument(name.c_str()).c_str(), nullptr, SW_SHOW));
    if (started <= 32)
    {
        DeleteFileW(name.c_str());
        return FALSE;
    }
    path = name;
    return TRUE;
}

BOOL ReadEditedText(LPCWSTR path, std::wstring& text)
{
    text.clear();
    HANDLE hFile = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    LARGE_INTEGER size{};
    std::string bytes;
    BOOL ok = GetFileSizeEx(hFile, &size) && size.QuadPart >= 0 && size.QuadPart < INT_MAX;
    if (ok)
    {
        bytes.resize((size_t)size.QuadPart);
        size_t done = 0;
        DWORD got = 0;
        // Until the end, should the file have changed its size meanwhile.
        while (ok && done < bytes.size())
        {
            ok = ReadFile(hFile, bytes.data() + done, (DWORD)(bytes.size() - done), &got, nullptr);
            if (ok && got == 0)
                bytes.resize(done);
            done += got;
        }
    }
    CloseHandle(hFile);
    if (!ok)
        return FALSE;
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const int count = (int)(bytes.size() - start);
    if (count == 0)
        return TRUE;
    const int chars =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + start, count, nullptr, 0);
    if (chars <= 0)
        return FALSE;
    text.resize((size_t)chars);
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + start, count,
                               text.data(), chars) == chars;
}

void ShowFileProperties(CWnd* pOwner, const CDocument* pDoc)
{
    if (!pDoc || !FileExists(pDoc->GetPathName()))
        return;
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.hwnd = OwnerWindow(pOwner);
    sei.lpVerb = L"properties";
    sei.lpFile = pDoc->GetPathName();
    sei.nShow = SW_SHOWNORMAL;
    // The sheet shows itself; a process handle, when the shell hands one back, is not ours to keep.
    if (ShellExecuteExW(&sei) && sei.hProcess)
        CloseHandle(sei.hProcess);
}
