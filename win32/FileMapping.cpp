#include "velmar/win32/FileMapping.h"

#include "velmar/win32/CodePages.h"
#include "velmar/win32/ErrorCodes.h"
#include "FileObject.h"
#include "velmar/win32/Handles.h"
#include "velmar/win32/LastError.h"
#include "SysCalls.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <mutex>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr uint64_t kAllocationGranularity = 65536;
constexpr off_t kHeaderSize = 4096;
constexpr size_t kMaxNameLength = MAX_PATH;
constexpr char kMagic[8] = {'V', 'L', 'M', 'R', 'S', 'E', 'C', '2'};

// A process using a file-backed section, and its descriptor of the file:
// others open the file itself through /proc/<pid>/fd/<fd>, whatever its
// name has become meanwhile. A slot with pid 0 is free.
struct Holder
{
    int32_t pid;
    int32_t fd;
};
constexpr size_t kHolderSlots = (kHeaderSize - 40) / sizeof(Holder);

// The first page of a name's file: what another process needs to open it.
struct NameHeader
{
    char magic[8];
    uint32_t protection;
    uint32_t fileBacked;
    uint64_t size;
    // The backing file, for file-backed sections: a descriptor reached
    // through a holder must be this file.
    uint64_t device;
    uint64_t inode;
    Holder holders[kHolderSlots];
};
static_assert(sizeof(NameHeader) == kHeaderSize);

bool Writable(DWORD protection)
{
    return protection == PAGE_READWRITE || protection == PAGE_EXECUTE_READWRITE;
}

bool Executable(DWORD protection)
{
    return protection == PAGE_EXECUTE_READ || protection == PAGE_EXECUTE_READWRITE ||
           protection == PAGE_EXECUTE_WRITECOPY;
}

bool CopyOnWrite(DWORD protection)
{
    return protection == PAGE_WRITECOPY || protection == PAGE_EXECUTE_WRITECOPY;
}

// The section behind mapping handles and views.
class Section : public w32::KernelObject
{
public:
    ~Section() override;
    DWORD MapGenericAccess(DWORD access) const override
    {
        DWORD out = access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
        if (access & GENERIC_READ)
            out |= SECTION_QUERY | SECTION_MAP_READ;
        if (access & GENERIC_WRITE)
            out |= SECTION_MAP_WRITE;
        if (access & GENERIC_EXECUTE)
            out |= SECTION_MAP_EXECUTE | FILE_MAP_EXECUTE;
        if (access & GENERIC_ALL)
            out |= SECTION_ALL_ACCESS | FILE_MAP_EXECUTE;
        return out;
    }

    int fd = -1;          // where the bytes are
    off_t dataOffset = 0; // where they start in fd
    uint64_t size = 0;
    DWORD protection = 0;
    // Named sections: the name's file, locked while this process uses it.
    std::string namePath;
    int nameFd = -1;
    // This process's slot among the holders of a file-backed named section.
    int holderSlot = -1;
};

struct View
{
    std::shared_ptr<Section> section;
    void* mapBase;
    size_t mapLength;
};

std::mutex g_namesMutex;
std::map<std::string, std::weak_ptr<Section>> g_names;
std::mutex g_viewsMutex;
std::map<uintptr_t, View> g_views;

template <typename T> T Fail(DWORD code, T result)
{
    SetLastError(code);
    return result;
}

// Byte 0 of a name's file: read-locked by every process that uses the section.
// Byte 1: write-locked while a process joins or leaves it.
bool LockByte(int fd, short type, off_t byte, bool wait)
{
    struct flock fl
    {
    };
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = byte;
    fl.l_len = 1;
    for (;;)
    {
        if (w32::sys::fcntl_lock(fd, wait ? F_SETLKW : F_SETLK, &fl) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

bool OtherProcessesUse(int fd)
{
    struct flock fl
    {
    };
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 1;
    if (w32::sys::fcntl_lock(fd, F_GETLK, &fl) != 0)
        return true; // when unsure, never remove another's section
    return fl.l_type != F_UNLCK;
}

// Whether fd is still the file at path (it may have been removed and made anew).
bool StillLinked(int fd, const std::string& path)
{
    struct stat a, b;
    return w32::sys::fstat(fd, &a) == 0 && w32::sys::stat(path.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

off_t HolderOffset(size_t slot)
{
    return static_cast<off_t>(offsetof(NameHeader, holders) + slot * sizeof(Holder));
}

// Enters this process among the holders, in a free slot or one whose process
// is gone; without room it just stays unlisted. Called with byte 1 locked.
int AddHolder(int nameFd, const NameHeader& header, int fd)
{
    for (size_t i = 0; i < kHolderSlots; ++i)
    {
        const Holder& h = header.holders[i];
        if (h.pid != 0 && (kill(h.pid, 0) == 0 || errno != ESRCH))
            continue;
        const Holder self{static_cast<int32_t>(getpid()), fd};
        if (w32::sys::pwrite(nameFd, &self, sizeof self, HolderOffset(i)) != sizeof self)
            return -1;
        return static_cast<int>(i);
    }
    return -1;
}

Section::~Section()
{
    if (nameFd >= 0)
    {
        LockByte(nameFd, F_WRLCK, 1, true);
        if (holderSlot >= 0)
        {
            const Holder none{0, 0};
            w32::sys::pwrite(nameFd, &none, sizeof none, HolderOffset(holderSlot));
        }
        LockByte(nameFd, F_UNLCK, 0, false);
        if (!OtherProcessesUse(nameFd) && StillLinked(nameFd, namePath))
            w32::sys::unlink(namePath.c_str());
        LockByte(nameFd, F_UNLCK, 1, false);
        if (nameFd != fd)
            w32::sys::close(nameFd);
    }
    if (fd >= 0)
        w32::sys::close(fd);
}

std::string NameFolder()
{
    const char* configured = std::getenv("VELMAR_SHM_DIR");
    if (configured && *configured)
        return configured;
    std::string base = "/dev/shm";
    struct stat st;
    if (w32::sys::stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        base = "/tmp";
    const std::string folder = base + "/velmar-" + std::to_string(getuid());
    w32::sys::mkdir(folder.c_str(), 0700);
    return folder;
}

// The file of a name; empty with the last error set when the name is not valid.
std::string NameFile(const std::wstring& given)
{
    std::wstring name = given;
    for (const wchar_t* prefix : {L"Local\\", L"Global\\"})
    {
        if (name.compare(0, std::wcslen(prefix), prefix) == 0)
        {
            name.erase(0, std::wcslen(prefix));
            break;
        }
    }
    if (name.size() > kMaxNameLength)
        return Fail(ERROR_FILENAME_EXCED_RANGE, std::string());
    // A backslash would name an object folder other than Global or Local;
    // none exists, so the path is not found, as the system answers.
    if (name.find(L'\\') != std::wstring::npos)
        return Fail(ERROR_PATH_NOT_FOUND, std::string());
    std::string utf8;
    const int n = WideCharToMultiByte(CP_UTF8, 0, name.data(), static_cast<int>(name.size()),
                                      nullptr, 0, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(n > 0 ? n : 0));
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), utf8.data(), n,
                            nullptr, nullptr);
    // Names are case-sensitive and may hold any character: spell them in hex.
    static const char kHex[] = "0123456789abcdef";
    std::string file = NameFolder() + "/map-";
    for (unsigned char c : utf8)
    {
        file.push_back(kHex[c >> 4]);
        file.push_back(kHex[c & 15]);
    }
    return file;
}

// What a new section is made of.
struct NewSection
{
    int fd = -1; // the file's descriptor (a duplicate), -1 for memory
    uint64_t size = 0;
    DWORD protection = 0;
};

// Opens the backing file of a section through the descriptor of a process
// holding it; -1 with the last error when none reaches it.
int OpenThroughHolders(const NameHeader& header, int flags)
{
    DWORD error = ERROR_FILE_NOT_FOUND;
    for (const Holder& h : header.holders)
    {
        if (h.pid == 0)
            continue;
        const std::string link = "/proc/" + std::to_string(h.pid) + "/fd/" + std::to_string(h.fd);
        const int fd = w32::sys::open(link.c_str(), flags);
        if (fd < 0)
        {
            error = w32::Win32ErrorFromErrno(errno);
            continue;
        }
        // The process may be gone and its number taken, or the descriptor reused.
        struct stat st;
        if (w32::sys::fstat(fd, &st) == 0 && static_cast<uint64_t>(st.st_dev) == header.device &&
            static_cast<uint64_t>(st.st_ino) == header.inode)
            return fd;
        w32::sys::close(fd);
    }
    SetLastError(error);
    return -1;
}

// Fills a section from the header of an existing name.
DWORD JoinExisting(Section& s, int nameFd)
{
    NameHeader header;
    if (w32::sys::pread(nameFd, &header, sizeof header, 0) != static_cast<ssize_t>(sizeof header) ||
        std::memcmp(header.magic, kMagic, sizeof kMagic) != 0)
        return ERROR_FILE_INVALID;
    s.size = header.size;
    s.protection = header.protection;
    if (header.fileBacked)
    {
        s.fd = OpenThroughHolders(header, (Writable(s.protection) ? O_RDWR : O_RDONLY) | O_CLOEXEC);
        if (s.fd < 0)
            return GetLastError();
        s.holderSlot = AddHolder(nameFd, header, s.fd);
    }
    else
    {
        s.fd = nameFd;
        s.dataOffset = kHeaderSize;
    }
    return ERROR_SUCCESS;
}

DWORD StartNew(Section& s, int nameFd, NewSection& made)
{
    NameHeader header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.protection = made.protection;
    header.fileBacked = made.fd >= 0;
    header.size = made.size;
    if (made.fd >= 0)
    {
        struct stat st;
        if (w32::sys::fstat(made.fd, &st) != 0)
            return w32::Win32ErrorFromErrno(errno);
        header.device = static_cast<uint64_t>(st.st_dev);
        header.inode = static_cast<uint64_t>(st.st_ino);
        header.holders[0] = Holder{static_cast<int32_t>(getpid()), made.fd};
        s.holderSlot = 0;
    }
    const off_t total = made.fd >= 0 ? kHeaderSize : kHeaderSize + static_cast<off_t>(made.size);
    if (w32::sys::ftruncate(nameFd, 0) != 0 ||
        w32::sys::pwrite(nameFd, &header, sizeof header, 0) != kHeaderSize ||
        w32::sys::ftruncate(nameFd, total) != 0)
        return w32::Win32ErrorFromErrno(errno);
    s.size = made.size;
    s.protection = made.protection;
    if (made.fd >= 0)
    {
        s.fd = made.fd;
        made.fd = -1;
    }
    else
    {
        s.fd = nameFd;
        s.dataOffset = kHeaderSize;
    }
    return ERROR_SUCCESS;
}

// The section of a name: this process's own, another process's, or (with
// made) a new one. *existed tells which; null with the last error set.
std::shared_ptr<Section> NamedSection(const std::wstring& name, NewSection* made, bool* existed)
{
    const std::string path = NameFile(name);
    if (path.empty())
        return nullptr;
    std::lock_guard<std::mutex> lock(g_namesMutex);
    for (auto it = g_names.begin(); it != g_names.end();)
        it = it->second.expired() ? g_names.erase(it) : std::next(it);
    if (auto known = g_names[path].lock())
    {
        *existed = true;
        return known;
    }
    // A name removed between our open and our lock is tried again.
    for (int attempt = 0; attempt < 8; ++attempt)
    {
        const int fd =
            w32::sys::open(path.c_str(), O_RDWR | O_CLOEXEC | (made ? O_CREAT : 0), 0600);
        if (fd < 0)
            return Fail(errno == ENOENT ? ERROR_FILE_NOT_FOUND : w32::Win32ErrorFromErrno(errno),
                        nullptr);
        if (!LockByte(fd, F_WRLCK, 1, true))
        {
            const DWORD e = w32::Win32ErrorFromErrno(errno);
            w32::sys::close(fd);
            return Fail(e, nullptr);
        }
        if (!StillLinked(fd, path))
        {
            w32::sys::close(fd);
            continue;
        }
        auto s = std::make_shared<Section>();
        s->namePath = path;
        DWORD e;
        if (OtherProcessesUse(fd))
        {
            *existed = true;
            e = JoinExisting(*s, fd);
        }
        else if (made)
        {
            *existed = false;
            e = StartNew(*s, fd, *made);
        }
        else
        {
            // Left behind by a process that ended without cleaning up.
            w32::sys::unlink(path.c_str());
            e = ERROR_FILE_NOT_FOUND;
        }
        if (e != ERROR_SUCCESS || !LockByte(fd, F_RDLCK, 0, false))
        {
            if (e == ERROR_SUCCESS)
                e = w32::Win32ErrorFromErrno(errno);
            if (s->fd == fd)
                s->fd = -1;
            w32::sys::close(fd);
            return Fail(e, nullptr);
        }
        LockByte(fd, F_UNLCK, 1, false);
        s->nameFd = fd;
        g_names[path] = s;
        return s;
    }
    return Fail(ERROR_BUSY, nullptr);
}

std::wstring WideName(LPCSTR name)
{
    std::wstring out;
    const int n = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    if (n > 1)
    {
        out.resize(static_cast<size_t>(n));
        MultiByteToWideChar(CP_ACP, 0, name, -1, out.data(), n);
        out.resize(static_cast<size_t>(n - 1));
    }
    return out;
}

HANDLE CreateMapping(HANDLE hFile, DWORD flProtect, DWORD sizeHigh, DWORD sizeLow,
                     const std::wstring* name)
{
    const DWORD protection = flProtect & 0xFFu;
    if (protection != PAGE_READONLY && protection != PAGE_READWRITE &&
        protection != PAGE_WRITECOPY && protection != PAGE_EXECUTE_READ &&
        protection != PAGE_EXECUTE_READWRITE && protection != PAGE_EXECUTE_WRITECOPY)
        return Fail(ERROR_INVALID_PARAMETER, HANDLE(nullptr));
    if (flProtect & SEC_IMAGE)
        return Fail(ERROR_NOT_SUPPORTED, HANDLE(nullptr));
    NewSection made;
    made.protection = protection;
    made.size = (static_cast<uint64_t>(sizeHigh) << 32) | sizeLow;

    std::shared_ptr<w32::FileObject> file;
    if (hFile == INVALID_HANDLE_VALUE)
    {
        if (!made.size)
            return Fail(ERROR_INVALID_PARAMETER, HANDLE(nullptr));
    }
    else
    {
        DWORD access = 0;
        file = w32::FileFromHandle(hFile, &access);
        if (!file)
            return Fail(ERROR_INVALID_HANDLE, HANDLE(nullptr));
        // The section may not allow more than the file handle does.
        const bool canRead = (access & FILE_READ_DATA) && file->fdReadable;
        const bool canWrite = (access & FILE_WRITE_DATA) && file->fdWritable;
        if (!canRead || (Writable(protection) && !canWrite) ||
            (Executable(protection) && !(access & FILE_EXECUTE)))
            return Fail(ERROR_ACCESS_DENIED, HANDLE(nullptr));
        struct stat st;
        if (w32::sys::fstat(file->fd, &st) != 0)
            return Fail(w32::Win32ErrorFromErrno(errno), HANDLE(nullptr));
        const uint64_t length = static_cast<uint64_t>(st.st_size);
        if (!made.size)
        {
            if (!length)
                return Fail(ERROR_FILE_INVALID, HANDLE(nullptr));
            made.size = length;
        }
        if (made.size > length)
        {
            if (!Writable(protection))
                return Fail(ERROR_NOT_ENOUGH_MEMORY, HANDLE(nullptr));
            if (w32::sys::ftruncate(file->fd, static_cast<off_t>(made.size)) != 0)
                return Fail(w32::Win32ErrorFromErrno(errno), HANDLE(nullptr));
        }
        // Views change the file behind the handle's back: no kept length or read-ahead.
        file->DisableCache();
        made.fd = fcntl(file->fd, F_DUPFD_CLOEXEC, 0);
        if (made.fd < 0)
            return Fail(w32::Win32ErrorFromErrno(errno), HANDLE(nullptr));
    }

    std::shared_ptr<Section> section;
    bool existed = false;
    if (name && !name->empty())
    {
        section = NamedSection(*name, &made, &existed);
        if (made.fd >= 0)
            w32::sys::close(made.fd);
        if (!section)
            return nullptr;
    }
    else
    {
        section = std::make_shared<Section>();
        section->size = made.size;
        section->protection = protection;
        if (made.fd >= 0)
        {
            section->fd = made.fd;
        }
        else
        {
            section->fd = memfd_create("velmar-section", MFD_CLOEXEC);
            if (section->fd < 0 ||
                w32::sys::ftruncate(section->fd, static_cast<off_t>(made.size)) != 0)
                return Fail(w32::Win32ErrorFromErrno(errno), HANDLE(nullptr));
        }
    }
    HANDLE h = w32::InsertHandle(section, SECTION_ALL_ACCESS | FILE_MAP_EXECUTE);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

HANDLE OpenMapping(DWORD access, const std::wstring* name)
{
    if (!name || name->empty())
        return Fail(ERROR_INVALID_PARAMETER, HANDLE(nullptr));
    bool existed = false;
    std::shared_ptr<Section> section = NamedSection(*name, nullptr, &existed);
    if (!section)
        return nullptr;
    return w32::InsertHandle(section, section->MapGenericAccess(access));
}

} // namespace

HANDLE WINAPI CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES, DWORD flProtect,
                                 DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow, LPCSTR lpName)
{
    const std::wstring name = lpName ? WideName(lpName) : std::wstring();
    return CreateMapping(hFile, flProtect, dwMaximumSizeHigh, dwMaximumSizeLow,
                         lpName ? &name : nullptr);
}

HANDLE WINAPI CreateFileMappingW(HANDLE hFile, LPSECURITY_ATTRIBUTES, DWORD flProtect,
                                 DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow, LPCWSTR lpName)
{
    const std::wstring name = lpName ? lpName : L"";
    return CreateMapping(hFile, flProtect, dwMaximumSizeHigh, dwMaximumSizeLow,
                         lpName ? &name : nullptr);
}

HANDLE WINAPI OpenFileMappingA(DWORD dwDesiredAccess, BOOL, LPCSTR lpName)
{
    const std::wstring name = lpName ? WideName(lpName) : std::wstring();
    return OpenMapping(dwDesiredAccess, lpName ? &name : nullptr);
}

HANDLE WINAPI OpenFileMappingW(DWORD dwDesiredAccess, BOOL, LPCWSTR lpName)
{
    const std::wstring name = lpName ? lpName : L"";
    return OpenMapping(dwDesiredAccess, lpName ? &name : nullptr);
}

LPVOID WINAPI MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess,
                            DWORD dwFileOffsetHigh, DWORD dwFileOffsetLow,
                            SIZE_T dwNumberOfBytesToMap)
{
    DWORD granted = 0;
    std::shared_ptr<Section> section = w32::LookupHandleAs<Section>(hFileMappingObject, &granted);
    if (!section)
        return nullptr;
    const uint64_t offset = (static_cast<uint64_t>(dwFileOffsetHigh) << 32) | dwFileOffsetLow;
    if (offset % kAllocationGranularity)
        return Fail(ERROR_MAPPED_ALIGNMENT, LPVOID(nullptr));
    // FILE_MAP_COPY shares its bit with SECTION_QUERY: a copy only without write.
    const bool write = dwDesiredAccess & FILE_MAP_WRITE;
    const bool copy = (dwDesiredAccess & FILE_MAP_COPY) && !write;
    const bool read = dwDesiredAccess & FILE_MAP_READ;
    const bool execute = dwDesiredAccess & FILE_MAP_EXECUTE;
    if (!copy && !write && !read)
        return Fail(ERROR_INVALID_PARAMETER, LPVOID(nullptr));
    // Both the handle and the section's protection must allow the view.
    const DWORD p = section->protection;
    const bool handleAllows = (!write || (granted & SECTION_MAP_WRITE)) &&
                              (!(read || copy) || (granted & SECTION_MAP_READ)) &&
                              (!execute || (granted & (SECTION_MAP_EXECUTE | FILE_MAP_EXECUTE)));
    const bool sectionAllows =
        (!write || Writable(p) || CopyOnWrite(p)) && (!execute || Executable(p));
    if (!handleAllows || !sectionAllows)
        return Fail(ERROR_ACCESS_DENIED, LPVOID(nullptr));
    if (offset >= section->size || dwNumberOfBytesToMap > section->size - offset)
        return Fail(ERROR_ACCESS_DENIED, LPVOID(nullptr));
    const size_t length =
        dwNumberOfBytesToMap ? dwNumberOfBytesToMap : static_cast<size_t>(section->size - offset);
    // A write view of a write-copy section is private, as a copy view is.
    const bool privateView = copy || CopyOnWrite(p);
    const int prot = PROT_READ | (write || copy ? PROT_WRITE : 0) | (execute ? PROT_EXEC : 0);
    void* base = mmap(nullptr, length, prot, privateView ? MAP_PRIVATE : MAP_SHARED, section->fd,
                      section->dataOffset + static_cast<off_t>(offset));
    if (base == MAP_FAILED)
        return Fail(errno == EACCES ? static_cast<DWORD>(ERROR_ACCESS_DENIED)
                                    : w32::Win32ErrorFromErrno(errno),
                    LPVOID(nullptr));
    std::lock_guard<std::mutex> lock(g_viewsMutex);
    g_views[reinterpret_cast<uintptr_t>(base)] = View{std::move(section), base, length};
    return base;
}

BOOL WINAPI UnmapViewOfFile(LPCVOID lpBaseAddress)
{
    View view;
    {
        std::lock_guard<std::mutex> lock(g_viewsMutex);
        const auto it = g_views.find(reinterpret_cast<uintptr_t>(lpBaseAddress));
        if (it == g_views.end())
            return Fail(ERROR_INVALID_ADDRESS, FALSE);
        view = std::move(it->second);
        g_views.erase(it);
    }
    munmap(view.mapBase, view.mapLength);
    return TRUE; // the section goes with its last view, outside the lock
}

BOOL WINAPI FlushViewOfFile(LPCVOID lpBaseAddress, SIZE_T dwNumberOfBytesToFlush)
{
    const uintptr_t address = reinterpret_cast<uintptr_t>(lpBaseAddress);
    std::lock_guard<std::mutex> lock(g_viewsMutex);
    auto it = g_views.upper_bound(address);
    if (it == g_views.begin())
        return Fail(ERROR_INVALID_ADDRESS, FALSE);
    --it;
    const uintptr_t start = it->first;
    const uintptr_t end = start + it->second.mapLength;
    if (address >= end)
        return Fail(ERROR_INVALID_ADDRESS, FALSE);
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t from = address & ~(page - 1);
    const uintptr_t to =
        dwNumberOfBytesToFlush ? std::min<uintptr_t>(end, address + dwNumberOfBytesToFlush) : end;
    if (msync(reinterpret_cast<void*>(from), to - from, MS_SYNC) != 0)
        return Fail(w32::Win32ErrorFromErrno(errno), FALSE);
    return TRUE;
}
