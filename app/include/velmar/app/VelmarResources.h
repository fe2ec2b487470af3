#pragma once
// The editor's resource tables (strings, menus, accelerators, dialogs, icons
// and the tool bar), registered with the framework once before the first
// window is made.
#include "velmar/framework/AfxTypes.h"

// Registers the tables; later calls do nothing.
void VelmarRegisterResources();
// The main tool bar's commands in order, ID_SEPARATOR for separators.
const UINT* VelmarToolBarButtons(int* pCount);
