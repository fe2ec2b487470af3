#pragma once
// Runs the real velmar-xml in a scratch folder and collects what it printed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <set>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

struct ToolResult
{
    int status = -1; // exit status, -1 when the program did not exit normally
    std::string out;
    std::string err;
};

class ToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/velmar-tools-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern.data()));
        dir_ = pattern;
        std::filesystem::create_directories(dir_ + "/home");
        std::filesystem::create_directories(dir_ + "/work");
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // Files the tests make live in work/, apart from the captured output.
    std::string Path(const std::string& name) const { return dir_ + "/work/" + name; }

    void Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const { return ReadPath(Path(name)); }
    static std::string ReadPath(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }
    // Names in work/, to see that nothing was left behind.
    std::set<std::string> Listing() const
    {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_ + "/work"))
            names.insert(e.path().filename().string());
        return names;
    }

    // Runs velmar-xml with `args` in work/. `fileSizeLimit` (bytes, 0: none)
    // makes every write beyond it fail, as a full disk would.
    ToolResult Run(std::vector<std::string> args, off_t fileSizeLimit = 0) const
    {
        return Exec(VELMAR_XML_TOOL, std::move(args), fileSizeLimit, "");
    }

    // Runs a program with `input` on its standard input.
    ToolResult Exec(const std::string& program, std::vector<std::string> args, off_t fileSizeLimit,
                    const std::string& input) const
    {
        const std::string outPath = dir_ + "/stdout", errPath = dir_ + "/stderr",
                          inPath = dir_ + "/stdin";
        std::ofstream(inPath, std::ios::binary) << input;
        std::vector<std::string> words{program};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        const std::string home = dir_ + "/home", work = dir_ + "/work";
        const pid_t pid = fork();
        if (pid == 0)
        {
            const int in = open(inPath.c_str(), O_RDONLY);
            const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
                dup2(err, 2) < 0 || chdir(work.c_str()) != 0)
                _exit(127);
            // Nothing outside the scratch folder: home, data, share locks.
            setenv("HOME", home.c_str(), 1);
            setenv("XDG_DATA_HOME", home.c_str(), 1);
            setenv("XDG_CONFIG_HOME", home.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
            setenv("VELMAR_SHARE_DIR", (home + "/locks").c_str(), 1);
            setenv("VELMAR_REGISTRY", (home + "/registry.db").c_str(), 1);
            setenv("LANG", "C.UTF-8", 1);
            unsetenv("LC_ALL");
            unsetenv("LC_CTYPE");
            unsetenv("VELMAR_ACP");
            if (fileSizeLimit > 0)
            {
                // A write beyond the limit fails with EFBIG instead of a signal.
                signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{static_cast<rlim_t>(fileSizeLimit),
                                   static_cast<rlim_t>(fileSizeLimit)};
                if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                    _exit(127);
            }
            execv(argv[0], argv.data());
            _exit(127);
        }
        ToolResult r;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            r.status = WEXITSTATUS(status);
        r.out = ReadPath(outPath);
        r.err = ReadPath(errPath);
        return r;
    }

    std::string dir_;
};
