// Compiles every umbrella header of the installed package and links all layers.
#include "win32/win32.h"
#include "foundation/nkMem.h"
#include "foundation/cpuidt.h"
#include "platform/nkPlatform.h"
#include "io/Orvex.h"
#include "xml/nkDS.h"
#include "framework/framework.h"

#include <cstdio>

int main()
{
    std::puts("consumer linked against the installed Velmar package");
    return 0;
}
