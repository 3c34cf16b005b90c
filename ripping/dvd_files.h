// Finding the files of a DVD title set in a folder: names may be upper or lower case on Linux.
#pragma once

#include <QString>
#include <QStringList>

namespace glyfex::ripping {

// Full paths of the files in folder whose names start with prefix and end with suffix, compared without
// regard to case (the patterns "prefix*suffix" of the input dialog); hidden files included. Sorted by
// name without regard to case, ties by exact name, so VTS_01_1.VOB, vts_01_2.vob, VTS_01_3.VOB stay in order.
QStringList findFilesLike(const QString &folder, const QString &prefix, const QString &suffix);

// The VOB files of the title set a file belongs to: its name without the last 5 characters, any
// characters, ".VOB" (VTS_01_0.IFO and VTS_01_1.VOB both give VTS_01_*.VOB).
QStringList titleSetVobFiles(const QString &fileName);

// The IFO of the title set of a VOB (VTS_01_*.IFO), else its backup (VTS_01_*.BUP); "" when neither exists.
QString titleSetIfoFile(const QString &vobFileName);

// The first file named like fileName's base name, any characters, then suffix (".idx" finds movie*.idx
// beside movie.sub); "" when there is none.
QString firstFileLike(const QString &fileName, const QString &suffix);

// The existing file whose name is fileName with its extension changed (".ifo" beside movie.idx), in any
// case; "" when there is none.
QString withOtherExtension(const QString &fileName, const QString &extension);

// A title set's menu VOB (VTS_01_0.VOB), left out when the title's VOBs are ticked.
bool isMenuVob(const QString &fileName);

} // namespace glyfex::ripping
