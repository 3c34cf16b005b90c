// The one way the program writes a file: through a temporary beside it, checked to the disk, then renamed.
#pragma once

#include "core/result.h"

#include <QByteArrayView>
#include <QString>

namespace glyfex::core {

// Writes bytes to path so that either the whole new content is there or the previous file is untouched:
// the bytes go to an unnamed temporary file in the same folder, every write, the sync and the close are
// checked (Qt 6.4's QSaveFile::commit() reports success when its last buffered write fails on a full disk,
// so it is not used), and only then does the temporary take path's place: a new file's is linked in under
// the name, an existing file's gets a temporary name and is renamed over it at once, so that a program
// killed while it writes leaves nothing behind. A file system without unnamed files gets a named temporary.
// Links are followed to the file they name, however many there are, and stay links; a dangling link
// creates its target, a loop is refused. A device or named pipe is never replaced: the bytes are written
// into it (a full device reports "No space left on device", a pipe nobody reads is refused); a socket or
// a folder is refused. On failure no temporary is left behind and the error says `what`, the file (native
// separators) and the system's reason.
//
// Unsynced is for the many small files of one run (a picture per subtitle): each is still written whole
// to a temporary, checked at every write and at close, and put in place, but not forced to the disk one by one;
// a sync per picture made writing a thousand bitmaps cost seconds while the run itself took a tenth of one.
// A full disk or a refused quota still fails at the write, a network file system at the close.
enum class SaveSync { Synced, Unsynced };
Result<void> saveFile(const QString &path, QByteArrayView bytes, const QString &what,
                      SaveSync sync = SaveSync::Synced);

} // namespace glyfex::core
