#include "velmar/foundation/ObjDuplicator.h"

#include <unordered_set>
#include <vector>

namespace nkMem
{

NK_DEFINE_ABSTRACT_CLASS(IObjDuplicator, CMemObject)

IObjDuplicator* CreateDuplicator(const CClassInfo* cls)
{
    CMemObject* obj = CreateObject(cls);
    if (obj == nullptr)
        return nullptr;
    IObjDuplicator* dup = dynamic_cast<IObjDuplicator*>(obj);
    if (dup == nullptr)
        DestroyObject(obj);
    return dup;
}

namespace
{

// One object of its class, filled from `src` as `asClass`, without sub-objects.
IObjDuplicator* CloneOne(IObjDuplicator* src, const CClassInfo* asClass)
{
    IObjDuplicator* obj = CreateDuplicator(src->GetClassInfo());
    if (obj == nullptr)
        return nullptr;
    if (!src->Duplicate(obj, asClass))
    {
        DestroyObject(obj);
        return nullptr;
    }
    return obj;
}

struct CloneFrame
{
    IObjDuplicator* src;
    IObjDuplicator* copy;
    uint32_t next;
    uint32_t count;
};

// Hands a finished copy to its parent; a refused copy would otherwise leak.
void Attach(IObjDuplicator* parent, IObjDuplicator* copy, uint32_t i)
{
    if (!parent->SetSubObject(copy, i) && copy != nullptr)
        DestroyObjectTree(copy);
}

} // namespace

IObjDuplicator* CloneObject(IObjDuplicator* src, const CClassInfo* asClass)
{
    if (src == nullptr)
        return nullptr;
    IObjDuplicator* root = CloneOne(src, asClass);
    if (root == nullptr)
        return nullptr;

    // Depth first with an explicit stack, so deep object trees need no deep
    // call stack.
    std::vector<CloneFrame> stack;
    std::unordered_set<const IObjDuplicator*> onStack; // sources of the frames
    stack.push_back({src, root, 0, src->GetSubObjectCount()});
    onStack.insert(src);
    while (!stack.empty())
    {
        CloneFrame& top = stack.back();
        if (top.next >= top.count)
        {
            IObjDuplicator* done = top.copy;
            onStack.erase(top.src);
            stack.pop_back();
            if (!stack.empty())
            {
                CloneFrame& parent = stack.back();
                Attach(parent.copy, done, parent.next);
                ++parent.next;
            }
            continue;
        }
        IObjDuplicator* child = top.src->GetSubObject(top.next);
        // A sub-object that is one of its own ancestors would clone forever;
        // its slot stays empty in the copy.
        bool cyclic = child != nullptr && onStack.count(child) != 0;
        IObjDuplicator* copy =
            (child != nullptr && !cyclic) ? CloneOne(child, child->GetClassInfo()) : nullptr;
        if (copy == nullptr)
        {
            Attach(top.copy, nullptr, top.next);
            ++top.next;
            continue;
        }
        uint32_t count = child->GetSubObjectCount();
        stack.push_back({child, copy, 0, count}); // `top` is not used past here
        onStack.insert(child);
    }
    return root;
}

void DestroyObjectTree(IObjDuplicator* obj)
{
    if (obj == nullptr)
        return;
    struct Frame
    {
        IObjDuplicator* obj;
        uint32_t next;
        uint32_t count;
    };
    // Pointers are compared as they are: a sub-object met again may already be
    // destroyed, so it must not be dereferenced to find its complete object.
    std::unordered_set<const IObjDuplicator*> seen;
    std::vector<Frame> stack;
    seen.insert(obj);
    stack.push_back({obj, 0, obj->GetSubObjectCount()});
    while (!stack.empty())
    {
        Frame& top = stack.back();
        if (top.next < top.count)
        {
            IObjDuplicator* child = top.obj->GetSubObject(top.next++);
            if (child != nullptr && seen.insert(child).second)
            {
                uint32_t count = child->GetSubObjectCount();
                stack.push_back({child, 0, count});
            }
            continue;
        }
        IObjDuplicator* done = top.obj;
        stack.pop_back();
        DestroyObject(done);
    }
}

} // namespace nkMem
