// libFuzzer target of the loader, in both widths and both modes: any input
// loads or fails cleanly, whatever loads is a fixed point of save and load in
// its mode, and reading it in two parts changes nothing.
#include "../XmlTestUtil.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

template <class C> void RoundTrip(const std::string& input, uint8_t flags)
{
    nkDS::CXmlFileT<C> doc(1.0f, nullptr, flags);
    if (!testsupport::Load(doc, input))
        return;
    bool ok = false;
    const std::string first = testsupport::Save(doc, &ok);
    if (!ok)
    {
        // A memory stream takes everything: only what has a character the
        // encoding lacks where no reference can stand is refused, or in
        // XML 1.0 mode an encoding that cannot be written.
        const char* why = doc.m_writer.GetErrorReason();
        if (why == nullptr || (std::strstr(why, "cannot represent") == nullptr &&
                               std::strstr(why, "unsupported encoding") == nullptr))
            std::abort();
        return;
    }
    if (!testsupport::IsFixedPoint<C>(first, flags))
        std::abort(); // what the engine wrote, it must read and write the same
}

// Read in two parts, the second searched for from the middle on, the input
// gives exactly the tree and failure of one reader.
template <class C> void TwoParts(const std::string& input, uint8_t flags)
{
    if (input.size() < 2)
        return;
    Orvex::CMemStream in(input.data(), static_cast<uint32_t>(input.size()));
    const uint64_t middle = input.size() / 2;
    if (!(testsupport::ReadOutcome<C>(in, flags, 1, middle) ==
          testsupport::ReadOutcome<C>(in, flags, UINT64_MAX, middle)))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (const uint8_t flags : {nkDS::kXmlParseStrict, nkDS::kXmlParseXml10})
    {
        RoundTrip<char>(input, flags);
        RoundTrip<wchar_t>(input, flags);
        TwoParts<char>(input, flags);
    }
    return 0;
}
