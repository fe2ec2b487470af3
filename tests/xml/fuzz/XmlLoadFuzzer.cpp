// libFuzzer target of the loader, in both widths: any input loads or fails
// cleanly, and whatever loads is a fixed point of save and load.
#include "../XmlTestUtil.h"

#include <cstdint>
#include <cstdlib>
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
        std::abort(); // a memory stream takes everything
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
