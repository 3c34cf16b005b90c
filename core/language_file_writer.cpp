// Language files for translators composed from the program's texts, the credits and the kept notes.
#include "core/language_file_writer.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace glyfex::core {

namespace {

// Lines left out per section: texts the program sets while it runs, which no translator should touch.
const QHash<QString, QStringList> &skipList()
{
    static const QHash<QString, QStringList> list{
        {QStringLiteral("[Form1]"),
         {QStringLiteral("ButtonPause.Caption"), QStringLiteral("LabelNbSup.Caption"),
          QStringLiteral("LabelVobFile.Caption"), QStringLiteral("LabelVobNum.Caption"),
          QStringLiteral("LabelVobNb.Caption"), QStringLiteral("LabelTotalNbSup.Caption"),
          QStringLiteral("LabelTime.Caption"), QStringLiteral("LabelTime7.Caption")}},
        {QStringLiteral("[Form1.MainMenu1]"), {QStringLiteral("Options2.GUILanguage1.")}},
        // The preview options button and the Remember box keep one caption here: it is written so that it
        // can be translated.
        {QStringLiteral("[Form2]"), {QStringLiteral("Button01.Caption")}},
        {QStringLiteral("[Form3]"), {QStringLiteral("CheckBoxScrollDown.Caption")}},
        {QStringLiteral("[Form6]"),
         {QStringLiteral("ButtonOpenCharMatrixFile.Caption"), QStringLiteral("ButtonNewMatrix.Caption"),
          QStringLiteral("RadioGroupAction.Caption")}},
        {QStringLiteral("[Form10]"), {QStringLiteral("RadioGroupCorrectIlLanguage.Caption")}},
        {QStringLiteral("[Form13]"), {QStringLiteral("MDVDComboBox.Hint")}},
        {QStringLiteral("[Form17]"),
         {QStringLiteral("LabelEndOfFile.Caption"), QStringLiteral("LabelStartSplit.Caption"),
          QStringLiteral("LabelStopSplit.Caption")}},
        {QStringLiteral("[Form18]"),
         {QStringLiteral("ButtonReduceWindow.Caption"), QStringLiteral("LabelClr1.Caption"),
          QStringLiteral("LabelClr2.Caption"), QStringLiteral("LabelClr3.Caption"),
          QStringLiteral("LabelClr4.Caption"), QStringLiteral("RadioGroupPresetPaletteIndex.Items")}},
    };
    return list;
}

const std::array<QLatin1String, 3> kVersionedTexts{QLatin1String("EditSubviewerSource.Text"),
                                                   QLatin1String("EditSubviewer2Source.Text"),
                                                   QLatin1String("EditDVDSubtitleInfo.Text")};

} // namespace

bool isProgramsOwnLine(const QString &section, const QString &line)
{
    const QStringList skipped = skipList().value(section);
    return std::any_of(skipped.begin(), skipped.end(), [&](const QString &s) { return line.contains(s); });
}

QString translatorText(const QStringList &credits, const QString &language)
{
    const QString name = language + QStringLiteral(".lng");
    auto continues = [&](qsizetype i) {
        return i < credits.size() && !credits[i].isEmpty() && !credits[i].startsWith(QLatin1String("  * "));
    };
    QString a, b, c;
    for (qsizetype i = 0; i < credits.size(); ++i) {
        const QString &line = credits[i];
        if (!line.contains(name))
            continue;
        const qsizetype colon = line.indexOf(u':');
        a = colon >= 0 ? line.mid(colon + 2) : line.mid(1);
        if (continues(i + 1)) {
            b = credits[i + 1].trimmed();
            if (continues(i + 2))
                c = credits[i + 2].trimmed();
        }
    }
    if (a.isEmpty())
        return QStringLiteral("see Credits.txt");
    return a + b + c;
}

QStringList noteBlock(const QStringList &lines)
{
    const QString rule(80, u'/');
    const qsizetype start = lines.indexOf(rule);
    if (start < 0)
        return {};
    QStringList block;
    for (qsizetype i = start; i < lines.size() && !lines[i].isEmpty(); ++i)
        block.append(lines[i]);
    return block;
}

QStringList composeLanguageFile(const LanguageFileParts &parts)
{
    QStringList out{QStringLiteral("[Info]"),
                    QStringLiteral("Language=") + parts.language,
                    QStringLiteral("Version=") + parts.version,
                    QStringLiteral("Author=") + translatorText(parts.credits, parts.language),
                    QStringLiteral("Comment=Please read Credits.txt, section TRANSLATION / UPDATE OF LANGUAGE FILES "
                                   "for additional information and important notes, before...")};
    out += noteBlock(parts.existing);
    out.append(QString());
    QString section;
    for (const QString &line : parts.image) {
        if (line.startsWith(u'[')) {
            section = line;
            out.append(line);
            continue;
        }
        if (isProgramsOwnLine(section, line))
            continue;
        QString kept = line;
        if (section == QLatin1String("[Form13]") && !parts.version.isEmpty() &&
            std::any_of(kVersionedTexts.begin(), kVersionedTexts.end(), [&](QLatin1String s) { return line.contains(s); })) {
            if (const qsizetype at = kept.indexOf(parts.version); at >= 0)
                kept.replace(at, parts.version.size(), QStringLiteral("${VERSION}"));
        }
        out.append(kept);
    }
    return out;
}

} // namespace glyfex::core
