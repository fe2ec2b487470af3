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

namespace
{

// The file itself standing in for the temporary file of a replacement: what
// is written is kept in memory, and only the commit writes it over the file.
class CInPlaceFile : public QFile
{
public:
    using QFile::QFile;

    bool Commit()
    {
        const QByteArray bytes = m_pending;
        m_pending.clear();
        bool ok = QFile::seek(0) && QFile::resize(0);
        for (qint64 at = 0; ok && at < bytes.size();)
        {
            const qint64 n = QFile::writeData(bytes.constData() + at, bytes.size() - at);
            ok = n > 0;
            at += n;
        }
        ok = ok && QFile::flush();
        close();
        return ok;
    }

protected:
    qint64 writeData(const char* data, qint64 len) override
    {
        m_pending.append(data, len);
        return len;
    }

private:
    QByteArray m_pending;
};

} // namespace

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
    bool opened = !QFileInfo(path).isDir() && !path.isEmpty() && pDevice->open(mode);
    if (!opened && dynamic_cast<QSaveFile*>(pDevice.get()) && QFileInfo(path).isFile() &&
        QFileInfo(path).isWritable())
    {
        // A writable file in a folder that takes no temporary file: it is
        // replaced in place at the commit, and until then nothing reaches it.
        pDevice = std::make_unique<CInPlaceFile>(path);
        opened = pDevice->open(QIODevice::ReadWrite);
    }
    if (!opened)
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
    if (auto* pInPlace = dynamic_cast<CInPlaceFile*>(m_pDevice.get()))
    {
        BOOL ok = pInPlace->Commit();
        m_pDevice.reset();
        return ok;
    }
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
