#include "velmar/framework/File.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

IMPLEMENT_DYNAMIC(CFile, CObject)

CFile::CFile() = default;

CFile::~CFile()
{
    Close();
}

static int CauseOf(const QString& path, QFileDevice::FileError error, bool bWriting)
{
    QFileInfo info(path);
    if (!bWriting && !info.exists())
        return info.dir().exists() ? CFileException::fileNotFound : CFileException::badPath;
    if (bWriting && !info.dir().exists())
        return CFileException::badPath;
    if (info.isDir())
        return CFileException::accessDenied;
    switch (error)
    {
    case QFileDevice::PermissionsError:
        return CFileException::accessDenied;
    case QFileDevice::ResourceError:
        return CFileException::diskFull;
    default:
        break;
    }
    if (info.exists() && ((bWriting && !info.isWritable()) || (!bWriting && !info.isReadable())))
        return CFileException::accessDenied;
    return CFileException::genericException;
}

BOOL CFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    Close();
    QString path = AfxToQString(lpszFileName);
    bool bWriting = (nOpenFlags & (modeWrite | modeReadWrite)) != 0;
    QIODevice::OpenMode mode;
    if (nOpenFlags & modeReadWrite)
        mode = QIODevice::ReadWrite;
    else if (nOpenFlags & modeWrite)
        mode = QIODevice::WriteOnly;
    else
        mode = QIODevice::ReadOnly;
    std::unique_ptr<QFileDevice> pDevice;
    if ((nOpenFlags & modeReplaceOnCommit) && bWriting)
    {
        auto pSave = std::make_unique<QSaveFile>(path);
        pDevice = std::move(pSave);
        mode = QIODevice::WriteOnly;
    }
    else
    {
        if (bWriting)
        {
            if (!(nOpenFlags & modeCreate))
            {
                if (!QFileInfo::exists(path))
                {
                    if (pError)
                    {
                        pError->m_cause = CFileException::fileNotFound;
                        pError->m_strFileName = lpszFileName;
                    }
                    return FALSE;
                }
            }
            else if (!(nOpenFlags & modeNoTruncate))
            {
                mode |= QIODevice::Truncate;
            }
        }
        pDevice = std::make_unique<QFile>(path);
    }
    // A directory opens as a QFile on some systems; it is never a document.
    if (QFileInfo(path).isDir() || path.isEmpty() || !pDevice->open(mode))
    {
        if (pError)
        {
            pError->m_cause = path.isEmpty() ? CFileException::badPath
                                             : CauseOf(path, pDevice->error(), bWriting);
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    m_pDevice = std::move(pDevice);
    m_strFileName = lpszFileName;
    return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (!m_pDevice || !lpBuf)
        return 0;
    qint64 n = m_pDevice->read(static_cast<char*>(lpBuf), nCount);
    return n > 0 ? (UINT)n : 0;
}

BOOL CFile::Write(const void* lpBuf, UINT nCount)
{
    if (!m_pDevice)
        return FALSE;
    if (nCount == 0)
        return TRUE;
    return m_pDevice->write(static_cast<const char*>(lpBuf), nCount) == (qint64)nCount;
}

BOOL CFile::Commit()
{
    auto* pSave = dynamic_cast<QSaveFile*>(m_pDevice.get());
    if (!pSave)
        return m_pDevice && m_pDevice->flush();
    BOOL ok = pSave->commit();
    m_pDevice.reset();
    return ok;
}

void CFile::Close()
{
    if (!m_pDevice)
        return;
    if (auto* pSave = dynamic_cast<QSaveFile*>(m_pDevice.get()))
        pSave->cancelWriting();
    else
        m_pDevice->close();
    m_pDevice.reset();
}

unsigned long long CFile::GetLength() const
{
    return m_pDevice ? (unsigned long long)m_pDevice->size() : 0;
}

BOOL CFile::Remove(LPCWSTR lpszFileName)
{
    return QFile::remove(AfxToQString(lpszFileName));
}
