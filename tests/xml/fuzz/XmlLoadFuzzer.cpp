// libFuzzer target of the loader, in both widths: any input loads or fails
// cleanly, and whatever loads is a fixed point of save and load.
#include "../XmlTestUtil.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

template <class C> void RoundTrip(const std::string& input)
{
    nkDS::CXmlFileT<C> doc;
    if (!testsupport::Load(doc, input))
        return;
    bool ok = false;
    const std::string first = testsupport::Save(doc, &ok);
    if (!ok)
    {
        // A memory stream takes everything: only a remark with a character
        // the encoding lacks is refused.
        const char* why = doc.m_writer.GetErrorReason();
        if (why == nullptr || std::strstr(why, "remark") == nullptr)
            std::abort();
        return;
    }
    if (!testsupport::IsFixedPoint<C>(first))
        std::abort(); // what the engine wrote, it must read and write the same
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    RoundTrip<char>(input);
    RoundTrip<wchar_t>(input);
    return 0;
}
