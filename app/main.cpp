#include <cstdio>

// The editor's windows are not written yet; say so rather than pretend.
int main(int argc, char** argv)
{
    std::fprintf(stderr, "velmar: the editor is not built yet; cannot open %s\n",
                 argc > 1 ? argv[1] : "a document");
    return 2;
}
