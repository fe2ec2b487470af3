#include "velmar/win32/VersionInfo.h"

#include "velmar/win32/CodePages.h"
#include "velmar/win32/ElfSection.h"
#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/Unicode.h"
#include "velmar/win32/WideText.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{

// Marks a block filled by GetFileVersionInfo; the resource size follows it.
constexpr DWORD kBlockMagic = 0x584D4C56; // "VLMX"
constexpr size_t kSlack = 16;

size_t Padded(size_t n)
{
    return (n + 3) & ~size_t(3);
}

// Block layout: resource (padded) | magic, size | wide area | narrow area.
size_t BlockSize(size_t resource)
{
    return Padded(resource) + 8 + 2 * (2 * Padded(resource) + kSlack);
}
size_t WideArea(size_t resource)
{
    return Padded(resource) + 8;
}
size_t NarrowArea(size_t resource)
{
    return WideArea(resource) + 2 * Padded(resource) + kSlack;
}

WORD ReadWord(const unsigned char* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

struct Node
{
    size_t offset = 0;
    size_t end = 0; // one past the block
    WORD type = 0;
    size_t keyOffset = 0;
    size_t keyUnits = 0;
    size_t valueOffset = 0;
    size_t valueBytes = 0;
    size_t valueUnits = 0; // for text values
    size_t children = 0;
    bool valueCut = false; // the value runs past the block
};

// Parses the block at offset within [0, limit); false for a damaged one.
bool ParseNode(const unsigned char* base, size_t offset, size_t limit, Node& n)
{
    if (offset + 6 > limit)
        return false;
    const size_t length = ReadWord(base + offset);
    if (length < 6 || offset + length > limit)
        return false;
    n.offset = offset;
    n.end = offset + length;
    const WORD valueLength = ReadWord(base + offset + 2);
    n.type = ReadWord(base + offset + 4);
    n.keyOffset = offset + 6;
    size_t p = n.keyOffset;
    while (p + 2 <= n.end && ReadWord(base + p) != 0)
        p += 2;
    if (p + 2 > n.end)
        return false;
    n.keyUnits = (p - n.keyOffset) / 2;
    n.valueOffset = Padded(p + 2);
    n.valueUnits = n.type == 1 ? valueLength : 0;
    n.valueBytes = n.type == 1 ? size_t(valueLength) * 2 : valueLength;
    if (n.valueOffset + n.valueBytes > n.end)
    {
        n.valueCut = true;
        if (n.valueOffset > n.end)
            n.valueOffset = n.end;
        // Some compilers count text in bytes; keep what the block holds.
        n.valueBytes = n.end - n.valueOffset;
        n.valueUnits = n.type == 1 ? n.valueBytes / 2 : 0;
    }
    n.children = Padded(n.valueOffset + n.valueBytes);
    return true;
}

bool KeyEquals(const unsigned char* base, const Node& n, const std::wstring& name)
{
    if (n.keyUnits != name.size())
        return false;
    for (size_t i = 0; i < n.keyUnits; ++i)
    {
        wchar_t a = static_cast<wchar_t>(ReadWord(base + n.keyOffset + 2 * i));
        wchar_t b = name[i];
        if (a >= L'A' && a <= L'Z')
            a = static_cast<wchar_t>(a + 32);
        if (b >= L'A' && b <= L'Z')
            b = static_cast<wchar_t>(b + 32);
        if (a != b)
            return false;
    }
    return true;
}

bool ValidResource(const std::vector<unsigned char>& bytes)
{
    Node root;
    return bytes.size() >= 6 && ParseNode(bytes.data(), 0, bytes.size(), root) &&
           KeyEquals(bytes.data(), root, L"VS_VERSION_INFO");
}

// Finds the node a sub-block path names ("\" is the root). The root's own
// length bounds the walk; one shorter than a block header ends it at once.
bool Find(const unsigned char* base, const std::wstring& path, Node& node)
{
    const size_t size = ReadWord(base);
    if (size < 6 || !ParseNode(base, 0, size, node))
        return false;
    size_t start = 0;
    while (start < path.size())
    {
        if (path[start] == L'\\')
        {
            ++start;
            continue;
        }
        size_t stop = path.find(L'\\', start);
        if (stop == std::wstring::npos)
            stop = path.size();
        const std::wstring part = path.substr(start, stop - start);
        start = stop;
        bool found = false;
        Node child;
        // Each child is at least 6 bytes long, so the walk ends.
        for (size_t at = node.children; at + 6 <= node.end; at = Padded(child.end))
        {
            if (!ParseNode(base, at, node.end, child))
                return false;
            if (KeyEquals(base, child, part))
            {
                found = true;
                break;
            }
        }
        if (!found)
            return false;
        node = child;
    }
    return true;
}

// The text value of a node as whole code points.
std::wstring DecodeText(const unsigned char* base, const Node& n)
{
    std::wstring out;
    for (size_t i = 0; i < n.valueUnits; ++i)
    {
        const WORD u = ReadWord(base + n.valueOffset + 2 * i);
        if (u == 0)
            break;
        if (unicode::IsHighSurrogate(u) && i + 1 < n.valueUnits)
        {
            const WORD v = ReadWord(base + n.valueOffset + 2 * i + 2);
            if (unicode::IsLowSurrogate(v))
            {
                out += static_cast<wchar_t>(unicode::JoinSurrogates(u, v));
                ++i;
                continue;
            }
        }
        out += static_cast<wchar_t>(unicode::IsSurrogate(u) ? unicode::kReplacementCharacter : u);
    }
    return out;
}

// The resource size recorded by GetFileVersionInfo, 0 for a foreign block.
size_t FilledResourceSize(const unsigned char* base)
{
    const size_t size = ReadWord(base);
    DWORD magic, recorded;
    std::memcpy(&magic, base + Padded(size), 4);
    std::memcpy(&recorded, base + Padded(size) + 4, 4);
    return (magic == kBlockMagic && recorded == size) ? size : 0;
}

template <typename C> BOOL Query(LPCVOID block, const std::wstring& path, LPVOID* out, UINT* len)
{
    if (!block || !out)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    unsigned char* base = static_cast<unsigned char*>(const_cast<void*>(block));
    Node node;
    if (!Find(base, path, node))
    {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    if (node.type != 1)
    {
        // A structure missing its tail would be read past the block.
        if (node.valueCut)
        {
            SetLastError(ERROR_INVALID_DATA);
            return FALSE;
        }
        *out = base + node.valueOffset;
        if (len)
            *len = static_cast<UINT>(node.valueBytes);
        return node.valueBytes != 0;
    }
    const size_t resource = FilledResourceSize(base);
    if (!resource)
    {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    const std::wstring text = DecodeText(base, node);
    if constexpr (sizeof(C) == sizeof(wchar_t))
    {
        wchar_t* dest =
            reinterpret_cast<wchar_t*>(base + WideArea(resource) + 2 * node.valueOffset);
        std::memcpy(dest, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        *out = dest;
        if (len)
            *len = static_cast<UINT>(text.size() + 1);
    }
    else
    {
        char* dest = reinterpret_cast<char*>(base + NarrowArea(resource) + 2 * node.valueOffset);
        std::string narrow;
        if (!w32::AnsiFromWide(text, narrow))
            narrow.clear();
        std::memcpy(dest, narrow.c_str(), narrow.size() + 1);
        *out = dest;
        if (len)
            *len = static_cast<UINT>(narrow.size() + 1);
    }
    return TRUE;
}

DWORD ReadResource(const std::string& path, std::vector<unsigned char>& bytes)
{
    const DWORD err = w32::ReadElfSection(path, w32::kVersionSectionName, 0xffff, bytes);
    if (err != ERROR_SUCCESS)
        return err;
    if (!ValidResource(bytes))
        return ERROR_INVALID_DATA;
    bytes.resize(ReadWord(bytes.data()));
    return ERROR_SUCCESS;
}

DWORD SizeOf(const std::string& path, bool converted, LPDWORD handle)
{
    if (handle)
        *handle = 0;
    std::vector<unsigned char> bytes;
    const DWORD err = converted ? ReadResource(path, bytes) : ERROR_INVALID_PARAMETER;
    if (err != ERROR_SUCCESS)
    {
        SetLastError(err);
        return 0;
    }
    return static_cast<DWORD>(BlockSize(bytes.size()));
}

BOOL Fill(const std::string& path, bool converted, DWORD len, LPVOID data)
{
    std::vector<unsigned char> bytes;
    const DWORD err = (converted && data) ? ReadResource(path, bytes) : ERROR_INVALID_PARAMETER;
    if (err != ERROR_SUCCESS)
    {
        SetLastError(err);
        return FALSE;
    }
    unsigned char* out = static_cast<unsigned char*>(data);
    if (len < 6)
    {
        // Not even a block header fits: a query of such a copy would have to
        // read its length past the buffer, so there is no copy.
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (len < BlockSize(bytes.size()))
    {
        // As documented for Windows: the information is cut to the buffer.
        // The copy records the length it really has, so that a later query
        // never walks past the caller's buffer, and leaves room for the
        // bookkeeping words after it, zero, so that its strings are refused.
        const size_t kept = std::min<size_t>(len >= 8 ? len - 8 : 0, bytes.size()) & ~size_t(3);
        std::memset(out, 0, len);
        std::memcpy(out, bytes.data(), kept);
        if (kept >= 2)
        {
            const WORD recorded = static_cast<WORD>(kept);
            std::memcpy(out, &recorded, 2);
        }
        return TRUE;
    }
    std::memset(out, 0, BlockSize(bytes.size()));
    std::memcpy(out, bytes.data(), bytes.size());
    const DWORD size = static_cast<DWORD>(bytes.size());
    std::memcpy(out + Padded(bytes.size()), &kBlockMagic, 4);
    std::memcpy(out + Padded(bytes.size()) + 4, &size, 4);
    return TRUE;
}

} // namespace

DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle)
{
    std::string path;
    const bool ok = lptstrFilename && *lptstrFilename && w32::Utf8FromAnsi(lptstrFilename, path);
    return SizeOf(path, ok, lpdwHandle);
}

DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, LPDWORD lpdwHandle)
{
    std::string path;
    const bool ok = lptstrFilename && *lptstrFilename && w32::Utf8FromWide(lptstrFilename, path);
    return SizeOf(path, ok, lpdwHandle);
}

BOOL WINAPI GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData)
{
    std::string path;
    const bool ok = lptstrFilename && *lptstrFilename && w32::Utf8FromAnsi(lptstrFilename, path);
    return Fill(path, ok, dwLen, lpData);
}

BOOL WINAPI GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData)
{
    std::string path;
    const bool ok = lptstrFilename && *lptstrFilename && w32::Utf8FromWide(lptstrFilename, path);
    return Fill(path, ok, dwLen, lpData);
}

BOOL WINAPI VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen)
{
    std::string utf8;
    if (!lpSubBlock || !w32::Utf8FromAnsi(lpSubBlock, utf8))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Query<char>(pBlock, w32::WideFromUtf8(utf8), lplpBuffer, puLen);
}

BOOL WINAPI VerQueryValueW(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen)
{
    if (!lpSubBlock)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Query<wchar_t>(pBlock, lpSubBlock, lplpBuffer, puLen);
}
