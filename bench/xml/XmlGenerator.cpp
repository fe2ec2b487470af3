#include "XmlGenerator.h"

#include <cstdio>
#include <sys/stat.h>
#include <string>

namespace velmar_bench
{
namespace
{

// Fixed-seed generator so that every run sees the same document.
struct Lcg
{
    uint64_t state = 0x9E3779B97F4A7C15ull;
    uint32_t Next(uint32_t bound)
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>((state >> 33) % bound);
    }
};

const char* const kWords[] = {
    "alpha", "delta", "signal", "Café",   "naïve", "Zürich", "señor",  "crème brûlée",
    "中文",  "数据",  "文件",   "编辑器", "節點",  "value",  "ledger", "Øresund",
};
const char* const kRefs[] = {"&amp;", "&lt;", "&gt;", "&#x4E2D;", "&#233;", "&quot;", "&apos;"};
const char* const kNames[] = {"item", "entry", "record", "field", "note", "price"};

void Indent(std::string& out, int depth)
{
    out.append(static_cast<size_t>(depth), ' ');
}

void Words(Lcg& rng, std::string& out, int count, bool refs)
{
    for (int i = 0; i < count; ++i)
    {
        if (i)
            out += ' ';
        if (refs && rng.Next(6) == 0)
            out += kRefs[rng.Next(sizeof kRefs / sizeof *kRefs)];
        else
            out += kWords[rng.Next(sizeof kWords / sizeof *kWords)];
    }
}

// One record: an element with parameters, nested children with text, and
// now and then a comment or a CDATA section.
void Record(Lcg& rng, std::string& out, uint64_t id)
{
    Indent(out, 1);
    out += "<record id='" + std::to_string(id) + "' kind='";
    Words(rng, out, 1, false);
    out += "' note='";
    Words(rng, out, 2, true);
    out += "'>\r\n";
    if (rng.Next(4) == 0)
    {
        Indent(out, 2);
        out += "<!-- ";
        Words(rng, out, 4, false);
        out += " -->\r\n";
    }
    const int fields = 2 + static_cast<int>(rng.Next(4));
    for (int f = 0; f < fields; ++f)
    {
        const char* name = kNames[rng.Next(sizeof kNames / sizeof *kNames)];
        Indent(out, 2);
        out += '<';
        out += name;
        if (rng.Next(2))
        {
            out += " lang='";
            out += rng.Next(2) ? "zh" : "fr";
            out += '\'';
        }
        out += '>';
        Words(rng, out, 1 + static_cast<int>(rng.Next(6)), true);
        out += "</";
        out += name;
        out += ">\r\n";
    }
    if (rng.Next(3) == 0)
    {
        Indent(out, 2);
        out += "<group>\r\n";
        Indent(out, 3);
        out += "<sub a='1' b='two'/>\r\n";
        Indent(out, 3);
        out += "<sub a='2'>";
        Words(rng, out, 2, false);
        out += "</sub>\r\n";
        Indent(out, 2);
        out += "</group>\r\n";
    }
    if (rng.Next(5) == 0)
    {
        Indent(out, 2);
        out += "<code><![CDATA[if (a < b && c > d) { x = \"";
        Words(rng, out, 3, false);
        out += "\"; }]]></code>\r\n";
    }
    Indent(out, 1);
    out += "</record>\r\n";
}

} // namespace

bool GenerateXml(const std::string& path, uint64_t bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    Lcg rng;
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<catalog name='bench' "
                      "title='Données 数据'>\r\n";
    uint64_t written = 0;
    bool ok = true;
    const std::string tail = "</catalog>\r\n";
    for (uint64_t id = 1; written + out.size() + tail.size() < bytes; ++id)
    {
        Record(rng, out, id);
        if (out.size() >= (1u << 20))
        {
            ok = ok && std::fwrite(out.data(), 1, out.size(), f) == out.size();
            written += out.size();
            out.clear();
        }
    }
    out += tail;
    ok = ok && std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

const char* ShapeName(Shape shape)
{
    static const char* const kNames[kShapeCount] = {
        "empty siblings", "short elements", "remarks",       "parameters",
        "deep chains",    "long value",     "mixed content",
    };
    return shape >= 0 && shape < kShapeCount ? kNames[shape] : "?";
}

bool ShapeIsStrict(Shape shape)
{
    return shape != kShapeMixedContent;
}

bool GenerateShape(const std::string& path, Shape shape, uint64_t bytes, uint64_t& nodes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::string out = "<?xml version=\"1.0\"?>\r\n<r";
    nodes = 3; // the declaration, its version parameter and the root
    out += shape == kShapeParameters ? "" : ">";
    const char* tail = shape == kShapeParameters ? "/>\r\n" : "</r>\r\n";
    uint64_t written = 0;
    bool ok = true;
    constexpr int kChainDepth = 900;
    for (uint64_t i = 0; written + out.size() < bytes; ++i)
    {
        switch (shape)
        {
        case kShapeEmptySiblings:
            out += "<a/>";
            ++nodes;
            break;
        case kShapeShortElements:
            out += "<a>x</a>";
            ++nodes;
            break;
        case kShapeRemarks:
            out += "<!---->";
            ++nodes;
            break;
        case kShapeParameters:
            out += " p" + std::to_string(i) + "=''";
            ++nodes;
            break;
        case kShapeDeepChains:
            for (int d = 0; d < kChainDepth; ++d)
                out += "<a>";
            for (int d = 0; d < kChainDepth; ++d)
                out += "</a>";
            nodes += kChainDepth;
            break;
        case kShapeLongValue:
            out.append(1 << 16, 'x');
            break;
        case kShapeMixedContent:
            out += "x<a/>";
            nodes += 2;
            break;
        case kShapeCount:
            break;
        }
        if (out.size() >= (1u << 20))
        {
            ok = ok && std::fwrite(out.data(), 1, out.size(), f) == out.size();
            written += out.size();
            out.clear();
        }
    }
    if (shape == kShapeMixedContent)
    {
        out += 'x'; // the text after the last child is a node too
        ++nodes;
    }
    out += tail;
    ok = ok && std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

uint64_t EnsureXml(const std::string& path, uint64_t bytes)
{
    struct stat st
    {
    };
    if (stat(path.c_str(), &st) == 0)
        return static_cast<uint64_t>(st.st_size);
    std::printf("generating %s\n", path.c_str());
    if (!GenerateXml(path, bytes) || stat(path.c_str(), &st) != 0)
    {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 0;
    }
    return static_cast<uint64_t>(st.st_size);
}

} // namespace velmar_bench
