// The post-OCR passes that fit in a few lines each, and the run of all passes over the store.
#include "subtitles/post_ocr_correction.h"

#include "subtitles/correction_text.h"
#include "subtitles/punctuation_correction.h"
#include "subtitles/style_tags.h"
#include "subtitles/whole_word_styles.h"

#include <functional>
#include <vector>

namespace glyfex::subtitles {

namespace {

using namespace correction;

// Does this line end a sentence, so that the next one starts with a capital?
bool endsSentence(const QString &line)
{
    const QString text = stripStyleTags(line).trimmed();
    qsizetype end = text.size();
    while (end > 0 && in(text[end - 1].unicode(), u" \"'"))
        --end;
    if (end == 0)
        return false;
    if (!in(text[end - 1].unicode(), u"!).:?]"))
        return false;
    // A sentence continued after an ellipsis.
    return !(end >= 3 && QStringView(text).mid(end - 3, 3) == QLatin1String("..."));
}

} // namespace

int PostOcrOptions::passCount() const
{
    return int(apostrophes) + int(il) + int(punctuation) + int(orthography) + int(capitalLetters)
           + int(spacesBetweenNumbers) + int(wholeWords);
}

core::Result<PostOcrDictionaries> loadPostOcrDictionaries(const PostOcrOptions &options,
                                                          const QString &punctuationPath,
                                                          const QString &orthographyPath)
{
    PostOcrDictionaries dictionaries;
    if (options.punctuation) {
        auto loaded = loadDictionary(punctuationPath, options.codePage);
        if (!loaded)
            return loaded.error();
        dictionaries.punctuation = std::move(*loaded);
    }
    if (options.orthography) {
        auto loaded = loadDictionary(orthographyPath, options.codePage);
        if (!loaded)
            return loaded.error();
        dictionaries.orthography = std::move(*loaded);
    }
    return dictionaries;
}

QString correctApostrophes(QString line)
{
    line.replace(QChar(u'`'), QChar(u'\''));
    line.replace(QChar(u'\u00B4'), QChar(u'\''));
    replaceAll(line, u"''", u"\"");
    replaceAll(line, u"\"\"", u"\"");
    return line;
}

QString correctOrthography(QString line, const CorrectionDictionary &pairs)
{
    CharFilter chars(line);
    for (const ReplacementPair &pair : pairs) {
        if (chars.mayHold(pair.find) && replaceWithinLimit(line, pair.find, pair.replace))
            chars.add(pair.replace);
    }
    return line;
}

QString correctCapitalLetters(QString line, bool lowerCaseFirst, bool &sentenceStart)
{
    static const QString hiddenEllipsis = QStringLiteral("<><>");
    static const QString hiddenMark = QStringLiteral("()()");
    if (lowerCaseFirst)
        line = line.toLower();
    replaceAll(line, u"...", hiddenEllipsis);
    // Inside the line: a capital after each sentence mark and a blank.
    for (const char16_t mark : std::u16string_view(u"-.!?:")) {
        const QString pattern = QString(QChar(mark)) + QLatin1Char(' ');
        qsizetype k = line.indexOf(pattern);
        if (k <= 0)
            continue;
        for (; k > 0; k = line.indexOf(pattern, k)) {
            const bool decimal = mark == u'.' && isDigit(charAt(line, k - 1));
            const bool innerDash = mark == u'-' && !in(charAt(line, k - 2), u"!.?¡¿");
            line.replace(k, 1, hiddenMark);
            const qsizetype next = k + hiddenMark.size() + 1;
            if (!decimal && !innerDash && next < line.size())
                line[next] = line[next].toUpper();
        }
        replaceAll(line, hiddenMark, QStringView(&mark, 1));
    }
    replaceAll(line, hiddenEllipsis, u"...");
    if (sentenceStart && !line.startsWith(QLatin1Char('.'))) {
        qsizetype i = afterLeadingTags(line);
        if (charAt(line, i) != u'.') {
            while (i < line.size() && in(line[i].unicode(), u" \"#'-["))
                ++i;
            if (i < line.size())
                line[i] = line[i].toUpper();
        }
    }
    sentenceStart = endsSentence(line);
    return line;
}

QString removeSpacesBetweenNumbers(QString line)
{
    for (qsizetype i = 1; i + 1 < line.size();) {
        const char16_t before = line[i - 1].unicode();
        const char16_t after = line[i + 1].unicode();
        if (line[i] == u' ' && (isDigit(before) || before == u'/')
            && (in(after, u",./:") || isDigit(after) || (after == u'-' && isDigit(charAt(line, i + 2)))))
            line.remove(i, 1);
        else
            ++i;
    }
    return line;
}

bool correctStore(SubtitleStore &store, const PostOcrOptions &options, const PostOcrDictionaries &dictionaries,
                  core::PassHost &host)
{
    const int count = store.count();
    const int64_t total = int64_t(count) * options.passCount();
    if (total == 0)
        return true;
    std::vector<QStringList> lines;
    lines.reserve(size_t(count));
    for (const Subtitle &s : store.subs)
        lines.push_back(s.lines);
    const std::vector<QStringList> original = lines; // shares the text: no line is copied

    int64_t done = 0;
    // One pass: every line of every subtitle in store order, progress after each subtitle.
    auto pass = [&](const std::function<void(int sub, int line)> &perLine) {
        for (int i = 0; i < count; ++i) {
            for (int j = 0; j < lines[size_t(i)].size(); ++j)
                perLine(i, j);
            host.progress(++done, total);
            if (host.pump() == core::PumpResult::Cancel)
                return false;
        }
        return true;
    };
    auto line = [&](int i, int j) -> QString & { return lines[size_t(i)][j]; };

    if (options.apostrophes && !pass([&](int i, int j) { line(i, j) = correctApostrophes(line(i, j)); }))
        return false;
    if (options.il) {
        const bool ok = pass([&](int i, int j) {
            // The line before: in this subtitle, or the last of the subtitle before; none before the first.
            static const QString empty;
            const QString *previous = nullptr;
            if (j > 0)
                previous = &line(i, j - 1);
            else if (i > 0)
                previous = lines[size_t(i - 1)].isEmpty() ? &empty : &lines[size_t(i - 1)].back();
            line(i, j) = correctIl(line(i, j), previous, options.ilLanguage, options.textCharset);
        });
        if (!ok)
            return false;
    }
    if (options.punctuation) {
        const CorrectionDictionary pairs = punctuationPairs(dictionaries.punctuation);
        if (!pass([&](int i, int j) { line(i, j) = correctPunctuation(line(i, j), pairs); }))
            return false;
    }
    if (options.orthography
        && !pass([&](int i, int j) { line(i, j) = correctOrthography(line(i, j), dictionaries.orthography); }))
        return false;
    if (options.capitalLetters) {
        bool sentenceStart = true;
        if (!pass([&](int i, int j) {
                line(i, j) = correctCapitalLetters(line(i, j), options.lowerCaseBefore, sentenceStart);
            }))
            return false;
    }
    if (options.spacesBetweenNumbers
        && !pass([&](int i, int j) { line(i, j) = removeSpacesBetweenNumbers(line(i, j)); }))
        return false;
    if (options.wholeWords && !pass([&](int i, int j) { line(i, j) = formatWholeWords(line(i, j)); }))
        return false;

    // The window ran between subtitles: a reading pass may have added subtitles meanwhile, and a
    // subtitle whose text changed since the copy was made keeps the newer text.
    if (store.count() < count)
        return false;
    for (int i = 0; i < count; ++i) {
        Subtitle &s = store.subs[size_t(i)];
        if (s.lines == original[size_t(i)])
            s.lines = std::move(lines[size_t(i)]);
    }
    return true;
}

} // namespace glyfex::subtitles
