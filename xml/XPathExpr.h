#pragma once
// The compiled form of an XPath expression: a tree held in one flat vector,
// linked by indices (operands, predicate lists, argument lists, steps).

#include "velmar/xml/XPath.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nkDS::xpath
{

enum class Op : uint8_t
{
    Or,
    And,
    Eq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    Add,
    Sub,
    Mul,
    Div,
    Mod,
    Neg,
    Union,
    Number,
    Literal,
    Variable,
    Function,
    Path,   // left: the filter expression or -1; right: the first step
    Filter, // left: the primary expression; preds: its predicates
    Step,
};

enum class Axis : uint8_t
{
    Ancestor,
    AncestorOrSelf,
    Attribute,
    Child,
    Descendant,
    DescendantOrSelf,
    Following,
    FollowingSibling,
    Namespace,
    Parent,
    Preceding,
    PrecedingSibling,
    Self,
};

enum class Test : uint8_t
{
    Name,      // text: the qualified name
    AnyName,   // *
    PrefixAny, // text: the prefix of "prefix:*"
    Node,
    Text,
    Comment,
    Instruction, // text: the target, when one was given (hasTarget)
};

enum class Func : uint8_t
{
    Last,
    Position,
    Count,
    Id,
    LocalName,
    NamespaceUri,
    Name,
    String,
    Concat,
    StartsWith,
    Contains,
    SubstringBefore,
    SubstringAfter,
    Substring,
    StringLength,
    NormalizeSpace,
    Translate,
    Boolean,
    Not,
    True,
    False,
    Lang,
    Number,
    Sum,
    Floor,
    Ceiling,
    Round,
};

struct ExprNode
{
    Op op = Op::Number;
    Axis axis = Axis::Child;
    Test test = Test::Node;
    Func func = Func::Last;
    bool absolute = false;  // a path from the document node
    bool hasTarget = false; // processing-instruction('target')
    int32_t left = -1;
    int32_t right = -1;
    int32_t next = -1;  // the following argument, predicate or step
    int32_t preds = -1; // the first predicate of a step or filter
    uint32_t column = 0;
    uint32_t argc = 0;
    double number = 0;
    std::wstring text;
};

struct Program
{
    std::vector<ExprNode> nodes;
    int32_t root = -1;
};

// Compiles `text` into `program`; false with the column and the reason.
bool Compile(const wchar_t* text, Program& program, XPathError& error);

} // namespace nkDS::xpath

struct nkDS::CXPathExpr::Impl
{
    xpath::Program program;
};
