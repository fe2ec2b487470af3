#pragma once
// Resource ids of the editor.

#define IDR_MAINFRAME 128
#define IDR_XMLTYPE 129   // the document template: its strings, menu and icon
