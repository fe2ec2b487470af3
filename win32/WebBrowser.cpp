#include "velmar/win32/WebBrowser.h"

#include "velmar/win32/DesktopApps.h"
#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/Launcher.h"
#include "velmar/win32/WideText.h"

#include <atomic>
#include <new>
#include <string>

const CLSID CLSID_InternetExplorer = {
    0x0002DF01, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IWebBrowser = {
    0xEAB22AC1, 0x30C1, 0x11CF, {0xA7, 0xEB, 0x00, 0x00, 0xC0, 0x5B, 0xAE, 0x0B}};
const IID IID_IWebBrowserApp = {
    0x0002DF05, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IWebBrowser2 = {
    0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};

namespace
{

class WebBrowser final : public IWebBrowser2
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IWebBrowser ||
            riid == IID_IWebBrowserApp || riid == IID_IWebBrowser2)
        {
            AddRef();
            *ppv = static_cast<IWebBrowser2*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Navigate(BSTR URL, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override
    {
        if (!URL)
            return E_INVALIDARG;
        return Open(URL);
    }
    HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* URL, VARIANT*, VARIANT*, VARIANT*,
                                        VARIANT*) override
    {
        if (!URL)
            return E_INVALIDARG;
        const VARIANT* v = URL;
        if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal)
            v = v->pvarVal;
        if (v->vt == VT_BSTR && v->bstrVal)
            return Open(v->bstrVal);
        if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal && *v->pbstrVal)
            return Open(*v->pbstrVal);
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* pBool) override
    {
        if (!pBool)
            return E_POINTER;
        *pBool = visible_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL Value) override
    {
        visible_ = Value != VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* LocationURL) override
    {
        if (!LocationURL)
            return E_POINTER;
        *LocationURL = SysAllocString(location_.c_str());
        return *LocationURL ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE Quit() override { return S_OK; }

private:
    ~WebBrowser() = default;

    HRESULT Open(const OLECHAR* address)
    {
        std::string text;
        if (!*address || !w32::Utf8FromWide(address, text))
            return E_INVALIDARG;
        const std::string url = w32::HasUrlScheme(text) ? text : w32::FileUrl(text);
        w32::LaunchRequest request;
        w32::BrowserCommand(url, request.argv);
        const DWORD err = w32::Launch(request);
        if (err != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(err);
        location_ = w32::WideFromUtf8(url);
        return S_OK;
    }

    std::atomic<ULONG> refs_{1};
    bool visible_ = false;
    std::wstring location_;
};

} // namespace

namespace w32
{

HRESULT CreateWebBrowser(REFIID riid, void** ppv)
{
    WebBrowser* browser = new (std::nothrow) WebBrowser;
    if (!browser)
        return E_OUTOFMEMORY;
    const HRESULT hr = browser->QueryInterface(riid, ppv);
    browser->Release();
    return hr;
}

} // namespace w32
