#pragma once
// "InternetExplorer.Application": the automation object that shows a page in
// the desktop's web browser. Navigate2 hands the address to the browser that
// the desktop names (see w32::BrowserCommand) through the launcher; a path
// becomes a file URL first. A launched browser shows its own window, so
// put_Visible only records the wish; each navigation starts the browser
// anew, and the browser keeps running after the object is released.
// Navigation flags, target frame, post data and headers are accepted and not
// used.

#include "velmar/win32/OleAuto.h"

struct IWebBrowser2 : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE Navigate(BSTR URL, VARIANT* Flags, VARIANT* TargetFrameName,
                                               VARIANT* PostData, VARIANT* Headers) = 0;
    virtual HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* URL, VARIANT* Flags,
                                                VARIANT* TargetFrameName, VARIANT* PostData,
                                                VARIANT* Headers) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* pBool) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL Value) = 0;
    // The address of the last navigation (a new BSTR, the caller frees it).
    virtual HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* LocationURL) = 0;
    virtual HRESULT STDMETHODCALLTYPE Quit() = 0;

protected:
    ~IWebBrowser2() = default;
};
typedef IWebBrowser2 IWebBrowserApp;

extern const CLSID CLSID_InternetExplorer;
extern const IID IID_IWebBrowser;
extern const IID IID_IWebBrowserApp;
extern const IID IID_IWebBrowser2;

namespace w32
{

// A new browser object with one reference.
HRESULT CreateWebBrowser(REFIID riid, void** ppv);

} // namespace w32
