#pragma once
// Keeping the windows alive during a long operation on the user-interface
// thread: the operation works in slices and lets the event loop run between them.
#include "velmar/framework/AfxTypes.h"

// Handles what is waiting (painting, timers, posted work) for at most
// dwMaxMilliseconds and returns. Input stays queued until the operation ends,
// so nothing the user does can change what the operation is working on.
void AfxPumpWaitingMessages(DWORD dwMaxMilliseconds);
