// A real font's writing systems from QFontDatabase lead to its charsets: the numbering the window casts must agree.
#include "subtitles/charsets.h"

#include <QFontDatabase>

#include <gtest/gtest.h>

namespace glyfex::subtitles {
namespace {

static_assert(int(WritingSystem::Latin) == QFontDatabase::Latin);
static_assert(int(WritingSystem::Greek) == QFontDatabase::Greek);
static_assert(int(WritingSystem::Cyrillic) == QFontDatabase::Cyrillic);
static_assert(int(WritingSystem::Hebrew) == QFontDatabase::Hebrew);
static_assert(int(WritingSystem::Arabic) == QFontDatabase::Arabic);
static_assert(int(WritingSystem::Thai) == QFontDatabase::Thai);
static_assert(int(WritingSystem::SimplifiedChinese) == QFontDatabase::SimplifiedChinese);
static_assert(int(WritingSystem::TraditionalChinese) == QFontDatabase::TraditionalChinese);
static_assert(int(WritingSystem::Japanese) == QFontDatabase::Japanese);
static_assert(int(WritingSystem::Korean) == QFontDatabase::Korean);
static_assert(int(WritingSystem::Vietnamese) == QFontDatabase::Vietnamese);
static_assert(int(WritingSystem::Symbol) == QFontDatabase::Symbol);

TEST(FontWritingSystems, DejaVuSansOffersLatinGreekAndCyrillicCharsets)
{
    const QString family = QStringLiteral("DejaVu Sans");
    ASSERT_TRUE(QFontDatabase::families().contains(family)) << "fonts-dejavu-core is not installed";
    QList<WritingSystem> systems;
    for (QFontDatabase::WritingSystem ws : QFontDatabase::writingSystems(family))
        systems.append(WritingSystem(int(ws)));
    const QStringList names = listFontCharsets(charsetsOfWritingSystems(systems));
    EXPECT_TRUE(names.contains(QStringLiteral("ANSI_CHARSET")));
    EXPECT_TRUE(names.contains(QStringLiteral("GREEK_CHARSET")));
    EXPECT_TRUE(names.contains(QStringLiteral("RUSSIAN_CHARSET")));
    EXPECT_EQ(names.last(), QStringLiteral("DEFAULT_CHARSET"));
}

} // namespace
} // namespace glyfex::subtitles
