#include "velmar/win32/CommonDialogs.h"

#include "velmar/win32/CodePages.h"
#include "velmar/win32/WideText.h"
#include "velmar/win32/MessageBox.h"
#include "SysCalls.h"
#include "velmar/win32/UiProvider.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <sys/stat.h>

namespace
{

thread_local DWORD t_dialogError = 0;

// A provider that keeps answering with a file the user then rejects must not
// keep the caller in the dialog forever.
constexpr int kMaxRounds = 64;

std::string ToUtf8(const std::wstring& s)
{
    std::string out;
    w32::Utf8FromWide(s, out);
    return out;
}

bool PathExists(const std::wstring& path, bool* isDirectory = nullptr)
{
    struct stat st;
    if (w32::sys::stat(ToUtf8(path).c_str(), &st) != 0)
        return false;
    if (isDirectory)
        *isDirectory = S_ISDIR(st.st_mode);
    return true;
}

size_t FileNameOffset(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? 0 : slash + 1;
}

// Index of the extension (after the dot) in path, npos when the name has none.
size_t ExtensionOffset(const std::wstring& path)
{
    const size_t name = FileNameOffset(path);
    const size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < name || dot + 1 == path.size())
        return std::wstring::npos;
    return dot + 1;
}

w32::FileDialogRequest DecodeRequest(const OPENFILENAMEW& ofn, bool save)
{
    w32::FileDialogRequest r;
    r.save = save;
    r.owner = ofn.hwndOwner;
    if (ofn.lpstrTitle)
        r.title = ofn.lpstrTitle;
    if (const wchar_t* p = ofn.lpstrFilter)
    {
        // Pairs end at an empty description; a description without its
        // patterns ends the list too.
        while (*p)
        {
            std::wstring description = p;
            p += description.size() + 1;
            if (!*p)
                break;
            std::wstring patterns = p;
            p += patterns.size() + 1;
            r.filters.emplace_back(std::move(description), std::move(patterns));
        }
    }
    r.filterIndex = ofn.nFilterIndex;
    if (ofn.lpstrInitialDir)
        r.initialDir = ofn.lpstrInitialDir;
    if (ofn.lpstrFile && ofn.nMaxFile)
        r.fileName.assign(ofn.lpstrFile, wcsnlen(ofn.lpstrFile, ofn.nMaxFile));
    if (ofn.lpstrDefExt)
    {
        r.defaultExt = ofn.lpstrDefExt;
        while (!r.defaultExt.empty() && r.defaultExt.front() == L'.')
            r.defaultExt.erase(0, 1);
    }
    r.flags = ofn.Flags;
    return r;
}

// Windows' own questions about the chosen file; true when the answer stands.
bool ConfirmChoice(const OPENFILENAMEW& ofn, bool save, const std::wstring& path)
{
    const std::wstring name = path.substr(FileNameOffset(path));
    bool isDirectory = false;
    const bool exists = PathExists(path, &isDirectory);
    const std::wstring caption = ofn.lpstrTitle ? ofn.lpstrTitle : (save ? L"Save As" : L"Open");
    if (ofn.Flags & OFN_PATHMUSTEXIST || ofn.Flags & OFN_FILEMUSTEXIST)
    {
        const size_t nameAt = FileNameOffset(path);
        const std::wstring folder = nameAt ? path.substr(0, nameAt) : L".";
        bool folderIsDirectory = false;
        if (!PathExists(folder, &folderIsDirectory) || !folderIsDirectory)
        {
            MessageBoxW(ofn.hwndOwner,
                        (path + L"\nPath does not exist.\nCheck the path and try again.").c_str(),
                        caption.c_str(), MB_OK | MB_ICONWARNING);
            return false;
        }
    }
    if (!save && !exists && (ofn.Flags & OFN_FILEMUSTEXIST))
    {
        MessageBoxW(ofn.hwndOwner,
                    (name + L"\nFile not found.\nCheck the file name and try again.").c_str(),
                    caption.c_str(), MB_OK | MB_ICONWARNING);
        return false;
    }
    if (!exists && (ofn.Flags & OFN_CREATEPROMPT))
    {
        return MessageBoxW(
                   ofn.hwndOwner,
                   (name + L"\nThis file does not exist.\nDo you want to create it?").c_str(),
                   caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    if (save && exists && !isDirectory && (ofn.Flags & OFN_OVERWRITEPROMPT))
    {
        return MessageBoxW(ofn.hwndOwner,
                           (name + L" already exists.\nDo you want to replace it?").c_str(),
                           L"Confirm Save As", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    }
    return true;
}

BOOL RunFileDialog(LPOPENFILENAMEW ofn, bool save)
{
    t_dialogError = 0;
    if (!ofn || (ofn->lStructSize != sizeof(OPENFILENAMEW) &&
                 ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400W))
    {
        t_dialogError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!ofn->lpstrFile || !ofn->nMaxFile)
    {
        t_dialogError = CDERR_INITIALIZATION;
        return FALSE;
    }
    w32::IUiProvider* provider = w32::CurrentUiProvider();
    if (!provider)
        return FALSE;

    w32::FileDialogRequest request = DecodeRequest(*ofn, save);
    for (int round = 0; round < kMaxRounds; ++round)
    {
        w32::FileDialogAnswer answer;
        if (!provider->ShowFileDialog(request, answer))
            return FALSE;
        std::wstring path = answer.path;
        if (path.empty())
            return FALSE;
        const bool hadExtension = ExtensionOffset(path) != std::wstring::npos;
        if (!hadExtension && !request.defaultExt.empty())
            path += L"." + request.defaultExt;
        if (!ConfirmChoice(*ofn, save, path))
        {
            // Back to the dialog with the name the user had chosen.
            request.fileName = path;
            continue;
        }
        if (path.size() + 1 > ofn->nMaxFile)
        {
            // Windows puts the size needed into the buffer's first characters.
            ofn->lpstrFile[0] = static_cast<wchar_t>(path.size() + 1);
            t_dialogError = FNERR_BUFFERTOOSMALL;
            return FALSE;
        }
        std::memcpy(ofn->lpstrFile, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        const size_t nameAt = FileNameOffset(path);
        const size_t extAt = ExtensionOffset(path);
        ofn->nFileOffset = static_cast<WORD>(nameAt);
        ofn->nFileExtension = static_cast<WORD>(extAt == std::wstring::npos ? path.size() : extAt);
        if (ofn->lpstrFileTitle && ofn->nMaxFileTitle)
        {
            const std::wstring title = path.substr(nameAt);
            const size_t n = std::min<size_t>(title.size(), ofn->nMaxFileTitle - 1);
            std::memcpy(ofn->lpstrFileTitle, title.c_str(), n * sizeof(wchar_t));
            ofn->lpstrFileTitle[n] = 0;
        }
        if (answer.filterIndex && answer.filterIndex <= request.filters.size())
            ofn->nFilterIndex = answer.filterIndex;
        ofn->Flags &= ~(OFN_READONLY | OFN_EXTENSIONDIFFERENT);
        if (answer.readOnly)
            ofn->Flags |= OFN_READONLY;
        if (hadExtension && !request.defaultExt.empty())
        {
            const std::wstring ext = path.substr(extAt);
            if (wcscasecmp(ext.c_str(), request.defaultExt.c_str()) != 0)
                ofn->Flags |= OFN_EXTENSIONDIFFERENT;
        }
        return TRUE;
    }
    return FALSE;
}

} // namespace

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW lpofn)
{
    return RunFileDialog(lpofn, false);
}

BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW lpofn)
{
    return RunFileDialog(lpofn, true);
}

DWORD WINAPI CommDlgExtendedError()
{
    return t_dialogError;
}
