#pragma once
// A small path language that designates one node of a tree by the names on
// the way down: "catalog/book?id=7/title". Steps are separated by "/"; a step
// is a name, "name?param", "name?param=value" or "name=index". In a step,
// "&amp;", "&question;" and "&equal;" stand for "&", "?" and "=". Whatever
// follows the first "//" is kept apart as the remainder.
//
// The stream form is the full text as UTF-16LE, two bytes per unit, without
// a terminator; characters beyond the BMP travel as surrogate pairs.

#include "velmar/foundation/List.h"
#include "velmar/foundation/String.h"
#include "velmar/io/DataLocatorCell.h"
#include "velmar/io/Serialize.h"

#include <cstdint>

namespace Orvex
{

class CDataLocator : public ISerializable
{
    NK_DECLARE_CLASS()

    // An empty locator: no cells, empty texts.
    CDataLocator() = default;
    // Parses `text` (null gives an empty locator). The pointers that the
    // getters return stay valid until the next change of the locator.
    explicit CDataLocator(const wchar_t* text);
    // Parses `text` converted from the ANSI code page.
    explicit CDataLocator(const char* text);
    // Copies the cells, the remainder and both text forms.
    CDataLocator(const CDataLocator& src);
    // Replaces everything with copies of src's cells, remainder and forms.
    CDataLocator& operator=(const CDataLocator& src);
    ~CDataLocator() override = default;

    // Replaces everything with what `text` says; null or empty gives an empty
    // locator. Never fails: malformed steps become cells with empty parts.
    bool Parse(const wchar_t* text);
    // As Parse(text) for `length` characters (which need not be terminated);
    // the text ends early at a zero character.
    bool Parse(const wchar_t* text, uint32_t length);
    // As Parse(text) for a narrow text in the ANSI code page.
    bool Parse(const char* text);

    // Number of steps.
    uint32_t GetCellCount() const { return m_cells.GetCount(); }
    // Step i, or null when i is out of range.
    const CDataLocatorCell* GetCell(uint32_t i) const
    {
        return i < m_cells.GetCount() ? &m_cells[i] : nullptr;
    }
    // Step i's name, or its whole unescaped text when `bSegment`; null when out of range.
    const wchar_t* GetName(uint32_t i, bool bSegment = false) const;
    // Step i's kind (CDataLocatorCell::kKind...), 0 when out of range.
    uint32_t GetKind(uint32_t i) const;
    // Step i's occurrence index; -1 when out of range or not an index step.
    int32_t GetIndex(uint32_t i) const;
    // Step i's parameter name; null when out of range or not a parameter step.
    const wchar_t* GetParamName(uint32_t i) const;
    // Step i's parameter value; null when out of range or no value was given.
    const wchar_t* GetParamValue(uint32_t i) const;

    // Removes step i and rebuilds both text forms; false when out of range.
    bool RemoveCell(uint32_t i);

    // The full form when `bFull` (the text as parsed, ending in "/"), else the
    // names form (each step's name followed by "/"). Never null.
    const wchar_t* GetText(bool bFull = true) const;
    // Whatever followed the first "//" of the last parsed text. Never null.
    const wchar_t* GetRemainder() const;

    // Reads the rest of `stream` as UTF-16LE and parses it; false (and the
    // locator unchanged) when nothing is left or not all bytes arrive.
    bool Read(IStream* stream) override;
    // Writes the full form as UTF-16LE; false unless every byte was taken.
    bool Write(IStream* stream) override;

    // `text` with "&", "?" and "=" turned into their escapes, so that it can
    // stand in a step as a name, parameter name or value. "/" has no escape.
    static nkMem::CStringW Escape(const wchar_t* text);

private:
    void Clear();
    // Sets the names form from the cells.
    void BuildNames();
    // Sets the full form from the cells' texts, escaped so that parsing the
    // full form again gives the same cells.
    void BuildText();

    nkMem::CList<CDataLocatorCell> m_cells;
    nkMem::CStringW m_strRemainder;
    nkMem::CStringW m_strNames;
    nkMem::CStringW m_strText;
};

} // namespace Orvex
