#pragma once
// The in-memory node of an XML document, for narrow and wide text: a header
// (processing instruction), a remark (comment) or a data node (element), with
// ordered parameters (attributes) and owned children.

#include "velmar/foundation/nkMem.h"
#include "velmar/xml/XmlChars.h"

#include <cstddef>
#include <cstdint>
#include <new>

namespace nkDS
{

// Node kinds; no other value is ever stored by the engine. The last two
// occur only in documents read or made in XML 1.0 mode.
enum XmlNodeKind : uint32_t
{
    xnkHeader = 2,   // processing instruction, e.g. the xml declaration
    xnkRemark = 4,   // comment
    xnkData = 8,     // element
    xnkDocType = 16, // document type declaration, kept verbatim as its value
    xnkText = 32,    // a run of mixed content between an element's children
};

// A member whose tail padding the next member may use. Windows compilers
// ignore the attribute (and may warn of it), so it is left out there.
#if defined(_WIN32)
#define VELMAR_NODE_PACKED
#else
#define VELMAR_NODE_PACKED [[no_unique_address]]
#endif

template <class C>
class CXmlNodeT
    : public nkMem::CTreeNodeTempl2<CXmlNodeT<C>, nkMem::CUnlimitedTreeNodeBase<CXmlNodeT<C>>>
{
public:
    using TreeBase =
        nkMem::CTreeNodeTempl2<CXmlNodeT<C>, nkMem::CUnlimitedTreeNodeBase<CXmlNodeT<C>>>;
    using String = nkMem::CStringT<C>;

    CXmlNodeT();
    // Not virtual: a node is always deleted through its own type. Releases the
    // node's own strings and parameters only; Clear the node first if it has
    // children.
    ~CXmlNodeT() { ReleaseParams(); }

    CXmlNodeT(const CXmlNodeT&) = delete;
    CXmlNodeT& operator=(const CXmlNodeT&) = delete;

    // Nodes made while a large document loads come from the bulk pool
    // (nkMem::CBulkScope); the others from the heap.
    static void* operator new(std::size_t n) { return nkMem::BulkAlloc(n); }
    static void* operator new(std::size_t n, const std::nothrow_t&) noexcept
    {
        return nkMem::BulkAllocNoThrow(n);
    }
    static void operator delete(void* p) noexcept { nkMem::BulkFree(p); }
    static void operator delete(void* p, const std::nothrow_t&) noexcept { nkMem::BulkFree(p); }

    // Whether the node can be written back as it is, by the rules of its kind.
    // Not virtual: the node has no virtual operations, so that it carries no
    // table pointer (millions of nodes are made).
    bool IsValid() const;

    // --- structure -----------------------------------------------------------
    // Appends `node` and makes this node its parent. Refused when the child
    // limit is reached, when `node` is null, this node, or one of its ancestors.
    bool AddChild(CXmlNodeT* node);
    // Inserts `node` before `index` (at the end when past it), with the same
    // refusals. DetachChild, IndexOfChild and SwapChildren come from the tree.
    bool InsertChild(uint32_t index, CXmlNodeT* node);
    // Empties the node and deletes every descendant; parent and limit stay.
    void Clear();
    // Deletes every descendant, at any depth and width without deep recursion.
    // Hides the tree's own version so that nodes are deleted as nodes.
    void RemoveAllChildren();

    // --- name, value, kind ---------------------------------------------------
    const C* GetName() const { return Chars(m_strName); }   // never null
    const C* GetValue() const { return Chars(m_strValue); } // never null
    // Stores `name` only when it satisfies the name rule.
    bool SetName(const C* name);
    // Stores `value` unchecked (null stores an empty value); always true.
    bool SetValue(const C* value);
    uint32_t GetKind() const { return m_nKind; }
    // A value beyond 16 bits is no kind: it is stored as 0, which none has.
    void SetKind(uint32_t kind) { m_nKind = static_cast<uint16_t>(kind <= 0xFFFF ? kind : 0); }
    bool IsCData() const { return m_bCData; }
    void SetCData(bool cdata) { m_bCData = cdata; }
    // Whether the node belongs to an XML 1.0 mode document: its names then
    // follow the XML Name production (prefixes, non-ASCII letters).
    bool IsXml10() const { return m_bXml10; }
    void SetXml10(bool on) { m_bXml10 = on; }

    // --- parameters ----------------------------------------------------------
    // Appends a parameter; refused for a bad name or a bad value (null value: empty).
    bool AddParam(const C* name, const C* value);
    uint32_t GetParamCount() const { return m_pParams ? m_pParams->names.GetCount() : 0; }
    // Characters of parameter `index`; empty when out of range.
    const C* GetParamName(uint32_t index) const;
    const C* GetParamValue(uint32_t index) const;
    // Index of the first parameter named `name` (exact), or the parameter count.
    uint32_t FindParam(const C* name) const;
    // Value of the first parameter named `name`, or null.
    const C* GetParamByName(const C* name) const;
    // Replaces the value of the first parameter named `name`; never adds one.
    bool SetParam(const C* name, const C* value);
    // Removes parameter `index` from both lists; false when out of range.
    bool RemoveParam(uint32_t index);
    // Removes every parameter and the room they took.
    void RemoveAllParams() { ReleaseParams(); }
    // Gives this node the parameters of `other`, shared until either node
    // changes them (the reader gives equal tags one set).
    void ShareParams(const CXmlNodeT& other);
    // The parameter names and values, entry i of one belonging to entry i of
    // the other; whoever changes one list keeps the other the same length.
    // Most nodes have no parameters and no room for them: the writable lists
    // are made on first use (std::bad_alloc when no memory is left), the
    // read-only ones of such a node are empty.
    nkMem::CStrTList<C>& ParamNames() { return Params().names; }
    nkMem::CStrTList<C>& ParamValues() { return Params().values; }
    const nkMem::CStrTList<C>& ParamNames() const { return ParamsOrNone().names; }
    const nkMem::CStrTList<C>& ParamValues() const { return ParamsOrNone().values; }

    // Millions of nodes are made, so the fields are laid out without holes:
    // the flags and the kind (16 bits) take the tail padding of the name.
    VELMAR_NODE_PACKED String m_strName;
    bool m_bCData = false;
    bool m_bXml10 = false;
    uint16_t m_nKind = xnkData;
    VELMAR_NODE_PACKED String m_strValue;

private:
    struct ParamLists
    {
        nkMem::CStrTList<C> names;
        nkMem::CStrTList<C> values;
        uint32_t holders = 1; // nodes sharing the lists; a writer copies them first
    };

    // The node's own lists, made or unshared first.
    ParamLists& Params();
    void ReleaseParams()
    {
        if (m_pParams != nullptr && --m_pParams->holders == 0)
            delete m_pParams;
        m_pParams = nullptr;
    }
    const ParamLists& ParamsOrNone() const;

    template <class T> friend void DestroyXmlNode(CXmlNodeT<T>* node);

    static const C* Chars(const String& s);
    ParamLists* m_pParams = nullptr; // null while the node has none
    static void DeleteNode(CXmlNodeT* node);
    bool IsAncestorOrSelf(const CXmlNodeT* node) const;
};

#undef VELMAR_NODE_PACKED

using CXmlNodeA = CXmlNodeT<char>;
using CXmlNodeW = CXmlNodeT<wchar_t>;

// A new empty data node on the heap, or null when no memory is left.
CXmlNodeA* CreateXmlNodeA();
CXmlNodeW* CreateXmlNodeW();

// Clears and deletes a node that is not (or no longer) listed under a parent.
template <class C> void DestroyXmlNode(CXmlNodeT<C>* node);

extern template class CXmlNodeT<char>;
extern template class CXmlNodeT<wchar_t>;
extern template void DestroyXmlNode<char>(CXmlNodeT<char>*);
extern template void DestroyXmlNode<wchar_t>(CXmlNodeT<wchar_t>*);

} // namespace nkDS
