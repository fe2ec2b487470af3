#include "velmar/io/DataLocatorCell.h"

#include <cwctype>

namespace Orvex
{

namespace
{

// Index of the first `ch` in text[0..length), or length.
uint32_t Find(const wchar_t* text, uint32_t length, wchar_t ch)
{
    uint32_t i = 0;
    while (i < length && text[i] != ch)
        ++i;
    return i;
}

} // namespace

CDataLocatorCell::CDataLocatorCell(const wchar_t* segment, uint32_t length)
{
    if (segment == nullptr || length == 0)
        return;
    m_strSegment.Assign(segment, length);

    const uint32_t question = Find(segment, length, L'?');
    if (question < length)
    {
        m_kind = kKindParam;
        m_strName.Assign(segment, question);
        const wchar_t* condition = segment + question + 1;
        const uint32_t conditionLength = length - question - 1;
        const uint32_t equal = Find(condition, conditionLength, L'=');
        m_strParamName.Assign(condition, equal);
        if (equal < conditionLength)
        {
            m_hasValue = 1;
            m_strParamValue.Assign(condition + equal + 1, conditionLength - equal - 1);
        }
        return;
    }

    const uint32_t equal = Find(segment, length, L'=');
    if (equal < length)
    {
        m_kind = kKindIndex;
        m_strName.Assign(segment, equal);
        m_index = ParseIndex(segment + equal + 1, length - equal - 1);
        return;
    }

    m_strName.Assign(segment, length);
}

int32_t CDataLocatorCell::ParseIndex(const wchar_t* text, uint32_t length)
{
    if (text == nullptr)
        return 0;
    uint32_t i = 0;
    while (i < length && std::iswspace(static_cast<std::wint_t>(text[i])))
        ++i;
    bool negative = false;
    if (i < length && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    // Accumulate in 64 bits and stop growing once past the 32-bit range, so
    // that a long run of digits neither overflows nor wraps.
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
    int64_t value = 0;
    for (; i < length && text[i] >= L'0' && text[i] <= L'9'; ++i)
    {
        if (value <= kLimit)
            value = value * 10 + (text[i] - L'0');
    }
    if (negative)
        return value >= kLimit ? INT32_MIN : static_cast<int32_t>(-value);
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

} // namespace Orvex
