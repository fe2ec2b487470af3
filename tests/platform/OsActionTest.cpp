#include "velmar/platform/nkPlatform.h"

#include "PlatformTestSupport.h"
#include "support/Privileges.h"
#include "support/Win32Doubles.h"

#include <algorithm>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

using nkPlatform::CWinAction;
using testsupport::PrivilegeEnabled;

namespace
{

// A message box as the user saw it; its buttons in one fixed order.
struct BoxSeen
{
    std::wstring caption, text;
    std::vector<int> buttons;
    UINT style = 0; // natively only: what the layer was asked for
};
const int kButtonOrder[] = {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO};

#ifndef _WIN32
// Natively the win32 layer hands every box to the UI provider: the scripted
// one answers, and each box is noted as the user would have seen it.
class BoxAnswerer : public testsupport::ScriptedUi
{
public:
    std::vector<BoxSeen> seen;
    std::deque<int>& answers = boxAnswers;

    int ShowMessageBox(const w32::MessageBoxRequest& request) override
    {
        EXPECT_EQ(nullptr, request.owner);
        seen.push_back({request.caption, request.text, {}, request.style});
        for (int id : kButtonOrder)
            if (std::count(request.buttons, request.buttons + request.buttonCount, id))
                seen.back().buttons.push_back(id);
        return ScriptedUi::ShowMessageBox(request);
    }
};
#else
// On Windows the boxes are the system's own: a CBT hook sees each box of this
// thread as it is activated, notes it and clicks the scripted answer (or, when
// the box lacks that button, its first one, so that a wrong style cannot leave
// the test waiting).
class BoxAnswerer
{
public:
    BoxAnswerer()
    {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, &BoxAnswerer::Hook, nullptr, GetCurrentThreadId());
    }
    ~BoxAnswerer()
    {
        if (hook_)
            UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    bool Ready() const { return hook_ != nullptr; }

    std::vector<BoxSeen> seen;
    std::vector<int> answers;

private:
    static BOOL CALLBACK CollectText(HWND child, LPARAM into)
    {
        wchar_t buffer[256];
        auto* box = reinterpret_cast<BoxSeen*>(into);
        if (GetWindowTextW(child, buffer, 256) > 0)
            box->text += (box->text.empty() ? L"" : L"|") + std::wstring(buffer);
        return TRUE;
    }

    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        BoxAnswerer* self = current_;
        const HWND box = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_DESTROYWND && self && box == self->answered_)
            self->answered_ = nullptr;
        // A box may be activated more than once; it is answered the first time.
        // Other windows (the system's own) are left alone.
        wchar_t className[16] = {};
        if (code == HCBT_ACTIVATE && self && box != self->answered_ &&
            GetClassNameW(box, className, 16) && std::wcscmp(className, L"#32770") == 0)
        {
            self->answered_ = box;
            BoxSeen seen;
            wchar_t caption[256] = {};
            GetWindowTextW(box, caption, 256);
            seen.caption = caption;
            for (int id : kButtonOrder)
                if (GetDlgItem(box, id))
                    seen.buttons.push_back(id);
            EnumChildWindows(box, &BoxAnswerer::CollectText, reinterpret_cast<LPARAM>(&seen));
            int answer = seen.buttons.empty() ? IDOK : seen.buttons.front();
            if (!self->answers.empty())
            {
                if (std::count(seen.buttons.begin(), seen.buttons.end(), self->answers.front()))
                    answer = self->answers.front();
                self->answers.erase(self->answers.begin());
            }
            self->seen.push_back(seen);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline BoxAnswerer* current_ = nullptr;
    HHOOK hook_ = nullptr;
    HWND answered_ = nullptr;
};

// Whether this process can show windows at all (a headless Wine cannot).
bool HaveDesktop()
{
    const HWND probe = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
    if (probe)
        DestroyWindow(probe);
    return probe != nullptr;
}
#endif

} // namespace

TEST(OsAction, MessageBoxesShowTheirButtonsAndIconAndMapTheAnswer)
{
    using nkPlatform::kAnswerCancel, nkPlatform::kAnswerNo, nkPlatform::kAnswerOk;
    using nkPlatform::kAnswerRetry, nkPlatform::kAnswerYes;
    // Button set and icon asked for, the button the user clicks, what the
    // caller gets, the box's buttons and (natively) its style.
    const struct
    {
        int set, icon, click, answer;
        std::vector<int> buttons;
        UINT style;
    } boxes[] = {
        {4, 4, IDNO, kAnswerNo, {IDYES, IDNO}, MB_YESNO | MB_ICONQUESTION},
        {5, 1, IDYES, kAnswerYes, {IDCANCEL, IDYES, IDNO}, MB_YESNOCANCEL | MB_ICONINFORMATION},
        {3, 3, IDCANCEL, kAnswerCancel, {IDCANCEL, IDRETRY}, MB_RETRYCANCEL | MB_ICONERROR},
        {3, 0, IDRETRY, kAnswerRetry, {IDCANCEL, IDRETRY}, MB_RETRYCANCEL},
        {2, 9, IDOK, kAnswerOk, {IDOK, IDCANCEL}, MB_OKCANCEL},
        {77, 2, IDOK, kAnswerOk, {IDOK}, MB_OK}, // unknown sets: a plain OK box, no icon
    };
    BoxAnswerer answerer;
#ifdef _WIN32
    ASSERT_TRUE(answerer.Ready());
    const bool canShow = HaveDesktop();
#else
    w32::ScopedUiProvider scope(&answerer);
    const bool canShow = true;
#endif
    CWinAction action;
    for (const auto& box : boxes)
    {
        SCOPED_TRACE("set " + std::to_string(box.set) + ", icon " + std::to_string(box.icon));
        answerer.answers = {box.click};
        const bool wide = (&box - boxes) % 2 == 0; // narrow and wide boxes in turn
        const std::wstring caption = wide ? L"Velmar" : L"Narrow";
        const std::wstring text = wide ? L"Replace it?" : L"Save it?";
        const int answer = wide ? action.ShowMessage(L"Velmar", L"Replace it?", box.set, box.icon)
                                : action.ShowMessage("Narrow", "Save it?", box.set, box.icon);
        if (!canShow)
        {
            // No box can be shown, and that is answered as such, not as a button.
            EXPECT_EQ(nkPlatform::kAnswerNone, answer);
            continue;
        }
        EXPECT_EQ(box.answer, answer);
        ASSERT_FALSE(answerer.seen.empty());
        const BoxSeen& seen = answerer.seen.back();
        EXPECT_EQ(caption, seen.caption);
        EXPECT_EQ(box.buttons, seen.buttons);
#ifdef _WIN32
        EXPECT_NE(std::wstring::npos, seen.text.find(text)) << "among the box's texts";
#else
        EXPECT_EQ(text, seen.text);
        EXPECT_EQ(box.style, seen.style);
#endif
    }
    EXPECT_EQ(canShow ? std::size(boxes) : 0u, answerer.seen.size());
#ifndef _WIN32
    // A box the provider could not show is answered with none.
    answerer.answers = {0};
    EXPECT_EQ(nkPlatform::kAnswerNone, action.ShowMessage("c", "t", 0, 0));
#endif
    EXPECT_EQ(0, CWinAction::MessageAnswer(IDABORT));
}

TEST(OsAction, ShutdownCodesAndThePrivilege)
{
    const std::pair<std::uint32_t, DWORD> codes[] = {
        {0, EWX_LOGOFF},
        {1, EWX_SHUTDOWN},
        {2, EWX_REBOOT},
        {3, EWX_SHUTDOWN}, // power off wins over reboot
        {4, EWX_LOGOFF | EWX_FORCE},
        {5, EWX_SHUTDOWN | EWX_FORCE},
        {6, EWX_REBOOT | EWX_FORCE},
    };
    for (const auto& [flags, code] : codes)
        EXPECT_EQ(code, nkPlatform::ShutdownCode(flags)) << flags;

    const wchar_t kShutdown[] = L"SeShutdownPrivilege";
    // The privilege is held but off until asked for, in either width.
    const bool wasEnabled = PrivilegeEnabled(kShutdown);
    ASSERT_TRUE(nkPlatform::EnablePrivilege("SeShutdownPrivilege"))
        << "every user holds the shut-down privilege";
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    EXPECT_TRUE(PrivilegeEnabled(kShutdown));
    ASSERT_TRUE(nkPlatform::DisablePrivilege(kShutdown));
    EXPECT_FALSE(PrivilegeEnabled(kShutdown));
    ASSERT_TRUE(nkPlatform::EnablePrivilege(kShutdown));
    EXPECT_TRUE(PrivilegeEnabled(kShutdown));
    ASSERT_TRUE(nkPlatform::DisablePrivilege("SeShutdownPrivilege"));
    EXPECT_FALSE(PrivilegeEnabled(kShutdown));

    // Unknown names fail with the lookup's error, not a success code.
    EXPECT_FALSE(nkPlatform::EnablePrivilege("SeNoSuchPrivilege"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SUCH_PRIVILEGE), GetLastError());
    EXPECT_FALSE(nkPlatform::EnablePrivilege(static_cast<const wchar_t*>(nullptr)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    if (wasEnabled)
        nkPlatform::EnablePrivilege(kShutdown);
}

#ifndef _WIN32
TEST(OsAction, ShutdownAsksTheSystemWithTheRightCode)
{
    testsupport::LaunchRecorder launcher;
    testsupport::EnvGuard env;
    env.set("XDG_SESSION_ID", "c7");
    nkPlatform::COSVersion version;
    CWinAction action(&version);
    ASSERT_TRUE(nkPlatform::EnablePrivilege("SeShutdownPrivilege"))
        << "every user holds the shut-down privilege here";
    nkPlatform::DisablePrivilege(SE_SHUTDOWN_NAME);
    LUID luid{};
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &luid));
    // Forced power off, reboot, log off; the privilege is off again after each.
    const std::pair<std::uint32_t, std::vector<std::string>> cases[] = {
        {5, {"systemctl", "poweroff", "--ignore-inhibitors"}},
        {2, {"systemctl", "reboot"}},
        {0, {"loginctl", "terminate-session", "c7"}},
    };
    for (const auto& [flags, argv] : cases)
    {
        ASSERT_TRUE(action.Shutdown(flags)) << flags;
        EXPECT_EQ(argv, launcher.lastArgv());
        EXPECT_FALSE(w32::ProcessPrivilegeEnabled(luid.LowPart)) << flags;
    }
    EXPECT_EQ(3u, launcher.requests().size());

    // A refused request is reported, not hidden behind the privilege step.
    testsupport::LaunchRecorder refusing(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(action.Shutdown(1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(w32::ProcessPrivilegeEnabled(luid.LowPart));
}
#endif

TEST(OsAction, LastErrorTextIsTheSystemsMessage)
{
    CWinAction action;
    const DWORD code = ERROR_PATH_NOT_FOUND;
    SetLastError(code);
    nkMem::CStringT<char> narrow;
    action.GetLastErrorText(narrow);
#ifndef _WIN32
    EXPECT_STREQ(w32::SystemMessageText(code), narrow.GetString());
#endif
    EXPECT_FALSE(narrow.IsEmpty());
    SetLastError(code);
    nkMem::CStringT<wchar_t> wide;
    action.GetLastErrorText(wide);
    EXPECT_EQ(std::wstring(narrow.GetString(), narrow.GetString() + narrow.GetLength()),
              std::wstring(wide.GetString()));

    // A code without a system text gives an empty string.
    SetLastError(0x2000BEEF);
    narrow = "stale";
    EXPECT_TRUE(nkPlatform::GetLastErrorText(narrow).IsEmpty());
}

TEST(OsAction, TimeStampVersionAndNames)
{
    CWinAction action;
    const std::uint64_t a = action.GetTimeStamp();
    const std::uint64_t b = action.GetTimeStamp();
    EXPECT_NE(0u, a);
    EXPECT_LE(a, b);

    nkPlatform::COSContext context;
    ASSERT_NE(nullptr, context.version);
    ASSERT_NE(nullptr, context.action);
    EXPECT_TRUE(context.version->IsNT());
    EXPECT_GT(context.version->major, 0u);
#ifdef _WIN32
    const std::wstring system = L"Windows", prefix = L"Windows NT ";
#else
    const std::wstring system = L"Linux", prefix = L"Linux ";
#endif
    EXPECT_EQ(system, context.GetShortName());
    const std::wstring full = context.GetFullName();
    EXPECT_TRUE(std::regex_match(full, std::wregex(prefix + L"\\d+\\.\\d+ Build\\d{4,}")))
        << std::string(full.begin(), full.end());

    nkPlatform::COSVersion v;
    v.major = 5;
    v.minor = 1;
    v.build = 26;
    wchar_t shortName[128], fullName[256];
    nkPlatform::COSContext::MakeNames(v, shortName, 128, fullName, 256);
    EXPECT_EQ(system, shortName);
    EXPECT_EQ(prefix + L"5.1 Build0026", fullName);
}

TEST(OsAction, TokenQueries)
{
    bool elevated = true;
    ASSERT_TRUE(nkPlatform::IsElevated(GetCurrentProcess(), elevated));
    PSID admins = nullptr;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins));
    BOOL member = FALSE;
    ASSERT_TRUE(CheckTokenMembership(nullptr, admins, &member));
    FreeSid(admins);
    // The group list and the membership check must agree.
    EXPECT_EQ(member != FALSE, nkPlatform::IsAdministrator());
    bool dummy = false;
    EXPECT_FALSE(nkPlatform::IsElevated(reinterpret_cast<HANDLE>(12345), dummy));
}

using OsServicesTest = testsupport::PlatformTest;

TEST_F(OsServicesTest, ComServerEntriesFromTheClassesRoot)
{
    const wchar_t* clsid = L"{01234567-89AB-CDEF-0123-456789ABCDEF}";
    nkPlatform::CWinRegistry classes;
    ASSERT_TRUE(classes.Open(HKEY_CLASSES_ROOT, L""));
    for (const auto& [entry, value] : {std::pair{L"InprocServer32", L"/opt/x/libserver.so"},
                                       {L"ProgID", L"Velmar.Server.1"},
                                       {L"VersionIndependentProgID", L"Velmar.Server"}})
    {
        nkPlatform::CWinRegistry key;
        ASSERT_TRUE(classes.CreateSubKey((std::wstring(L"CLSID\\") + clsid + L"\\" + entry).c_str(),
                                         nullptr, 0, KEY_ALL_ACCESS, nullptr, nullptr, &key));
        ASSERT_TRUE(key.SetValue(L"", REG_SZ, value,
                                 static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(wchar_t))));
    }

    wchar_t wide[64];
    ASSERT_TRUE(nkPlatform::GetComServerPath(clsid, wide, 64));
    EXPECT_STREQ(L"/opt/x/libserver.so", wide);
    char narrow[64];
    ASSERT_TRUE(nkPlatform::GetComProgID("{01234567-89ab-cdef-0123-456789abcdef}", narrow, 64));
    EXPECT_STREQ("Velmar.Server.1", narrow);
    ASSERT_TRUE(nkPlatform::GetComVersionIndependentProgID(clsid, wide, 64));
    EXPECT_STREQ(L"Velmar.Server", wide);
    EXPECT_FALSE(nkPlatform::GetComProgID(clsid, wide, 15)); // no room for the terminator
    EXPECT_STREQ(L"", wide);
    EXPECT_FALSE(
        nkPlatform::GetComServerPath("{00000000-0000-0000-0000-000000000000}", narrow, 64));
    EXPECT_FALSE(nkPlatform::GetComServerPath(static_cast<const char*>(nullptr), narrow, 64));
}

TEST_F(OsServicesTest, EventLogAndDisplayFailWithoutTheirSubject)
{
    EXPECT_FALSE(
        nkPlatform::RegisterEventLogSource(L"Velmar", L"/usr/lib/velmar/messages", 7, true));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    DWORD level = 9;
    EXPECT_FALSE(nkPlatform::GetDisplayAcceleration(level));
    EXPECT_EQ(0u, level);
    EXPECT_FALSE(nkPlatform::SetDisplayAcceleration(3));
    EXPECT_EQ(nullptr, nkPlatform::CreatePrinterDC(L"Office"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), GetLastError());
}

TEST_F(OsServicesTest, EventLogSourceRegistersOnceInTheSourcesList)
{
    // Where a log key exists (as on Windows), the registration is made.
    nkPlatform::CWinRegistry log;
    ASSERT_TRUE(log.Open(HKEY_LOCAL_MACHINE, L""));
    ASSERT_TRUE(log.CreateSubKey(L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application",
                                 nullptr, 0, KEY_ALL_ACCESS, nullptr, nullptr, &log));
    const wchar_t existing[] = L"Other\0";
    ASSERT_TRUE(log.SetValue(L"Sources", REG_MULTI_SZ, existing, sizeof existing));

    ASSERT_TRUE(
        nkPlatform::RegisterEventLogSource(L"Velmar", L"/usr/lib/velmar/messages", 7, true));
    ASSERT_TRUE(
        nkPlatform::RegisterEventLogSource(L"velmar", L"/usr/lib/velmar/messages", 7, true));
    wchar_t list[64] = {};
    DWORD size = sizeof list;
    ASSERT_TRUE(log.QueryValue(L"Sources", nullptr, list, &size));
    const wchar_t expected[] = L"Other\0Velmar\0";
    EXPECT_EQ(sizeof expected, size);
    EXPECT_EQ(0, std::wmemcmp(expected, list, sizeof expected / sizeof(wchar_t)));

    nkPlatform::CWinRegistry source;
    ASSERT_TRUE(source.Open(HKEY_LOCAL_MACHINE,
                            L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Velmar"));
    EXPECT_EQ(7u, source.ReadDword(L"TypesSupported", 0));
    EXPECT_STREQ(L"/usr/lib/velmar/messages", source.ReadString(L"EventMessageFile").GetString());
}

TEST_F(OsServicesTest, DisplayAccelerationThroughTheDeviceMap)
{
    nkPlatform::CWinRegistry root;
    ASSERT_TRUE(root.Open(HKEY_LOCAL_MACHINE, L""));
    nkPlatform::CWinRegistry map, device;
    ASSERT_TRUE(root.CreateSubKey(L"Hardware\\DEVICEMAP\\VIDEO", nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, nullptr, &map));
    const wchar_t target[] = L"\\Registry\\Machine\\System\\Video\\0000";
    ASSERT_TRUE(map.SetValue(L"\\Device\\Video0", REG_SZ, target, sizeof target));
    ASSERT_TRUE(map.WriteDword(L"MaxObjectNumber", 0));
    ASSERT_TRUE(root.CreateSubKey(L"System\\Video\\0000", nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  nullptr, &device));
    const wchar_t drivers[] = L"vga\0";
    ASSERT_TRUE(device.SetValue(L"InstalledDisplayDrivers", REG_MULTI_SZ, drivers, sizeof drivers));
    const wchar_t description[] = L"Test adapter";
    ASSERT_TRUE(device.SetValue(L"Device Description", REG_SZ, description, sizeof description));

    DWORD level = 9;
    nkMem::CStringT<wchar_t> name;
    ASSERT_TRUE(nkPlatform::GetDisplayAcceleration(level, &name));
    EXPECT_EQ(0u, level);
    EXPECT_STREQ(L"Test adapter", name.GetString());
    ASSERT_TRUE(nkPlatform::SetDisplayAcceleration(3));
    EXPECT_EQ(3u, device.ReadDword(L"Acceleration.Level", 0));
    ASSERT_TRUE(nkPlatform::GetDisplayAcceleration(level));
    EXPECT_EQ(3u, level);
    ASSERT_TRUE(nkPlatform::SetDisplayAcceleration(0)); // deletes the value
    EXPECT_EQ(77u, device.ReadDword(L"Acceleration.Level", 77));
}

#ifndef _WIN32
TEST_F(OsServicesTest, ShellOpenGoesThroughTheLauncher)
{
    if (!nkPlatform::HaveShellExecution())
        GTEST_SKIP() << "this build's win32 layer has no shell execution yet";
    testsupport::LaunchRecorder launcher;
    CWinAction action;
    const std::string doc = Path("doc.xml");
    std::ofstream(doc) << "<a/>";
    EXPECT_TRUE(action.ShellOpen(doc.c_str(), nullptr));
    ASSERT_EQ(1u, launcher.requests().size());
    EXPECT_EQ(doc, launcher.lastArgv().back());
    EXPECT_FALSE(action.ShellOpen(static_cast<const wchar_t*>(nullptr), nullptr));
}
#endif

TEST_F(OsServicesTest, ShellOpenRefusesWhatIsNotThere)
{
#ifndef _WIN32
    testsupport::LaunchRecorder launcher; // nothing may start
#endif
    CWinAction action;
    SetLastError(0);
    EXPECT_FALSE(action.ShellOpen(static_cast<const wchar_t*>(nullptr), nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(action.ShellOpen(static_cast<const char*>(nullptr), nullptr));
    EXPECT_FALSE(nkPlatform::RunElevated(static_cast<const char*>(nullptr), nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    // A document that is not there is not opened, whatever would open it.
    EXPECT_FALSE(action.ShellOpen(Path("missing.xml").c_str(), nullptr));
#ifndef _WIN32
    EXPECT_TRUE(launcher.requests().empty());
#endif
}
