#pragma once

#include "core/files/platform.h"

#include <functional>

namespace platform
{

// Ways for tests to reach inside a move: take the copy that crossing volumes takes, make a
// write fail part-way, or act just before the finished copy takes the destination name or
// after any system call of the copy.
struct MoveHooks {
    bool alwaysCopy = false;
    // Called before each write with its offset and length. It may shorten the write, as a
    // nearly full disk does, or return an errno value to fail it as the disk would.
    std::function<int(qint64 offset, qint64 &length)> writeFault;
    std::function<void()> beforePlace;
    // Called after each system call a copy across volumes makes, with the call's name: a
    // test stops the move between any two of them.
    std::function<void(const char *call)> afterCall;
};

// Moves one file. On one volume it is an atomic rename that never replaces a file. Across
// volumes the file is copied to a temporary file beside the destination, every write and
// the final size are checked, the copy is flushed to disk with the source's modification
// time, put in place without replacing anything, and only then is the source removed. On
// any failure the partial copy is removed and the source is left as it was.
[[nodiscard]] FsResult safeMoveFile(
    const QString &from, const QString &to, const MoveHooks &hooks = {});

// True for the name of the temporary file a move across volumes copies into, beside its
// destination.
[[nodiscard]] bool isPartialCopyName(const QString &name);

} // namespace platform
