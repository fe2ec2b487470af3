#pragma once
// The state of the keyboard's lock keys (Caps, Num and Scroll Lock) as the
// system reports it: 1 on, 0 off, -1 when the system does not say.
#include "velmar/framework/AfxTypes.h"

int AfxGetKeyLockState(int nVirtKey);
