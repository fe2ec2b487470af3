#include "velmar/framework/RegexPattern.h"

#include "velmar/framework/Translation.h"

#include <QRegularExpression>
#include <QString>

struct CRegexPattern::Impl
{
    QRegularExpression re;
    bool compiled = false;
    mutable QString subject; // reused: texts are converted into it, not allocated each time

    QStringView Convert(const wchar_t* text, size_t length) const
    {
        if constexpr (sizeof(wchar_t) == sizeof(char16_t))
            return QStringView(reinterpret_cast<const char16_t*>(text), (qsizetype)length);
        subject.resize((qsizetype)length);
        QChar* out = subject.data();
        qsizetype n = 0;
        for (size_t i = 0; i < length; ++i)
        {
            char32_t c = static_cast<char32_t>(text[i]);
            // What is no character becomes the replacement character, so the
            // subject is always well-formed UTF-16.
            if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
                c = 0xFFFD;
            if (c < 0x10000)
            {
                out[n++] = QChar(static_cast<char16_t>(c));
                continue;
            }
            // Two units where the text has one: room for them first.
            subject.resize(subject.size() + 1);
            out = subject.data();
            out[n++] = QChar(QChar::highSurrogate(c));
            out[n++] = QChar(QChar::lowSurrogate(c));
        }
        return QStringView(subject.constData(), n);
    }
};

CRegexPattern::CRegexPattern() : m_p(std::make_unique<Impl>()) {}

CRegexPattern::~CRegexPattern() = default;

BOOL CRegexPattern::Compile(LPCWSTR lpszPattern, BOOL bMatchCase, BOOL bWholeWord, CString* pError)
{
    m_p->compiled = false;
    QString pattern = AfxToQString(lpszPattern);
    if (pattern.isEmpty())
    {
        if (pError)
            *pError = AfxTranslate(L"The expression is empty.");
        return FALSE;
    }
    if (bWholeWord)
        pattern = QStringLiteral("\\b(?:") + pattern + QStringLiteral(")\\b");
    QRegularExpression::PatternOptions options = QRegularExpression::NoPatternOption;
    if (!bMatchCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    m_p->re = QRegularExpression(pattern, options);
    if (!m_p->re.isValid())
    {
        if (pError)
            *pError = AfxFromQString(m_p->re.errorString());
        return FALSE;
    }
    // Compiled now rather than at the first of many texts.
    m_p->re.optimize();
    m_p->compiled = true;
    return TRUE;
}

BOOL CRegexPattern::IsCompiled() const
{
    return m_p->compiled;
}

BOOL CRegexPattern::Search(const wchar_t* text, size_t length) const
{
    if (!m_p->compiled || !text)
        return FALSE;
    // A converted text is well-formed: it need not be checked again before matching.
    constexpr auto kCheck = sizeof(wchar_t) == sizeof(char16_t)
                                ? QRegularExpression::NoMatchOption
                                : QRegularExpression::DontCheckSubjectStringMatchOption;
    return m_p->re.match(m_p->Convert(text, length), 0, QRegularExpression::NormalMatch, kCheck)
        .hasMatch();
}

CString CRegexPattern::Replace(const wchar_t* text, size_t length, LPCWSTR with, int* pCount) const
{
    int count = 0;
    QString result;
    if (m_p->compiled && text)
    {
        result = m_p->Convert(text, length).toString();
        QRegularExpressionMatchIterator it = m_p->re.globalMatch(result);
        while (it.hasNext())
        {
            it.next();
            ++count;
        }
        if (count > 0)
            result.replace(m_p->re, AfxToQString(with));
    }
    if (pCount)
        *pCount = count;
    return count > 0 ? AfxFromQString(result) : CString(text, static_cast<int>(length));
}
