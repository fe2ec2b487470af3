#include "velmar/io/FileStream.h"

namespace Orvex
{

NK_DEFINE_CLASS(CFileStream, IStream)

CFileStream::CFileStream(const char* path, uint32_t mode, bool create)
{
    if (path != nullptr && path[0] != '\0')
        m_file.Open(path, mode, create);
}

CFileStream::CFileStream(const wchar_t* path, uint32_t mode, bool create)
{
    if (path != nullptr && path[0] != L'\0')
        m_file.Open(path, mode, create);
}

CFileStream* CFileStream::FromObject(CMemObject* obj)
{
    return dynamic_cast<CFileStream*>(obj);
}

bool CFileStream::CanDuplicateAs(const CClassInfo* asClass)
{
    return asClass == &CFileStream::s_classInfo || asClass == &IStream::s_classInfo ||
           asClass == &ISequentialStream::s_classInfo ||
           asClass == &ISeqStreamReader::s_classInfo || asClass == &ISeqStreamWriter::s_classInfo;
}

bool CFileStream::Duplicate(CMemObject* target, const CClassInfo* asClass)
{
    CFileStream* t = FromObject(target);
    if (t == nullptr || !CanDuplicateAs(asClass))
        return false;
    return m_file.Duplicate(&t->m_file, &CFileWin::s_classInfo);
}

} // namespace Orvex
