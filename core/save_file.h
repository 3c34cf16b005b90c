// The one way the program writes a file: through a temporary beside it, checked to the disk, then renamed.
#pragma once

#include "core/result.h"

#include <QByteArrayView>
#include <QString>

namespace glyfex::core {

// Writes bytes to path so that either the whole new content is there or the previous file is untouched:
// the bytes go to a temporary file in the same folder, every write, the sync and the close are checked
// (Qt 6.4's QSaveFile::commit() reports success when its last buffered write fails on a full disk, so it
// is not used), and only then does the temporary take path's place: renamed over the file that is there,
// or, for a new file, an unnamed temporary linked in under the name. On failure no temporary is left
// behind and the error says `what`, the file (native separators) and the system's reason ("No space left
// on device").
//
// Unsynced is for the many small files of one run (a picture per subtitle): each is still written whole
// to a temporary, checked at every write and at close, and put in place, but not forced to the disk one by one;
// a sync per picture made writing a thousand bitmaps cost seconds while the run itself took a tenth of one.
// A full disk or a refused quota still fails at the write, a network file system at the close.
enum class SaveSync { Synced, Unsynced };
Result<void> saveFile(const QString &path, QByteArrayView bytes, const QString &what,
                      SaveSync sync = SaveSync::Synced);

} // namespace glyfex::core
