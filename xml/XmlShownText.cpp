#include "velmar/xml/XmlShownText.h"

#include "velmar/xml/XmlChars.h"
#include "velmar/xml/XmlFile.h"
#include "velmar/io/MemStream.h"
#include "velmar/win32/Unicode.h"

#include <cwchar>
#include <limits>
#include <string_view>

namespace nkDS
{
namespace
{

constexpr std::wstring_view kPredefined[] = {L"amp", L"lt", L"gt", L"quot", L"apos"};
constexpr wchar_t kPredefinedChar[] = {L'&', L'<', L'>', L'"', L'\''};

// Index of a predefined entity name in kPredefined, or -1.
int PredefinedIndex(std::wstring_view name)
{
    for (size_t i = 0; i < std::size(kPredefined); ++i)
        if (kPredefined[i] == name)
            return static_cast<int>(i);
    return -1;
}

// The character a reference "&...;" of `n` units stands for: false for an
// entity other than the predefined ones and for a number that is no
// character.
bool ReferencedChar(const wchar_t* ref, size_t n, char32_t& code)
{
    const std::wstring_view name(ref + 1, n - 2);
    if (name[0] != L'#')
    {
        const int index = PredefinedIndex(name);
        if (index < 0)
            return false;
        code = static_cast<char32_t>(kPredefinedChar[index]);
        return true;
    }
    const bool hex = name[1] == L'x' || name[1] == L'X';
    code = 0;
    for (wchar_t c : name.substr(hex ? 2 : 1))
    {
        const unsigned digit = IsXmlDigit(c) ? static_cast<unsigned>(c - L'0')
                                             : static_cast<unsigned>((c | 0x20) - L'a' + 10);
        code = code * (hex ? 16 : 10) + digit;
        if (code > 0x10FFFF)
            return false;
    }
    return code != 0 && unicode::IsScalarValue(code);
}

void AppendCode(std::wstring& out, char32_t code)
{
    if constexpr (sizeof(wchar_t) == 2)
    {
        if (unicode::NeedsSurrogatePair(code))
        {
            out += static_cast<wchar_t>(unicode::HighSurrogateOf(code));
            out += static_cast<wchar_t>(unicode::LowSurrogateOf(code));
            return;
        }
    }
    out += static_cast<wchar_t>(code);
}

} // namespace

std::wstring DecodeShownText(const wchar_t* raw)
{
    std::wstring out;
    if (raw == nullptr)
        return out;
    const size_t len = std::wcslen(raw);
    out.reserve(len);
    for (size_t i = 0; i < len;)
    {
        const size_t n = ReferenceLength(raw + i, len - i);
        char32_t code = 0;
        if (n == 0 || !ReferencedChar(raw + i, n, code))
        {
            const size_t keep = n == 0 ? 1 : n;
            out.append(raw + i, keep);
            i += keep;
            continue;
        }
        AppendCode(out, code);
        i += n;
    }
    return out;
}

std::wstring EncodeShownText(const wchar_t* shown, XmlTextPlace place)
{
    std::wstring out;
    if (shown == nullptr)
        return out;
    const std::wstring_view s(shown);
    // A value in double quotes, the writer's choice for one holding an
    // apostrophe, needs its double quotes escaped.
    const bool escapeQuote = place == xtpParam && s.find(L'\'') != std::wstring_view::npos &&
                             s.find(L'"') != std::wstring_view::npos;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i)
    {
        const wchar_t c = s[i];
        if (c == L'&')
        {
            // Only an entity the document itself declares is left a reference.
            const size_t n = ReferenceLength(s.data() + i, s.size() - i);
            const bool entity =
                n > 0 && s[i + 1] != L'#' && PredefinedIndex(s.substr(i + 1, n - 2)) < 0;
            if (entity)
            {
                out.append(s.substr(i, n));
                i += n - 1;
            }
            else
                out += L"&amp;";
        }
        else if (c == L'<')
            out += L"&lt;";
        else if (c == L'>' && place == xtpText && i >= 2 && s[i - 1] == L']' && s[i - 2] == L']')
            out += L"&gt;";
        else if (c == L'"' && escapeQuote)
            out += L"&quot;";
        else
            out += c;
    }
    return out;
}

bool ParseDocTypeDecl(const wchar_t* text, std::wstring& name, std::string& reason)
{
    name.clear();
    reason.clear();
    const size_t len = text == nullptr ? 0 : std::wcslen(text);
    // The declaration is read as the start of a document, with a root
    // element of the name it declares behind it.
    std::string bytes;
    unicode::AppendUtf8(bytes, text == nullptr ? L"" : text, len);
    if (bytes.size() > std::numeric_limits<uint32_t>::max() / 2)
    {
        reason = "the document type is too long";
        return false;
    }
    const size_t declEnd = bytes.size();
    bytes += "<x/>";
    Orvex::CMemStream stream(bytes.data(), static_cast<uint32_t>(bytes.size()));
    CXmlFileW doc(1.0f, nullptr, kXmlParseXml10);
    if (!doc.Read(&stream))
    {
        const uint64_t at = doc.GetParser().GetErrorOffset();
        const char* why = doc.GetParser().GetErrorReason();
        reason = at >= declEnd ? "the document type does not end" : why ? why : "not well-formed";
        return false;
    }
    if (doc.GetChildCount() != 2 || doc.GetChild(0)->GetKind() != xnkDocType ||
        doc.GetChild(1)->GetKind() != xnkData)
    {
        reason = "expected one document type declaration and nothing else";
        return false;
    }
    // Nothing but the declaration: the parser keeps it from "<!DOCTYPE" to
    // its final ">", so white space around it would not come back.
    if (std::wcscmp(doc.GetChild(0)->GetValue(), text) != 0)
    {
        reason = "expected '<!DOCTYPE' at the start and '>' at the end";
        return false;
    }
    name = doc.GetChild(0)->GetName();
    return true;
}

} // namespace nkDS
