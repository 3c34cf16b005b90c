// Title sets of the fixture's IFO and a VOB of its real units with one unit damaged as discs and rips damage them.
#pragma once

#include <QString>

namespace glyfex::test {

enum class UnitDamage {
    FirstUnitCutByTheFileEnd,     // the file ends halfway through the first unit: nothing else follows
    SizeFieldZero,                // one unit in the middle announces a size of 0
    LargestUnitEndsInsideACommand // one unit in the middle: 65,535 bytes, its one command cut by its end
};

// Writes VTS_01_0.IFO (the dvd-pal-sans fixture's) and VTS_01_1.VOB into folder: the fixture's ten units of
// stream 0, four seconds apart, with the damaged unit added as `damage` says. Returns how many of the
// fixture's units are whole in it (0 or 10). Call through ASSERT_NO_FATAL_FAILURE.
void writeDamagedTitleSet(const QString &folder, UnitDamage damage, int &wholeUnits);

} // namespace glyfex::test
