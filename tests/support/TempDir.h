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
        for (int attempt = 0; attempt < 100 && path.empty(); ++attempt)
        {
            const std::filesystem::path p = base / ("velmar-test-" + std::to_string(seed()));
            if (std::filesystem::create_directory(p, ec))
                path = p.string();
        }
    }
    ~TempDir()
    {
        std::error_code ec;
        for (auto& e : std::filesystem::recursive_directory_iterator(path, ec))
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return path + "/" + name; }

    std::string path;
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
