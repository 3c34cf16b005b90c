// HD VobSub material: SubRip-marked lines drawn by QPainter without smoothing, cut to their text and encoded by FFmpeg's DVD subtitle encoder.
#include "support/hd_vobsub.h"

#include "core/time_code.h"
#include "support/av_spu_demuxer.h"
#include "support/vob_builder.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRegularExpression>

#include <algorithm>

namespace glyfex::test {

namespace {

constexpr int kBottomMargin = 60; // rows between the last line and the frame's bottom

// The stretches of a line in one style: text, and whether it is inside <i>...</i>. Other markup is
// not drawn.
struct Run {
    QString text;
    bool italic = false;
};

std::vector<Run> runsOf(const QString &line, bool &italic)
{
    std::vector<Run> out;
    static const QRegularExpression tag(QStringLiteral("<(/?)([^<>]*)>"));
    qsizetype at = 0;
    auto add = [&](const QString &text) {
        if (!text.isEmpty())
            out.push_back({text, italic});
    };
    for (auto it = tag.globalMatch(line); it.hasNext();) {
        const auto m = it.next();
        add(line.mid(at, m.capturedStart() - at));
        if (m.captured(2).trimmed().compare(QStringLiteral("i"), Qt::CaseInsensitive) == 0)
            italic = m.captured(1).isEmpty();
        at = m.capturedEnd();
    }
    add(line.mid(at));
    return out;
}

// The text as subtitle renderers draw it, without the typeface's ligatures: a zero-width non-joiner after
// every "f" keeps "fi" and "ff" two letters, as the ground truth has them.
QString drawnText(QString text)
{
    return text.replace(QLatin1Char('f'), QStringLiteral("f\u200c"));
}

QByteArray timeText(uint32_t ms)
{
    return core::formatTimeCode(core::millisecondsToTimeCode(ms)).toLatin1();
}

} // namespace

std::vector<HdSubtitle> sampleHdSubtitles(int count)
{
    static const char *const kTexts[][2] = {
        {"Where are you going, J\u00fcrgen?", "<i>Home, before it rains.</i>"},
        {"\u00c4rger gibt es nur, wenn du l\u00fcgst.", "\u00d6ffne die T\u00fcr!"},
        {"It's 10:45 and we're late again.", "\"Quick,\" she said."},
        {"\u00c9lodie paid 38 euros; Zo\u00eb paid 27.", nullptr},
        {"<i>Nobody knows what happened.</i>", nullptr},
        {"QUIET! Everybody, sit down (now).", "Yes, sir - right away."},
        {"\u00dcbermorgen fahren wir nach K\u00f6ln.", "<i>Jawohl.</i>"},
        {"The fox jumped over 9 lazy dogs?", "Maybe... or maybe not."},
        {"That was <i>really</i> close, Mike.", nullptr},
        {"VERY BIG WORDS: JUMP, ZAP, QUIZ.", "Extra vowels: a\u00e0\u00e4 e\u00e9\u00e8 i o\u00f6 u\u00fc."},
        {"We need 6 of them by Friday.", "<i>- Why?</i> - Because I said so."},
        {"Gro\u00dfe \u00dcberraschung f\u00fcr \u00c4nne!", nullptr},
        {"Look at the sky: it's glowing.", "Hold on, I'll be back at 12."},
        {"Xavier quickly waxed the jeep.", "<i>What a weird night...</i>"},
        {"How much? Five pounds, fifty.", nullptr},
        {"Don't you dare, Vincent!", "OK, OK. I'm leaving."},
    };
    std::vector<HdSubtitle> out;
    const int n = int(std::size(kTexts));
    for (int i = 0; i < count; ++i) {
        HdSubtitle s;
        s.startMs = 1000 + uint32_t(i) * 3000;
        for (const char *line : kTexts[i % n])
            if (line)
                s.lines << QString::fromUtf8(line);
        out.push_back(s);
    }
    return out;
}

HdPicture drawHdSubtitle(const HdSubtitle &s, const HdTextStyle &style)
{
    QFont upright(style.family);
    upright.setPixelSize(style.pixelSize);
    upright.setStyleStrategy(QFont::NoAntialias);
    QFont italicFont = upright;
    italicFont.setItalic(true);
    const QFontMetrics metrics(upright);
    const int pitch = metrics.lineSpacing();
    const int pad = style.outline + 4;
    // Outline and text as two paths: the outline's pixels are those of the stroked and filled text
    // that the text itself does not cover.
    QPainterPath text;
    // Each character once more on its own, where the line puts it, to tell whose pixels are whose.
    std::vector<QPainterPath> characterPaths;
    std::vector<CharacterMap::Character> characters;
    bool italic = false;
    const int height = pitch * int(s.lines.size());
    for (int l = 0; l < s.lines.size(); ++l) {
        const std::vector<Run> runs = runsOf(s.lines[l], italic);
        int width = 0;
        for (const Run &r : runs)
            width += QFontMetrics(r.italic ? italicFont : upright).horizontalAdvance(drawnText(r.text));
        int x = (style.frameWidth - width) / 2;
        const int baseline = pitch * l + metrics.ascent();
        for (const Run &r : runs) {
            const QFont &font = r.italic ? italicFont : upright;
            const QString drawn = drawnText(r.text);
            text.addText(x, baseline, font, drawn);
            const QFontMetricsF exact(font);
            for (qsizetype k = 0; k < drawn.size(); ++k) {
                const qsizetype units = drawn[k].isHighSurrogate() && k + 1 < drawn.size() ? 2 : 1;
                const QString ch = drawn.mid(k, units);
                if (ch != QStringLiteral("\u200c") && !ch[0].isSpace()) {
                    QPainterPath one;
                    // The advance up to and with the character, less its own: kerned against the one before.
                    one.addText(x + exact.horizontalAdvance(drawn.left(k + units)) - exact.horizontalAdvance(ch), baseline,
                                font, ch);
                    characterPaths.push_back(one);
                    characters.push_back({l, ch, r.italic});
                }
                k += units - 1;
            }
            x += QFontMetrics(font).horizontalAdvance(drawn);
        }
    }
    QImage textMask(style.frameWidth, height + 2 * pad, QImage::Format_Grayscale8);
    textMask.fill(0);
    QImage outlineMask = textMask;
    {
        QPainter p(&textMask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.translate(0, pad);
        p.fillPath(text, Qt::white);
    }
    if (style.outline > 0) {
        QPainterPathStroker stroker;
        stroker.setWidth(2 * style.outline);
        stroker.setJoinStyle(Qt::RoundJoin);
        stroker.setCapStyle(Qt::RoundCap);
        QPainter p(&outlineMask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.translate(0, pad);
        p.fillPath(stroker.createStroke(text).united(text), Qt::white);
    }
    // Each text pixel goes to the character whose own drawing covers it; the few that none covers
    // (the line's layout places a glyph a fraction of a pixel apart) to the nearest one in their row.
    const int maskWidth = textMask.width();
    std::vector<uint16_t> labels(size_t(maskWidth) * size_t(textMask.height()), 0);
    const auto isText = [&](int x, int y) { return textMask.constScanLine(y)[x] > 127; };
    for (size_t c = 0; c < characterPaths.size() && c < 0xFFFF; ++c) {
        const QRect area = characterPaths[c].boundingRect().toAlignedRect().translated(0, pad).adjusted(-1, -1, 1, 1)
                         & textMask.rect();
        if (area.isEmpty())
            continue;
        QImage one(area.size(), QImage::Format_Grayscale8);
        one.fill(0);
        {
            QPainter p(&one);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.translate(-area.x(), pad - area.y());
            p.fillPath(characterPaths[c], Qt::white);
        }
        for (int y = 0; y < one.height(); ++y)
            for (int x = 0; x < one.width(); ++x) {
                const int fx = area.x() + x, fy = area.y() + y;
                uint16_t &label = labels[size_t(fy) * size_t(maskWidth) + size_t(fx)];
                if (one.constScanLine(y)[x] > 127 && isText(fx, fy) && label == 0)
                    label = uint16_t(c + 1);
            }
    }
    for (int y = 0; y < textMask.height(); ++y)
        for (int x = 0; x < maskWidth; ++x) {
            uint16_t *row = &labels[size_t(y) * size_t(maskWidth)];
            if (!isText(x, y) || row[x] != 0)
                continue;
            for (int d = 1; d <= 8 && row[x] == 0; ++d) {
                if (x - d >= 0 && isText(x - d, y) && row[x - d] != 0)
                    row[x] = row[x - d];
                else if (x + d < maskWidth && isText(x + d, y) && row[x + d] != 0)
                    row[x] = row[x + d];
            }
        }

    // Cut to the ink plus a margin.
    int left = textMask.width(), right = -1, top = textMask.height(), bottom = -1;
    for (int y = 0; y < textMask.height(); ++y) {
        const uchar *t = textMask.constScanLine(y);
        const uchar *o = outlineMask.constScanLine(y);
        for (int x = 0; x < textMask.width(); ++x) {
            if (t[x] > 127 || o[x] > 127) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    left = std::max(0, left - 2);
    right = std::min(textMask.width() - 1, right + 2);
    top = std::max(0, top - 2);
    bottom = std::min(textMask.height() - 1, bottom + 2);
    HdPicture out;
    out.codes.reset(right - left + 1, bottom - top + 1);
    out.x = left;
    out.y = std::max(0, style.frameHeight - kBottomMargin - out.codes.height);
    for (int y = 0; y < out.codes.height; ++y) {
        const uchar *t = textMask.constScanLine(top + y);
        const uchar *o = outlineMask.constScanLine(top + y);
        for (int x = 0; x < out.codes.width; ++x)
            out.codes.at(x, y) = t[left + x] > 127 ? 1 : o[left + x] > 127 ? 2 : 0;
    }
    CharacterMap &map = out.characters;
    map.startMs = s.startMs;
    map.width = out.codes.width;
    map.height = out.codes.height;
    map.characters = std::move(characters);
    int inkLeft = map.width, inkTop = map.height, inkRight = -1, inkBottom = -1;
    for (int y = 0; y < map.height; ++y)
        for (int x = 0; x < map.width; ++x)
            if (out.codes.at(x, y) != 0) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
            }
    if (inkRight >= 0) {
        map.inkX = inkLeft;
        map.inkY = inkTop;
        map.inkWidth = inkRight - inkLeft + 1;
        map.inkHeight = inkBottom - inkTop + 1;
    }
    map.labels.resize(size_t(map.width) * size_t(map.height));
    for (int y = 0; y < map.height; ++y)
        for (int x = 0; x < map.width; ++x)
            map.labels[size_t(y) * size_t(map.width) + size_t(x)] = labels[size_t(top + y) * size_t(maskWidth) + size_t(left + x)];
    return out;
}

QString writeHdVobSub(const QString &dir, const QString &base, const std::vector<HdSubtitle> &subtitles,
                      const HdTextStyle &style)
{
    QFont upright(style.family);
    upright.setPixelSize(style.pixelSize);
    upright.setStyleStrategy(QFont::NoAntialias);
    // Qt draws with another family when this one is not installed: the material would not be what the
    // caller asked for.
    if (QFontInfo(upright).family() != style.family)
        return QStringLiteral("the font family \"%1\" is not installed (Qt would draw %2)")
            .arg(style.family, QFontInfo(upright).family());

    std::vector<VobSubEntry> entries;
    std::vector<CharacterMap> maps;
    QByteArray srt;
    int number = 0;
    for (const HdSubtitle &s : subtitles) {
        const HdPicture drawn = drawHdSubtitle(s, style);
        if (drawn.codes.empty())
            return QStringLiteral("subtitle %1 draws no pixel").arg(number + 1);
        AvSpuSource source;
        source.frameWidth = style.frameWidth;
        source.frameHeight = style.frameHeight;
        source.width = drawn.codes.width;
        source.height = drawn.codes.height;
        source.x = drawn.x;
        source.y = drawn.y;
        source.codes = drawn.codes.bytes;
        // White text, an outline of the darkest grey but black, transparent background.
        source.paletteIndex = {0, 15, 1, 0};
        source.contrast = {0, 15, 15, 0};
        auto unit = encodeSpuUnit(source);
        if (!unit)
            return unit.error().message();
        entries.push_back({s.startMs, QByteArray(reinterpret_cast<const char *>(unit->data()), qsizetype(unit->size()))});
        maps.push_back(drawn.characters);

        ++number;
        srt += QByteArray::number(number) + "\n" + timeText(s.startMs) + " --> "
             + timeText(s.startMs + source.durationMs - 1) + "\n" + s.lines.join(QLatin1Char('\n')).toUtf8()
             + "\n\n";
    }
    std::array<uint32_t, 16> palette{};
    for (uint32_t k = 0; k < 16; ++k)
        palette[k] = avspu::paletteColour(int(k));
    const QDir folder(dir);
    const QString written = writeVobSubPair(folder.filePath(base + QStringLiteral(".sub")),
                                            folder.filePath(base + QStringLiteral(".idx")), style.frameWidth,
                                            style.frameHeight, palette, entries);
    if (!written.isEmpty())
        return written;
    QFile truth(folder.filePath(base + QStringLiteral(".srt")));
    if (!truth.open(QIODevice::WriteOnly) || truth.write(srt) != srt.size() || !truth.flush())
        return QStringLiteral("cannot write %1: %2").arg(truth.fileName(), truth.errorString());
    if (auto charsWritten = writeCharacterMaps(folder.filePath(base + QStringLiteral(".chars")), maps); !charsWritten)
        return charsWritten.error().message();
    return {};
}

} // namespace glyfex::test
