#pragma once
// Observer of a parse. Every string is narrow, zero-terminated and valid only
// during the call.

namespace nkDS
{

class IXmlParseHook
{
public:
    // A parameter of a data node, before it is stored (not for header nodes).
    virtual void OnParam(const char* name, const char* value) = 0;
    // bEnd 0: a start tag was closed with ">"; 1: the element is complete
    // (after its end tag, or after an empty-element tag, which gets only this
    // call). The name is the element's name in both calls.
    virtual void OnElement(const char* name, int bEnd) = 0;
    // A remark was read, also when the input ended inside it.
    virtual void OnRemark(const char* text) = 0;

protected:
    ~IXmlParseHook() = default;
};

} // namespace nkDS
