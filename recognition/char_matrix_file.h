// Character matrix files (.gxc): reading versions 1, 2 and 3, writing version 3.
#pragma once

#include "core/pass_host.h"
#include "core/result.h"
#include "recognition/char_matrix.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>

namespace glyfex::recognition {

inline constexpr char kMatrixFileExtension[] = "gxc";

// The matrix held in a file's bytes. fileName only names the file in messages. codePage converts the
// 8-bit entry texts of version-2 files. host, when given, hears one progress step per entry.
// Refused with "This is NOT valid Char Matrix File!" naming the file and entry: an unknown header, a
// file that ends inside the header or an entry, a text longer than 20 units, a glyph wider than 80 or
// higher than 45 pixels.
core::Result<CharMatrix> parseCharMatrix(std::span<const uint8_t> bytes, const QString &fileName,
                                         uint16_t codePage, core::PassHost *host = nullptr);

// Reads the file at path into matrix, which is replaced only when the whole file is valid; it is then
// unmodified and named after path. On failure matrix stays exactly as it was; a file longer than the
// largest possible matrix (about 31 MiB) is refused before it is read.
core::Result<void> loadCharMatrix(const QString &path, CharMatrix &matrix, uint16_t codePage,
                                  core::PassHost &host);

// The version-3 bytes of the matrix: its comment and its entries that are not deleted, in index order.
QByteArray serialiseCharMatrix(const CharMatrix &matrix);

// Writes the matrix to path through a temporary file and a rename, so a failure never destroys the
// previous file. On success the matrix is unmodified and named after path; on failure (including an
// empty matrix, which is refused) it keeps its modified flag and name.
core::Result<void> saveCharMatrix(CharMatrix &matrix, const QString &path);

} // namespace glyfex::recognition
