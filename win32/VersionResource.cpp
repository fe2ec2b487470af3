#include "velmar/win32/VersionResource.h"

#include "velmar/win32/Unicode.h"

#include <cstring>

namespace w32
{

namespace
{

class Writer
{
public:
    std::vector<unsigned char> bytes;

    void Word(WORD w)
    {
        bytes.push_back(static_cast<unsigned char>(w & 0xff));
        bytes.push_back(static_cast<unsigned char>(w >> 8));
    }
    void Dword(DWORD d)
    {
        Word(static_cast<WORD>(d & 0xffff));
        Word(static_cast<WORD>(d >> 16));
    }
    // UTF-16LE with the terminator; returns the 16-bit units written.
    size_t Text(const std::wstring& s)
    {
        size_t units = 0;
        for (wchar_t wc : s)
        {
            const std::uint32_t c = static_cast<std::uint32_t>(wc);
            if (unicode::NeedsSurrogatePair(c))
            {
                Word(unicode::HighSurrogateOf(c));
                Word(unicode::LowSurrogateOf(c));
                units += 2;
            }
            else
            {
                const char32_t one = unicode::IsScalarValue(c) ? c : unicode::kReplacementCharacter;
                Word(static_cast<WORD>(one));
                ++units;
            }
        }
        Word(0);
        return units + 1;
    }
    void Align()
    {
        while (bytes.size() % 4)
            bytes.push_back(0);
    }
    // Starts a block: header with lengths patched by End.
    size_t Begin(WORD type, const std::wstring& key)
    {
        Align();
        const size_t at = bytes.size();
        Word(0);
        Word(0);
        Word(type);
        Text(key);
        Align();
        return at;
    }
    void SetValueLength(size_t block, size_t length) { Patch(block + 2, length); }
    bool End(size_t block) { return Patch(block, bytes.size() - block); }

private:
    bool Patch(size_t at, size_t value)
    {
        if (value > 0xffff)
            return false;
        bytes[at] = static_cast<unsigned char>(value & 0xff);
        bytes[at + 1] = static_cast<unsigned char>(value >> 8);
        return true;
    }
};

DWORD High(const WORD v[4])
{
    return (static_cast<DWORD>(v[0]) << 16) | v[1];
}
DWORD Low(const WORD v[4])
{
    return (static_cast<DWORD>(v[2]) << 16) | v[3];
}

} // namespace

std::vector<unsigned char> BuildVersionResource(const VersionResource& r)
{
    Writer w;
    bool ok = true;
    const size_t root = w.Begin(0, L"VS_VERSION_INFO");
    w.Dword(VS_FFI_SIGNATURE);
    w.Dword(VS_FFI_STRUCVERSION);
    w.Dword(High(r.fileVersion));
    w.Dword(Low(r.fileVersion));
    w.Dword(High(r.productVersion));
    w.Dword(Low(r.productVersion));
    w.Dword(VS_FFI_FILEFLAGSMASK);
    w.Dword(r.fileFlags);
    w.Dword(r.fileOS);
    w.Dword(r.fileType);
    w.Dword(0);
    w.Dword(0);
    w.Dword(0);
    w.SetValueLength(root, sizeof(VS_FIXEDFILEINFO));

    const size_t sfi = w.Begin(1, L"StringFileInfo");
    wchar_t tableKey[9];
    static const wchar_t hex[] = L"0123456789ABCDEF";
    const DWORD id = (static_cast<DWORD>(r.language) << 16) | r.codePage;
    for (int i = 0; i < 8; ++i)
        tableKey[i] = hex[(id >> (28 - 4 * i)) & 15];
    tableKey[8] = 0;
    const size_t table = w.Begin(1, tableKey);
    for (const auto& [key, value] : r.strings)
    {
        const size_t s = w.Begin(1, key);
        w.SetValueLength(s, w.Text(value));
        ok = ok && w.End(s);
    }
    ok = ok && w.End(table) && w.End(sfi);

    const size_t vfi = w.Begin(1, L"VarFileInfo");
    const size_t var = w.Begin(0, L"Translation");
    w.Word(r.language);
    w.Word(r.codePage);
    w.SetValueLength(var, 4);
    ok = ok && w.End(var) && w.End(vfi) && w.End(root);
    if (!ok)
        return {};
    w.Align();
    return w.bytes;
}

bool ParseVersionNumber(const std::string& text, WORD out[4])
{
    out[0] = out[1] = out[2] = out[3] = 0;
    size_t part = 0;
    unsigned long value = 0;
    bool digits = false;
    for (size_t i = 0; i <= text.size(); ++i)
    {
        const char c = i < text.size() ? text[i] : '.';
        if (c >= '0' && c <= '9')
        {
            value = value * 10 + static_cast<unsigned long>(c - '0');
            digits = true;
            if (value > 0xffff)
                return false;
        }
        else if (c == '.' && digits && part < 4)
        {
            out[part++] = static_cast<WORD>(value);
            value = 0;
            digits = false;
        }
        else
        {
            return false;
        }
    }
    return part > 0;
}

} // namespace w32
