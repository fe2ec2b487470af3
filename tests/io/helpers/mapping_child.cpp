// The second process of the named-mapping tests: opens the mapping named by
// argv[1], checks that it starts with argv[2] and writes argv[3] over its start.
// Exit codes: 0 done, 2 no such mapping, 3 no view, 4 other content, 1 usage.
#include "velmar/io/Orvex.h"

#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 1;
    Orvex::CFileMappingWin mapping;
    if (!mapping.OpenExisting(Orvex::kMapRead | Orvex::kMapWrite, argv[1]))
        return 2;
    char* view = static_cast<char*>(mapping.MapView(Orvex::kMapRead | Orvex::kMapWrite, 0, 0));
    if (view == nullptr)
        return 3;
    const size_t expected = std::strlen(argv[2]);
    const bool same = std::memcmp(view, argv[2], expected) == 0;
    if (same)
        std::memcpy(view, argv[3], std::strlen(argv[3]));
    mapping.UnmapView(view);
    return same ? 0 : 4;
}
