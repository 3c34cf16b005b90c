// Reading an image-sequence script: every line classified, frame numbers with the delay in force, size-capped.
#include "sources/image_seq_script.h"

#include "core/file_read.h"
#include "subtitles/time_forms.h"

#include <QFileInfo>
#include <QList>

namespace glyfex::sources {

namespace {

// A frame number or delay as typed: a decimal whole number, 0 when it is not one. Values beyond what any
// video holds are kept as typed; the time conversion refuses them later.
int64_t wholeNumber(QStringView text)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    return ok ? int64_t(value) : 0;
}

// The sum of two frame counts, held at the ends of the range instead of wrapping.
int64_t addFrames(int64_t a, int64_t b)
{
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? INT64_MAX : INT64_MIN;
    return sum;
}

} // namespace

core::Result<ImageSeqScript> parseImageSeqScript(const QByteArray &text, const QString &where)
{
    if (text.size() > kMaxScriptBytes)
        return core::makeError(QStringLiteral("Image sequence script refused"), where,
                               QStringLiteral("it is larger than %1 bytes").arg(kMaxScriptBytes));
    ImageSeqScript script;
    int64_t delay = 0;
    // Scripts come from Windows tools: CR LF line ends, and a final line without one.
    const QString all = QString::fromUtf8(text);
    const QList<QStringView> lines = QStringView(all).split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QStringView line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1String("FrameRate="))) {
            script.frameRateText = line.mid(line.indexOf(QLatin1Char('=')) + 1).toString();
        } else if (line.startsWith(QLatin1String("Delay="))) {
            delay = wholeNumber(line.mid(line.indexOf(QLatin1Char('=')) + 1));
        } else if (line.startsWith(QLatin1Char('{'))) {
            // "{start}{stop}file"
            const qsizetype firstClose = line.indexOf(QLatin1Char('}'), 1);
            const qsizetype secondOpen = firstClose < 0 ? -1 : line.indexOf(QLatin1Char('{'), firstClose + 1);
            const qsizetype secondClose = secondOpen < 0 ? -1 : line.indexOf(QLatin1Char('}'), secondOpen + 1);
            if (secondClose < 0)
                return core::makeError(QStringLiteral("Image sequence script not read"),
                                       QStringLiteral("%1, line %2").arg(where).arg(n + 1),
                                       QStringLiteral("a picture line is written {start}{stop}file"));
            ScriptPicture picture;
            picture.startFrame = addFrames(wholeNumber(line.mid(1, firstClose - 1)), delay);
            picture.stopFrame = addFrames(wholeNumber(line.mid(secondOpen + 1, secondClose - secondOpen - 1)), delay);
            picture.file = line.mid(secondClose + 1).toString();
            script.pictures.push_back(std::move(picture));
        }
        // "Palette=" and every other line (empty ones too) say nothing about the pictures.
    }
    return script;
}

core::Result<ImageSeqScript> readImageSeqScript(const QString &path)
{
    const QString where = QFileInfo(path).fileName();
    const auto text = core::readPlainFile(path, kMaxScriptBytes, QStringLiteral("Image sequence script not read"),
                                          [&where](qint64) {
                                              return core::makeError(QStringLiteral("Image sequence script refused"), where,
                                                                     QStringLiteral("it is larger than %1 bytes").arg(kMaxScriptBytes));
                                          });
    if (!text) {
        // The file's own name, as the other errors of the script give it.
        core::Error e = text.error();
        e.where = where;
        return e;
    }
    return parseImageSeqScript(*text, where);
}

uint32_t sequenceFrameRateX1000(QStringView text)
{
    const auto rate = subtitles::parseFrameRateX1000(text);
    return rate.ok() && *rate > 0 ? *rate : 25000;
}

} // namespace glyfex::sources
