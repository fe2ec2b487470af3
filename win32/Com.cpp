#include "velmar/win32/Com.h"

#include "velmar/win32/WebBrowser.h"
#include "velmar/win32/WideText.h"

#include <cwchar>
#include <string>

const IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

namespace
{

struct ClassEntry
{
    const CLSID* clsid;
    const wchar_t* progIds[2];
    DWORD contexts;
    HRESULT (*create)(REFIID riid, void** ppv);
};

// The browser is a local server on Windows; here it is created in-process.
const ClassEntry kClasses[] = {
    {&CLSID_InternetExplorer,
     {L"InternetExplorer.Application", L"InternetExplorer.Application.1"},
     CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
     w32::CreateWebBrowser},
};

struct Apartment
{
    unsigned count = 0;
    DWORD model = 0;
};
thread_local Apartment t_apartment;

} // namespace

HRESULT WINAPI CoInitializeEx(LPVOID, DWORD dwCoInit)
{
    const DWORD model = dwCoInit & COINIT_APARTMENTTHREADED;
    if (t_apartment.count > 0)
    {
        if (t_apartment.model != model)
            return RPC_E_CHANGED_MODE;
        ++t_apartment.count;
        return S_FALSE;
    }
    t_apartment.model = model;
    t_apartment.count = 1;
    return S_OK;
}

HRESULT WINAPI CoInitialize(LPVOID pvReserved)
{
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

void WINAPI CoUninitialize()
{
    if (t_apartment.count > 0)
        --t_apartment.count;
}

HRESULT WINAPI OleInitialize(LPVOID pvReserved)
{
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

void WINAPI OleUninitialize()
{
    CoUninitialize();
}

HRESULT WINAPI CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid)
{
    if (!lpszProgID || !lpclsid)
        return E_INVALIDARG;
    const std::wstring id(lpszProgID);
    for (const ClassEntry& c : kClasses)
    {
        for (const wchar_t* progId : c.progIds)
        {
            if (progId && w32::EqualsNoCase(id, std::wstring(progId)))
            {
                *lpclsid = *c.clsid;
                return S_OK;
            }
        }
    }
    *lpclsid = GUID_NULL;
    return CO_E_CLASSSTRING;
}

HRESULT WINAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext,
                                REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (t_apartment.count == 0)
        return CO_E_NOTINITIALIZED;
    if (pUnkOuter)
        return CLASS_E_NOAGGREGATION;
    for (const ClassEntry& c : kClasses)
        if (*c.clsid == rclsid && (c.contexts & dwClsContext))
            return c.create(riid, ppv);
    return REGDB_E_CLASSNOTREG;
}
