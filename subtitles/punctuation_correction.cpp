// The punctuation rules. Marks already judged are hidden behind placeholders ("<><>" an ellipsis,
// "[][]" a dash, "()()" a mark left alone) so that later rules do not judge them again.
#include "subtitles/punctuation_correction.h"

#include "subtitles/correction_text.h"

namespace glyfex::subtitles {

namespace {

using namespace correction;

const QString kEllipsisHidden = QStringLiteral("<><>");
const QString kDashHidden = QStringLiteral("[][]");
const QString kMarkHidden = QStringLiteral("()()");

// Rounds of one pair over one line.
constexpr int kMaxReplaceRounds = 64;

// "--" at the start (but not "---") is one dash misread twice.
void collapseLeadingDoubleDash(QString &line)
{
    const qsizetype i = afterLeadingTags(line);
    if (charAt(line, i) == u'-' && charAt(line, i + 1) == u'-' && charAt(line, i + 2) != u'-')
        line.remove(i, 1);
}

// Runs of exactly two dots are an ellipsis with a dot lost.
void completeTwoDotEllipses(QString &line)
{
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        if (line[i] != u'.')
            continue;
        qsizetype end = i;
        while (end < line.size() && line[end] == u'.')
            ++end;
        if (end - i == 2) {
            line.insert(i, QLatin1Char('.'));
            ++end;
        }
        i = end;
    }
}

// Each ellipsis hidden, with its blanks where they belong: attached to the word before it at the line
// end, to the word after it at the line start, and followed by a blank inside the line.
void placeEllipses(QString &line)
{
    for (qsizetype k = line.indexOf(QLatin1String("...")); k >= 0; k = line.indexOf(QLatin1String("..."))) {
        const qsizetype L = line.size();
        if (k == L - 3 && charAt(line, k - 1) == u' ') {
            line.replace(k - 1, 4, kEllipsisHidden);
        } else if (k == 0 && charAt(line, 3) == u' ') {
            line.replace(0, 4, kEllipsisHidden);
        } else if (k > 0 && k < L - 3 && !in(charAt(line, k + 3), u" ,<]") && !in(charAt(line, k - 2), u"!?")) {
            line.replace(k, 3, kEllipsisHidden + QLatin1Char(' '));
        } else if (k > 0 && k < L - 3 && in(charAt(line, k - 1), u"!?")) {
            // "Wait! ...now": the blank moves before the ellipsis.
            const bool blankAfter = charAt(line, k + 3) == u' ';
            line.replace(k, blankAfter ? 4 : 3, QLatin1Char(' ') + kEllipsisHidden);
        } else {
            line.replace(k, 3, kEllipsisHidden);
        }
    }
}

void tidyAroundEllipses(QString &line)
{
    if (!line.contains(kEllipsisHidden))
        return;
    static const std::pair<QString, QString> fixes[] = {
        {QStringLiteral("?<><> "), QStringLiteral("? <><>")},  {QStringLiteral("<><> ?"), QStringLiteral("<><>?")},
        {QStringLiteral("<><> !"), QStringLiteral("<><>!")},   {QStringLiteral("!<><> "), QStringLiteral("! <><>")},
        {QStringLiteral("\"<><> "), QStringLiteral("\"<><>")}, {QStringLiteral("<><> \""), QStringLiteral("<><>\"")},
        {QStringLiteral("- <><> "), QStringLiteral("<><>")},   {QStringLiteral("- <><>"), QStringLiteral("<><>")},
        {QStringLiteral("-<><> "), QStringLiteral("<><>")},    {QStringLiteral("-<><>"), QStringLiteral("<><>")},
        {QStringLiteral(" <><> "), QStringLiteral("<><> ")},   {QStringLiteral(",<><>"), QStringLiteral("<><>")}};
    for (const auto &[from, to] : fixes)
        replaceAll(line, from, to);
}

// Quotes hug what they quote.
void tightenQuotes(QString &line)
{
    const qsizetype quotes = line.count(QLatin1Char('"'));
    if (quotes % 2 == 0) {
        bool open = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] != u'"')
                continue;
            if (!open) {
                if (charAt(line, i + 1) == u' ')
                    line.remove(i + 1, 1);
            } else if (charAt(line, i - 1) == u' ') {
                line.remove(i - 1, 1);
                --i;
            }
            open = !open;
        }
        return;
    }
    if (line.startsWith(QLatin1String("\" ")))
        line.remove(1, 1);
    const qsizetype blankQuote = line.indexOf(QLatin1String(" \""));
    if (blankQuote >= 0 && blankQuote == line.size() - 2)
        line.remove(blankQuote, 1);
}

// A dash that opens a line or follows a sentence end (or a tag) is a speaker's dash: a blank after it.
void placeDashes(QString &line)
{
    for (qsizetype k = line.indexOf(QLatin1Char('-')); k >= 0; k = line.indexOf(QLatin1Char('-'))) {
        const char16_t after = charAt(line, k + 1);
        const bool wordFollows = after != 0 && after != u' ';
        const bool speaker = (k == 0 && wordFollows)
                             || ((in(charAt(line, k - 2), u"!.>?") || charAt(line, k - 1) == u'>') && wordFollows);
        line.replace(k, 1, speaker ? kDashHidden + QLatin1Char(' ') : kDashHidden);
    }
}

bool holdsAddress(const QString &line)
{
    for (const char *marker : {"www.", ".com ", ".pl ", ".cz ", "@", "tp://"}) {
        if (line.contains(QLatin1String(marker)))
            return true;
    }
    return false;
}

// A blank after each mark that runs into the next word, except in numbers ("3.5", "10:30") and
// abbreviations ("e.g.").
void spaceAfterMarks(QString &line)
{
    for (const char16_t mark : std::u16string_view(u".,:;%$")) {
        qsizetype k = line.indexOf(QChar(mark));
        if (k < 0)
            continue;
        for (; k >= 0; k = line.indexOf(QChar(mark), k)) {
            const char16_t after = charAt(line, k + 1);
            const bool leave = k == line.size() - 1 || in(after, u" \"!'),<?]}") || isDigit(charAt(line, k - 1))
                               || isDigit(after) || charAt(line, k + 2) == u'.';
            line.replace(k, 1, leave ? kMarkHidden : kMarkHidden + QLatin1Char(' '));
        }
        replaceAll(line, kMarkHidden, QStringView(&mark, 1));
    }
}

void spaceAfterExclamations(QString &line)
{
    for (const char16_t mark : std::u16string_view(u"!?")) {
        for (qsizetype k = 0; k + 1 < line.size(); ++k) {
            if (line[k] == mark && !in(line[k + 1].unicode(), u" \"!)<?]}"))
                line.insert(k + 1, QLatin1Char(' '));
        }
    }
}

} // namespace

void replaceWhileFound(QString &line, const ReplacementPair &pair)
{
    for (int round = 0; round < kMaxReplaceRounds && replaceWithinLimit(line, pair.find, pair.replace); ++round) {
    }
}

CorrectionDictionary punctuationPairs(const CorrectionDictionary &userPairs)
{
    CorrectionDictionary pairs = userPairs;
    pairs.append({QStringLiteral("  "), QStringLiteral(" ")});
    return pairs;
}

QString correctPunctuation(QString line, const CorrectionDictionary &pairs)
{
    collapseLeadingDoubleDash(line);
    CharFilter chars(line);
    for (const ReplacementPair &pair : pairs) {
        if (chars.mayHold(pair.find)) {
            replaceWhileFound(line, pair);
            chars.add(pair.replace);
        }
    }
    completeTwoDotEllipses(line);
    placeEllipses(line);
    tidyAroundEllipses(line);
    tightenQuotes(line);
    placeDashes(line);
    if (!holdsAddress(line))
        spaceAfterMarks(line);
    spaceAfterExclamations(line);
    replaceAll(line, kDashHidden, u"-");
    replaceAll(line, kEllipsisHidden, u"...");
    return line;
}

} // namespace glyfex::subtitles
