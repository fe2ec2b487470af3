#include "velmar/win32/OleAuto.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>

namespace
{

DWORD* Prefix(BSTR s)
{
    return reinterpret_cast<DWORD*>(s) - 1;
}

} // namespace

BSTR WINAPI SysAllocStringLen(const OLECHAR* strIn, UINT len)
{
    if (len > (std::numeric_limits<DWORD>::max() - 2 * sizeof(OLECHAR)) / sizeof(OLECHAR))
        return nullptr;
    void* block = std::malloc(sizeof(DWORD) + (size_t(len) + 1) * sizeof(OLECHAR));
    if (!block)
        return nullptr;
    *static_cast<DWORD*>(block) = static_cast<DWORD>(len * sizeof(OLECHAR));
    BSTR s = reinterpret_cast<BSTR>(static_cast<DWORD*>(block) + 1);
    if (strIn)
        std::memcpy(s, strIn, len * sizeof(OLECHAR));
    else
        std::memset(s, 0, len * sizeof(OLECHAR));
    s[len] = 0;
    return s;
}

BSTR WINAPI SysAllocString(const OLECHAR* psz)
{
    return psz ? SysAllocStringLen(psz, static_cast<UINT>(std::wcslen(psz))) : nullptr;
}

void WINAPI SysFreeString(BSTR bstrString)
{
    if (bstrString)
        std::free(Prefix(bstrString));
}

UINT WINAPI SysStringLen(BSTR pbstr)
{
    return pbstr ? *Prefix(pbstr) / sizeof(OLECHAR) : 0;
}

UINT WINAPI SysStringByteLen(BSTR bstr)
{
    return bstr ? *Prefix(bstr) : 0;
}

void WINAPI VariantInit(VARIANT* pvarg)
{
    if (!pvarg)
        return;
    pvarg->vt = VT_EMPTY;
    pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
}

HRESULT WINAPI VariantClear(VARIANT* pvarg)
{
    if (!pvarg)
        return E_INVALIDARG;
    const VARTYPE vt = pvarg->vt;
    if (vt & VT_BYREF)
    {
        // References belong to someone else.
    }
    else
    {
        switch (vt)
        {
        case VT_EMPTY:
        case VT_NULL:
        case VT_I2:
        case VT_I4:
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DATE:
        case VT_ERROR:
        case VT_BOOL:
        case VT_I1:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_I8:
        case VT_UI8:
        case VT_INT:
        case VT_UINT:
            break;
        case VT_BSTR:
            SysFreeString(pvarg->bstrVal);
            break;
        case VT_UNKNOWN:
        case VT_DISPATCH:
            if (pvarg->punkVal)
                pvarg->punkVal->Release();
            break;
        default:
            return DISP_E_BADVARTYPE;
        }
    }
    pvarg->vt = VT_EMPTY;
    return S_OK;
}
