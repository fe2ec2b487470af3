#include "Output.h"

#include <cstdio>

namespace vxml
{

bool PrintOut(const char* bytes, size_t n)
{
    return std::fwrite(bytes, 1, n, stdout) == n;
}

bool PrintOut(const std::string& text)
{
    return PrintOut(text.data(), text.size());
}

bool FinishOut()
{
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
}

int ReportError(const std::string& message, int status)
{
    std::fflush(stdout);
    std::fprintf(stderr, "velmar-xml: %s\n", message.c_str());
    return status;
}

std::string SystemText(DWORD code)
{
    char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, text, sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        --n;
    if (n == 0)
        return "system error " + std::to_string(code) + ".";
    return std::string(text, n);
}

} // namespace vxml
