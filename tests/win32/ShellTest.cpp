#include "Win32TestSupport.h"

#include <chrono>

#ifdef _WIN32
#include <shellapi.h>
#endif

namespace
{

using Argv = std::vector<std::string>;

// A command line split into words: by the system's own parser on Windows,
// by ours elsewhere, so both are held to the same rules.
Argv Split(const std::string& line)
{
#ifdef _WIN32
    // The first word is the program's name, which has rules of its own.
    const std::wstring wide = L"program " + testsupport::Wide(line);
    int n = 0;
    LPWSTR* words = CommandLineToArgvW(wide.c_str(), &n);
    Argv out;
    for (int i = 1; words && i < n; ++i)
    {
        const std::wstring w = words[i];
        out.emplace_back(w.begin(), w.end()); // the tests' words are ASCII
    }
    LocalFree(words);
    return out;
#else
    return w32::SplitCommandLine(line);
#endif
}

// Opens a file without any user interface; FALSE and the last error when it cannot.
BOOL OpenQuietly(const std::string& file, SHELLEXECUTEINFOW& info, const wchar_t* verb = L"open")
{
    static std::wstring name;
    name = testsupport::Wide(file);
    info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = verb;
    info.lpFile = name.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info);
}

} // namespace

TEST(ShellCommandLine, SplitsAsWindowsDoes)
{
    EXPECT_EQ((Argv{"a", "b c", "d"}), Split("a \"b c\"  d"));
    EXPECT_EQ((Argv{"a\"b"}), Split("\"a\\\"b\""));
    EXPECT_EQ((Argv{"a\\b c"}), Split("a\\\\\"b c\""));
    EXPECT_EQ((Argv{"C:\\path\\"}), Split("C:\\path\\"));
    EXPECT_EQ((Argv{"x\"y"}), Split("\"x\"\"y\""));
    EXPECT_EQ((Argv{""}), Split("\"\""));
    EXPECT_EQ(Argv{}, Split("   "));
}

TEST(Shell, MissingFilesAndFoldersAreReported)
{
    testsupport::TempDir dir;
#ifndef _WIN32
    testsupport::LaunchRecorder launches; // should the check fail, nothing real starts
#endif
    SHELLEXECUTEINFOW info;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              LAST_ERROR_IF(FALSE, OpenQuietly(dir.file("missing.xml"), info)));
    EXPECT_EQ(static_cast<INT_PTR>(SE_ERR_FNF), reinterpret_cast<INT_PTR>(info.hInstApp));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND,
              LAST_ERROR_IF(FALSE, OpenQuietly(dir.file("no-folder/missing.xml"), info)));
    // Known Wine difference: it answers SE_ERR_FNF for a missing folder too.
    EXPECT_EQ(static_cast<INT_PTR>(testsupport::UnderWine() ? SE_ERR_FNF : SE_ERR_PNF),
              reinterpret_cast<INT_PTR>(info.hInstApp));
#ifndef _WIN32
    EXPECT_TRUE(launches.requests().empty());
#endif
}

#ifndef _WIN32
namespace
{

class ShellTest : public testsupport::DesktopTest
{
protected:
    // Runs the call, which must succeed; what the launcher was asked to start.
    Argv Started(HINSTANCE result)
    {
        EXPECT_GT(reinterpret_cast<INT_PTR>(result), 32);
        return recorder.lastArgv();
    }
};

INT_PTR Code(HINSTANCE h)
{
    return reinterpret_cast<INT_PTR>(h);
}

} // namespace

TEST_F(ShellTest, NotepadIsTheDesktopsTextEditor)
{
    const std::wstring wdoc = w32::WideFromUtf8(doc);
    // $VISUAL first; the whole parameter string is one file name, spaces and
    // all. Quotes around the name, which keep it whole on Windows, are
    // Notepad's to drop; quotes inside a name stay.
    env.set("VISUAL", "myeditor --wait");
    for (const std::wstring& name : {wdoc, L"\"" + wdoc + L"\""})
        EXPECT_EQ(
            (Argv{"myeditor", "--wait", doc}),
            Started(ShellExecuteW(nullptr, L"open", L"notepad", name.c_str(), nullptr, SW_SHOW)));
    EXPECT_EQ(
        (Argv{"myeditor", "--wait", "a\"b\".xml"}),
        Started(ShellExecuteW(nullptr, L"open", L"notepad", L"a\"b\".xml", nullptr, SW_SHOW)));

    // Then the text/plain default of mimeapps.list and its desktop entry.
    env.unset("VISUAL");
    dir.write("config/mimeapps.list",
              "[Default Applications]\ntext/plain=missing.desktop;myedit.desktop;\n");
    dir.write("data/applications/myedit.desktop",
              "[Desktop Entry]\nType=Application\nName=My Edit\nExec=myedit --new-window %F\n");
    EXPECT_EQ(
        (Argv{"myedit", "--new-window", doc}),
        Started(ShellExecuteW(nullptr, L"open", L"NOTEPAD.EXE", wdoc.c_str(), nullptr, SW_SHOW)));

    // Then a known editor on the PATH.
    std::filesystem::remove(dir.file("config/mimeapps.list"));
    const std::string mousepad = program("mousepad");
    EXPECT_EQ((Argv{mousepad, doc}), Started(ShellExecuteA(nullptr, "open", "notepad", doc.c_str(),
                                                           dir.file("docs").c_str(), SW_SHOW)));
    EXPECT_EQ(dir.file("docs"), recorder.requests().back().directory);

    // No editor at all: file not found, nothing started.
    std::filesystem::remove(mousepad);
    const size_t before = recorder.requests().size();
    SetLastError(0);
    EXPECT_EQ(SE_ERR_FNF,
              Code(ShellExecuteW(nullptr, L"open", L"notepad", wdoc.c_str(), nullptr, SW_SHOW)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(before, recorder.requests().size());
}

TEST_F(ShellTest, OpenRunsProgramsAndOpensDocuments)
{
    // A program on the PATH, its parameters split by the Windows rules.
    EXPECT_EQ(
        (Argv{tool, "-a", "b c", "d\"e"}),
        Started(ShellExecuteW(nullptr, nullptr, L"tool", L"-a \"b c\" d\\\"e", nullptr, SW_SHOW)));
    EXPECT_EQ((Argv{tool}),
              Started(ShellExecuteA(nullptr, "open", "tool.exe", "", nullptr, SW_SHOW)));
    // A program by path, relative to the directory given.
    EXPECT_EQ(
        (Argv{dir.file("bin/tool"), "x"}),
        Started(ShellExecuteA(nullptr, "open", "bin/tool", "x", dir.path().c_str(), SW_SHOW)));

    // Documents, folders and addresses go to the default application.
    EXPECT_EQ((Argv{"xdg-open", doc}),
              Started(ShellExecuteA(nullptr, "open", doc.c_str(), nullptr, nullptr, SW_SHOW)));
    EXPECT_EQ((Argv{"xdg-open", dir.file("docs")}),
              Started(ShellExecuteA(nullptr, nullptr, dir.file("docs").c_str(), nullptr, nullptr,
                                    SW_SHOW)));
    EXPECT_EQ((Argv{"xdg-open", "https://example.org/x?y=1"}),
              Started(ShellExecuteW(nullptr, L"open", L"https://example.org/x?y=1", nullptr,
                                    nullptr, SW_SHOW)));
    // The execute bit alone does not make a document a program.
    const std::string flagged = dir.write("docs/flagged.txt", "just text", 0755);
    EXPECT_EQ((Argv{"xdg-open", flagged}),
              Started(ShellExecuteA(nullptr, "open", flagged.c_str(), nullptr, nullptr, SW_SHOW)));

    // Missing files and folders, unknown verbs.
    SetLastError(0);
    EXPECT_EQ(SE_ERR_FNF,
              Code(ShellExecuteA(nullptr, "open", "nosuchprogram", nullptr, nullptr, SW_SHOW)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(SE_ERR_PNF,
              Code(ShellExecuteA(nullptr, "open", "/no/such/folder/x", nullptr, nullptr, SW_SHOW)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    EXPECT_EQ(SE_ERR_NOASSOC,
              Code(ShellExecuteA(nullptr, "print", doc.c_str(), nullptr, nullptr, SW_SHOW)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_ASSOCIATION), GetLastError());
    EXPECT_EQ(SE_ERR_FNF,
              Code(ShellExecuteW(nullptr, L"open", nullptr, nullptr, nullptr, SW_SHOW)));

    // A launch the system refuses reports its error.
    testsupport::LaunchRecorder failing(ERROR_ACCESS_DENIED);
    EXPECT_EQ(SE_ERR_ACCESSDENIED,
              Code(ShellExecuteA(nullptr, "open", "tool", nullptr, nullptr, SW_SHOW)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

TEST_F(ShellTest, RunasAndEditVerbs)
{
    EXPECT_EQ((Argv{"pkexec", tool, "--install", "x y"}),
              Started(ShellExecuteW(nullptr, L"runas", L"tool", L"--install \"x y\"", nullptr,
                                    SW_SHOWNORMAL)));
    // Elevation is for programs, not documents.
    EXPECT_EQ(SE_ERR_NOASSOC,
              Code(ShellExecuteA(nullptr, "runas", doc.c_str(), nullptr, nullptr, SW_SHOW)));

    env.set("VISUAL", "vi");
    EXPECT_EQ((Argv{"vi", doc}),
              Started(ShellExecuteA(nullptr, "edit", doc.c_str(), nullptr, nullptr, SW_SHOW)));
    EXPECT_EQ(SE_ERR_FNF, Code(ShellExecuteA(nullptr, "edit", dir.file("gone.xml").c_str(), nullptr,
                                             nullptr, 1)));
}

TEST_F(ShellTest, ExStructureProcessHandleAndPropertiesSheet)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"open";
    info.lpFile = L"tool";
    info.nShow = SW_SHOW;
    ASSERT_TRUE(ShellExecuteExW(&info));
    EXPECT_EQ(42, Code(info.hInstApp));
    ASSERT_NE(nullptr, info.hProcess);
    EXPECT_EQ(4242u, GetProcessId(info.hProcess));
    EXPECT_TRUE(CloseHandle(info.hProcess));

    info.cbSize = 60; // Windows' 32-bit size, not this structure's
    EXPECT_EQ(ERROR_INVALID_PARAMETER, LAST_ERROR_IF(FALSE, ShellExecuteExW(&info)));

    // The property call of the editor, exactly as it is made.
    const std::wstring wdoc = w32::WideFromUtf8(doc);
    HWND owner = reinterpret_cast<HWND>(0x1000);
    SHELLEXECUTEINFOW props = {};
    props.cbSize = sizeof props;
    props.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    props.hwnd = owner;
    props.lpVerb = L"properties";
    props.lpFile = wdoc.c_str();
    props.nShow = SW_SHOWNORMAL;
    const size_t launches = recorder.requests().size();
    {
        testsupport::ScriptedUi ui;
        w32::ScopedUiProvider scope(&ui);
        ASSERT_TRUE(ShellExecuteExW(&props));
        EXPECT_EQ((std::vector<std::pair<HWND, std::wstring>>{{owner, wdoc}}), ui.sheets);
        EXPECT_EQ(nullptr, props.hProcess); // no process was started
    }
    EXPECT_EQ(launches, recorder.requests().size());
    // No provider: no sheet and no association.
    EXPECT_EQ(ERROR_NO_ASSOCIATION, LAST_ERROR_IF(FALSE, ShellExecuteExW(&props)));
    EXPECT_EQ(SE_ERR_NOASSOC, Code(props.hInstApp));
    // A file deleted meanwhile.
    std::filesystem::remove(doc);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LAST_ERROR_IF(FALSE, ShellExecuteExW(&props)));

    SHELLEXECUTEINFOA narrow = {};
    narrow.cbSize = sizeof narrow;
    narrow.lpFile = "tool";
    EXPECT_TRUE(ShellExecuteExA(&narrow));
    EXPECT_EQ(nullptr, narrow.hProcess);
    EXPECT_EQ((Argv{tool}), recorder.lastArgv());
}

TEST(Launcher, SystemLauncherStartsAStandInProgram)
{
    testsupport::TempDir dir;
    const std::string out = dir.file("out.txt");
    const std::string script = dir.write(
        "standin.sh",
        "#!/bin/sh\npwd > \"$1.tmp\"\necho \"$2\" >> \"$1.tmp\"\nmv \"$1.tmp\" \"$1\"\n", 0755);
    w32::LaunchRequest request;
    request.argv = {script, out, "hello world"};
    request.directory = dir.path();
    int pid = 0;
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), w32::SpawnDetached(request, &pid));
    EXPECT_GT(pid, 0);
    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(out);
    std::string cwd, arg;
    std::getline(in, cwd);
    std::getline(in, arg);
    EXPECT_EQ(std::filesystem::canonical(dir.path()).string(), cwd);
    EXPECT_EQ("hello world", arg);

    request.argv = {dir.file("no-such-program")};
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), w32::SpawnDetached(request, &pid));
    request.argv.clear();
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), w32::Launch(request));
}
#endif
