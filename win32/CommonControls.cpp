#include "win32/CommonControls.h"

void WINAPI InitCommonControls()
{
}
