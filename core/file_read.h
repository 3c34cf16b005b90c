// Reading the files a user or a disc hands the program: plain files only (or links to them), never more than a cap.
#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

class QFile;

namespace glyfex::core {

// A device, a named pipe or a folder under a file's name has no end to read to or blocks the reader: every
// reader of outside data opens it through these, which refuse anything but a plain file (links are followed)
// with an error of `what`, the file (native separators) and what the name is ("it is a character device,
// not a file"). A named pipe is never waited on.

// For a file larger than the cap: the error to give, from its size in bytes (at least cap + 1).
using TooLargeError = std::function<Error(qint64 size)>;

// The whole file, read up to cap + 1 bytes; a larger file gives tooLarge's error (by default `what`, the
// file and "N bytes is more than the M a file of this kind can have").
Result<QByteArray> readPlainFile(const QString &path, qint64 cap, const QString &what, const TooLargeError &tooLarge = {});

// Opens file (named by its fileName()) in mode for reading by offset, for files too large to be read whole
// (VOB and VobSub sub files): the same refusal of what is not a plain file, without reading anything.
Result<void> openPlainFile(QFile &file, const QString &what, QIODevice::OpenMode mode = QIODevice::ReadOnly);

// Why path cannot be read as a plain file now ("it is a named pipe, not a file", "No such file or
// directory"), or an empty text when it can: for a check before a file is taken, such as the input dialog's.
QString plainFileProblem(const QString &path);

} // namespace glyfex::core
