// velmar-cpuinfo: prints the processor identification report, for users and
// for bug reports.
#include "velmar/foundation/cpuidt.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1)
    {
        const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
        std::fprintf(help ? stdout : stderr,
                     "usage: velmar-cpuinfo\nPrints the processor identification report.\n");
        return help ? 0 : 2;
    }
    return cpuidt::_CCPUFeature::GetInstance()->WriteReport(stdout) ? 0 : 1;
}
