#include "TextPosition.h"

#include "velmar/win32/Unicode.h"
#include "velmar/win32/win32.h"

#include <climits>
#include <string>
#include <vector>

namespace vxml
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

bool LocateOffset(Orvex::IStream* stream, uint64_t offset, unsigned codePage, CTextPosition& out)
{
    out = CTextPosition();
    if (stream == nullptr || !stream->Seek(0, Orvex::kSeekBegin))
        return false;
    std::string line; // bytes of the current line before the offset
    std::vector<char> block(1 << 16);
    uint64_t done = 0;
    bool afterCr = false;
    while (done < offset)
    {
        const uint64_t want = offset - done < block.size() ? offset - done : block.size();
        const uint32_t got = stream->Read(block.data(), static_cast<uint32_t>(want));
        if (got == 0)
            return false;
        for (uint32_t i = 0; i < got; ++i)
        {
            const char c = block[i];
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
    if (out.line == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
        line.erase(0, 3);
    out.column = 1 + CountChars(line, codePage == 0 ? CP_ACP : codePage);
    return true;
}

} // namespace vxml
