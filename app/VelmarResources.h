#pragma once
// The editor's resource tables (strings, menus, accelerators, dialogs),
// registered with the framework once before the first window is made.

// Registers the tables; later calls do nothing.
void VelmarRegisterResources();
