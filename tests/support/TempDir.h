#pragma once
// A private folder under the system's temporary folder, removed at the end
// with everything in it, read-only files too; whole files written and read.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace testsupport
{

class TempDir
{
public:
    TempDir()
    {
        // create_directory reports whether it made the folder, so a name
        // another run holds is never shared.
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        std::random_device seed;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt)
        {
            const std::filesystem::path p = base / ("velmar-test-" + std::to_string(seed()));
            if (std::filesystem::create_directory(p, ec))
                path_ = p.generic_string(); // forward slashes on Windows too
        }
    }
    ~TempDir()
    {
        if (path_.empty())
            return;
        // Write permission back everywhere: on Windows it clears the read-only
        // attribute, without which a file cannot be deleted there.
        std::error_code ec;
        const auto all = std::filesystem::perms::owner_all;
        std::filesystem::permissions(path_, all, std::filesystem::perm_options::add, ec);
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            std::filesystem::permissions(it->path(), all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes a file (folders made as needed); mode 0755 makes it a program on POSIX.
    std::string write(const std::string& name, const std::string& text, unsigned mode = 0644) const
    {
        const std::string p = file(name);
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(p).parent_path(), ec);
        std::ofstream(p, std::ios::binary) << text;
        std::filesystem::permissions(p, static_cast<std::filesystem::perms>(mode), ec);
        return p;
    }

private:
    std::string path_;
};

// Writes `bytes` as the whole file at `path`; the path.
inline std::string WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

} // namespace testsupport
