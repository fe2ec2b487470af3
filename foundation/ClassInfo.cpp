#include "velmar/foundation/ClassInfo.h"

#include <cstring>
#include <vector>

namespace nkMem
{

namespace
{

// Walks the base graph of `cls` depth first without recursion; records that
// were already seen are skipped, so a diamond is walked once and a record that
// lists itself (or a cycle) cannot make the walk endless.
template <class Match> bool WalkBases(const CClassInfo* cls, Match match)
{
    if (cls == nullptr)
        return false;
    std::vector<const CClassInfo*> pending;
    std::vector<const CClassInfo*> seen;
    pending.push_back(cls);
    seen.push_back(cls);
    while (!pending.empty())
    {
        const CClassInfo* cur = pending.back();
        pending.pop_back();
        if (cur->bases == nullptr)
            continue;
        // Direct bases first in their listed order, then their own bases.
        std::size_t n = 0;
        while (cur->bases[n] != nullptr)
            ++n;
        for (std::size_t i = 0; i < n; ++i)
            if (match(cur->bases[i]))
                return true;
        for (std::size_t i = n; i-- > 0;)
        {
            const CClassInfo* b = cur->bases[i];
            bool known = false;
            for (const CClassInfo* s : seen)
                if (s == b)
                {
                    known = true;
                    break;
                }
            if (!known)
            {
                seen.push_back(b);
                pending.push_back(b);
            }
        }
    }
    return false;
}

} // namespace

bool IsDerivedFrom(const CClassInfo* cls, const CClassInfo* base)
{
    if (base == nullptr)
        return false;
    return WalkBases(cls, [base](const CClassInfo* b) { return b == base; });
}

bool IsDerivedFrom(const CClassInfo* cls, const char* baseName)
{
    if (baseName == nullptr)
        return false;
    return WalkBases(cls, [baseName](const CClassInfo* b)
                     { return b->name != nullptr && std::strcmp(b->name, baseName) == 0; });
}

const CClassInfo* FindClassByName(const char* name, const CClassInfo* const* classes,
                                  uint32_t count)
{
    if (name == nullptr || classes == nullptr)
        return nullptr;
    for (uint32_t i = 0; i < count; ++i)
    {
        const CClassInfo* c = classes[i];
        if (c != nullptr && c->name != nullptr && std::strcmp(c->name, name) == 0)
            return c;
    }
    return nullptr;
}

} // namespace nkMem
