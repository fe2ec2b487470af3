#include "velmar/platform/OSContext.h"

#include <cwchar>

namespace nkPlatform
{

namespace
{

// The system the program was built for is the one it runs on.
#if defined(_WIN32)
constexpr const wchar_t* kSystemName = L"Windows";
#elif defined(__linux__)
constexpr const wchar_t* kSystemName = L"Linux";
#elif defined(__FreeBSD__)
constexpr const wchar_t* kSystemName = L"FreeBSD";
#elif defined(__APPLE__)
constexpr const wchar_t* kSystemName = L"Darwin";
#else
constexpr const wchar_t* kSystemName = L"POSIX";
#endif

} // namespace

COSContext::COSContext() : version(&m_version), action(&m_action), m_action(&m_version)
{
    MakeNames(m_version, shortName, 128, fullName, 256);
}

void COSContext::MakeNames(const COSVersion& v, wchar_t* shortOut, std::size_t shortSize,
                           wchar_t* fullOut, std::size_t fullSize)
{
    std::swprintf(shortOut, shortSize, L"%ls", kSystemName);
#if defined(_WIN32)
    const wchar_t* family = v.IsNT() ? L" NT" : L" 9x";
#else
    const wchar_t* family = L"";
#endif
    std::swprintf(fullOut, fullSize, L"%ls%ls %d.%d Build%04d", kSystemName, family,
                  static_cast<int>(v.major), static_cast<int>(v.minor), static_cast<int>(v.build));
}

} // namespace nkPlatform
