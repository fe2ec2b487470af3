#pragma once
// The abstract disk file, and the template that supplies one width of its
// name-taking operations from the other.

#include "velmar/io/DateTime.h"
#include "velmar/io/NameConversion.h"
#include "velmar/io/Stream.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <type_traits>

namespace Orvex
{

class IFile : public IStream
{
    NK_DECLARE_CLASS()

    // Opens (closing first) an existing file, or with `create` opens or creates
    // one; an existing file is never truncated. Mode: kMode... bits.
    virtual bool Open(const wchar_t* path, uint32_t mode, bool create) = 0;
    virtual bool Open(const char* path, uint32_t mode, bool create) = 0;
    // Releases mappings, the controller and the handle; harmless when closed.
    virtual void Close() = 0;
    // Sets the end of the file at `length`; the position is left there.
    virtual bool SetLength(uint32_t length) = 0;
    // Fills each non-null record (local time); the number filled.
    virtual uint32_t GetTimes(CDateTime* created, CDateTime* written, CDateTime* accessed) = 0;
    // Sets each non-null time; the number set, 0 on failure.
    virtual uint32_t SetTimes(const CDateTime* created, const CDateTime* written,
                              const CDateTime* accessed) = 0;
    // Whole-file copies; the bytes in the destination (see CFileWin).
    virtual uint32_t CopyTo(IStream* destination) = 0;
    virtual uint32_t CopyFrom(IStream* source) = 0;
    virtual uint32_t CopyOnto(IStream* destination) = 0;
    // kAttr... bits of the file.
    virtual uint32_t GetAttributes() = 0;
    // Sets the read-only and hidden bits, clearing the others.
    virtual bool SetAttributes(uint32_t attributes) = 0;
    // The file's name (empty while closed).
    virtual const char* GetPath() = 0;
    virtual const wchar_t* GetPathW() = 0;
    // A view of a named mapping of the file, and its release.
    virtual void* MapView(uint32_t access, uint32_t offset, uint32_t viewSize, uint32_t maximumSize,
                          const wchar_t* name) = 0;
    virtual void* MapView(uint32_t access, uint32_t offset, uint32_t viewSize, uint32_t maximumSize,
                          const char* name) = 0;
    virtual bool UnmapView(void* view, const wchar_t* name) = 0;
    virtual bool UnmapView(void* view, const char* name) = 0;

    // A file is open exactly when it has a name.
    bool IsOpen()
    {
        const char* path = GetPath();
        return path != nullptr && path[0] != '\0';
    }
};

// Supplies the name-taking operations of width C by converting the name to
// the other width: IFileImpl<wchar_t, IFile> implements the wide forms over
// the narrow ones, IFileImpl<char, IFile> the narrow forms over the wide.
template <class C, class Base> class IFileImpl : public Base
{
    static_assert(std::is_same_v<C, char> || std::is_same_v<C, wchar_t>, "narrow or wide names");
    using Other = std::conditional_t<std::is_same_v<C, char>, wchar_t, char>;

public:
    using Base::MapView;
    using Base::Open;
    using Base::UnmapView;

    bool Open(const C* path, uint32_t mode, bool create) override
    {
        std::basic_string<Other> name;
        if (!Convert(path, name))
            return false;
        return Open(name.c_str(), mode, create);
    }
    void* MapView(uint32_t access, uint32_t offset, uint32_t viewSize, uint32_t maximumSize,
                  const C* name) override
    {
        std::basic_string<Other> other;
        if (!Convert(name, other))
            return nullptr;
        return MapView(access, offset, viewSize, maximumSize, other.c_str());
    }
    bool UnmapView(void* view, const C* name) override
    {
        std::basic_string<Other> other;
        if (!Convert(name, other))
            return false;
        return UnmapView(view, other.c_str());
    }

protected:
    static bool Convert(const wchar_t* s, std::string& out)
    {
        return s != nullptr && NarrowName(s, std::wcslen(s), out);
    }
    static bool Convert(const char* s, std::wstring& out)
    {
        return s != nullptr && WideName(s, std::strlen(s), out);
    }
};

} // namespace Orvex
