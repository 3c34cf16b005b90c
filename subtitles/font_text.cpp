// The text form of a writer's font in the configuration and the Output Format dialog: name,size,charset,styles.
#include "subtitles/font_text.h"

#include <QStringList>

namespace glyfex::subtitles {

namespace {

// Splits comma-separated items; double quotes keep commas inside an item, "" is a quote in it.
QStringList commaItems(const QString &text)
{
    QStringList items;
    QString item;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == u'"') {
                item += c;
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (c == u',' && !quoted) {
            items << item.trimmed();
            item.clear();
        } else {
            item += c;
        }
    }
    items << item.trimmed();
    return items;
}

QString commaItem(const QString &item)
{
    if (!item.contains(u',') && !item.contains(u'"') && !item.contains(u' '))
        return item;
    return u'"' + QString(item).replace(QLatin1String("\""), QLatin1String("\"\"")) + u'"';
}

int numberIn(const QString &item, int lowest, int highest, int fallback)
{
    bool ok = false;
    const int v = item.toInt(&ok);
    return ok && v >= lowest && v <= highest ? v : fallback;
}

} // namespace

std::optional<FontSpec> fontSpecFromText(const QString &text)
{
    const FontSpec defaults;
    if (text.trimmed().isEmpty())
        return defaults;
    const QStringList items = commaItems(text);
    if (items.size() < 2)
        return std::nullopt;
    FontSpec font;
    font.name = items[0];
    font.size = numberIn(items[1], 1, 1000, defaults.size);
    qsizetype styles = 2;
    if (items.size() > 2 && !items[2].isEmpty() && items[2][0].isDigit() && items[2][0].unicode() < 0x80) {
        font.charset = numberIn(items[2], 0, 255, defaults.charset);
        styles = 3;
    }
    for (qsizetype i = styles; i < items.size(); ++i) {
        const QString word = items[i].toUpper();
        if (word == QLatin1String("BOLD"))
            font.bold = true;
        else if (word == QLatin1String("ITALIC"))
            font.italic = true;
        else if (word == QLatin1String("UNDERLINE"))
            font.underline = true;
        else if (word == QLatin1String("STRIKEOUT"))
            font.strikeOut = true;
    }
    return font;
}

QString fontSpecText(const FontSpec &font)
{
    QStringList items{commaItem(font.name), QString::number(font.size), QString::number(font.charset)};
    if (font.bold)
        items << QStringLiteral("Bold");
    if (font.italic)
        items << QStringLiteral("Italic");
    if (font.underline)
        items << QStringLiteral("Underline");
    if (font.strikeOut)
        items << QStringLiteral("StrikeOut");
    return items.join(u',');
}

} // namespace glyfex::subtitles
