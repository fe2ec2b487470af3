#pragma once
// One step of a data locator: a node name, optionally narrowed by a parameter
// condition ("name?param" or "name?param=value") or by an occurrence index
// ("name=2", counted from 0 among the children of that name).

#include "velmar/foundation/String.h"

#include <cstdint>

namespace Orvex
{

class CDataLocatorCell
{
public:
    // Kinds of condition a step can carry.
    enum : uint32_t
    {
        kKindNone = 0,  // the name alone: the first child of that name
        kKindParam = 1, // a parameter condition
        kKindIndex = 2, // an occurrence index
    };

    // An empty step: no name, no condition.
    CDataLocatorCell() = default;
    // Splits an already unescaped step of `length` characters into its parts.
    CDataLocatorCell(const wchar_t* segment, uint32_t length);

    // The node name to match (never null; may be empty for a malformed step).
    const wchar_t* GetName() const { return m_strName.GetSafeString(); }
    // Length of the name in characters.
    uint32_t GetNameLength() const { return m_strName.GetLength(); }
    // The whole unescaped step text, name and condition together.
    const wchar_t* GetSegment() const { return m_strSegment.GetSafeString(); }
    // Length of the step text in characters.
    uint32_t GetSegmentLength() const { return m_strSegment.GetLength(); }
    // kKindNone, kKindParam or kKindIndex.
    uint32_t GetKind() const { return m_kind; }
    // The occurrence index for kKindIndex (negative matches nothing), else -1.
    int32_t GetIndex() const { return m_kind == kKindIndex ? m_index : -1; }
    // The parameter name for kKindParam, else null.
    const wchar_t* GetParamName() const
    {
        return m_kind == kKindParam ? m_strParamName.GetSafeString() : nullptr;
    }
    // The parameter value for kKindParam with a value, else null.
    const wchar_t* GetParamValue() const
    {
        return HasValue() ? m_strParamValue.GetSafeString() : nullptr;
    }
    // True when a parameter condition also names the value to compare.
    bool HasValue() const { return m_kind == kKindParam && m_hasValue != 0; }

    // Standard base-10 conversion: leading white space, an optional sign, the
    // digits up to the first non-digit; 0 without digits; saturates at the
    // limits of a 32-bit signed number.
    static int32_t ParseIndex(const wchar_t* text, uint32_t length);

private:
    nkMem::CStringW m_strName;
    nkMem::CStringW m_strSegment;
    uint32_t m_kind = kKindNone;
    int32_t m_index = 0;
    nkMem::CStringW m_strParamName;
    nkMem::CStringW m_strParamValue;
    uint8_t m_hasValue = 0;
};

} // namespace Orvex
