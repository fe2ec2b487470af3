#include "velmar/framework/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>

#include <map>
#include <memory>

namespace
{

const char kContext[] = "Velmar";

struct Loaded
{
    std::unique_ptr<QTranslator> own, qt;
    // Translations handed out as pointers, by their source text's address.
    std::map<LPCWSTR, std::wstring> permanent;
};

Loaded& State()
{
    static Loaded state;
    return state;
}

void Unload(Loaded& state)
{
    for (auto* p : {&state.own, &state.qt})
        if (*p)
        {
            QCoreApplication::removeTranslator(p->get());
            p->reset();
        }
    state.permanent.clear();
}

} // namespace

std::wstring AfxLoadTranslation(LPCWSTR name, const std::vector<std::wstring>& dirs,
                                LPCWSTR language)
{
    Loaded& state = State();
    Unload(state);
    QString lang = language && *language ? QString::fromWCharArray(language)
                                         : qEnvironmentVariable("VELMAR_LANG");
    const QLocale locale = lang.isEmpty() ? QLocale::system() : QLocale(lang);
    if (locale.language() == QLocale::English || locale.language() == QLocale::C ||
        !QCoreApplication::instance())
        return {};
    auto own = std::make_unique<QTranslator>();
    bool loaded = false;
    for (const std::wstring& dir : dirs)
        if (own->load(locale, QString::fromWCharArray(name ? name : L""), "_",
                      QString::fromStdWString(dir)))
        {
            loaded = true;
            break;
        }
    if (!loaded)
        return {};
    QCoreApplication::installTranslator(own.get());
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    {
        QCoreApplication::installTranslator(qt.get());
        state.qt = std::move(qt);
    }
    const std::wstring loadedLanguage = own->language().toStdWString();
    state.own = std::move(own);
    return loadedLanguage;
}

CString AfxTranslate(LPCWSTR text)
{
    if (!text || !*text || !State().own)
        return CString(text ? text : L"");
    const QByteArray source = QString::fromWCharArray(text).toUtf8();
    return CString(
        QCoreApplication::translate(kContext, source.constData()).toStdWString().c_str());
}

LPCWSTR AfxTranslatePermanent(LPCWSTR text)
{
    if (!text || !*text || !State().own)
        return text;
    auto& permanent = State().permanent;
    auto it = permanent.find(text);
    if (it == permanent.end())
        it = permanent.emplace(text, AfxTranslate(text).Str()).first;
    return it->second.c_str();
}
