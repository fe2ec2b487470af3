#include "velmar/win32/ElfSection.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"
#include "SysCalls.h"

#include <cerrno>
#include <cstring>
#include <elf.h>

namespace w32
{

namespace
{

class File
{
public:
    explicit File(const std::string& path) : fd_(sys::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~File()
    {
        if (fd_ >= 0)
            sys::close(fd_);
    }
    bool Open() const { return fd_ >= 0; }
    off_t Size()
    {
        struct stat st;
        return sys::fstat(fd_, &st) == 0 ? st.st_size : -1;
    }
    // Reads exactly count bytes at offset; false on a short read or error.
    bool ReadAt(void* buf, size_t count, std::uint64_t offset)
    {
        size_t done = 0;
        while (done < count)
        {
            const ssize_t n = sys::pread(fd_, static_cast<char*>(buf) + done, count - done,
                                         static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

private:
    int fd_;
};

struct Section
{
    std::uint32_t name;
    std::uint32_t type;
    std::uint64_t offset;
    std::uint64_t size;
    std::uint32_t link;
};

template <typename Ehdr, typename Shdr>
DWORD Find(File& file, std::uint64_t fileSize, const char* wanted, size_t maxBytes,
           std::vector<unsigned char>& out)
{
    Ehdr eh;
    if (!file.ReadAt(&eh, sizeof eh, 0) || eh.e_shentsize != sizeof(Shdr) || eh.e_shoff == 0)
        return ERROR_BAD_FORMAT;
    auto readSection = [&](std::uint64_t index, Section& s)
    {
        Shdr sh;
        const std::uint64_t at = eh.e_shoff + index * sizeof(Shdr);
        if (at + sizeof(Shdr) > fileSize || !file.ReadAt(&sh, sizeof sh, at))
            return false;
        s = Section{sh.sh_name, sh.sh_type, sh.sh_offset, sh.sh_size, sh.sh_link};
        return true;
    };
    std::uint64_t count = eh.e_shnum;
    std::uint64_t strIndex = eh.e_shstrndx;
    if (count == 0 || strIndex == SHN_XINDEX)
    {
        // Large section counts and indexes live in section 0.
        Section zero;
        if (!readSection(0, zero))
            return ERROR_BAD_FORMAT;
        if (count == 0)
            count = zero.size;
        if (strIndex == SHN_XINDEX)
            strIndex = zero.link;
    }
    if (count == 0 || strIndex >= count || count > fileSize / sizeof(Shdr) ||
        eh.e_shoff + count * sizeof(Shdr) > fileSize)
        return ERROR_BAD_FORMAT;
    Section strings;
    if (!readSection(strIndex, strings) || strings.offset + strings.size > fileSize)
        return ERROR_BAD_FORMAT;
    const size_t wantedLen = std::strlen(wanted);
    std::vector<char> name(wantedLen + 1);
    for (std::uint64_t i = 0; i < count; ++i)
    {
        Section s;
        if (!readSection(i, s))
            return ERROR_BAD_FORMAT;
        if (s.name + wantedLen + 1 > strings.size)
            continue;
        if (!file.ReadAt(name.data(), wantedLen + 1, strings.offset + s.name))
            return ERROR_BAD_FORMAT;
        if (std::memcmp(name.data(), wanted, wantedLen + 1) != 0)
            continue;
        if (s.type == SHT_NOBITS || s.size == 0 || s.size > maxBytes ||
            s.offset + s.size > fileSize)
            return ERROR_BAD_FORMAT;
        out.resize(static_cast<size_t>(s.size));
        return file.ReadAt(out.data(), out.size(), s.offset) ? ERROR_SUCCESS : ERROR_BAD_FORMAT;
    }
    return ERROR_RESOURCE_TYPE_NOT_FOUND;
}

} // namespace

DWORD ReadElfSection(const std::string& path, const char* sectionName, size_t maxBytes,
                     std::vector<unsigned char>& out)
{
    out.clear();
    File file(path);
    if (!file.Open())
        return Win32ErrorFromErrno(errno);
    const off_t size = file.Size();
    if (size < 0)
        return Win32ErrorFromErrno(errno);
    unsigned char ident[EI_NIDENT];
    if (static_cast<std::uint64_t>(size) < EI_NIDENT || !file.ReadAt(ident, EI_NIDENT, 0) ||
        std::memcmp(ident, ELFMAG, SELFMAG) != 0 || ident[EI_DATA] != ELFDATA2LSB)
        return ERROR_BAD_FORMAT;
    const std::uint64_t fileSize = static_cast<std::uint64_t>(size);
    if (ident[EI_CLASS] == ELFCLASS64)
        return Find<Elf64_Ehdr, Elf64_Shdr>(file, fileSize, sectionName, maxBytes, out);
    if (ident[EI_CLASS] == ELFCLASS32)
        return Find<Elf32_Ehdr, Elf32_Shdr>(file, fileSize, sectionName, maxBytes, out);
    return ERROR_BAD_FORMAT;
}

} // namespace w32
