#include "Win32TestSupport.h"

#ifdef _WIN32
#include <exdisp.h>
#else
namespace
{

using Argv = std::vector<std::string>;
using BrowserTest = testsupport::DesktopTest;

// What the editor's preview does with a path, step by step.
bool PreviewInBrowser(const std::wstring& path)
{
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"InternetExplorer.Application", &clsid)))
        return false;
    IWebBrowser2* browser = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, 23, IID_IWebBrowser2,
                                reinterpret_cast<void**>(&browser))))
        return false;
    browser->put_Visible(VARIANT_TRUE);
    VARIANT address, empty;
    VariantInit(&address);
    VariantInit(&empty);
    address.vt = VT_BSTR;
    address.bstrVal = SysAllocString(path.c_str());
    browser->Navigate2(&address, &empty, &empty, &empty, &empty);
    SysFreeString(address.bstrVal);
    browser->Release();
    return true;
}

} // namespace
#endif

TEST(Com, ApartmentInitialisationPerThread)
{
    std::thread(
        []
        {
            void* p = reinterpret_cast<void*>(1);
            EXPECT_EQ(CO_E_NOTINITIALIZED, CoCreateInstance(CLSID_InternetExplorer, nullptr,
                                                            CLSCTX_ALL, IID_IUnknown, &p));
            EXPECT_EQ(nullptr, p);
            EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
            EXPECT_EQ(RPC_E_CHANGED_MODE, OleInitialize(nullptr));
            EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
            CoUninitialize();
            CoUninitialize();
            EXPECT_EQ(S_OK, OleInitialize(nullptr));
            EXPECT_EQ(S_FALSE, CoInitialize(nullptr));
            CoUninitialize();
            OleUninitialize();
            CoUninitialize(); // one too many does no harm
            EXPECT_EQ(CO_E_NOTINITIALIZED, CoCreateInstance(CLSID_InternetExplorer, nullptr,
                                                            CLSCTX_ALL, IID_IUnknown, &p));
        })
        .join();
}

TEST(Com, ClassLookupAndArgumentChecks)
{
    ASSERT_EQ(S_OK, OleInitialize(nullptr));
    CLSID clsid;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"internetexplorer.application", &clsid));
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_InternetExplorer));
    EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromProgID(L"No.Such.Application", &clsid));
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(REGDB_E_CLASSNOTREG,
              CoCreateInstance(IID_IDispatch, nullptr, CLSCTX_ALL, IID_IUnknown, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(E_POINTER,
              CoCreateInstance(IID_IDispatch, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr));
    OleUninitialize();
}

#ifndef _WIN32
// Our browser object: the only class of our COM, its counts and its answers.
TEST(Com, ClassTableAndReferenceCounting)
{
    ASSERT_EQ(S_OK, OleInitialize(nullptr));
    CLSID clsid;
    EXPECT_EQ(E_INVALIDARG, CLSIDFromProgID(nullptr, &clsid));

    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_InternetExplorer, nullptr, CLSCTX_ALL, IID_IUnknown,
                                     reinterpret_cast<void**>(&unknown)));
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              CoCreateInstance(CLSID_InternetExplorer, unknown, CLSCTX_ALL, IID_IUnknown, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(CLSID_InternetExplorer, nullptr,
                                                    CLSCTX_REMOTE_SERVER, IID_IUnknown, &p));
    const IID other = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    EXPECT_EQ(E_NOINTERFACE,
              CoCreateInstance(CLSID_InternetExplorer, nullptr, CLSCTX_ALL, other, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(E_POINTER,
              CoCreateInstance(CLSID_InternetExplorer, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr));

    // Interfaces of one object share its count; the last Release ends it.
    IWebBrowser2* browser = nullptr;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)));
    EXPECT_EQ(static_cast<void*>(browser), static_cast<void*>(unknown));
    EXPECT_EQ(3u, browser->AddRef());
    EXPECT_EQ(2u, browser->Release());
    VARIANT_BOOL visible = VARIANT_TRUE;
    EXPECT_EQ(S_OK, browser->get_Visible(&visible));
    EXPECT_EQ(VARIANT_FALSE, visible);
    EXPECT_EQ(S_OK, browser->put_Visible(VARIANT_TRUE));
    EXPECT_EQ(S_OK, browser->get_Visible(&visible));
    EXPECT_EQ(VARIANT_TRUE, visible);
    // A variant holding an interface releases it when cleared.
    VARIANT holder;
    VariantInit(&holder);
    holder.vt = VT_UNKNOWN;
    holder.punkVal = unknown;
    EXPECT_EQ(S_OK, VariantClear(&holder));
    EXPECT_EQ(VT_EMPTY, holder.vt);
    EXPECT_EQ(0u, browser->Release());
    OleUninitialize();
}

TEST_F(BrowserTest, OpensThePathAsFileUrlThroughTheLauncher)
{
    program("mybrowser");
    doc = dir.write("my docs/a b#1.xml", "<?xml version=\"1.0\"?><r/>");
    const std::string url = "file://" + dir.path() + "/my%20docs/a%20b%231.xml";
    ASSERT_EQ(S_OK, OleInitialize(nullptr));

    // $BROWSER, with %s standing for the address; entries not on the PATH are skipped.
    env.set("BROWSER", "not-installed:mybrowser --new-window %s");
    ASSERT_TRUE(PreviewInBrowser(w32::WideFromUtf8(doc)));
    EXPECT_EQ((Argv{"mybrowser", "--new-window", url}), recorder.lastArgv());

    // The http handler of mimeapps.list, then a known browser, then xdg-open.
    env.unset("BROWSER");
    dir.write("config/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/http=web.desktop\n");
    dir.write("data/applications/web.desktop",
              "[Desktop Entry]\nExec=\"/opt/web browser/web\" %u\n");
    ASSERT_TRUE(PreviewInBrowser(L"https://example.org/"));
    EXPECT_EQ((Argv{"/opt/web browser/web", "https://example.org/"}), recorder.lastArgv());
    std::filesystem::remove(dir.file("config/mimeapps.list"));
    const std::string firefox = dir.write("bin/firefox", "#!/bin/sh\n", 0755);
    ASSERT_TRUE(PreviewInBrowser(w32::WideFromUtf8(doc)));
    EXPECT_EQ((Argv{firefox, url}), recorder.lastArgv());
    std::filesystem::remove(firefox);
    ASSERT_TRUE(PreviewInBrowser(w32::WideFromUtf8(doc)));
    EXPECT_EQ((Argv{"xdg-open", url}), recorder.lastArgv());

    // A relative path is taken from the current folder; the address is kept.
    IWebBrowser2* browser = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_InternetExplorer, nullptr, CLSCTX_LOCAL_SERVER,
                                     IID_IWebBrowser2, reinterpret_cast<void**>(&browser)));
    VARIANT address, empty;
    VariantInit(&empty);
    VariantInit(&address);
    address.vt = VT_BSTR;
    address.bstrVal = SysAllocString(L"rel.xml");
    EXPECT_EQ(S_OK, browser->Navigate2(&address, &empty, &empty, &empty, &empty));
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ("file://" + cwd + "/rel.xml", recorder.lastArgv().back());
    BSTR location = nullptr;
    EXPECT_EQ(S_OK, browser->get_LocationURL(&location));
    EXPECT_EQ(w32::WideFromUtf8("file://" + cwd + "/rel.xml"), std::wstring(location));
    SysFreeString(location);
    // Wrong variant types are refused; a failed launch is an HRESULT of its error.
    VARIANT number;
    VariantInit(&number);
    number.vt = VT_I4;
    number.lVal = 5;
    EXPECT_EQ(E_INVALIDARG, browser->Navigate2(&number, &empty, &empty, &empty, &empty));
    EXPECT_EQ(E_INVALIDARG, browser->Navigate2(nullptr, nullptr, nullptr, nullptr, nullptr));
    {
        testsupport::LaunchRecorder failing(ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                  browser->Navigate2(&address, &empty, &empty, &empty, &empty));
    }
    EXPECT_EQ(S_OK, VariantClear(&address));
    browser->Release();
    OleUninitialize();
}

#endif

TEST(OleAuto, BstrAndVariantBasics)
{
    const std::wstring text = L"ab\U0001F600"; // three or four units, by the width of wchar_t
    BSTR s = SysAllocString(text.c_str());
    ASSERT_NE(nullptr, s);
    EXPECT_EQ(text.size(), SysStringLen(s));
    EXPECT_EQ(text.size() * sizeof(wchar_t), SysStringByteLen(s));
    EXPECT_EQ(0, s[text.size()]);
    SysFreeString(s);
    BSTR zeros = SysAllocStringLen(nullptr, 5);
    EXPECT_EQ(5u, SysStringLen(zeros));
    EXPECT_EQ(0, zeros[0]);
    SysFreeString(zeros);
    BSTR embedded = SysAllocStringLen(L"a\0b", 3);
    EXPECT_EQ(3u, SysStringLen(embedded));
    EXPECT_EQ(L'b', embedded[2]);
    SysFreeString(embedded);
    EXPECT_EQ(nullptr, SysAllocString(nullptr));
    EXPECT_EQ(0u, SysStringLen(nullptr));
    SysFreeString(nullptr);

    VARIANT v;
    VariantInit(&v);
    EXPECT_EQ(VT_EMPTY, v.vt);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(L"owned");
    EXPECT_EQ(S_OK, VariantClear(&v));
    EXPECT_EQ(VT_EMPTY, v.vt);
    BSTR kept = SysAllocString(L"kept");
    v.vt = VT_BYREF | VT_BSTR;
    v.pbstrVal = &kept;
    EXPECT_EQ(S_OK, VariantClear(&v));
    EXPECT_EQ(4u, SysStringLen(kept)); // a reference is not freed
    SysFreeString(kept);
#ifndef _WIN32
    // Ours keeps no arrays: one is refused and left as it was, where Windows
    // would destroy the array it points to.
    v.vt = VT_ARRAY | VT_I4;
    EXPECT_EQ(DISP_E_BADVARTYPE, VariantClear(&v));
    EXPECT_EQ(VT_ARRAY | VT_I4, v.vt);
    EXPECT_EQ(E_INVALIDARG, VariantClear(nullptr));
#endif
    // A type that is no variant type at all.
    v.vt = 0x7FF;
    EXPECT_EQ(DISP_E_BADVARTYPE, VariantClear(&v));
    v.vt = VT_EMPTY;
}
