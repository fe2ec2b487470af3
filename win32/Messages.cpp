#include "velmar/win32/Messages.h"

#include "velmar/win32/CodePages.h"
#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/Memory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace
{

struct MessageEntry
{
    DWORD code;
    const char* text;
};

// Windows' English texts, sorted by code. Every code the layer sets is here.
constexpr MessageEntry kMessages[] = {
    {0, "The operation completed successfully.\r\n"},
    {1, "Incorrect function.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {4, "The system cannot open the file.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {8, "Not enough memory resources are available to process this command.\r\n"},
    {11, "An attempt was made to load a program with an incorrect format.\r\n"},
    {12, "The access code is invalid.\r\n"},
    {13, "The data is invalid.\r\n"},
    {14, "Not enough memory resources are available to complete this operation.\r\n"},
    {17, "The system cannot move the file to a different disk drive.\r\n"},
    {18, "There are no more files.\r\n"},
    {19, "The media is write protected.\r\n"},
    {21, "The device is not ready.\r\n"},
    {25, "The drive cannot locate a specific area or track on the disk.\r\n"},
    {29, "The system cannot write to the specified device.\r\n"},
    {30, "The system cannot read from the specified device.\r\n"},
    {31, "A device attached to the system is not functioning.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {33, "The process cannot access the file because another process has locked a portion of the "
         "file.\r\n"},
    {38, "Reached the end of the file.\r\n"},
    {39, "The disk is full.\r\n"},
    {50, "The request is not supported.\r\n"},
    {55, "The specified network resource or device is no longer available.\r\n"},
    {80, "The file exists.\r\n"},
    {82, "The directory or file cannot be created.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {109, "The pipe has been ended.\r\n"},
    {110, "The system cannot open the device or file specified.\r\n"},
    {111, "The file name is too long.\r\n"},
    {112, "There is not enough space on the disk.\r\n"},
    {120, "This function is not supported on this system.\r\n"},
    {121, "The semaphore timeout period has expired.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, "The specified module could not be found.\r\n"},
    {127, "The specified procedure could not be found.\r\n"},
    {131, "An attempt was made to move the file pointer before the beginning of the file.\r\n"},
    {132, "The file pointer cannot be set on the specified device or file.\r\n"},
    {145, "The directory is not empty.\r\n"},
    {161, "The specified path is invalid.\r\n"},
    {170, "The requested resource is in use.\r\n"},
    {183, "Cannot create a file when that file already exists.\r\n"},
    {193, "%1 is not a valid Win32 application.\r\n"},
    {206, "The filename or extension is too long.\r\n"},
    {223, "The file size exceeds the limit allowed and cannot be saved.\r\n"},
    {234, "More data is available.\r\n"},
    {259, "No more data is available.\r\n"},
    {267, "The directory name is invalid.\r\n"},
    {282, "The mounted file system does not support extended attributes.\r\n"},
    {317,
     "The system cannot find message text for message number 0x%1 in the message file for %2.\r\n"},
    {487, "Attempt to access invalid address.\r\n"},
    {534, "Arithmetic result exceeded 32 bits.\r\n"},
    {740, "The requested operation requires elevation.\r\n"},
    {995, "The I/O operation has been aborted because of either a thread exit or an application "
          "request.\r\n"},
    {996, "Overlapped I/O event is not in a signaled state.\r\n"},
    {997, "Overlapped I/O operation is in progress.\r\n"},
    {998, "Invalid access to memory location.\r\n"},
    {1004, "Invalid flags.\r\n"},
    {1006, "The volume for a file has been externally altered so that the opened file is no longer "
           "valid.\r\n"},
    {1008, "An attempt was made to reference a token that does not exist.\r\n"},
    {1009, "The configuration registry database is corrupt.\r\n"},
    {1010, "The configuration registry key is invalid.\r\n"},
    {1011, "The configuration registry key could not be opened.\r\n"},
    {1012, "The configuration registry key could not be read.\r\n"},
    {1013, "The configuration registry key could not be written.\r\n"},
    {1016, "An I/O operation initiated by the registry failed unrecoverably. The registry could "
           "not read in, or write out, or flush, one of the files that contain the system's image "
           "of the registry.\r\n"},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {1113, "No mapping for the Unicode character exists in the target multi-byte code page.\r\n"},
    {1117, "The request could not be performed because of an I/O device error.\r\n"},
    {1132, "The base address or the file offset specified does not have the proper alignment.\r\n"},
    {1142, "An attempt was made to create more links on a file than the file system supports.\r\n"},
    {1155, "No application is associated with the specified file for this operation.\r\n"},
    {1158, "Invalid message box style.\r\n"},
    {1175, "Unable to remove the file to be replaced.\r\n"},
    {1176, "Unable to move the replacement file to the file to be replaced. The file to be "
           "replaced has retained "
           "its original name.\r\n"},
    {1177, "Unable to move the replacement file to the file to be replaced. The file to be "
           "replaced has been renamed "
           "using the backup name.\r\n"},
    {1223, "The operation was canceled by the user.\r\n"},
    {1300, "Not all privileges or groups referenced are assigned to the caller.\r\n"},
    {1307, "This security ID may not be assigned as the owner of this object.\r\n"},
    {1309, "An attempt has been made to operate on an impersonation token by a thread that is not "
           "currently impersonating a client.\r\n"},
    {1313, "A specified privilege does not exist.\r\n"},
    {1314, "A required privilege is not held by the client.\r\n"},
    {1337, "The security ID structure is invalid.\r\n"},
    {1450, "Insufficient system resources exist to complete the requested service.\r\n"},
    {1460, "This operation returned because the timeout period expired.\r\n"},
    {1812, "The specified image file did not contain a resource section.\r\n"},
    {1813, "The specified resource type cannot be found in the image file.\r\n"},
    {1814, "The specified resource name cannot be found in the image file.\r\n"},
    {1815, "The specified resource language ID cannot be found in the image file.\r\n"},
    {1921, "The name of the file cannot be resolved by the system.\r\n"},
};

// Lookups are binary searches: a text added out of order must not compile.
constexpr bool Sorted()
{
    for (size_t i = 1; i < sizeof kMessages / sizeof kMessages[0]; ++i)
        if (kMessages[i - 1].code >= kMessages[i].code)
            return false;
    return true;
}
static_assert(Sorted(), "kMessages must stay sorted by code, without duplicates");

bool LanguageAvailable(DWORD lang)
{
    const DWORD primary = lang & 0x3ff;
    return lang <= 0xffff && (primary == LANG_NEUTRAL || primary == LANG_ENGLISH);
}

template <typename C> struct Text;
template <> struct Text<char>
{
    static std::string FromAscii(const char* s) { return s; }
    static size_t Length(const char* s) { return std::strlen(s); }
};
template <> struct Text<wchar_t>
{
    static std::wstring FromAscii(const char* s) { return std::wstring(s, s + std::strlen(s)); }
    static size_t Length(const wchar_t* s) { return std::wcslen(s); }
};

// One insert argument rendered with its printf-style format ("s" if none).
template <typename C>
void AppendInsert(std::basic_string<C>& out, const std::string& fmt, DWORD_PTR arg)
{
    const bool otherWidth = fmt == "S" || (sizeof(C) == 1 ? fmt == "ls" : fmt == "hs");
    if (fmt == "s" || otherWidth)
    {
        if (!arg)
            return;
        if constexpr (sizeof(C) == 1)
        {
            if (otherWidth)
            {
                const wchar_t* w = reinterpret_cast<const wchar_t*>(arg);
                const int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
                if (n > 1)
                {
                    std::string s(static_cast<size_t>(n), '\0');
                    WideCharToMultiByte(CP_ACP, 0, w, -1, s.data(), n, nullptr, nullptr);
                    out.append(s.data(), static_cast<size_t>(n - 1));
                }
            }
            else
            {
                out += reinterpret_cast<const char*>(arg);
            }
        }
        else
        {
            if (otherWidth)
            {
                const char* a = reinterpret_cast<const char*>(arg);
                const int n = MultiByteToWideChar(CP_ACP, 0, a, -1, nullptr, 0);
                if (n > 1)
                {
                    std::wstring s(static_cast<size_t>(n), L'\0');
                    MultiByteToWideChar(CP_ACP, 0, a, -1, s.data(), n);
                    out.append(s.data(), static_cast<size_t>(n - 1));
                }
            }
            else
            {
                out += reinterpret_cast<const wchar_t*>(arg);
            }
        }
        return;
    }
    // Integers: only plain conversions are accepted, so snprintf sees a safe format.
    const std::string allowed = "diuxXoc";
    std::string directive = "%";
    for (char ch : fmt)
        if (std::strchr("0123456789-+# .", ch))
            directive += ch;
    const char conv = fmt.empty() ? 's' : fmt.back();
    if (allowed.find(conv) == std::string::npos)
        return;
    char buf[64];
    if (conv == 'c')
    {
        out += static_cast<C>(arg);
        return;
    }
    if (conv == 'd' || conv == 'i')
        std::snprintf(buf, sizeof buf, (directive + "lld").c_str(),
                      static_cast<long long>(static_cast<LONG_PTR>(arg)));
    else
        std::snprintf(buf, sizeof buf, (directive + "ll" + conv).c_str(),
                      static_cast<unsigned long long>(arg));
    for (const char* p = buf; *p; ++p)
        out += static_cast<C>(*p);
}

// Expands escapes and inserts; false when an insert has no argument.
template <typename C>
bool Expand(const C* src, DWORD flags, va_list* args, std::basic_string<C>& out)
{
    const bool ignoreInserts = flags & FORMAT_MESSAGE_IGNORE_INSERTS;
    const bool array = flags & FORMAT_MESSAGE_ARGUMENT_ARRAY;
    for (const C* p = src; *p;)
    {
        if (*p != C('%'))
        {
            out += *p++;
            continue;
        }
        const C next = p[1];
        if (next >= C('1') && next <= C('9'))
        {
            const C* start = p;
            unsigned n = static_cast<unsigned>(next - C('0'));
            p += 2;
            if (*p >= C('0') && *p <= C('9'))
                n = n * 10 + static_cast<unsigned>(*p++ - C('0'));
            std::string fmt = "s";
            if (*p == C('!'))
            {
                const C* end = p + 1;
                while (*end && *end != C('!'))
                    ++end;
                if (*end == C('!'))
                {
                    fmt.clear();
                    for (const C* q = p + 1; q < end; ++q)
                        fmt += static_cast<char>(*q);
                    p = end + 1;
                }
            }
            if (ignoreInserts)
            {
                out.append(start, p);
                continue;
            }
            if (!args)
                return false;
            DWORD_PTR arg;
            if (array)
            {
                arg = reinterpret_cast<const DWORD_PTR*>(args)[n - 1];
            }
            else
            {
                va_list copy;
                va_copy(copy, *args);
                arg = 0;
                for (unsigned i = 0; i < n; ++i)
                    arg = va_arg(copy, DWORD_PTR);
                va_end(copy);
            }
            AppendInsert(out, fmt, arg);
            continue;
        }
        switch (next)
        {
        case C('0'):
            return true; // ends the message without a line break
        case C('n'):
            out += C('\r');
            out += C('\n');
            break;
        case C('r'):
            out += C('\r');
            break;
        case C('t'):
            out += C('\t');
            break;
        case C('b'):
            out += C(' ');
            break;
        case C('\0'):
            return true;
        default:
            out += next;
            break; // %% %. %! and the like stand for the character
        }
        p += 2;
    }
    return true;
}

template <typename C>
DWORD Format(DWORD flags, LPCVOID source, DWORD id, DWORD lang, C* buffer, DWORD size,
             va_list* args)
{
    std::basic_string<C> source_text;
    const C* text = nullptr;
    if (flags & FORMAT_MESSAGE_FROM_STRING)
    {
        text = static_cast<const C*>(source);
        if (!text)
        {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    }
    else if (flags & FORMAT_MESSAGE_FROM_SYSTEM)
    {
        if (!LanguageAvailable(lang))
        {
            SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
            return 0;
        }
        const char* sys = w32::SystemMessageText(id);
        if (!sys)
        {
            SetLastError(ERROR_MR_MID_NOT_FOUND);
            return 0;
        }
        source_text = Text<C>::FromAscii(sys);
        text = source_text.c_str();
    }
    else
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!buffer)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }

    std::basic_string<C> out;
    if (!Expand(text, flags, args, out))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t needed = out.size() + 1;
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER)
    {
        const size_t count = std::max<size_t>(needed, size);
        C* block = static_cast<C*>(LocalAlloc(LMEM_FIXED, count * sizeof(C)));
        if (!block)
            return 0;
        std::copy(out.begin(), out.end(), block);
        block[out.size()] = C(0);
        *reinterpret_cast<C**>(buffer) = block;
    }
    else
    {
        if (needed > size)
        {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::copy(out.begin(), out.end(), buffer);
        buffer[out.size()] = C(0);
    }
    return static_cast<DWORD>(out.size());
}

} // namespace

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                            LPSTR lpBuffer, DWORD nSize, va_list* Arguments)
{
    return Format<char>(dwFlags, lpSource, dwMessageId, dwLanguageId, lpBuffer, nSize, Arguments);
}

DWORD WINAPI FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                            LPWSTR lpBuffer, DWORD nSize, va_list* Arguments)
{
    return Format<wchar_t>(dwFlags, lpSource, dwMessageId, dwLanguageId, lpBuffer, nSize,
                           Arguments);
}

namespace w32
{

const char* SystemMessageText(DWORD code)
{
    const auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                                     [](const MessageEntry& e, DWORD c) { return e.code < c; });
    return (it != std::end(kMessages) && it->code == code) ? it->text : nullptr;
}

} // namespace w32
