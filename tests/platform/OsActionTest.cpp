#include "velmar/platform/nkPlatform.h"

#include "PlatformTestSupport.h"

#include <cwchar>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

using nkPlatform::CWinAction;
using testsupport::PrivilegeEnabled;

// The message-box provider and the process launcher are hooks of our win32
// layer; on Windows a box would really show and a shutdown really happen.
#ifndef _WIN32
namespace
{

// Answers message boxes from a script and keeps what was asked.
class ScriptedUi : public w32::IUiProvider
{
public:
    std::vector<w32::MessageBoxRequest> asked;
    std::vector<int> answers;

    int ShowMessageBox(const w32::MessageBoxRequest& request) override
    {
        asked.push_back(request);
        if (answers.empty())
            return 0;
        const int a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    bool ShowFileDialog(const w32::FileDialogRequest&, w32::FileDialogAnswer&) override
    {
        return false;
    }
};

// Records every process the win32 layer would start; nothing really starts.
class RecordingLauncher
{
public:
    RecordingLauncher()
    {
        w32::SetLauncher(
            [this](const w32::LaunchRequest& request, int* pid)
            {
                launched.push_back(request.argv);
                if (pid)
                    *pid = 4242;
                return result;
            });
    }
    ~RecordingLauncher() { w32::SetLauncher({}); }

    std::vector<std::vector<std::string>> launched;
    DWORD result = ERROR_SUCCESS;
};

std::string Joined(const std::vector<std::string>& argv)
{
    std::string s;
    for (const std::string& a : argv)
        s += (s.empty() ? "" : " ") + a;
    return s;
}

} // namespace
#endif

#ifndef _WIN32
TEST(OsAction, MessageBoxStylesAndAnswers)
{
    ScriptedUi ui;
    w32::ScopedUiProvider scope(&ui);
    CWinAction action;

    ui.answers = {IDNO};
    EXPECT_EQ(nkPlatform::kAnswerNo, action.ShowMessage(L"Velmar", L"Replace it?", 4, 4));
    ASSERT_EQ(1u, ui.asked.size());
    EXPECT_EQ(MB_YESNO | MB_ICONQUESTION, ui.asked[0].style);
    EXPECT_EQ(nullptr, ui.asked[0].owner);
    EXPECT_EQ(L"Velmar", ui.asked[0].caption);
    EXPECT_EQ(L"Replace it?", ui.asked[0].text);

    ui.answers = {IDYES, IDCANCEL, IDRETRY, IDOK, IDCANCEL};
    EXPECT_EQ(nkPlatform::kAnswerYes, action.ShowMessage("c", "t", 5, 1));
    EXPECT_EQ(MB_YESNOCANCEL | MB_ICONINFORMATION, ui.asked.back().style);
    EXPECT_EQ(nkPlatform::kAnswerCancel, action.ShowMessage(L"c", L"t", 3, 3));
    EXPECT_EQ(MB_RETRYCANCEL | MB_ICONERROR, ui.asked.back().style);
    EXPECT_EQ(nkPlatform::kAnswerRetry, action.ShowMessage(L"c", L"t", 3, 0));
    EXPECT_EQ(nkPlatform::kAnswerOk, action.ShowMessage("c", "t", 2, 9));
    EXPECT_EQ(MB_OKCANCEL, ui.asked.back().style);
    EXPECT_EQ(nkPlatform::kAnswerCancel, action.ShowMessage("c", "t", 77, 2));
    EXPECT_EQ(MB_OK, ui.asked.back().style); // unknown sets: a plain OK box, no icon
    // A box that could not be shown, or an answer outside the table, is 0.
    EXPECT_EQ(nkPlatform::kAnswerNone, action.ShowMessage("c", "t", 0, 0));
    EXPECT_EQ(0, CWinAction::MessageAnswer(IDABORT));
}
#endif

#ifdef _WIN32
namespace
{

// Answers the system's own message boxes on this thread: a CBT hook sees each
// box as it is activated, notes its caption, text and buttons, and clicks the
// scripted answer (or, when the box lacks that button, its first one, so that
// a wrong style cannot leave the test waiting).
struct BoxSeen
{
    std::wstring caption;
    std::wstring text;
    std::vector<int> buttons;
};

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
        if (GetWindowTextW(child, buffer, 256) > 0)
        {
            auto* box = reinterpret_cast<BoxSeen*>(into);
            box->text += box->text.empty() ? L"" : L"|";
            box->text += buffer;
        }
        return TRUE;
    }

    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        BoxAnswerer* self = current_;
        const HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_DESTROYWND && self && window == self->answered_)
            self->answered_ = nullptr;
        // A box may be activated more than once; it is answered the first time.
        // Other windows (the system's own) are left alone.
        wchar_t className[16] = {};
        if (code == HCBT_ACTIVATE && self && window != self->answered_ &&
            GetClassNameW(window, className, 16) && std::wcscmp(className, L"#32770") == 0)
        {
            const HWND box = window;
            self->answered_ = box;
            BoxSeen seen;
            wchar_t caption[256] = {};
            GetWindowTextW(box, caption, 256);
            seen.caption = caption;
            for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO})
                if (GetDlgItem(box, id))
                    seen.buttons.push_back(id);
            EnumChildWindows(box, &BoxAnswerer::CollectText, reinterpret_cast<LPARAM>(&seen));
            int answer = seen.buttons.empty() ? IDOK : seen.buttons.front();
            if (!self->answers.empty())
            {
                for (int id : seen.buttons)
                    if (id == self->answers.front())
                        answer = id;
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
    if (!probe)
        return false;
    DestroyWindow(probe);
    return true;
}

bool Contains(const std::wstring& haystack, const std::wstring& needle)
{
    return haystack.find(needle) != std::wstring::npos;
}

} // namespace

TEST(OsAction, MessageBoxesOfTheSystem)
{
    BoxAnswerer answerer;
    ASSERT_TRUE(answerer.Ready());
    CWinAction action;
    using Buttons = std::vector<int>;

    if (!HaveDesktop())
    {
        // No box can be shown, and that is answered as such, not as a button.
        EXPECT_EQ(nkPlatform::kAnswerNone, action.ShowMessage(L"Velmar", L"Replace it?", 4, 4));
        EXPECT_EQ(nkPlatform::kAnswerNone, action.ShowMessage("c", "t", 0, 0));
        EXPECT_TRUE(answerer.seen.empty());
        return;
    }

    answerer.answers = {IDNO};
    EXPECT_EQ(nkPlatform::kAnswerNo, action.ShowMessage(L"Velmar", L"Replace it?", 4, 4));
    ASSERT_EQ(1u, answerer.seen.size());
    EXPECT_EQ(L"Velmar", answerer.seen[0].caption);
    EXPECT_TRUE(Contains(answerer.seen[0].text, L"Replace it?"));
    EXPECT_EQ((Buttons{IDYES, IDNO}), answerer.seen[0].buttons);

    answerer.answers = {IDYES, IDCANCEL, IDRETRY, IDOK, IDCANCEL};
    EXPECT_EQ(nkPlatform::kAnswerYes, action.ShowMessage("Narrow", "Save it?", 5, 1));
    EXPECT_EQ(L"Narrow", answerer.seen.back().caption);
    EXPECT_TRUE(Contains(answerer.seen.back().text, L"Save it?"));
    EXPECT_EQ((Buttons{IDCANCEL, IDYES, IDNO}), answerer.seen.back().buttons);
    EXPECT_EQ(nkPlatform::kAnswerCancel, action.ShowMessage(L"c", L"t", 3, 3));
    EXPECT_EQ((Buttons{IDCANCEL, IDRETRY}), answerer.seen.back().buttons);
    EXPECT_EQ(nkPlatform::kAnswerRetry, action.ShowMessage(L"c", L"t", 3, 0));
    EXPECT_EQ(nkPlatform::kAnswerOk, action.ShowMessage("c", "t", 2, 9));
    EXPECT_EQ((Buttons{IDOK, IDCANCEL}), answerer.seen.back().buttons);
    // Unknown sets: a plain OK box.
    EXPECT_EQ(nkPlatform::kAnswerOk, action.ShowMessage("c", "t", 77, 2));
    EXPECT_EQ((Buttons{IDOK}), answerer.seen.back().buttons);
    EXPECT_EQ(6u, answerer.seen.size());
    EXPECT_EQ(0, CWinAction::MessageAnswer(IDABORT));
}
#endif

TEST(OsAction, ShutdownCodesAndThePrivilege)
{
    EXPECT_EQ(static_cast<std::uint32_t>(EWX_SHUTDOWN), nkPlatform::ShutdownCode(1));
    EXPECT_EQ(static_cast<std::uint32_t>(EWX_REBOOT), nkPlatform::ShutdownCode(2));
    EXPECT_EQ(static_cast<std::uint32_t>(EWX_LOGOFF), nkPlatform::ShutdownCode(0));
    EXPECT_EQ(static_cast<std::uint32_t>(EWX_SHUTDOWN),
              nkPlatform::ShutdownCode(3)); // power off wins over reboot
    EXPECT_EQ(static_cast<std::uint32_t>(EWX_SHUTDOWN | EWX_FORCE), nkPlatform::ShutdownCode(5));
    EXPECT_EQ(static_cast<std::uint32_t>(EWX_REBOOT | EWX_FORCE), nkPlatform::ShutdownCode(6));
    EXPECT_EQ(static_cast<std::uint32_t>(EWX_LOGOFF | EWX_FORCE), nkPlatform::ShutdownCode(4));

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
    RecordingLauncher launcher;
    nkPlatform::COSVersion version;
    CWinAction action(&version);
    const bool shutdownHeld = nkPlatform::EnablePrivilege("SeShutdownPrivilege");
    ASSERT_TRUE(shutdownHeld) << "every user holds the shut-down privilege here";
    nkPlatform::DisablePrivilege(SE_SHUTDOWN_NAME);

    // Forced power off.
    ASSERT_TRUE(action.Shutdown(5));
    ASSERT_EQ(1u, launcher.launched.size());
    EXPECT_NE(std::string::npos, Joined(launcher.launched[0]).find("poweroff"))
        << Joined(launcher.launched[0]);
    EXPECT_NE(std::string::npos, Joined(launcher.launched[0]).find("--ignore-inhibitors"));
    // The privilege is off again afterwards.
    LUID luid{};
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &luid));
    EXPECT_FALSE(w32::ProcessPrivilegeEnabled(luid.LowPart));

    ASSERT_TRUE(action.Shutdown(2));
    EXPECT_NE(std::string::npos, Joined(launcher.launched.back()).find("reboot"));
    EXPECT_EQ(std::string::npos, Joined(launcher.launched.back()).find("--ignore-inhibitors"));
    ASSERT_TRUE(action.Shutdown(0));
    EXPECT_NE(std::string::npos, Joined(launcher.launched.back()).find("loginctl"));
    EXPECT_EQ(3u, launcher.launched.size());

    // A refused request is reported, not hidden behind the privilege step.
    launcher.result = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(action.Shutdown(1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(w32::ProcessPrivilegeEnabled(luid.LowPart));

    // A privilege nobody has here cannot be enabled, whatever the Windows quirk says.
    EXPECT_FALSE(nkPlatform::EnablePrivilege("SeNoSuchPrivilege"));
}
#endif

TEST(OsAction, LastErrorTextIsTheSystemsMessage)
{
    CWinAction action;
    HANDLE h = CreateFileW(L"/nonexistent-velmar-dir/missing.xml", GENERIC_READ, 0, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_EQ(INVALID_HANDLE_VALUE, h);
    const DWORD code = GetLastError();
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), code);
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
    const wchar_t* system = L"Windows";
    const std::string fullPattern = "Windows NT \\d+\\.\\d+ Build\\d{4,}";
#else
    const wchar_t* system = L"Linux";
    const std::string fullPattern = "Linux \\d+\\.\\d+ Build\\d{4,}";
#endif
    EXPECT_STREQ(system, context.GetShortName());
    const std::wstring full = context.GetFullName();
    EXPECT_TRUE(std::regex_match(std::string(full.begin(), full.end()), std::regex(fullPattern)))
        << std::string(full.begin(), full.end());

    nkPlatform::COSVersion v;
    v.major = 5;
    v.minor = 1;
    v.build = 26;
    wchar_t shortName[128], fullName[256];
    nkPlatform::COSContext::MakeNames(v, shortName, 128, fullName, 256);
    EXPECT_STREQ(system, shortName);
#ifdef _WIN32
    EXPECT_STREQ(L"Windows NT 5.1 Build0026", fullName);
#else
    EXPECT_STREQ(L"Linux 5.1 Build0026", fullName);
#endif
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
    nkPlatform::CWinRegistry key;
    ASSERT_TRUE(key.Open(HKEY_CLASSES_ROOT, L""));
    nkPlatform::CWinRegistry entry;
    const std::wstring base = std::wstring(L"CLSID\\") + clsid;
    ASSERT_TRUE(key.CreateSubKey((base + L"\\InprocServer32").c_str(), nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, nullptr, &entry));
    ASSERT_TRUE(entry.SetValue(L"", REG_SZ, L"/opt/x/libserver.so", 20 * sizeof(wchar_t)));
    ASSERT_TRUE(key.CreateSubKey((base + L"\\ProgID").c_str(), nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 nullptr, &entry));
    ASSERT_TRUE(entry.SetValue("", REG_SZ, "Velmar.Server.1", 16));
    ASSERT_TRUE(key.CreateSubKey((base + L"\\VersionIndependentProgID").c_str(), nullptr, 0,
                                 KEY_ALL_ACCESS, nullptr, nullptr, &entry));
    ASSERT_TRUE(entry.SetValue("", REG_SZ, "Velmar.Server", 14));

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
    RecordingLauncher launcher;
    CWinAction action;
    const std::string doc = Path("doc.xml");
    std::ofstream(doc) << "<a/>";
    EXPECT_TRUE(action.ShellOpen(doc.c_str(), nullptr));
    ASSERT_EQ(1u, launcher.launched.size());
    EXPECT_NE(std::string::npos, Joined(launcher.launched[0]).find("doc.xml"));
    EXPECT_FALSE(action.ShellOpen(static_cast<const wchar_t*>(nullptr), nullptr));
}
#endif

TEST_F(OsServicesTest, ShellOpenRefusesWhatIsNotThere)
{
#ifndef _WIN32
    RecordingLauncher launcher; // nothing may start
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
    EXPECT_TRUE(launcher.launched.empty());
#endif
}
