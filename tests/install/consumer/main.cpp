// Compiles every umbrella header of the installed package and links all layers.
#include "velmar/win32/win32.h"
#include "velmar/foundation/nkMem.h"
#include "velmar/foundation/cpuidt.h"
#include "velmar/platform/nkPlatform.h"
#include "velmar/io/Orvex.h"
#include "velmar/xml/nkDS.h"
#include "velmar/framework/framework.h"

#include <cstdio>

int main()
{
    std::puts("consumer linked against the installed Velmar package");
    return 0;
}
