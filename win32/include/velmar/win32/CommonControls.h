#pragma once
// The common controls library's start-up call. A program makes it once before
// it creates tree views, tool bars or status bars; here the toolkit above this
// layer draws those controls, so there is nothing to register, but the call
// and its effect on the last error stay as on Windows.

#include "velmar/win32/Types.h"

// Registers the common control classes; leaves the last error untouched.
void WINAPI InitCommonControls();
