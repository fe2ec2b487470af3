#include "velmar/framework/OleInit.h"

#include "velmar/win32/win32.h"

namespace
{

// AfxOleInit holds one initialisation of its own, whatever the program adds.
bool s_bOleInitialised = false;

} // namespace

BOOL AfxOleInit()
{
    if (s_bOleInitialised)
        return TRUE;
    if (FAILED(OleInitialize(nullptr)))
        return FALSE;
    s_bOleInitialised = true;
    return TRUE;
}

void AfxOleTerm()
{
    if (!s_bOleInitialised)
        return;
    s_bOleInitialised = false;
    OleUninitialize();
}

void AfxEnableControlContainer(COccManager*) {}
