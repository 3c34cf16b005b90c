// Title sets with one damaged subpicture unit among the fixture's real ones.
#include "support/damaged_title_set.h"

#include "support/av_spu_demuxer.h"
#include "support/test_data.h"
#include "support/vob_builder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace glyfex::test {

namespace {

QByteArray bytesOf(const std::vector<uint8_t> &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

QByteArray damagedUnit(UnitDamage damage, const QByteArray &real)
{
    if (damage == UnitDamage::SizeFieldZero) {
        QByteArray unit = real;
        unit[0] = 0;
        unit[1] = 0;
        return unit;
    }
    // 65,535 bytes whose one control sequence, at the very end, stops inside its display-area command.
    QByteArray unit(0xFFFF, '\0');
    const int control = int(unit.size()) - 7;
    const char head[] = {char(0xFF), char(0xFF), char(control >> 8), char(control & 0xFF)};
    unit.replace(0, 4, QByteArray(head, 4));
    const char sequence[] = {0, 0, char(control >> 8), char(control & 0xFF), 0x05, 0x00, 0x10};
    unit.replace(control, 7, QByteArray(sequence, 7));
    return unit;
}

} // namespace

void writeDamagedTitleSet(const QString &folder, UnitDamage damage, int &wholeUnits)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString source = dataPath(QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS"));
    QFile::remove(folder + QStringLiteral("/VTS_01_0.IFO"));
    ASSERT_TRUE(QFile::copy(source + QStringLiteral("/VTS_01_0.IFO"), folder + QStringLiteral("/VTS_01_0.IFO")));
    auto all = demuxSpuUnits(source + QStringLiteral("/VTS_01_1.VOB"));
    ASSERT_TRUE(all) << all.error().message().toStdString();
    std::vector<QByteArray> units;
    for (const AvSpuUnit &u : *all)
        if (u.substream == 0)
            units.push_back(bytesOf(u.bytes));
    ASSERT_EQ(units.size(), 10u);

    if (damage == UnitDamage::FirstUnitCutByTheFileEnd)
        units.resize(1);
    else
        units.insert(units.begin() + 5, damagedUnit(damage, units[5]));

    QByteArray vob = navSector(0, 0, 0, 0, 0x40);
    for (size_t i = 0; i < units.size(); ++i) {
        const uint64_t clock = 90000 + uint64_t(i) * 360000;
        for (const QByteArray &sector : unitSectors(clock, 0x20, clock + 9000, units[i]))
            vob += sector;
    }
    if (damage == UnitDamage::FirstUnitCutByTheFileEnd) {
        // A copy that stopped halfway through the first unit, not on a sector's end.
        vob.truncate(2048 + (vob.size() - 2048) / 2 + 100);
        wholeUnits = 0;
    } else {
        wholeUnits = 10;
    }
    writeBytes(folder + QStringLiteral("/VTS_01_1.VOB"), vob);
}

} // namespace glyfex::test
