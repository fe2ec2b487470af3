#pragma once
// OLE start-up of an application: AfxOleInit initialises OLE for the thread
// once, and the application's exit undoes it (AfxOleTerm, called by
// CWinApp::ExitInstance). Control containment has nothing to set up here: no
// ActiveX control is ever hosted, but programs make the call as on Windows.
#include "velmar/framework/AfxTypes.h"

class COccManager;

// TRUE when OLE is initialised for the calling thread (also when it already was).
BOOL AfxOleInit();
// Undoes a successful AfxOleInit; nothing otherwise.
void AfxOleTerm();
void AfxEnableControlContainer(COccManager* pOccManager = nullptr);
