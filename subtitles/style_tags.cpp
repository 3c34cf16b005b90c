// Style tags in subtitle text.
#include "subtitles/style_tags.h"

#include <array>

namespace glyfex::subtitles {

namespace {

constexpr std::array<const char *, 6> kTags{"<b>", "<i>", "<u>", "</b>", "</i>", "</u>"};

} // namespace

QString stripStyleTags(const QString &text)
{
    if (!text.contains(QLatin1Char('<')))
        return text;
    QString r = text;
    for (const char *tag : kTags)
        r.remove(QLatin1String(tag), Qt::CaseInsensitive);
    return r;
}

QString takeWholeLineStyles(QString &line)
{
    QString found;
    if (!line.startsWith(QLatin1Char('<')))
        return found;
    static constexpr std::array<char, 3> kLetters{'b', 'i', 'u'};
    for (char letter : kLetters) {
        const QString open = QStringLiteral("<%1>").arg(QLatin1Char(letter));
        const QString close = QStringLiteral("</%1>").arg(QLatin1Char(letter));
        if (line.size() < 7 || !line.startsWith(open, Qt::CaseInsensitive))
            continue;
        const qsizetype closeAt = line.indexOf(close, 0, Qt::CaseInsensitive);
        if (closeAt != line.size() - 4)
            continue;
        line = line.mid(3, line.size() - 7);
        found += QLatin1Char(letter);
    }
    return found;
}

QString quoteRemainingTags(QString text)
{
    if (text.contains(QLatin1Char('<'))) {
        for (const char *tag : kTags)
            text.replace(QLatin1String(tag), QStringLiteral("\""), Qt::CaseInsensitive);
    }
    text.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return text;
}

} // namespace glyfex::subtitles
