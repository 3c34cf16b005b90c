// Language files composed for translators: the translator from the credits, the kept notes, the left-out texts and the version.
#include "core/ini_store.h"
#include "core/language_file_writer.h"

#include "support/qt_print.h"

#include <gtest/gtest.h>

using namespace glyfex::core;

namespace {

const QStringList kCredits{
    QStringLiteral("TRANSLATION / UPDATE OF LANGUAGE FILES"),
    QStringLiteral("  * Deutsch.lng: Anna Beispiel"),
    QStringLiteral("  * Polski.lng: Jan Przyklad,"),
    QStringLiteral("    with corrections by"),
    QStringLiteral("    Ewa Wzor"),
    QStringLiteral("    and a fourth line never read"),
    QStringLiteral("  * Francais.lng : "),
    QStringLiteral(""),
    QStringLiteral("Italiano.lng"),
    QStringLiteral("  * Svenska.lng: first translator"),
    QStringLiteral("  * Svenska.lng: Sven Exempel"),
    QStringLiteral("    (update)"),
};

TEST(LanguageFileWriter, TranslatorComesFromTheCreditsLinesNamingTheFile)
{
    struct Row {
        const char *language;
        const char *expected;
    };
    const Row rows[] = {
        {"Deutsch", "Anna Beispiel"},                        // next line is a new entry: nothing more
        {"Polski", "Jan Przyklad,with corrections byEwa Wzor"}, // two following lines, trimmed, joined as they are
        {"Francais", "see Credits.txt"},                     // the text after ": " is empty
        {"Italiano", "taliano.lng"},                         // no ":": the line without its first character
        {"Svenska", "Sven Exempel(update)"},                 // the last line naming the file wins
        {"English", "see Credits.txt"},                      // not named at all
    };
    for (const Row &r : rows)
        EXPECT_EQ(translatorText(kCredits, QLatin1String(r.language)), QLatin1String(r.expected)) << r.language;
    EXPECT_EQ(translatorText({}, QStringLiteral("Deutsch")), QStringLiteral("see Credits.txt"));
}

TEST(LanguageFileWriter, NoteBlockRunsFromTheRuleToTheFirstEmptyLine)
{
    const QString rule(80, u'/');
    const QStringList notes{QStringLiteral("[Info]"), QStringLiteral("Language=Deutsch"), rule,
                            QStringLiteral("// keep the hot keys unique"), rule, QString(), rule,
                            QStringLiteral("// a second block is not copied")};
    EXPECT_EQ(noteBlock(notes), (QStringList{rule, QStringLiteral("// keep the hot keys unique"), rule}));

    const QStringList toTheEnd{QStringLiteral("[Info]"), rule, QStringLiteral("// note"), QStringLiteral("[Form1]"),
                               QStringLiteral("Form1.Caption=X")};
    EXPECT_EQ(noteBlock(toTheEnd), toTheEnd.mid(1));
    // 79 or 81 slashes are no rule.
    EXPECT_TRUE(noteBlock({QString(79, u'/'), QString(81, u'/'), QStringLiteral("x")}).isEmpty());
}

TEST(LanguageFileWriter, ComposesHeaderNotesAndImageWithoutTheProgramsOwnTexts)
{
    LanguageFileParts parts;
    parts.language = QStringLiteral("Deutsch");
    parts.version = QStringLiteral("1.50b1");
    parts.credits = kCredits;
    parts.existing = {QStringLiteral("[Info]"), QString(80, u'/'), QStringLiteral("// note"), QString(),
                      QStringLiteral("[Form1]")};
    parts.image = {
        QStringLiteral("[Form1]"),
        QStringLiteral("Form1.Caption=Glyfex 1.50b1"),
        QStringLiteral("ButtonPause.Caption=Pause"),
        QStringLiteral("LabelVobFile.Caption=film.vob"),
        QStringLiteral("TntBitButtonOpenVob.Caption=Open VOB(s)"),
        QString(),
        QStringLiteral("[Form1.MainMenu1]"),
        QStringLiteral("Options2.GUILanguage1=GUI &Language"),
        QStringLiteral("Options2.GUILanguage1.Language1=Deutsch"),
        QString(),
        QStringLiteral("[Form2]"),
        QStringLiteral("ButtonPause.Caption=Pause"), // only the main window's pause button is left out
        QString(),
        QStringLiteral("[Form13]"),
        QStringLiteral("EditSubviewerSource.Text=Glyfex 1.50b1 (1.50b1)"),
        QStringLiteral("EditOther.Text=Glyfex 1.50b1"),
        QStringLiteral("MDVDComboBox.Hint=frame rate"),
        QString(),
        QStringLiteral("[Messages]"),
        QStringLiteral("0=Maximum"),
        QString(),
    };
    const QStringList expected{
        QStringLiteral("[Info]"),
        QStringLiteral("Language=Deutsch"),
        QStringLiteral("Version=1.50b1"),
        QStringLiteral("Author=Anna Beispiel"),
        QStringLiteral("Comment=Please read Credits.txt, section TRANSLATION / UPDATE OF LANGUAGE FILES for additional "
                       "information and important notes, before..."),
        QString(80, u'/'),
        QStringLiteral("// note"),
        QString(),
        QStringLiteral("[Form1]"),
        QStringLiteral("Form1.Caption=Glyfex 1.50b1"),
        QStringLiteral("TntBitButtonOpenVob.Caption=Open VOB(s)"),
        QString(),
        QStringLiteral("[Form1.MainMenu1]"),
        QStringLiteral("Options2.GUILanguage1=GUI &Language"),
        QString(),
        QStringLiteral("[Form2]"),
        QStringLiteral("ButtonPause.Caption=Pause"),
        QString(),
        QStringLiteral("[Form13]"),
        QStringLiteral("EditSubviewerSource.Text=Glyfex ${VERSION} (1.50b1)"),
        QStringLiteral("EditOther.Text=Glyfex 1.50b1"),
        QString(),
        QStringLiteral("[Messages]"),
        QStringLiteral("0=Maximum"),
        QString(),
    };
    EXPECT_EQ(composeLanguageFile(parts), expected);
}

TEST(LanguageFileWriter, MissingCreditsAndLanguageFileStillGiveAFile)
{
    LanguageFileParts parts;
    parts.language = QStringLiteral("Klingon");
    parts.version = QStringLiteral("1.50b1");
    parts.image = {QStringLiteral("[Form1]"), QStringLiteral("Form1.Caption=Glyfex"), QString()};
    const QStringList lines = composeLanguageFile(parts);
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[3], QStringLiteral("Author=see Credits.txt"));
    EXPECT_EQ(lines[5], QString());
    EXPECT_EQ(lines[6], QStringLiteral("[Form1]"));
    // Written as a language file is read: UTF-16LE with its mark and CR LF.
    const QByteArray bytes = IniStore::bytesOf(lines);
    EXPECT_TRUE(bytes.startsWith("\xFF\xFE[\0I\0"));
    EXPECT_TRUE(bytes.endsWith(QByteArray("\r\0\n\0", 4)));
}

} // namespace
