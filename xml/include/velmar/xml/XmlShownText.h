#pragma once
// Text of an XML 1.0 document as an editor shows it and as it is stored.
// Values of such a document hold their markup as read ("Fish &amp; Chips");
// the editor shows the characters they stand for ("Fish & Chips") and
// turns what the user types back into markup, so that showing the stored
// form again gives exactly what was typed.

#include <string>

namespace nkDS
{

// Where a text goes, which decides what must be escaped in it.
enum XmlTextPlace
{
    xtpText,  // element content: "&", "<", and ">" after "]]"
    xtpParam, // a parameter value: "&", "<", and '"' when it holds both quotes
};

// `raw` with the five predefined entity references and the character
// references replaced by their characters; a reference to any other entity,
// or to a number that is no character, stays as written.
std::wstring DecodeShownText(const wchar_t* raw);

// The markup of `shown` for `place`. A reference to an entity other than
// the predefined five stays a reference; every other "&" is escaped, so
// DecodeShownText gives `shown` back.
std::wstring EncodeShownText(const wchar_t* shown, XmlTextPlace place);

// Whether `text` is exactly one well-formed document type declaration, with
// nothing before or after it. On success `name` is its root element name;
// on failure `reason` says what is wrong.
bool ParseDocTypeDecl(const wchar_t* text, std::wstring& name, std::string& reason);

} // namespace nkDS
