#pragma once
// The tree panes' second column: each parameter's value, each element's text
// and each remark's first line, on one line. Whether it is shown is one
// setting for every tree pane, kept with the user's settings.
#include "velmar/framework/AfxString.h"

// Whether the tree panes show the value column (shown unless the user hid it).
bool IsValueColumnShown();
// Shows or hides the column in every tree pane and remembers the choice.
void ShowValueColumn(bool bShow);
// `text` on one line: runs of white space become one blank, and a long text
// is cut with an ellipsis. With `bFirstLine`, only its first line that is not blank.
CString OneLineText(const wchar_t* text, bool bFirstLine);
