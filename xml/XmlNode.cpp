#include "velmar/xml/XmlNode.h"

#include <new>
#include <vector>

namespace nkDS
{

namespace
{

template <class C> constexpr C kEmpty[1] = {C(0)};

// Exact comparison of two whole strings.
template <class C> bool SameText(const C* a, const C* b)
{
    for (; *a != C(0) && *a == *b; ++a, ++b)
    {
    }
    return *a == *b;
}

// Lists grow to exactly what they are asked for, which makes filling one an
// element at a time quadratic; past a few elements, double its room instead.
template <class L> void MakeRoomForOneMore(L& list)
{
    const uint32_t count = list.GetCount();
    if (count >= 4 && count >= list.GetCapacity() &&
        count <= 0x7FFFFFFFu / sizeof(typename L::ElementType))
        list.Truncate(count * 2, false);
}

} // namespace

// A large document is millions of nodes: every byte here is megabytes there.
// glibc's allocator adds 8 bytes to a block and rounds it up to 16: a node of
// up to 56 bytes takes 64, one more byte takes 80.
#if !defined(_WIN32)
static_assert(sizeof(void*) != 8 || sizeof(CXmlNodeT<char>) <= 56, "node grew");
#endif

template <class C> CXmlNodeT<C>::CXmlNodeT() : TreeBase(0, nullptr) {}

template <class C> typename CXmlNodeT<C>::ParamLists& CXmlNodeT<C>::Params()
{
    if (m_pParams == nullptr)
    {
        m_pParams = new ParamLists;
    }
    else if (m_pParams->holders > 1)
    {
        // The lists' blocks stay shared until written.
        auto* own = new ParamLists{m_pParams->names, m_pParams->values};
        --m_pParams->holders;
        m_pParams = own;
    }
    return *m_pParams;
}

template <class C> void CXmlNodeT<C>::ShareParams(const CXmlNodeT& other)
{
    if (other.m_pParams == m_pParams)
        return;
    ParamLists* p = other.m_pParams;
    if (p != nullptr)
        ++p->holders;
    ReleaseParams();
    m_pParams = p;
}

template <class C> const typename CXmlNodeT<C>::ParamLists& CXmlNodeT<C>::ParamsOrNone() const
{
    static const ParamLists kNone;
    return m_pParams != nullptr ? *m_pParams : kNone;
}

template <class C> const C* CXmlNodeT<C>::Chars(const String& s)
{
    const C* p = s.GetString();
    return p != nullptr ? p : kEmpty<C>;
}

template <class C> bool CXmlNodeT<C>::IsValid() const
{
    switch (m_nKind)
    {
    case xnkHeader:
        return IsValidXmlName(GetName(), m_bXml10);
    case xnkRemark:
        return IsValidRemark(GetValue());
    case xnkData:
        return IsValidXmlName(GetName(), m_bXml10) &&
               (m_bCData ? IsValidCData(GetValue()) : IsValidXmlText(GetValue(), m_bXml10));
    case xnkText:
        return m_bXml10 && (m_bCData ? IsValidCData(GetValue()) : IsValidXmlText(GetValue(), true));
    case xnkDocType:
        // Kept as it was read; only its root's name is checked.
        return m_bXml10 && IsValidXml10Name(GetName()) && GetValue()[0] != C(0);
    default:
        return false;
    }
}

template <class C> bool CXmlNodeT<C>::IsAncestorOrSelf(const CXmlNodeT* node) const
{
    if (node == this)
        return true;
    // A node without children cannot be above this one; fresh nodes, the usual
    // case, skip the walk.
    if (node->GetChildCount() == 0)
        return false;
    for (const CXmlNodeT* p = this->GetParent(); p != nullptr; p = p->GetParent())
        if (p == node)
            return true;
    return false;
}

template <class C> bool CXmlNodeT<C>::AddChild(CXmlNodeT* node)
{
    // Taking an ancestor as a child would close a cycle that Clear could not end.
    if (node == nullptr || IsAncestorOrSelf(node) || !this->CanAddChild())
        return false;
    MakeRoomForOneMore(this->GetChildren());
    return TreeBase::AddChild(node);
}

template <class C> bool CXmlNodeT<C>::InsertChild(uint32_t index, CXmlNodeT* node)
{
    if (node == nullptr || IsAncestorOrSelf(node) || !this->CanAddChild())
        return false;
    MakeRoomForOneMore(this->GetChildren());
    return TreeBase::InsertChild(index, node);
}

template <class C> void CXmlNodeT<C>::Clear()
{
    m_strValue.Empty();
    m_strName.Empty();
    m_bCData = false;
    m_nKind = xnkData;
    RemoveAllParams();
    RemoveAllChildren();
}

template <class C> void CXmlNodeT<C>::RemoveAllChildren()
{
    // Unlink the last child of the deepest node still holding children and go
    // down into it; a node is deleted once it holds none. The path is as long
    // as the tree is deep, and removing from the end of a list moves nothing.
    std::vector<CXmlNodeT*> path;
    path.push_back(this);
    while (!path.empty())
    {
        CXmlNodeT* node = path.back();
        auto& kids = node->GetChildren();
        const uint32_t count = kids.GetCount();
        if (count == 0)
        {
            path.pop_back();
            if (node != this)
                DeleteNode(node);
            continue;
        }
        CXmlNodeT* child = kids.GetAt(count - 1);
        kids.RemoveAt(count - 1, 1);
        if (child != nullptr)
            path.push_back(child);
    }
}

template <class C> void CXmlNodeT<C>::DeleteNode(CXmlNodeT* node)
{
    // Nodes are made by `new CXmlNodeT` and deleted through exactly that type.
    delete node;
}

template <class C> bool CXmlNodeT<C>::SetName(const C* name)
{
    if (!IsValidXmlName(name, m_bXml10))
        return false;
    m_strName.Assign(name);
    return true;
}

template <class C> bool CXmlNodeT<C>::SetValue(const C* value)
{
    m_strValue.Assign(value);
    return true;
}

template <class C> bool CXmlNodeT<C>::AddParam(const C* name, const C* value)
{
    if (!IsValidXmlName(name, m_bXml10) || !IsValidParamValue(value, m_bXml10))
        return false;
    String n;
    String v;
    n.Assign(name);
    v.Assign(value);
    ParamLists& p = Params();
    MakeRoomForOneMore(p.names);
    MakeRoomForOneMore(p.values);
    p.names.Add(n);
    try
    {
        p.values.Add(v);
    }
    catch (...)
    {
        // Keep the two lists the same length if memory runs out between them.
        p.names.RemoveAt(p.names.GetCount() - 1, 1);
        throw;
    }
    return true;
}

template <class C> const C* CXmlNodeT<C>::GetParamName(uint32_t index) const
{
    return index < GetParamCount() ? Chars(m_pParams->names.GetAt(index)) : kEmpty<C>;
}

template <class C> const C* CXmlNodeT<C>::GetParamValue(uint32_t index) const
{
    return index < GetParamCount() ? Chars(m_pParams->values.GetAt(index)) : kEmpty<C>;
}

template <class C> uint32_t CXmlNodeT<C>::FindParam(const C* name) const
{
    const uint32_t count = GetParamCount();
    if (name == nullptr)
        return count;
    for (uint32_t i = 0; i < count; ++i)
        if (SameText(Chars(m_pParams->names.GetAt(i)), name))
            return i;
    return count;
}

template <class C> const C* CXmlNodeT<C>::GetParamByName(const C* name) const
{
    const uint32_t i = FindParam(name);
    return i < GetParamCount() ? GetParamValue(i) : nullptr;
}

template <class C> bool CXmlNodeT<C>::SetParam(const C* name, const C* value)
{
    if (!IsValidParamValue(value, m_bXml10))
        return false;
    const uint32_t i = FindParam(name);
    if (i >= GetParamCount())
        return false;
    Params().values.GetAtForWrite(i).Assign(value);
    return true;
}

template <class C> bool CXmlNodeT<C>::RemoveParam(uint32_t index)
{
    if (index >= GetParamCount())
        return false;
    ParamLists& p = Params();
    p.names.RemoveAt(index, 1);
    p.values.RemoveAt(index, 1);
    return true;
}

CXmlNodeA* CreateXmlNodeA()
{
    return new (std::nothrow) CXmlNodeA();
}

CXmlNodeW* CreateXmlNodeW()
{
    return new (std::nothrow) CXmlNodeW();
}

template <class C> void DestroyXmlNode(CXmlNodeT<C>* node)
{
    if (node == nullptr)
        return;
    node->Clear();
    CXmlNodeT<C>::DeleteNode(node);
}

template class CXmlNodeT<char>;
template class CXmlNodeT<wchar_t>;
template void DestroyXmlNode<char>(CXmlNodeT<char>*);
template void DestroyXmlNode<wchar_t>(CXmlNodeT<wchar_t>*);

} // namespace nkDS
