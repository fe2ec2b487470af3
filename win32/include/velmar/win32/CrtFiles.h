#pragma once
// The C run-time's file queries by name: _waccess/_access and
// _wstat/_wstat64. Results are the run-time's: 0, or -1 with errno set
// (ENOENT, EACCES, EINVAL, EOVERFLOW); the Win32 last error is left alone.
//
// As on Windows: access mode 0 asks for existence, 2 for write, 4 for read, 6
// for both; any other bit is EINVAL. Everything that exists is readable, and
// only a read-only file (no write permission, see win32/FileAttributes.h)
// refuses write; folders never do. The stat mode has one of _S_IFDIR,
// _S_IFREG, _S_IFCHR or _S_IFIFO and the permission bits the run-time
// derives: read always, write unless read-only, execute for a folder and for
// the program extensions (.exe .com .bat .cmd), each repeated for group and
// others. The 32-bit _stat size fails with EOVERFLOW for a file of 2 GiB or
// more, as the run-time's does; _wstat64 measures every file.

#include "velmar/win32/Types.h"

#include <cstdint>
#include <ctime>
#include <sys/stat.h> // first, so that its st_atime family of macros is known below

#define _S_IFMT 0xF000
#define _S_IFDIR 0x4000
#define _S_IFCHR 0x2000
#define _S_IFIFO 0x1000
#define _S_IFREG 0x8000
#define _S_IREAD 0x0100
#define _S_IWRITE 0x0080
#define _S_IEXEC 0x0040

// Where the system's header spells st_atime as a member of a timespec, the
// members take that form, so that st.st_atime reads the same either way.
#ifdef st_atime
#define VELMAR_CRT_STAT_TIMES struct timespec st_atim, st_mtim, st_ctim
#else
#define VELMAR_CRT_STAT_TIMES time_t st_atime, st_mtime, st_ctime
#endif

struct _stat
{
    unsigned int st_dev;    // drive number; 0 here
    unsigned short st_ino;  // 0, as on Windows
    unsigned short st_mode; // _S_IF... and _S_I... bits
    short st_nlink;
    short st_uid;         // 0, as on Windows
    short st_gid;         // 0, as on Windows
    unsigned int st_rdev; // as st_dev
    int32_t st_size;      // bytes
    VELMAR_CRT_STAT_TIMES;
};

struct _stat64
{
    unsigned int st_dev;
    unsigned short st_ino;
    unsigned short st_mode;
    short st_nlink;
    short st_uid;
    short st_gid;
    unsigned int st_rdev;
    int64_t st_size;
    VELMAR_CRT_STAT_TIMES;
};

#undef VELMAR_CRT_STAT_TIMES

int _waccess(const wchar_t* path, int mode);
int _access(const char* path, int mode);
int _wstat(const wchar_t* path, struct _stat* buffer);
int _wstat64(const wchar_t* path, struct _stat64* buffer);
