#pragma once
// CFile: the framework's file class (over Qt's files), and CFileException, the
// record of why a file operation failed (filled in, never thrown).
#include "velmar/framework/AfxString.h"
#include "velmar/framework/Object.h"

#include <memory>

class QFileDevice;

class CFileException
{
public:
    enum Cause
    {
        none = 0,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };
    int m_cause = none;
    CString m_strFileName;
};

class CFile : public CObject
{
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        // Writes go to a temporary file that replaces the target only on Commit.
        modeReplaceOnCommit = 0x10000,
    };

    CFile();
    ~CFile() override;

    // FALSE on failure, with the cause in *pError when given.
    virtual BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual UINT Read(void* lpBuf, UINT nCount);        // bytes read; 0 at the end or on error
    virtual BOOL Write(const void* lpBuf, UINT nCount); // FALSE if not all was written
    BOOL Commit();                                      // modeReplaceOnCommit: replaces the target
    virtual void Close(); // uncommitted replacement writes are discarded
    void Abort() { Close(); }
    unsigned long long GetLength() const;
    CString GetFilePath() const { return m_strFileName; }
    BOOL IsOpen() const { return m_pDevice != nullptr; }

    static BOOL Remove(LPCWSTR lpszFileName);

private:
    std::unique_ptr<QFileDevice> m_pDevice;
    CString m_strFileName;
};
