#include "velmar/win32/CommonControls.h"

void WINAPI InitCommonControls() {}
