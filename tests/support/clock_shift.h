// Moves the clocks of a real program stream: every pack's SCR, every PES PTS and DTS and the navigation packs' times, as a later part of a long title has them.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace glyfex::test {

// The sectors of a VOB (or VobSub .sub) with every clock moved on by ticks (90 kHz): SCR bases and PES
// time stamps in their 33 bits, the navigation packs' 32-bit presentation and clock times. Cell elapsed
// times count from the cell's start and stay. Sectors are walked packet by packet; what is no pack is kept.
QByteArray shiftClocks(QByteArray vob, int64_t ticks);

// Copies the title set files of one folder into another, the VOBs with their clocks moved on by ticks.
// Empty on success, else what failed.
QString copyTitleSetShifted(const QString &fromFolder, const QString &toFolder, int64_t ticks);

} // namespace glyfex::test
