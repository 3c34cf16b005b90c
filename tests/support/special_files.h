// Names that are no plain files (devices, a pipe nobody writes, a link to a device) for the readers' tests, and a watchdog for a reader that would hang on one.
#pragma once

#include <QString>

#include <functional>

namespace glyfex::test {

enum class SpecialFile {
    ZeroDevice, // a character device that reads zeros without end (as /dev/zero)
    FullDevice, // one that reads zeros and is always full (as /dev/full)
    LonelyPipe, // a named pipe without a writer
    LinkToZero, // a symbolic link to /dev/zero
};

// Makes the node at path: an empty text, or why the system refused (mknod needs the right to make devices).
QString makeSpecialFile(SpecialFile kind, const QString &path);

// What the kind's error says the name is, as the readers tell it ("a character device", "a named pipe").
QString specialFileKindText(SpecialFile kind);

// Runs work (on the calling thread, so it may be a window's) while a watchdog waits up to `seconds`;
// true when work ended by then. A reader still waiting on the pipe at path then is given an empty writer,
// so that it ends. One reading a device without end cannot be stopped: when the process has grown by a
// gigabyte, or work has not ended after as long again, the test program ends with a message instead of
// hanging or exhausting the machine.
bool endsWithin(int seconds, const QString &path, const std::function<void()> &work);

} // namespace glyfex::test
