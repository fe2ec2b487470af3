#pragma once
// What the views and the document ask of the frames. The main frame shows
// the selected item's path; a child frame marks its caption when its
// document is modified. The frames implement these beside their framework
// base classes, so the editor's views need no frame headers.
#include "velmar/framework/AfxString.h"
#include "velmar/framework/AfxTypes.h"

class CFindBar;

class IPathTextSink
{
public:
    // Shows `path` (never null) as the path of the selected tree item.
    virtual void SetPathText(LPCWSTR path) = 0;

protected:
    ~IPathTextSink() = default;
};

class IModifiedCaption
{
public:
    // Marks the caption when the frame's document is modified.
    virtual void UpdateTitle() = 0;

protected:
    ~IModifiedCaption() = default;
};

class IFindHost
{
public:
    // The find bar, or null when the frame has none.
    virtual CFindBar* GetFindBar() = 0;
    // The path bar's text as the user typed it.
    virtual CString GetTypedPath() = 0;

protected:
    ~IFindHost() = default;
};
