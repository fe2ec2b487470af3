#pragma once
// Writing a file so that its name never stands for a partial file: the bytes
// go to a new temporary file beside the target, which is flushed and then put
// in place of the target in one step. The temporary file of an existing
// target is private to its creator until it takes the target's place, owner,
// group, permissions and attributes (ReplaceFile); a missing target is
// created by the rename. A symbolic link is followed, so the temporary file is
// made beside the file it names (on that file's file system) and the link
// stays a link; a link to nothing gets its file. A file with several names
// (hard links), and one in a folder that takes no new file, is rewritten in
// place instead (see below). Temporary files of saves that were killed are
// removed by the next save into the same folder.

#include "velmar/io/Stream.h"

#include <cstdint>
#include <functional>

namespace Orvex
{

// The step of an atomic write that failed.
enum class AtomicStep
{
    None,       // nothing failed
    CreateTemp, // no temporary file could be made beside the target
    Write,      // the temporary file could not be opened, written or flushed
    Replace,    // the temporary file could not take the target's place
};

struct AtomicWriteResult
{
    AtomicStep failed = AtomicStep::None;
    // The last error of the failure; 0 when the writer gave up without one.
    uint32_t error = 0;
    // False when the written file could not be given the target's owner or
    // group (only the superuser gives a file away): it now belongs to this
    // process's user, with the target's permissions. Worth telling the user.
    bool ownerKept = true;

    explicit operator bool() const { return failed == AtomicStep::None; }
};

// Writes the whole content to `stream` (open for writing on an empty file,
// at its start); false when not everything could be written.
using AtomicWriter = std::function<bool(IStream* stream)>;

// Calls `write` with a stream on a new temporary file beside `target` and,
// once it returned true and the file is flushed, puts that file in place of
// `target`. On any failure the temporary file is removed, `target` is left as
// it was, and the result tells the step and its error, which is also left as
// the thread's last error.
// When no temporary file can be made beside an existing target (a folder the
// user may not write in), the target itself is rewritten: its old bytes are
// kept in memory and put back should the write fail (Write; CreateTemp when
// the target cannot be opened either).
AtomicWriteResult WriteFileAtomically(const wchar_t* target, const AtomicWriter& write);
AtomicWriteResult WriteFileAtomically(const char* target, const AtomicWriter& write);

} // namespace Orvex
