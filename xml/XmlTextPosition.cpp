#include "velmar/xml/XmlTextPosition.h"

#include "velmar/win32/Unicode.h"
#include "velmar/win32/win32.h"

#include <climits>
#include <string>
#include <vector>

namespace nkDS
{
namespace
{

// Characters in the bytes of one line; a pair of 16-bit surrogates is one.
uint64_t CountChars(const std::string& bytes, unsigned codePage)
{
    if (bytes.empty())
        return 0;
    const int n = bytes.size() > INT_MAX ? INT_MAX : static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage, 0, bytes.data(), n, nullptr, 0);
    if (units <= 0)
        return bytes.size(); // undecodable: one per byte is the best guess
    std::vector<wchar_t> wide(static_cast<size_t>(units));
    MultiByteToWideChar(codePage, 0, bytes.data(), n, wide.data(), units);
    uint64_t chars = 0;
    for (const wchar_t w : wide)
    {
        const auto u = static_cast<uint32_t>(w);
        if (sizeof(wchar_t) > 2 || !unicode::IsLowSurrogate(u))
            ++chars;
    }
    return chars;
}

} // namespace

bool LocateOffset(Orvex::IStream* stream, uint64_t offset, unsigned codePage, CTextPosition& out,
                  XmlByteForm form)
{
    out = CTextPosition();
    if (stream == nullptr || !stream->Seek(0, Orvex::kSeekBegin))
        return false;
    // UTF-16 is taken a unit (two bytes) at a time; a unit's first byte
    // waits in `pending` for its second.
    const bool utf16 = form != xbfBytes;
    std::string line;       // bytes of the current line before the offset
    uint64_t lineChars = 0; // UTF-16: characters of the current line
    uint64_t units = 0;     // UTF-16: units read so far
    int pending = -1;
    std::vector<char> block(1 << 16);
    uint64_t done = 0;
    bool afterCr = false;
    auto unit = [&](uint32_t u)
    {
        const bool bom = units++ == 0 && u == 0xFEFF;
        if (u == '\r' || (u == '\n' && !afterCr))
        {
            ++out.line;
            lineChars = 0;
        }
        else if (u != '\n' && !bom && !unicode::IsLowSurrogate(u))
        {
            ++lineChars;
        }
        afterCr = u == '\r';
    };
    while (done < offset)
    {
        const uint64_t want = offset - done < block.size() ? offset - done : block.size();
        const uint32_t got = stream->Read(block.data(), static_cast<uint32_t>(want));
        if (got == 0)
            return false;
        for (uint32_t i = 0; i < got; ++i)
        {
            const char c = block[i];
            if (utf16)
            {
                const auto b = static_cast<unsigned char>(c);
                if (pending < 0)
                {
                    pending = b;
                    continue;
                }
                unit(form == xbfUtf16LE ? static_cast<uint32_t>(pending | (b << 8))
                                        : static_cast<uint32_t>((pending << 8) | b));
                pending = -1;
                continue;
            }
            if (c == '\r' || (c == '\n' && !afterCr))
            {
                ++out.line;
                line.clear();
            }
            else if (c != '\n')
            {
                line += c;
            }
            afterCr = c == '\r';
        }
        done += got;
    }
    if (utf16)
    {
        out.column = 1 + lineChars;
        return true;
    }
    if (out.line == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
        line.erase(0, 3);
    out.column = 1 + CountChars(line, codePage == 0 ? CP_ACP : codePage);
    return true;
}

} // namespace nkDS
