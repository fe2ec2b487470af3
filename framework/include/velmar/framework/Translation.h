#pragma once
// The language of the user interface: Qt translators loaded from .qm files,
// and the lookup of a text in them. Every text the framework shows from the
// resources (strings, menus, dialogs) and every message box goes through
// AfxTranslate; an application passes its own composed texts through it.
// Texts are looked up in one context, "Velmar", by their English source.
#include "velmar/framework/AfxString.h"

#include <string>
#include <vector>

// Loads "<name>_<language>.qm" from the first of `dirs` that has it, with
// Qt's own translations for that language when the system has them, in place
// of any loaded before. `language` is a locale name ("zh_CN"); null or empty:
// the VELMAR_LANG variable, else the desktop's language. English, or a
// language without a file, loads nothing, so the English source texts show.
// The language whose file was loaded, or "" when none was.
std::wstring AfxLoadTranslation(LPCWSTR name, const std::vector<std::wstring>& dirs,
                                LPCWSTR language = nullptr);

// `text` in the interface's language: its translation, or itself when it has none.
CString AfxTranslate(LPCWSTR text);
// As AfxTranslate, for texts that must stay put as long as the language does
// (resource texts handed out as pointers); null for null.
LPCWSTR AfxTranslatePermanent(LPCWSTR text);
