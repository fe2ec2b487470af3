// The lexer and parser of XPath 1.0 expressions into the flat tree of
// XPathExpr.h. Recursive descent, with a depth limit on every way in.

#include "XPathExpr.h"

#include <cstdlib>
#include <cwchar>
#include <utility>

namespace nkDS
{
namespace xpath
{
namespace
{

enum class Tok : uint8_t
{
    End,
    LParen,
    RParen,
    LBracket,
    RBracket,
    Dot,
    DotDot,
    At,
    Comma,
    ColonColon,
    Slash,
    DoubleSlash,
    Pipe,
    Plus,
    Minus,
    Eq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    Multiply,
    And,
    Or,
    Mod,
    Div,
    NameTest, // text: "*", "p:*" or a qualified name
    NodeType,
    FunctionName,
    AxisName,
    Literal,
    Number,
    Variable,
};

struct Token
{
    Tok kind = Tok::End;
    uint32_t column = 0;
    double number = 0;
    std::wstring text;
};

bool IsNameStart(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' ||
           static_cast<uint32_t>(c) >= 0x80;
}

bool IsNameChar(wchar_t c)
{
    return IsNameStart(c) || (c >= L'0' && c <= L'9') || c == L'.' || c == L'-';
}

bool IsSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsOperator(Tok t)
{
    switch (t)
    {
    case Tok::And:
    case Tok::Or:
    case Tok::Mod:
    case Tok::Div:
    case Tok::Multiply:
    case Tok::Slash:
    case Tok::DoubleSlash:
    case Tok::Pipe:
    case Tok::Plus:
    case Tok::Minus:
    case Tok::Eq:
    case Tok::Ne:
    case Tok::Lt:
    case Tok::Le:
    case Tok::Gt:
    case Tok::Ge:
        return true;
    default:
        return false;
    }
}

class Lexer
{
public:
    Lexer(const wchar_t* text, XPathError& error) : m_s(text), m_error(error) {}

    bool Run(std::vector<Token>& out)
    {
        for (;;)
        {
            while (IsSpace(m_s[m_i]))
                ++m_i;
            Token t;
            t.column = static_cast<uint32_t>(m_i + 1);
            if (m_s[m_i] == 0)
            {
                out.push_back(t);
                return true;
            }
            // An operator name or "*" only where an operand cannot start.
            const bool afterOperand =
                !out.empty() && out.back().kind != Tok::At && out.back().kind != Tok::ColonColon &&
                out.back().kind != Tok::LParen && out.back().kind != Tok::LBracket &&
                out.back().kind != Tok::Comma && !IsOperator(out.back().kind);
            if (!Next(t, afterOperand))
                return false;
            out.push_back(std::move(t));
        }
    }

private:
    bool Fail(size_t at, const char* reason)
    {
        m_error.column = static_cast<uint32_t>(at + 1);
        m_error.reason = reason;
        return false;
    }

    size_t Name(size_t at) const
    {
        size_t i = at;
        if (!IsNameStart(m_s[i]))
            return at;
        while (IsNameChar(m_s[i]))
            ++i;
        return i;
    }

    wchar_t AfterSpace(size_t at) const
    {
        while (IsSpace(m_s[at]))
            ++at;
        return m_s[at];
    }

    bool Next(Token& t, bool afterOperand)
    {
        const wchar_t c = m_s[m_i];
        const wchar_t d = c != 0 ? m_s[m_i + 1] : 0;
        auto one = [&](Tok k, size_t n)
        {
            t.kind = k;
            m_i += n;
            return true;
        };
        switch (c)
        {
        case L'(':
            return one(Tok::LParen, 1);
        case L')':
            return one(Tok::RParen, 1);
        case L'[':
            return one(Tok::LBracket, 1);
        case L']':
            return one(Tok::RBracket, 1);
        case L'@':
            return one(Tok::At, 1);
        case L',':
            return one(Tok::Comma, 1);
        case L'|':
            return one(Tok::Pipe, 1);
        case L'+':
            return one(Tok::Plus, 1);
        case L'-':
            return one(Tok::Minus, 1);
        case L'=':
            return one(Tok::Eq, 1);
        case L'/':
            return d == L'/' ? one(Tok::DoubleSlash, 2) : one(Tok::Slash, 1);
        case L'<':
            return d == L'=' ? one(Tok::Le, 2) : one(Tok::Lt, 1);
        case L'>':
            return d == L'=' ? one(Tok::Ge, 2) : one(Tok::Gt, 1);
        case L'!':
            if (d == L'=')
                return one(Tok::Ne, 2);
            return Fail(m_i, "'!' must be followed by '='");
        case L':':
            if (d == L':')
                return one(Tok::ColonColon, 2);
            return Fail(m_i, "unexpected ':'");
        case L'*':
            if (afterOperand)
                return one(Tok::Multiply, 1);
            t.text = L"*";
            return one(Tok::NameTest, 1);
        case L'"':
        case L'\'':
        {
            const wchar_t* end = std::wcschr(m_s + m_i + 1, c);
            if (end == nullptr)
                return Fail(m_i, "the string literal is not closed");
            t.kind = Tok::Literal;
            t.text.assign(m_s + m_i + 1, end);
            m_i = static_cast<size_t>(end - m_s) + 1;
            return true;
        }
        case L'$':
        {
            const size_t end = QName(m_i + 1);
            if (end == m_i + 1)
                return Fail(m_i, "'$' must be followed by a variable name");
            t.kind = Tok::Variable;
            t.text.assign(m_s + m_i + 1, m_s + end);
            m_i = end;
            return true;
        }
        default:
            break;
        }
        if ((c >= L'0' && c <= L'9') || (c == L'.' && d >= L'0' && d <= L'9'))
        {
            size_t i = m_i;
            while (m_s[i] >= L'0' && m_s[i] <= L'9')
                ++i;
            if (m_s[i] == L'.')
                for (++i; m_s[i] >= L'0' && m_s[i] <= L'9'; ++i)
                {
                }
            std::string ascii(m_s + m_i, m_s + i);
            t.kind = Tok::Number;
            t.number = std::strtod(ascii.c_str(), nullptr);
            m_i = i;
            return true;
        }
        if (c == L'.')
            return d == L'.' ? one(Tok::DotDot, 2) : one(Tok::Dot, 1);
        if (!IsNameStart(c))
            return Fail(m_i, "unexpected character");

        const size_t end = Name(m_i);
        std::wstring name(m_s + m_i, m_s + end);
        if (afterOperand)
        {
            static const std::pair<const wchar_t*, Tok> kOps[] = {
                {L"and", Tok::And}, {L"or", Tok::Or}, {L"mod", Tok::Mod}, {L"div", Tok::Div}};
            for (const auto& [word, kind] : kOps)
                if (name == word)
                    return one(kind, end - m_i);
            return Fail(m_i, "expected an operator");
        }
        if (m_s[end] == L':' && m_s[end + 1] == L':')
        {
            t.kind = Tok::AxisName;
            t.text = name;
            m_i = end;
            return true;
        }
        if (m_s[end] == L':' && m_s[end + 1] == L'*')
        {
            t.kind = Tok::NameTest;
            t.text = name + L":*";
            m_i = end + 2;
            return true;
        }
        const size_t qend = QName(m_i);
        t.text.assign(m_s + m_i, m_s + qend);
        const bool call = AfterSpace(qend) == L'(';
        if (call && t.text.find(L':') == std::wstring::npos &&
            (t.text == L"comment" || t.text == L"text" || t.text == L"node" ||
             t.text == L"processing-instruction"))
            t.kind = Tok::NodeType;
        else
            t.kind = call ? Tok::FunctionName : Tok::NameTest;
        m_i = qend;
        return true;
    }

    // The end of the qualified name at `at` (`at` when there is none).
    size_t QName(size_t at) const
    {
        size_t end = Name(at);
        if (end != at && m_s[end] == L':' && IsNameStart(m_s[end + 1]))
            end = Name(end + 1);
        return end;
    }

    const wchar_t* m_s;
    size_t m_i = 0;
    XPathError& m_error;
};

struct FuncInfo
{
    const wchar_t* name;
    Func func;
    uint32_t minArgs;
    uint32_t maxArgs; // 0xFF: any number
};

const FuncInfo kFunctions[] = {
    {L"last", Func::Last, 0, 0},
    {L"position", Func::Position, 0, 0},
    {L"count", Func::Count, 1, 1},
    {L"id", Func::Id, 1, 1},
    {L"local-name", Func::LocalName, 0, 1},
    {L"namespace-uri", Func::NamespaceUri, 0, 1},
    {L"name", Func::Name, 0, 1},
    {L"string", Func::String, 0, 1},
    {L"concat", Func::Concat, 2, 0xFF},
    {L"starts-with", Func::StartsWith, 2, 2},
    {L"contains", Func::Contains, 2, 2},
    {L"substring-before", Func::SubstringBefore, 2, 2},
    {L"substring-after", Func::SubstringAfter, 2, 2},
    {L"substring", Func::Substring, 2, 3},
    {L"string-length", Func::StringLength, 0, 1},
    {L"normalize-space", Func::NormalizeSpace, 0, 1},
    {L"translate", Func::Translate, 3, 3},
    {L"boolean", Func::Boolean, 1, 1},
    {L"not", Func::Not, 1, 1},
    {L"true", Func::True, 0, 0},
    {L"false", Func::False, 0, 0},
    {L"lang", Func::Lang, 1, 1},
    {L"number", Func::Number, 0, 1},
    {L"sum", Func::Sum, 1, 1},
    {L"floor", Func::Floor, 1, 1},
    {L"ceiling", Func::Ceiling, 1, 1},
    {L"round", Func::Round, 1, 1},
};

const std::pair<const wchar_t*, Axis> kAxes[] = {
    {L"ancestor", Axis::Ancestor},
    {L"ancestor-or-self", Axis::AncestorOrSelf},
    {L"attribute", Axis::Attribute},
    {L"child", Axis::Child},
    {L"descendant", Axis::Descendant},
    {L"descendant-or-self", Axis::DescendantOrSelf},
    {L"following", Axis::Following},
    {L"following-sibling", Axis::FollowingSibling},
    {L"namespace", Axis::Namespace},
    {L"parent", Axis::Parent},
    {L"preceding", Axis::Preceding},
    {L"preceding-sibling", Axis::PrecedingSibling},
    {L"self", Axis::Self},
};

class Parser
{
public:
    Parser(std::vector<Token>& tokens, Program& program, XPathError& error)
        : m_t(tokens), m_p(program), m_error(error)
    {
    }

    bool Run()
    {
        int32_t root = -1;
        if (!Expr(root))
            return false;
        if (Peek() != Tok::End)
            return Fail("unexpected text after the expression");
        m_p.root = root;
        return true;
    }

private:
    Tok Peek() const { return m_t[m_i].kind; }
    const Token& Cur() const { return m_t[m_i]; }

    bool Fail(const char* reason)
    {
        m_error.column = Cur().column;
        m_error.reason = reason;
        return false;
    }

    int32_t Add(Op op, uint32_t column)
    {
        ExprNode n;
        n.op = op;
        n.column = column;
        m_p.nodes.push_back(std::move(n));
        return static_cast<int32_t>(m_p.nodes.size() - 1);
    }

    int32_t Binary(Op op, int32_t left, int32_t right, uint32_t column)
    {
        const int32_t n = Add(op, column);
        m_p.nodes[n].left = left;
        m_p.nodes[n].right = right;
        return n;
    }

    bool Expr(int32_t& out)
    {
        if (++m_depth > kXPathMaxDepth)
            return Fail("the expression nests too deeply");
        const bool ok = Or(out);
        --m_depth;
        return ok;
    }

    // One level of left-associative binary operators.
    template <class Sub>
    bool Level(int32_t& out, const std::pair<Tok, Op>* ops, size_t count, Sub sub)
    {
        if (!(this->*sub)(out))
            return false;
        for (;;)
        {
            const Op* op = nullptr;
            for (size_t i = 0; i < count; ++i)
                if (Peek() == ops[i].first)
                    op = &ops[i].second;
            if (op == nullptr)
                return true;
            const uint32_t column = Cur().column;
            ++m_i;
            int32_t right = -1;
            if (!(this->*sub)(right))
                return false;
            out = Binary(*op, out, right, column);
        }
    }

    bool Or(int32_t& out)
    {
        static const std::pair<Tok, Op> ops[] = {{Tok::Or, Op::Or}};
        return Level(out, ops, 1, &Parser::And);
    }
    bool And(int32_t& out)
    {
        static const std::pair<Tok, Op> ops[] = {{Tok::And, Op::And}};
        return Level(out, ops, 1, &Parser::Equality);
    }
    bool Equality(int32_t& out)
    {
        static const std::pair<Tok, Op> ops[] = {{Tok::Eq, Op::Eq}, {Tok::Ne, Op::Ne}};
        return Level(out, ops, 2, &Parser::Relational);
    }
    bool Relational(int32_t& out)
    {
        static const std::pair<Tok, Op> ops[] = {
            {Tok::Lt, Op::Lt}, {Tok::Le, Op::Le}, {Tok::Gt, Op::Gt}, {Tok::Ge, Op::Ge}};
        return Level(out, ops, 4, &Parser::Additive);
    }
    bool Additive(int32_t& out)
    {
        static const std::pair<Tok, Op> ops[] = {{Tok::Plus, Op::Add}, {Tok::Minus, Op::Sub}};
        return Level(out, ops, 2, &Parser::Multiplicative);
    }
    bool Multiplicative(int32_t& out)
    {
        static const std::pair<Tok, Op> ops[] = {
            {Tok::Multiply, Op::Mul}, {Tok::Div, Op::Div}, {Tok::Mod, Op::Mod}};
        return Level(out, ops, 3, &Parser::Unary);
    }

    bool Unary(int32_t& out)
    {
        std::vector<uint32_t> minus;
        while (Peek() == Tok::Minus)
        {
            minus.push_back(Cur().column);
            ++m_i;
        }
        if (!Union(out))
            return false;
        for (auto it = minus.rbegin(); it != minus.rend(); ++it)
            out = Binary(Op::Neg, out, -1, *it);
        return true;
    }

    bool Union(int32_t& out)
    {
        static const std::pair<Tok, Op> ops[] = {{Tok::Pipe, Op::Union}};
        return Level(out, ops, 1, &Parser::PathExpr);
    }

    bool PathExpr(int32_t& out)
    {
        const uint32_t column = Cur().column;
        switch (Peek())
        {
        case Tok::Variable:
        case Tok::LParen:
        case Tok::Literal:
        case Tok::Number:
        case Tok::FunctionName:
            break;
        default:
            return LocationPath(out);
        }
        int32_t primary = -1;
        if (!Primary(primary))
            return false;
        int32_t preds = -1;
        if (!Predicates(preds))
            return false;
        if (preds >= 0)
        {
            const int32_t f = Add(Op::Filter, column);
            m_p.nodes[f].left = primary;
            m_p.nodes[f].preds = preds;
            primary = f;
        }
        if (Peek() != Tok::Slash && Peek() != Tok::DoubleSlash)
        {
            out = primary;
            return true;
        }
        out = Add(Op::Path, column);
        m_p.nodes[out].left = primary;
        int32_t first = -1;
        if (!Steps(first, false))
            return false;
        m_p.nodes[out].right = first;
        return true;
    }

    bool Primary(int32_t& out)
    {
        const Token& t = Cur();
        switch (t.kind)
        {
        case Tok::Variable:
            out = Add(Op::Variable, t.column);
            m_p.nodes[out].text = t.text;
            ++m_i;
            return true;
        case Tok::Literal:
            out = Add(Op::Literal, t.column);
            m_p.nodes[out].text = t.text;
            ++m_i;
            return true;
        case Tok::Number:
            out = Add(Op::Number, t.column);
            m_p.nodes[out].number = t.number;
            ++m_i;
            return true;
        case Tok::LParen:
            ++m_i;
            if (!Expr(out))
                return false;
            if (Peek() != Tok::RParen)
                return Fail("expected ')'");
            ++m_i;
            return true;
        default:
            return Call(out);
        }
    }

    bool Call(int32_t& out)
    {
        const Token& t = Cur();
        const FuncInfo* info = nullptr;
        for (const FuncInfo& f : kFunctions)
            if (t.text == f.name)
                info = &f;
        if (info == nullptr)
            return Fail("unknown function");
        const uint32_t column = t.column;
        m_i += 2; // the name and "("
        out = Add(Op::Function, column);
        m_p.nodes[out].func = info->func;
        int32_t last = -1;
        uint32_t argc = 0;
        if (Peek() != Tok::RParen)
        {
            for (;;)
            {
                int32_t arg = -1;
                if (!Expr(arg))
                    return false;
                if (last < 0)
                    m_p.nodes[out].left = arg;
                else
                    m_p.nodes[last].next = arg;
                last = arg;
                ++argc;
                if (Peek() == Tok::Comma)
                {
                    ++m_i;
                    continue;
                }
                break;
            }
        }
        if (Peek() != Tok::RParen)
            return Fail("expected ',' or ')' in the function's arguments");
        if (argc < info->minArgs || (info->maxArgs != 0xFF && argc > info->maxArgs))
        {
            m_error.column = column;
            m_error.reason = "wrong number of arguments";
            return false;
        }
        ++m_i;
        m_p.nodes[out].argc = argc;
        return true;
    }

    bool Predicates(int32_t& first)
    {
        int32_t last = -1;
        while (Peek() == Tok::LBracket)
        {
            ++m_i;
            int32_t pred = -1;
            if (!Expr(pred))
                return false;
            if (Peek() != Tok::RBracket)
                return Fail("expected ']'");
            ++m_i;
            if (last < 0)
                first = pred;
            else
                m_p.nodes[last].next = pred;
            last = pred;
        }
        return true;
    }

    bool LocationPath(int32_t& out)
    {
        const uint32_t column = Cur().column;
        out = Add(Op::Path, column);
        bool absolute = false;
        if (Peek() == Tok::Slash)
        {
            absolute = true;
            ++m_i;
            // "/" alone is the document node.
            if (!StartsStep(Peek()))
            {
                m_p.nodes[out].absolute = true;
                return true;
            }
            --m_i;
        }
        else if (Peek() == Tok::DoubleSlash)
        {
            absolute = true;
        }
        m_p.nodes[out].absolute = absolute;
        int32_t first = -1;
        if (!Steps(first, !absolute))
            return false;
        m_p.nodes[out].right = first;
        return true;
    }

    static bool StartsStep(Tok t)
    {
        return t == Tok::Dot || t == Tok::DotDot || t == Tok::At || t == Tok::AxisName ||
               t == Tok::NameTest || t == Tok::NodeType;
    }

    // Steps separated by "/" or "//"; with `noLead` the first step comes
    // without one.
    bool Steps(int32_t& first, bool noLead)
    {
        int32_t last = -1;
        auto link = [&](int32_t s)
        {
            if (last < 0)
                first = s;
            else
                m_p.nodes[last].next = s;
            last = s;
        };
        bool lead = !noLead;
        for (;;)
        {
            if (lead)
            {
                if (Peek() == Tok::DoubleSlash)
                {
                    const int32_t s = Add(Op::Step, Cur().column);
                    m_p.nodes[s].axis = Axis::DescendantOrSelf;
                    m_p.nodes[s].test = Test::Node;
                    link(s);
                }
                else if (Peek() != Tok::Slash)
                {
                    return true;
                }
                ++m_i;
            }
            lead = true;
            int32_t s = -1;
            if (!Step(s))
                return false;
            link(s);
        }
    }

    bool Step(int32_t& out)
    {
        const Token& t = Cur();
        out = Add(Op::Step, t.column);
        ExprNode* n = &m_p.nodes[out];
        if (t.kind == Tok::Dot || t.kind == Tok::DotDot)
        {
            n->axis = t.kind == Tok::Dot ? Axis::Self : Axis::Parent;
            n->test = Test::Node;
            ++m_i;
            return true;
        }
        if (t.kind == Tok::At)
        {
            n->axis = Axis::Attribute;
            ++m_i;
        }
        else if (t.kind == Tok::AxisName)
        {
            bool known = false;
            for (const auto& [name, axis] : kAxes)
                if (t.text == name)
                {
                    n->axis = axis;
                    known = true;
                }
            if (!known)
                return Fail("unknown axis");
            m_i += 2; // the name and "::"
        }
        const Token& test = Cur();
        if (test.kind == Tok::NameTest)
        {
            if (test.text == L"*")
                n->test = Test::AnyName;
            else if (test.text.size() > 2 && test.text.compare(test.text.size() - 2, 2, L":*") == 0)
            {
                n->test = Test::PrefixAny;
                n->text = test.text.substr(0, test.text.size() - 2);
            }
            else
            {
                n->test = Test::Name;
                n->text = test.text;
            }
            ++m_i;
        }
        else if (test.kind == Tok::NodeType)
        {
            n->test = test.text == L"node"      ? Test::Node
                      : test.text == L"text"    ? Test::Text
                      : test.text == L"comment" ? Test::Comment
                                                : Test::Instruction;
            m_i += 2; // the type and "("
            if (n->test == Test::Instruction && Peek() == Tok::Literal)
            {
                n->hasTarget = true;
                n->text = Cur().text;
                ++m_i;
            }
            if (Peek() != Tok::RParen)
                return Fail("expected ')'");
            ++m_i;
        }
        else
        {
            return Fail("expected a step");
        }
        int32_t preds = -1;
        if (!Predicates(preds))
            return false;
        m_p.nodes[out].preds = preds;
        return true;
    }

    std::vector<Token>& m_t;
    size_t m_i = 0;
    Program& m_p;
    XPathError& m_error;
    uint32_t m_depth = 0;
};

// The depth of the tree below the root, walked with an explicit stack.
uint32_t TreeDepth(const Program& p)
{
    uint32_t deepest = 0;
    std::vector<std::pair<int32_t, uint32_t>> stack{{p.root, 1}};
    while (!stack.empty())
    {
        const auto [i, depth] = stack.back();
        stack.pop_back();
        if (i < 0)
            continue;
        deepest = depth > deepest ? depth : deepest;
        const ExprNode& n = p.nodes[static_cast<size_t>(i)];
        stack.emplace_back(n.left, depth + 1);
        stack.emplace_back(n.right, depth + 1);
        stack.emplace_back(n.preds, depth + 1);
        stack.emplace_back(n.next, depth);
    }
    return deepest;
}

} // namespace

bool Compile(const wchar_t* text, Program& program, XPathError& error)
{
    program = Program();
    error = XPathError();
    std::vector<Token> tokens;
    Lexer lexer(text != nullptr ? text : L"", error);
    if (!lexer.Run(tokens))
        return false;
    if (tokens.size() == 1)
    {
        error.column = 1;
        error.reason = "the expression is empty";
        return false;
    }
    Parser parser(tokens, program, error);
    if (!parser.Run())
    {
        program = Program();
        return false;
    }
    // Long operator chains nest as deeply as parentheses do.
    if (TreeDepth(program) > 2 * kXPathMaxDepth)
    {
        program = Program();
        error.column = 1;
        error.reason = "the expression nests too deeply";
        return false;
    }
    return true;
}

} // namespace xpath
} // namespace nkDS
