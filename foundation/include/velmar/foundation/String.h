#pragma once
// Copy-on-write strings of narrow or wide characters. Copies share one block
// until one of them writes; capacities are whole units of 16 characters.
#include "velmar/foundation/MemStorage.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>
#include <type_traits>

namespace nkMem
{

// The system ANSI code page (CP_ACP), without pulling in the Win32 header.
inline constexpr unsigned kCodePageAnsi = 0;

template <class T> class CStringT;

// True when s is null or starts with the zero character.
template <class T> inline bool IsNullOrEmpty(const T* s)
{
    return s == nullptr || s[0] == T(0);
}

namespace detail
{

inline std::uint32_t StrLen(const char* s)
{
    return static_cast<std::uint32_t>(std::strlen(s));
}
inline std::uint32_t StrLen(const wchar_t* s)
{
    return static_cast<std::uint32_t>(std::wcslen(s));
}

inline int FoldCase(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
}
inline int FoldCase(wchar_t c)
{
    return static_cast<int>(std::towlower(static_cast<std::wint_t>(c)));
}

template <class T> inline int CompareNoCase(const T* a, const T* b)
{
    for (;; ++a, ++b)
    {
        const int ca = FoldCase(*a);
        const int cb = FoldCase(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}
inline int CompareCase(const char* a, const char* b)
{
    return std::strcmp(a, b);
}
inline int CompareCase(const wchar_t* a, const wchar_t* b)
{
    return std::wcscmp(a, b);
}

template <class T, class U>
inline constexpr bool kOtherWidth = (std::is_same_v<T, char> && std::is_same_v<U, wchar_t>) ||
                                    (std::is_same_v<T, wchar_t> && std::is_same_v<U, char>);

} // namespace detail

// Conversion between the widths with a code page (defined with the code-page
// layer). On failure out is emptied and false returned.
bool ConvertString(CStringT<char>& out, const wchar_t* s, std::uint32_t len, unsigned codePage);
bool ConvertString(CStringT<wchar_t>& out, const char* s, std::uint32_t len, unsigned codePage);

// Formatting with the C library; false (and an empty string) when the format
// or its arguments cannot be formatted.
bool FormatString(CStringT<char>& out, const char* format, std::va_list args);
bool FormatString(CStringT<wchar_t>& out, const wchar_t* format, std::va_list args);

template <class T> class CStringT
{
    static_assert(std::is_same_v<T, char> || std::is_same_v<T, wchar_t>,
                  "narrow or wide characters");

public:
    using CharType = T;

    CStringT() = default;

    // Formats: the text is always a format, "%%" stands for one percent sign.
    // Plain text that may hold a "%" must go through Assign instead.
    CStringT(const T* format, ...)
    {
        if (!format)
            return;
        std::va_list args;
        va_start(args, format);
        FormatString(*this, format, args);
        va_end(args);
    }

    CStringT(const CStringT& src) : m_storage(src.m_storage), m_length(src.m_length) {}
    CStringT(CStringT&& src) noexcept { Swap(src); }

    // Converted from the other width with the ANSI code page.
    template <class U>
    requires detail::kOtherWidth<T, U> CStringT(const U* s) { Assign(s); }

    // The raw bytes of a zero-terminated string of 32-bit units, unconverted.
    explicit CStringT(const std::uint32_t* units)
    {
        if (!units || !units[0])
            return;
        std::uint32_t n = 0;
        while (units[n])
            ++n;
        if (n > 0x3FFFFFF0u / sizeof(T))
            throw std::bad_alloc();
        const std::uint32_t bytes = 4 * n;
        const std::uint32_t chars = (bytes + sizeof(T) - 1) / sizeof(T);
        T* p = GetBuffer(chars);
        MemCopy(p, units, bytes);
        m_length = bytes / sizeof(T);
        p[m_length] = T(0);
    }

    ~CStringT() = default;

    CStringT& operator=(const CStringT& src)
    {
        if (this != &src)
        {
            m_storage = src.m_storage;
            m_length = src.m_length;
        }
        return *this;
    }
    CStringT& operator=(CStringT&& src) noexcept
    {
        if (this != &src)
        {
            CStringT tmp(static_cast<CStringT&&>(src));
            Swap(tmp);
        }
        return *this;
    }
    CStringT& operator=(const T* s)
    {
        Assign(s);
        return *this;
    }

    std::uint32_t GetLength() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }
    // The characters, or null for a string that never had a buffer.
    const T* GetString() const { return static_cast<const T*>(m_storage.GetData()); }
    // The characters, or an empty string for a string that never had a buffer.
    const T* GetSafeString() const
    {
        static constexpr T kEmpty[1] = {};
        const T* s = GetString();
        return s ? s : kEmpty;
    }
    // Capacity in characters, terminator included.
    std::uint32_t GetCapacity() const { return m_storage.GetCapacity() / sizeof(T); }
    T GetAt(std::uint32_t i) const { return GetString()[i]; }
    T operator[](std::uint32_t i) const { return GetString()[i]; }

    // A private buffer with room for n characters and the terminator, in whole
    // units of 16 characters. The length is unchanged; the caller writes and
    // then sets it (ReleaseBuffer). Null when a borrowed buffer is too small.
    T* GetBuffer(std::uint32_t n)
    {
        if (n >= 0xFFFFFFE0u / sizeof(T))
            throw std::bad_alloc();
        const std::uint32_t chars = RoundUp(n + 1, 16);
        if (m_storage.GetKind() == StorageExternal)
        {
            if (n + 1 > GetCapacity())
                return nullptr;
            return static_cast<T*>(m_storage.GetWritableData());
        }
        const bool fresh = m_storage.GetData() == nullptr;
        m_storage.Reserve(chars * sizeof(T));
        T* p = static_cast<T*>(m_storage.GetWritableData());
        if (fresh)
            p[0] = T(0);
        return p;
    }
    // A private buffer of exactly n characters and the terminator, for a
    // string whose final length is known: rounded only to the 16-byte steps
    // in which the heap hands out blocks, not to 16 characters. The length
    // becomes n and the terminator is written; the caller fills the n
    // characters. Null when a borrowed buffer is too small.
    T* GetBufferSetLength(std::uint32_t n)
    {
        if (n >= 0xFFFFFFC0u / sizeof(T))
            throw std::bad_alloc();
        T* p = nullptr;
        if (m_storage.GetKind() == StorageExternal)
        {
            if (n + 1 > GetCapacity())
                return nullptr;
            p = static_cast<T*>(m_storage.GetWritableData());
        }
        else
        {
            // The heap adds a word to a block and rounds the sum up to 16.
            constexpr std::uint32_t kWord = sizeof(void*);
            const std::uint32_t block = RoundUp(kRefMemHeader + (n + 1) * sizeof(T) + kWord, 16);
            const std::uint32_t bytes = (block - kWord - kRefMemHeader) / sizeof(T) * sizeof(T);
            m_storage.Reserve(bytes);
            p = static_cast<T*>(m_storage.GetWritableData());
        }
        p[n] = T(0);
        m_length = n;
        return p;
    }
    // Sets the length after a write through GetBuffer: the given one, or up to
    // the first zero character when negative. A terminator is written.
    void ReleaseBuffer(std::int64_t newLength = -1)
    {
        const std::uint32_t cap = GetCapacity();
        if (cap == 0)
        {
            m_length = 0;
            return;
        }
        T* p = static_cast<T*>(m_storage.GetWritableData());
        std::uint32_t len = 0;
        if (newLength < 0)
        {
            while (len + 1 < cap && p[len] != T(0))
                ++len;
        }
        else
        {
            len = newLength < cap ? static_cast<std::uint32_t>(newLength) : cap - 1;
        }
        p[len] = T(0);
        m_length = len;
    }

    void Assign(const T* s)
    {
        if (IsNullOrEmpty(s))
        {
            Empty();
            return;
        }
        if (s == GetString())
            return;
        Assign(s, detail::StrLen(s));
    }
    // Copies n characters of s (which need not be terminated).
    void Assign(const T* s, std::uint32_t n)
    {
        if (!s || n == 0)
        {
            Empty();
            return;
        }
        if (s == GetString() && n == m_length)
            return;
        // s may point into our own buffer: it is no larger than what we hold,
        // so the buffer is not reallocated, or, when shared, stays alive.
        T* p = GetBuffer(n);
        if (!p)
            return;
        MemMove(p, s, n * sizeof(T));
        p[n] = T(0);
        m_length = n;
    }
    template <class U>
    requires detail::kOtherWidth<T, U>
    void Assign(const U* s) { AssignCP(s, kCodePageAnsi); }
    // Converts s (zero-terminated) from the other width with the code page.
    template <class U>
    requires detail::kOtherWidth<T, U>
    bool AssignCP(const U* s, unsigned codePage)
    {
        if (IsNullOrEmpty(s))
        {
            Empty();
            return true;
        }
        return ConvertString(*this, s, detail::StrLen(s), codePage);
    }
    // Converts len units of s from the other width with the code page.
    template <class U>
    requires detail::kOtherWidth<T, U>
    bool AssignCP(const U* s, std::uint32_t len, unsigned codePage)
    {
        return ConvertString(*this, s, len, codePage);
    }

    // Length 0; a string already empty is not touched at all.
    void Empty()
    {
        if (m_length == 0)
            return;
        T* p = GetBuffer(1);
        if (p)
            p[0] = T(0);
        m_length = 0;
    }

    bool Format(const T* format, ...)
    {
        std::va_list args;
        va_start(args, format);
        const bool ok = FormatV(format, args);
        va_end(args);
        return ok;
    }
    bool FormatV(const T* format, std::va_list args)
    {
        if (!format)
        {
            CStringT empty;
            Swap(empty);
            return true;
        }
        return FormatString(*this, format, args);
    }

    // Inserts ch before index (at the end when index is past it). Returns 1.
    std::uint32_t InsertChar(std::uint32_t index, T ch)
    {
        if (index > m_length)
            index = m_length;
        T* p = GetBuffer(m_length + 1);
        if (!p)
            return 0;
        MemMove(p + index + 1, p + index, (m_length - index + 1) * sizeof(T));
        p[index] = ch;
        p[m_length + 1] = T(0);
        ++m_length;
        return 1;
    }

    void Append(T ch)
    {
        T* p = GetBuffer(m_length + 1);
        if (!p)
            return;
        p[m_length] = ch;
        p[m_length + 1] = T(0);
        ++m_length;
    }
    void Append(const T* s, std::uint32_t n)
    {
        if (!s || n == 0)
            return;
        if (n > 0xFFFFFFE0u / sizeof(T) - m_length)
            throw std::bad_alloc();
        // s may lie in our own buffer, which GetBuffer may move.
        const T* base = GetString();
        const bool inside = base && s >= base && s <= base + m_length;
        const std::size_t offset = inside ? static_cast<std::size_t>(s - base) : 0;
        T* p = GetBuffer(m_length + n);
        if (!p)
            return;
        if (inside)
            s = p + offset;
        MemMove(p + m_length, s, n * sizeof(T));
        m_length += n;
        p[m_length] = T(0);
    }
    void Append(const T* s)
    {
        if (!IsNullOrEmpty(s))
            Append(s, detail::StrLen(s));
    }
    void Append(const CStringT& s)
    {
        if (&s == this)
        {
            const CStringT copy(s);
            Append(copy.GetString(), copy.m_length);
        }
        else
        {
            Append(s.GetString(), s.m_length);
        }
    }
    CStringT& operator+=(T ch)
    {
        Append(ch);
        return *this;
    }
    CStringT& operator+=(const T* s)
    {
        Append(s);
        return *this;
    }
    CStringT& operator+=(const CStringT& s)
    {
        Append(s);
        return *this;
    }

    // Same pointer: 0. One null: nonzero. Else the C library's comparison,
    // exact or ignoring case.
    static int Compare(const T* a, const T* b, bool caseSensitive)
    {
        if (a == b)
            return 0;
        if (!a || !b)
            return a ? 1 : -1;
        return caseSensitive ? detail::CompareCase(a, b) : detail::CompareNoCase(a, b);
    }
    // Compares contents; a string without a buffer reads as empty.
    int Compare(const CStringT& other, bool caseSensitive = true) const
    {
        static const T kEmpty[1] = {T(0)};
        const T* a = GetString();
        const T* b = other.GetString();
        return Compare(a ? a : kEmpty, b ? b : kEmpty, caseSensitive);
    }
    bool operator==(const CStringT& other) const
    {
        if (m_length != other.m_length)
            return false;
        if (m_length == 0 || GetString() == other.GetString())
            return true;
        return GetMemOpsTable()->compare(GetString(), other.GetString(), m_length * sizeof(T)) == 0;
    }
    bool operator==(const T* s) const
    {
        if (IsNullOrEmpty(s))
            return m_length == 0;
        return m_length != 0 && detail::CompareCase(GetString(), s) == 0;
    }

    // Makes every later copy of this string take a private buffer.
    void SetNoShare(bool on) { m_storage.SetNoShare(on); }
    // Borrows buf (capacity characters) as this string's buffer; it is never
    // grown or freed, and the text in it is taken up to its terminator.
    void AttachExternal(T* buf, std::uint32_t capacity)
    {
        m_storage.SetExternal(buf, capacity * sizeof(T));
        m_length = 0;
        if (buf && capacity)
            ReleaseBuffer(-1);
    }
    const CMemStorage& GetStorage() const { return m_storage; }

    void Swap(CStringT& other) noexcept
    {
        m_storage.Swap(other.m_storage);
        const std::uint32_t l = m_length;
        m_length = other.m_length;
        other.m_length = l;
    }

private:
    CMemStorage m_storage;
    std::uint32_t m_length = 0;
};

using CStringA = CStringT<char>;
using CStringW = CStringT<wchar_t>;

} // namespace nkMem
