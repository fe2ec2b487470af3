#pragma once
// Overlapped I/O on handles opened with FILE_FLAG_OVERLAPPED.
//
// ReadFile/WriteFile with an OVERLAPPED record and ReadFileEx/WriteFileEx
// hand the transfer to the layer's I/O thread and return at once
// (ERROR_IO_PENDING for the former). Transfers run at the offsets the record
// gives (0xFFFFFFFF in both words writes at the end); on a pipe or other
// stream they wait for data or room, so a read with nothing to read stays
// pending. Internal holds the status (STATUS_PENDING while running),
// InternalHigh the bytes transferred; hEvent is left to the caller, as
// Windows leaves it for the Ex forms.
//
// A completion routine runs only on the thread that submitted the transfer,
// and only while that thread is in an alertable wait (SleepEx or
// WaitForSingleObjectEx with bAlertable TRUE), which then returns
// WAIT_IO_COMPLETION. CancelIo ends the calling thread's pending transfers on
// the handle's file with ERROR_OPERATION_ABORTED; closing the last handle of
// a file does the same for every thread's.

#include "velmar/win32/Types.h"

#include <memory>

#define STATUS_PENDING 0x00000103u
#define HasOverlappedIoCompleted(lpOverlapped) ((lpOverlapped)->Internal != STATUS_PENDING)

// TRUE when the transfer was started; the routine (may be null) gets its result.
BOOL WINAPI ReadFileEx(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                       LPOVERLAPPED lpOverlapped,
                       LPOVERLAPPED_COMPLETION_ROUTINE lpCompletionRoutine);
BOOL WINAPI WriteFileEx(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                        LPOVERLAPPED lpOverlapped,
                        LPOVERLAPPED_COMPLETION_ROUTINE lpCompletionRoutine);
// The result of a transfer: FALSE with ERROR_IO_INCOMPLETE while it runs and
// bWait is FALSE; with bWait TRUE it waits for the end.
BOOL WINAPI GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped,
                                LPDWORD lpNumberOfBytesTransferred, BOOL bWait);
BOOL WINAPI CancelIo(HANDLE hFile);
// 0 after the time, WAIT_IO_COMPLETION when completion routines ran.
DWORD WINAPI SleepEx(DWORD dwMilliseconds, BOOL bAlertable);
// A file handle is signaled while its file has no transfer pending. Other
// objects cannot be waited for yet: WAIT_FAILED with ERROR_INVALID_HANDLE.
DWORD WINAPI WaitForSingleObjectEx(HANDLE hHandle, DWORD dwMilliseconds, BOOL bAlertable);
DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

namespace w32
{

class FileObject;

// Starts a transfer on an overlapped handle's file (ReadFile and WriteFile
// come here for such handles): FALSE with ERROR_IO_PENDING when it was queued
// without a routine, TRUE when queued with one, FALSE with the error otherwise.
BOOL StartOverlappedTransfer(const std::shared_ptr<FileObject>& file, bool write, void* buffer,
                             DWORD count, LPOVERLAPPED overlapped,
                             LPOVERLAPPED_COMPLETION_ROUTINE routine);

} // namespace w32
