#include "velmar/win32/DesktopApps.h"

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace w32
{

namespace
{

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::vector<std::string> Split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size())
    {
        const size_t end = text.find(sep, start);
        const std::string part =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!part.empty())
            parts.push_back(part);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

std::string HomeDir(const char* xdgVar, const char* fallback)
{
    std::string dir = Env(xdgVar);
    if (!dir.empty() && dir[0] == '/')
        return dir;
    const std::string home = Env("HOME");
    return home.empty() ? std::string() : home + fallback;
}

std::vector<std::string> DirList(const char* xdgVar, const char* fallback)
{
    std::vector<std::string> dirs;
    for (const std::string& d : Split(Env(xdgVar).empty() ? fallback : Env(xdgVar), ':'))
        if (d[0] == '/')
            dirs.push_back(d);
    return dirs;
}

bool IsRegularFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Application folders, most personal first.
std::vector<std::string> ApplicationDirs()
{
    std::vector<std::string> dirs;
    const std::string dataHome = HomeDir("XDG_DATA_HOME", "/.local/share");
    if (!dataHome.empty())
        dirs.push_back(dataHome + "/applications");
    for (const std::string& d : DirList("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        dirs.push_back(d + "/applications");
    return dirs;
}

std::string FindDesktopEntry(const std::string& id)
{
    if (id.empty() || id.find('/') != std::string::npos)
        return std::string();
    for (const std::string& dir : ApplicationDirs())
    {
        if (IsRegularFile(dir + "/" + id))
            return dir + "/" + id;
        // Entries in subfolders have ids with '-' for '/'.
        const size_t dash = id.find('-');
        if (dash != std::string::npos)
        {
            const std::string sub = dir + "/" + id.substr(0, dash) + "/" + id.substr(dash + 1);
            if (IsRegularFile(sub))
                return sub;
        }
    }
    return std::string();
}

// The value of key in [group] of an ini-style file, "" when absent.
std::string IniValue(const std::string& path, const std::string& group, const std::string& key)
{
    std::ifstream in(path);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[')
        {
            inGroup = line == "[" + group + "]";
            continue;
        }
        if (!inGroup)
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string k = line.substr(0, eq);
        while (!k.empty() && k.back() == ' ')
            k.pop_back();
        if (k == key)
        {
            size_t v = eq + 1;
            while (v < line.size() && line[v] == ' ')
                ++v;
            return line.substr(v);
        }
    }
    return std::string();
}

// Unescapes a desktop-entry string value and splits it into arguments by the
// Exec quoting rules.
std::vector<std::string> SplitExec(const std::string& value)
{
    std::string text;
    for (size_t i = 0; i < value.size(); ++i)
    {
        if (value[i] == '\\' && i + 1 < value.size())
        {
            const char c = value[++i];
            switch (c)
            {
            case 's':
                text += ' ';
                break;
            case 'n':
                text += '\n';
                break;
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            case '\\':
                text += '\\';
                break;
            default: // left for the quoting rules below
                text += '\\';
                text += c;
                break;
            }
        }
        else
        {
            text += value[i];
        }
    }
    std::vector<std::string> args;
    std::string cur;
    bool have = false, quoted = false;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if (quoted)
        {
            if (c == '\\' && i + 1 < text.size() &&
                std::string("\"`$\\").find(text[i + 1]) != std::string::npos)
                cur += text[++i];
            else if (c == '"')
                quoted = false;
            else
                cur += c;
        }
        else if (c == '"')
        {
            quoted = have = true;
        }
        else if (c == ' ' || c == '\t' || c == '\n')
        {
            if (have)
                args.push_back(cur);
            cur.clear();
            have = false;
        }
        else
        {
            cur += c;
            have = true;
        }
    }
    if (have)
        args.push_back(cur);
    return args;
}

const char* const kKnownEditors[] = {"gnome-text-editor", "gedit", "kate",  "kwrite",
                                     "mousepad",          "xed",   "pluma", "featherpad",
                                     "leafpad",           "geany"};
const char* const kKnownBrowsers[] = {"firefox",          "firefox-esr",   "chromium",
                                      "chromium-browser", "google-chrome", "epiphany",
                                      "falkon",           "konqueror"};

} // namespace

std::string FindProgram(const std::string& name)
{
    if (name.empty())
        return std::string();
    if (name.find('/') != std::string::npos)
        return (IsRegularFile(name) && ::access(name.c_str(), X_OK) == 0) ? name : std::string();
    for (std::string dir :
         Split(Env("PATH").empty() ? "/usr/local/bin:/usr/bin:/bin" : Env("PATH"), ':'))
    {
        const std::string candidate = dir + "/" + name;
        if (IsRegularFile(candidate) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::string();
}

std::string DefaultDesktopEntry(const std::string& mimeType)
{
    // mimeapps.list files in order of precedence, each desktop-specific one
    // ahead of the plain one in its folder; defaults.list last, as before.
    std::vector<std::string> desktops;
    for (std::string d : Split(Env("XDG_CURRENT_DESKTOP"), ':'))
    {
        for (char& c : d)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + 32);
        desktops.push_back(d);
    }
    std::vector<std::string> folders;
    const std::string configHome = HomeDir("XDG_CONFIG_HOME", "/.config");
    if (!configHome.empty())
        folders.push_back(configHome);
    for (const std::string& d : DirList("XDG_CONFIG_DIRS", "/etc/xdg"))
        folders.push_back(d);
    for (const std::string& d : ApplicationDirs())
        folders.push_back(d);
    std::vector<std::string> lists;
    for (const std::string& f : folders)
    {
        for (const std::string& d : desktops)
            lists.push_back(f + "/" + d + "-mimeapps.list");
        lists.push_back(f + "/mimeapps.list");
    }
    for (const std::string& d : ApplicationDirs())
        lists.push_back(d + "/defaults.list");

    for (const std::string& list : lists)
    {
        for (const std::string& id : Split(IniValue(list, "Default Applications", mimeType), ';'))
        {
            const std::string path = FindDesktopEntry(id);
            if (!path.empty())
                return path;
        }
    }
    return std::string();
}

bool DesktopEntryCommand(const std::string& entryPath, const std::string& argument,
                         std::vector<std::string>& argv)
{
    argv.clear();
    const std::vector<std::string> exec = SplitExec(IniValue(entryPath, "Desktop Entry", "Exec"));
    if (exec.empty())
        return false;
    bool placed = false;
    for (const std::string& a : exec)
    {
        if (a == "%f" || a == "%F" || a == "%u" || a == "%U")
        {
            if (!placed && !argument.empty())
                argv.push_back(argument);
            placed = true;
            continue;
        }
        if (a == "%i" || a == "%c" || a == "%k")
            continue;
        std::string out;
        for (size_t i = 0; i < a.size(); ++i)
        {
            if (a[i] != '%' || i + 1 == a.size())
            {
                out += a[i];
                continue;
            }
            const char code = a[++i];
            if (code == '%')
            {
                out += '%';
            }
            else if (code == 'f' || code == 'u')
            {
                out += argument;
                placed = true;
            }
            else if (code == 'k')
            {
                out += entryPath;
            }
            // Other and deprecated codes stand for nothing.
        }
        argv.push_back(out);
    }
    if (!placed && !argument.empty())
        argv.push_back(argument);
    return !argv.empty() && !argv[0].empty();
}

bool TextEditorCommand(const std::string& file, std::vector<std::string>& argv)
{
    argv.clear();
    const std::vector<std::string> visual = SplitExec(Env("VISUAL"));
    if (!visual.empty())
    {
        argv = visual;
        if (!file.empty())
            argv.push_back(file);
        return true;
    }
    const std::string entry = DefaultDesktopEntry("text/plain");
    if (!entry.empty() && DesktopEntryCommand(entry, file, argv))
        return true;
    for (const char* name : kKnownEditors)
    {
        const std::string path = FindProgram(name);
        if (!path.empty())
        {
            argv = {path};
            if (!file.empty())
                argv.push_back(file);
            return true;
        }
    }
    argv.clear();
    return false;
}

bool BrowserCommand(const std::string& url, std::vector<std::string>& argv)
{
    argv.clear();
    for (const std::string& candidate : Split(Env("BROWSER"), ':'))
    {
        std::vector<std::string> words = SplitExec(candidate);
        if (words.empty() || FindProgram(words[0]).empty())
            continue;
        bool placed = false;
        for (std::string& w : words)
        {
            const size_t at = w.find("%s");
            if (at != std::string::npos)
            {
                w.replace(at, 2, url);
                placed = true;
            }
        }
        if (!placed)
            words.push_back(url);
        argv = words;
        return true;
    }
    const std::string entry = DefaultDesktopEntry("x-scheme-handler/http");
    if (!entry.empty() && DesktopEntryCommand(entry, url, argv))
        return true;
    for (const char* name : kKnownBrowsers)
    {
        const std::string path = FindProgram(name);
        if (!path.empty())
        {
            argv = {path, url};
            return true;
        }
    }
    argv = OpenDocumentCommand(url);
    return true;
}

std::vector<std::string> OpenDocumentCommand(const std::string& target)
{
    return {"xdg-open", target};
}

std::string FileUrl(const std::string& path)
{
    std::string absolute = path;
    if (absolute.empty() || absolute[0] != '/')
    {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd))
            absolute = std::string(cwd) + (absolute.empty() ? "" : "/" + absolute);
    }
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : absolute)
    {
        const bool plain =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            std::string("-._~/!$&'()*+,;=:@").find(static_cast<char>(c)) != std::string::npos;
        if (plain)
        {
            url += static_cast<char>(c);
        }
        else
        {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

bool HasUrlScheme(const std::string& text)
{
    // A scheme is a letter then letters, digits, '+', '-' or '.', then ':';
    // single letters are left out so that "C:" style names are not taken.
    size_t i = 0;
    if (text.empty() || !((text[0] >= 'a' && text[0] <= 'z') || (text[0] >= 'A' && text[0] <= 'Z')))
        return false;
    while (i < text.size() && text[i] != ':')
    {
        const char c = text[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '+' || c == '-' || c == '.'))
            return false;
        ++i;
    }
    return i >= 2 && i < text.size();
}

} // namespace w32
