#pragma once
// A list of strings of one width.
#include "velmar/foundation/List.h"
#include "velmar/foundation/String.h"

#include <cstdint>

namespace nkMem
{

template <class T> class CStrTList : public CList<CStringT<T>>
{
public:
    CStrTList() = default;
    CStrTList(const CStrTList&) = default;
    CStrTList& operator=(const CStrTList&) = default;
    ~CStrTList() = default;

    // Replaces the content by the strings of a list of zero-terminated strings
    // closed by an empty one ("a\0bc\0\0"). Each is copied as it is, never read
    // as a format. Returns the number appended; a null s appends nothing.
    std::uint32_t SetMultiString(const T* s)
    {
        this->RemoveAll();
        if (!s)
            return 0;
        std::uint32_t added = 0;
        while (*s != T(0))
        {
            const std::uint32_t len = detail::StrLen(s);
            CStringT<T> item;
            item.Assign(s, len);
            added += this->Add(item);
            s += len + 1;
        }
        return added;
    }

    // The index of the first string equal to s, or the count when none is.
    std::uint32_t Find(const CStringT<T>& s, bool caseSensitive = true) const
    {
        std::uint32_t i = 0;
        for (; i < this->GetCount(); ++i)
            if (this->GetAt(i).Compare(s, caseSensitive) == 0)
                break;
        return i;
    }
};

} // namespace nkMem
