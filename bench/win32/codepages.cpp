// Throughput of the code-page conversions the XML engine leans on: short
// names and values converted one call at a time, and long text in one call.
#include "velmar/win32/win32.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

template <typename F> double Seconds(F&& f)
{
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Report(const char* what, size_t bytes, size_t calls, double s)
{
    std::printf("%-34s %9.1f MB/s %9.1f ns/call\n", what, bytes / s / 1e6, s * 1e9 / calls);
}

void Run(UINT cp, const char* label, const std::wstring& sample)
{
    const int n = WideCharToMultiByte(cp, 0, sample.data(), static_cast<int>(sample.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, sample.data(), static_cast<int>(sample.size()), bytes.data(), n,
                        nullptr, nullptr);
    std::vector<wchar_t> wbuf(sample.size() + 16);
    std::vector<char> bbuf(bytes.size() + 16);

    // Short strings, as element names and attribute values come.
    const size_t shortLen = 12;
    const size_t shortCalls = 2000000;
    double s = Seconds(
        [&]
        {
            for (size_t i = 0; i < shortCalls; ++i)
            {
                const size_t off = (i * 7) % (bytes.size() - shortLen);
                MultiByteToWideChar(cp, 0, bytes.data() + off, static_cast<int>(shortLen),
                                    wbuf.data(), static_cast<int>(wbuf.size()));
            }
        });
    std::string name = std::string(label) + " short to wide";
    Report(name.c_str(), shortLen * shortCalls, shortCalls, s);

    const size_t longCalls = 200;
    s = Seconds(
        [&]
        {
            for (size_t i = 0; i < longCalls; ++i)
                MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()),
                                    wbuf.data(), static_cast<int>(wbuf.size()));
        });
    name = std::string(label) + " 1 MB to wide";
    Report(name.c_str(), bytes.size() * longCalls, longCalls, s);

    s = Seconds(
        [&]
        {
            for (size_t i = 0; i < longCalls; ++i)
                WideCharToMultiByte(cp, 0, sample.data(), static_cast<int>(sample.size()),
                                    bbuf.data(), static_cast<int>(bbuf.size()), nullptr, nullptr);
        });
    name = std::string(label) + " 1 MB from wide";
    Report(name.c_str(), bytes.size() * longCalls, longCalls, s);
}

} // namespace

int main()
{
    std::wstring ascii, mixed;
    while (ascii.size() < 1000000)
        ascii += L"<item name='value_12'>text of the node</item>\r\n";
    while (mixed.size() < 500000)
        mixed += L"<\u8282\u70b9 name='\u503c'>\u4e2d\u6587\u6587\u672c text</\u8282\u70b9>\r\n";
    Run(CP_UTF8, "UTF-8 ASCII text", ascii);
    Run(CP_UTF8, "UTF-8 Chinese text", mixed);
    Run(1252, "1252 ASCII text", ascii);
    Run(936, "GBK ASCII text", ascii);
    Run(936, "GBK Chinese text", mixed);
    Run(54936, "GB18030 Chinese text", mixed);
    return 0;
}
