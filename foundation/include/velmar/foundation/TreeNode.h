#pragma once
// Tree-node templates: a node class T derives from CTreeNodeTempl2<T> and gets
// a parent link, an ordered list of owned children and an optional child
// limit. None of them has virtual operations.
#include "velmar/foundation/CompactList.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace nkMem
{

template <class T> class CBaseTreeNodeTempl
{
public:
    CBaseTreeNodeTempl() = default;
    // Only the list goes: its nodes belong to whoever calls RemoveAllChildren.
    ~CBaseTreeNodeTempl() = default;

protected:
    void SetChildLimit(std::uint32_t maxChildren) { m_maxChildren = maxChildren; }

    T* m_pParent = nullptr;
    CCompactList<T*> m_children;
    std::uint32_t m_maxChildren = 0; // 0: no limit
};

// The links of a node type that never limits its children: two words, so
// that a node made by the million can lay out its own fields without
// padding.
template <class T> class CUnlimitedTreeNodeBase
{
protected:
    void SetChildLimit(std::uint32_t) {}

    T* m_pParent = nullptr;
    CCompactList<T*> m_children;
    static constexpr std::uint32_t m_maxChildren = 0;
};

template <class T, class Base = CBaseTreeNodeTempl<T>> class CTreeNodeTempl : public Base
{
public:
    explicit CTreeNodeTempl(std::uint32_t maxChildren = 0, T* parent = nullptr)
    {
        this->m_pParent = parent;
        this->SetChildLimit(maxChildren);
        if (this->m_maxChildren > 0)
            this->m_children.Truncate(this->m_maxChildren, false);
    }
    CTreeNodeTempl(const CTreeNodeTempl&) = delete;
    CTreeNodeTempl& operator=(const CTreeNodeTempl&) = delete;

    bool CanAddChild() const
    {
        return this->m_maxChildren == 0 || this->m_children.GetCount() < this->m_maxChildren;
    }

    // Appends child and makes this node its parent. Refused when the limit is
    // reached or child is this node. The child is not unlinked from a former
    // parent.
    bool AddChild(T* child)
    {
        if (!CanAddChild() || child == Self())
            return false;
        const std::uint32_t n = this->m_children.InsertAt(this->m_children.GetCount(), &child, 1);
        if (n == 1)
            child->m_pParent = Self();
        return n == 1;
    }

    std::uint32_t GetChildCount() const { return this->m_children.GetCount(); }
    T* GetChild(std::uint32_t i) const { return this->m_children.GetAt(i); }
    T* GetParent() const { return this->m_pParent; }
    void SetParent(T* parent) { this->m_pParent = parent; }
    std::uint32_t GetMaxChildren() const { return this->m_maxChildren; }
    void SwapChildren(std::uint32_t i, std::uint32_t j) { this->m_children.Swap(i, j); }
    // The child list itself, for insertion, removal and exchange by index.
    using ChildList = CCompactList<T*>;
    ChildList& GetChildren() { return this->m_children; }
    const ChildList& GetChildren() const { return this->m_children; }

    // Destroys and frees every descendant, each node's children before the
    // node, in index order, then empties the list. The walk keeps its own
    // stack, so a tree of any depth is freed without deep recursion.
    void RemoveAllChildren()
    {
        std::vector<std::pair<T*, std::uint32_t>> stack;
        stack.emplace_back(Self(), 0);
        while (!stack.empty())
        {
            T* node = stack.back().first;
            const std::uint32_t next = stack.back().second;
            if (next < node->GetChildCount())
            {
                stack.back().second = next + 1;
                T* child = node->GetChild(next);
                if (child)
                    stack.emplace_back(child, 0);
                continue;
            }
            node->m_children.RemoveAll();
            stack.pop_back();
            if (!stack.empty())
                delete node;
        }
    }

private:
    T* Self() { return static_cast<T*>(this); }
    const T* Self() const { return static_cast<const T*>(this); }
};

template <class T, class Base = CBaseTreeNodeTempl<T>>
class CTreeNodeTempl2 : public CTreeNodeTempl<T, Base>
{
public:
    explicit CTreeNodeTempl2(std::uint32_t maxChildren = 0, T* parent = nullptr)
        : CTreeNodeTempl<T, Base>(maxChildren, parent)
    {
    }

    // Position of child among the children, or the count when absent.
    std::uint32_t IndexOfChild(const T* child) const
    {
        std::uint32_t i = 0;
        for (; i < this->GetChildCount(); ++i)
            if (this->GetChild(i) == child)
                break;
        return i;
    }

    // Inserts child before index, within the limit; false when refused.
    bool InsertChild(std::uint32_t index, T* child)
    {
        if (!this->CanAddChild() || child == static_cast<T*>(this))
            return false;
        if (this->m_children.InsertAt(index, &child, 1) != 1)
            return false;
        child->m_pParent = static_cast<T*>(this);
        return true;
    }

    // Unlinks child i without destroying it and returns it (null when the
    // index is out of range); its parent link is cleared.
    T* DetachChild(std::uint32_t index)
    {
        if (index >= this->GetChildCount())
            return nullptr;
        T* child = this->GetChild(index);
        this->m_children.RemoveAt(index, 1);
        if (child && child->m_pParent == static_cast<T*>(this))
            child->m_pParent = nullptr;
        return child;
    }
};

} // namespace nkMem
