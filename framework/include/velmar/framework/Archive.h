#pragma once
// CArchive: the stream a document serializes through. Failure is a state
// (IsBufferEmpty/HasError), never an exception: a read past the end or a failed
// write sets the error and later operations do nothing.
#include "velmar/framework/File.h"

class CArchive
{
public:
    enum Mode
    {
        store = 0,
        load = 1
    };

    CArchive(CFile* pFile, UINT nMode);
    ~CArchive();

    BOOL IsLoading() const { return m_nMode == load; }
    BOOL IsStoring() const { return m_nMode == store; }
    CFile* GetFile() const { return m_pFile; }
    BOOL HasError() const { return m_bError; }
    unsigned long long GetBytesTransferred() const { return m_nBytes; }

    UINT Read(void* lpBuf, UINT nMax); // bytes read
    void Write(const void* lpBuf, UINT nMax);
    void Close() { m_pFile = nullptr; }

    CArchive& operator<<(BYTE by);
    CArchive& operator<<(WORD w);
    CArchive& operator<<(DWORD dw);
    CArchive& operator<<(LONG l);
    CArchive& operator<<(double d);
    CArchive& operator<<(const CString& s); // UTF-16 with a length prefix
    CArchive& operator>>(BYTE& by);
    CArchive& operator>>(WORD& w);
    CArchive& operator>>(DWORD& dw);
    CArchive& operator>>(LONG& l);
    CArchive& operator>>(double& d);
    CArchive& operator>>(CString& s);

private:
    CFile* m_pFile;
    UINT m_nMode;
    BOOL m_bError = FALSE;
    unsigned long long m_nBytes = 0;
    BOOL ReadExact(void* p, UINT n);
};
