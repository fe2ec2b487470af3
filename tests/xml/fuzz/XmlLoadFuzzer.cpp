// libFuzzer target of the loader, in both widths: any input loads or fails
// cleanly, and whatever loads is a fixed point of save and load.
#include "velmar/xml/nkDS.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

template <class C> bool Load(nkDS::CXmlFileT<C>& doc, const void* data, size_t size)
{
    Orvex::CMemStream in(data, static_cast<uint32_t>(size));
    return doc.Read(&in);
}

template <class C> std::string Save(nkDS::CXmlFileT<C>& doc)
{
    Orvex::CMemStream out;
    if (!doc.Write(&out))
        std::abort(); // a memory stream takes everything
    return std::string(reinterpret_cast<const char*>(out.GetBuffer()), out.GetLength());
}

template <class C> void RoundTrip(const uint8_t* data, size_t size)
{
    nkDS::CXmlFileT<C> doc;
    if (!Load(doc, data, size))
        return;
    const std::string first = Save(doc);
    nkDS::CXmlFileT<C> again;
    if (!Load(again, first.data(), first.size()))
        std::abort(); // what the engine wrote, it must read
    if (Save(again) != first)
        std::abort(); // saving is not a fixed point
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    RoundTrip<char>(data, size);
    RoundTrip<wchar_t>(data, size);
    return 0;
}
