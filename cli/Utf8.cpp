#include "Utf8.h"

#include <cstdint>

namespace vxml
{

namespace
{
uint32_t Unit(wchar_t w)
{
    const uint32_t c = static_cast<uint32_t>(w);
    return sizeof(wchar_t) == 2 ? c & 0xFFFFu : c;
}
} // namespace

void AppendUtf8(std::string& out, const wchar_t* s, size_t n)
{
    for (size_t i = 0; i < n; ++i)
    {
        uint32_t c = Unit(s[i]);
        const uint32_t next = i + 1 < n ? Unit(s[i + 1]) : 0;
        if (c >= 0xD800 && c < 0xDC00 && next >= 0xDC00 && next < 0xE000)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
            ++i;
        }
        else if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)
        {
            c = 0xFFFD;
        }
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c < 0x800)
        {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else if (c < 0x10000)
        {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

std::string Utf8(const wchar_t* s)
{
    std::string out;
    if (s != nullptr)
        AppendUtf8(out, s, std::char_traits<wchar_t>::length(s));
    return out;
}

} // namespace vxml
