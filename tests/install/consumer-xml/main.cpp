// Builds against the XML engine alone and loads a document with it.
#include "velmar/xml/nkDS.h"

#include <cstdio>

#if __has_include(<QtCore/QObject>)
#error "Qt is on the include path of a consumer of the xml component"
#endif

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    nkDS::CXmlFileA doc;
    if (!doc.LoadFromFile(argv[1]))
    {
        std::puts("the installed engine refused the document");
        return 1;
    }
    std::puts("xml consumer loaded a document with the installed engine");
    return 0;
}
