#pragma once
// The XML writer: a node tree back to bytes in the fixed layout (one node per
// line, one space of indentation per level, CR LF, parameters in single
// quotes). In XML 1.0 mode the line end and the byte form are the
// document's, a value holding a single quote is written in double quotes,
// and an element with mixed content is written on one line as it stands.
// Output is collected and written to the target in large blocks, behind
// the writer on a thread of its own once there is more than one; every
// write is checked. The children of a node with many are written in
// segments by two threads where the processor has two cores, each taking
// the next segment when done with one.

#include "velmar/xml/XmlNode.h"
#include "velmar/xml/XmlParser.h"
#include "velmar/foundation/PageBuffer.h"
#include "velmar/io/Orvex.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace nkDS
{

class COrderedOutput;
struct SplitShare;

class CXmlWriter
{
public:
    // When the children of a node are written by two threads: the node has
    // at least `minChildren` and at least two segments' weight, a child
    // weighing one more than its own child count. A segment weighs
    // `segmentWeight`, or less where that makes fewer than `segments` of
    // them, down to `leastWeight`: the output goes out in order, so a few
    // large segments hold back the writing and flushing of all behind the
    // one being written. Up to `weighAll` children each is weighed; of
    // more, an even sample tells their mean weight. Of the output waiting
    // to be written, at most `aheadBytes` wait in the segment being written
    // out, and as many in later ones. A writer enables it where the machine
    // has two cores.
    struct Split
    {
        uint32_t minChildren = 16;
        uint32_t segmentWeight = 16384;
        uint32_t segments = 64;
        uint32_t leastWeight = 4096;
        uint32_t weighAll = 4096;
        size_t aheadBytes = size_t(8) << 20;
        bool enabled = true;
    };

    CXmlWriter();
    ~CXmlWriter();
    CXmlWriter(const CXmlWriter&) = delete;
    CXmlWriter& operator=(const CXmlWriter&) = delete;

    // Starts output to `target`, at the target's current position, in the
    // editor's own layout.
    void Begin(Orvex::IStream* target);
    // After Begin: XML 1.0 mode's layout, with `lineEnd` after each node and
    // the output in `form`. Text is then given in UTF-8 for a UTF-16 form
    // (code page 65001, narrow text as UTF-8) and converted as it is written.
    void SetXml10(const char* lineEnd, XmlByteForm form);
    // Writes the node and its subtree at `depth`. Wide text is encoded with
    // `codePage` (0: ANSI); characters it cannot represent are written as
    // character references. Narrow text is written as it is.
    template <class C> void WriteNode(CXmlNodeT<C>* node, uint32_t depth, unsigned codePage);
    void WriteRaw(const char* bytes, size_t n) { Put(bytes, n); }
    // Writes what is collected; false when any write fell short or the
    // content could not be written faithfully.
    bool End();
    // Why the last output failed; null when it did not.
    const char* GetErrorReason() const { return m_pszError; }
    // Fails the output, keeping the first reason; nothing more is written.
    void Refuse(const char* why);
    // Waits for the block being written behind and ends that writing. End
    // does it; output left early (by an exception) needs it before its
    // target goes.
    void Settle();
    // How the children of a large node are shared out; the default suits
    // the machine.
    void SetSplit(const Split& split) { m_split = split; }
    // How many runs of children two threads wrote since Begin.
    uint32_t GetSplitCount() const { return m_nSplits; }

    Orvex::IStream* m_pTarget = nullptr;

private:
    void Put(const char* s, size_t n)
    {
        std::memcpy(Room(n), s, n);
        m_len += n;
    }
    void Put(char c)
    {
        *Room(1) = c;
        ++m_len;
    }
    // Where the next `n` bytes go; the caller advances m_len by what it wrote.
    char* Room(size_t n)
    {
        if (m_cap - m_len < n)
            MakeRoom(n);
        return m_buf.get() + m_len;
    }
    void MakeRoom(size_t n);
    void Indent(uint32_t depth);
    void LineEnd();
    // Hands the collected block on, to be written behind in its part;
    // WriteNow writes it here and now.
    void Hand();
    void WriteNow();
    // The output written behind, made on first use.
    COrderedOutput& Output();
    // Fails the output with a literal reason, allocating nothing.
    void Fail(const char* literal);

    // A node whose children are being written; a range is a run of them
    // whose node others write.
    template <class C> struct Step
    {
        CXmlNodeT<C>* node;
        uint32_t next;
        uint32_t end;
        bool inlined; // opened the one-line writing of mixed content
        bool range;
    };
    // Writes the node up to its children; true when it has children to
    // write, on the stack.
    template <class C>
    bool Enter(CXmlNodeT<C>* node, uint32_t depth, unsigned cp, std::vector<Step<C>>& stack);
    // Writes the rest of what the stack holds; the children of its first
    // node are at depth `first`.
    template <class C> void Walk(std::vector<Step<C>>& stack, uint32_t first, unsigned cp);
    // Children [from, to) of `node` at `depth`, with an empty stack to use.
    template <class C>
    void WriteChildren(CXmlNodeT<C>* node, uint32_t from, uint32_t to, uint32_t depth, unsigned cp,
                       std::vector<Step<C>>& stack);
    // Whether the children of `node` are worth two threads; `bounds` then
    // holds where each segment of them begins, and their count last.
    template <class C>
    bool Segments(const CXmlNodeT<C>* node, unsigned cp, std::vector<uint32_t>& bounds) const;
    // Writes the children of `node` at `depth`, the segments shared out
    // between this thread and a second one; each writes its segment into an
    // output part of its own, and the parts are written in order.
    template <class C>
    void WriteSplit(CXmlNodeT<C>* node, uint32_t depth, unsigned cp,
                    const std::vector<uint32_t>& bounds);
    // On either thread: takes segments until none is left, writing segment
    // k into part `base` + k.
    template <class C>
    void WriteSegments(CXmlNodeT<C>* node, uint32_t depth, unsigned cp,
                       const std::vector<uint32_t>& bounds, uint32_t base, SplitShare& share);
    static bool TwoCores();
    template <class C> void Open(CXmlNodeT<C>* node, uint32_t depth, unsigned cp);
    template <class C> void Params(const CXmlNodeT<C>* node, unsigned cp);
    template <class C> void Name(const nkMem::CStringT<C>& name, unsigned cp);
    template <class C> void Verbatim(const nkMem::CStringT<C>& text, unsigned cp, const char* what);
    // A node's value as a CDATA section when it is one and the code page can
    // hold it (a section cannot hold a reference), else as escaped text.
    // `dropped`: the value is being dropped and is written empty.
    template <class C>
    void Value(const CXmlNodeT<C>* node, unsigned cp, int textEscape, bool dropped = false);
    // Text in the target's bytes: `escape` 2 escapes "<", ">" and a bare "&";
    // 1 only a bare "&" (parameter values); 0 nothing (remarks, CDATA). XML
    // 1.0 mode: 3 text ("<", a bare "&", ">" after "]]"); 4 a value in single
    // quotes ("<", a bare "&"); 5 one in double quotes (also '"').
    void Text(const char* s, size_t n, unsigned cp, int escape);
    void Text(const wchar_t* s, size_t n, unsigned cp, int escape)
    {
        // Short UTF-8 text already written for this node, inline: the whole
        // slot's bytes, past the text's own, in copies of fixed size, which
        // the length then cuts.
        if (cp == kUtf8Page && n - 1 < kShortChars && m_short)
        {
            const ShortText& slot = m_short[ShortSlot(s, escape)];
            if (slot.text == s && slot.chars == n && slot.escape == escape && slot.round == m_round)
            {
                char* const out = Room(sizeof slot.bytes);
                for (size_t k = 0; k < sizeof slot.bytes; k += 16)
                    std::memcpy(out + k, slot.bytes + k, 16);
                m_len += slot.size;
                return;
            }
        }
        AnyText(s, n, cp, escape);
    }
    void AnyText(const wchar_t* s, size_t n, unsigned cp, int escape);
    // Text through the code-page layer, character references for what the
    // page lacks.
    void PageText(const wchar_t* s, size_t n, unsigned cp, int escape);
    void Escaped(const char* s, size_t n, int escape);

    // Whether every character has bytes in the code page; narrow text is
    // written as it is.
    static bool Representable(const char*, size_t, unsigned) { return true; }
    static bool Representable(const wchar_t* s, size_t n, unsigned cp);
    // Wide UTF-8 text that the fast encoder wrote up to a character it leaves
    // to the code-page layer; returns how many characters it took.
    size_t Utf8Text(const wchar_t* s, size_t n, int escape);
    // The same for short text, kept by the address of its characters: names
    // are written twice per element, and a loaded document shares the
    // characters of equal names and short values among its nodes, so most
    // such text has just been written once already. Nothing changes the
    // tree while one node is written, and a text kept for one node is not
    // used for the next.
    size_t ShortUtf8Text(const wchar_t* s, size_t n, int escape);
    static size_t ShortSlot(const wchar_t* s, int escape)
    {
        const uint64_t key = reinterpret_cast<uintptr_t>(s) ^ static_cast<unsigned>(escape);
        return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - kShortBits));
    }

    static constexpr unsigned kUtf8Page = 65001;
    static constexpr size_t kShortChars = 16;
    static constexpr unsigned kShortBits = 9;
    static constexpr size_t kShortSlots = size_t(1) << kShortBits;
    struct ShortText
    {
        const wchar_t* text; // null: empty slot
        uint32_t round;      // the value of m_round it was written in
        uint8_t chars;
        uint8_t escape;
        uint8_t size; // bytes used of `bytes`
        char bytes[48];
    };
    static_assert(sizeof(ShortText) == 64, "one cache line per slot");
    std::unique_ptr<ShortText[]> m_short;
    uint32_t m_round = 0;

    static constexpr size_t kBlock = 1 << 20;
    nkMem::CPageBuffer m_buf;
    size_t m_len = 0;
    size_t m_cap = 0;
    std::string m_conv;
    std::string m_utf16;
    // The output behind this writer, and for the second thread of a split
    // its first writer's; the part its blocks go to.
    std::unique_ptr<COrderedOutput> m_behind;
    COrderedOutput* m_pOut = nullptr;
    uint32_t m_part = 0;
    bool m_bXml10 = false;
    XmlByteForm m_nForm = xbfBytes;
    char m_szEol[3] = {'\r', '\n', '\0'};
    size_t m_nEol = 2;
    // Nonzero inside an element with mixed content: no indentation and no
    // line ends, which would change its text.
    uint32_t m_nInline = 0;
    Split m_split;
    bool m_bSplitting = false; // writing a segment: no further split
    uint32_t m_nSplits = 0;
    // On the second thread: the values it takes from nodes, let go once
    // both threads are done: a value may share its characters, and their
    // count, with a node the other thread writes.
    bool m_bSecond = false;
    std::vector<nkMem::CStringT<char>> m_takenA;
    std::vector<nkMem::CStringT<wchar_t>> m_takenW;
    void Take(nkMem::CStringT<char>& s) { m_takenA.push_back(std::move(s)); }
    void Take(nkMem::CStringT<wchar_t>& s) { m_takenW.push_back(std::move(s)); }
    bool m_ok = true;
    const char* m_pszError = nullptr; // a literal, or m_strError
    std::string m_strError;
};

extern template void CXmlWriter::WriteNode<char>(CXmlNodeT<char>*, uint32_t, unsigned);
extern template void CXmlWriter::WriteNode<wchar_t>(CXmlNodeT<wchar_t>*, uint32_t, unsigned);

} // namespace nkDS
