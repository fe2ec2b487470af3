#pragma once
// Loading and saving documents through memory streams, for the engine tests.

#include "velmar/xml/nkDS.h"

#include <cstdint>
#include <string>

namespace testsupport
{

// Loads `bytes` into `doc` through a read-only memory stream.
template <class C> bool Load(nkDS::CXmlFileT<C>& doc, const std::string& bytes)
{
    Orvex::CMemStream in(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return doc.Read(&in);
}

// The bytes `doc` writes for the whole document.
template <class C> std::string Save(nkDS::CXmlFileT<C>& doc, bool* ok = nullptr)
{
    Orvex::CMemStream out;
    const bool wrote = doc.Write(&out);
    if (ok != nullptr)
        *ok = wrote;
    return std::string(reinterpret_cast<const char*>(out.GetBuffer()), out.GetLength());
}

// Top-level node i, or null.
template <class C> nkDS::CXmlNodeT<C>* Top(nkDS::CXmlFileT<C>& doc, uint32_t i)
{
    return i < doc.GetChildCount() ? doc.GetChild(i) : nullptr;
}

inline std::string Narrow(const wchar_t* s)
{
    std::string out;
    for (; s != nullptr && *s != 0; ++s)
        out += *s < 0x80 ? static_cast<char>(*s) : '?';
    return out;
}

inline const char* kDecl = "<?xml version='1.0' encoding='UTF-8'?>\r\n";

} // namespace testsupport
