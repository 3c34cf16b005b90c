// The message table: built-in texts by index and their replacement from a language file's section.
#include "core/messages.h"

#include <gtest/gtest.h>

#include <QHash>

using namespace glyfex::core;

namespace {

// A Messages section as the language-file reader would answer it.
MessageTable::Lookup section(const QHash<QString, QString> &keys)
{
    return [keys](const QString &key) -> std::optional<QString> {
        const auto it = keys.find(key);
        if (it == keys.end())
            return std::nullopt;
        return *it;
    };
}

QHash<QString, QString> translated(int first, int last, const QString &prefix)
{
    QHash<QString, QString> keys;
    for (int i = first; i <= last; ++i)
        keys.insert(QString::number(i), prefix + QString::number(i));
    return keys;
}

} // namespace

TEST(MessageTable, HoldsTheBuiltInTextsByIndex)
{
    const MessageTable table;
    ASSERT_EQ(table.count(), 97);
    const struct {
        int index;
        const char *text;
    } rows[] = {
        {0, "Maximum Number of Characters reached:"},
        {Msg::DeleteCharacter, "Delete character \""},
        {Msg::SkippedTooSmall, "skipped - too small / short)"},
        {Msg::MightBeEncrypted, ", it might be encrypted."},
        {Msg::Pause, "&Pause  I I"},
        {Msg::Continue, "&Continue  >"},
        {Msg::NotConnected, "you are not connected to Intenet."},
        {Msg::Warning, "Warning"},
        {Msg::Error, "Error"},
        {Msg::Information, "Information"},
        {Msg::Confirm, "Confirm"},
        {Msg::ModeNone, "none"},
        {Msg::NegativeTimings, "Timings are negative, you may need to add a delay"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(table.text(row.index), QString::fromUtf8(row.text)) << "entry " << row.index;
    EXPECT_EQ(table.text(Msg::File), table.text(Msg::MatrixFile));
}

TEST(MessageTable, EveryEntryIsOneNonEmptyLineAndTheDiscHintNamesNoTool)
{
    const MessageTable table;
    for (int i = 0; i < Msg::Count; ++i) {
        EXPECT_FALSE(table.text(i).isEmpty()) << "entry " << i;
        EXPECT_FALSE(table.text(i).contains(QLatin1Char('\n'))) << "entry " << i;
        EXPECT_EQ(table.text(i), builtInMessage(i));
    }
    EXPECT_TRUE(table.text(Msg::EncryptedDiscHint).contains(QLatin1String("ncrypted")));
}

TEST(MessageTable, IndicesOutsideTheTableGiveEmptyText)
{
    const MessageTable table;
    EXPECT_TRUE(table.text(-1).isEmpty());
    EXPECT_TRUE(table.text(Msg::Count).isEmpty());
    EXPECT_TRUE(builtInMessage(Msg::Count).isEmpty());
}

TEST(MessageTable, ReplacementStopsAtTheFirstMissingOrEmptyKey)
{
    struct Row {
        const char *name;
        QHash<QString, QString> keys;
        int read;          // entries replaced or appended
        int count;         // table size afterwards
    };
    QHash<QString, QString> gapAt11 = translated(0, 96, QStringLiteral("T"));
    gapAt11.remove(QStringLiteral("11"));
    QHash<QString, QString> emptyAt5 = translated(0, 96, QStringLiteral("T"));
    emptyAt5.insert(QStringLiteral("5"), QString());
    const Row rows[] = {
        {"complete", translated(0, 96, QStringLiteral("T")), 97, 97},
        {"gap at 11", gapAt11, 11, 97},
        {"empty value at 5", emptyAt5, 5, 97},
        {"no section", {}, 0, 97},
        {"starts at 1", translated(1, 96, QStringLiteral("T")), 0, 97},
        {"98 keys", translated(0, 97, QStringLiteral("T")), 98, 98},
    };
    for (const Row &row : rows) {
        MessageTable table;
        EXPECT_EQ(table.replaceFrom(section(row.keys)), row.read) << row.name;
        ASSERT_EQ(table.count(), row.count) << row.name;
        for (int i = 0; i < table.count(); ++i) {
            const QString expected = i < row.read ? QStringLiteral("T%1").arg(i) : builtInMessage(i);
            ASSERT_EQ(table.text(i), expected) << row.name << ", entry " << i;
        }
    }
}

TEST(MessageTable, SwitchingToAShorterLanguageKeepsThePreviousLanguageAfterIt)
{
    MessageTable table;
    table.replaceFrom(section(translated(0, 96, QStringLiteral("first "))));
    table.replaceFrom(section(translated(0, 9, QStringLiteral("second "))));
    EXPECT_EQ(table.text(9), QStringLiteral("second 9"));
    EXPECT_EQ(table.text(10), QStringLiteral("first 10"));
    EXPECT_EQ(table.text(96), QStringLiteral("first 96"));

    table.resetToDefaults();
    EXPECT_EQ(table.text(10), builtInMessage(10));
}
