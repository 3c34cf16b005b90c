// Writers of the authoring-tool scripts that name one exported bitmap per subtitle: I-Author, Philips SVCD
// Designer, Sonic DVD Creator, Sonic Scenarist, Spruce DVDMaestro and Pinnacle Impression.
#include "subtitles/format_writers.h"
#include "subtitles/time_forms.h"

namespace glyfex::subtitles {

namespace {

using core::BmpOutPreset;

const QString kTab = QStringLiteral("\t");

const PictureScriptSource &sourceOf(const WriterContext &context)
{
    static const PictureScriptSource none;
    return context.scripts ? *context.scripts : none;
}

int red(uint32_t bgr) { return int(bgr & 0xFF); }
int green(uint32_t bgr) { return int((bgr >> 8) & 0xFF); }
int blue(uint32_t bgr) { return int((bgr >> 16) & 0xFF); }

int nibble(uint16_t word, int i) { return (word >> (4 * i)) & 0xF; }

// "(a b c d)" of the four nibbles of a word, pixel code 0 first, each plus add.
QString nibbleList(uint16_t word, int add = 0)
{
    return QStringLiteral("(%1 %2 %3 %4)")
        .arg(nibble(word, 0) + add)
        .arg(nibble(word, 1) + add)
        .arg(nibble(word, 2) + add)
        .arg(nibble(word, 3) + add);
}

QString contrastList(const std::array<uint8_t, 4> &c)
{
    return QStringLiteral("(%1 %2 %3 %4)").arg(c[0]).arg(c[1]).arg(c[2]).arg(c[3]);
}

// The bitmap's file name the run put into the first line.
QString nameOf(const Subtitle &sub)
{
    return sub.lines.isEmpty() ? QString() : sub.lines.first();
}

bool colorChanged(const Entry &entry)
{
    return !entry.previous || entry.previous->colorWord != entry.sub.colorWord;
}

bool contrastChanged(const Entry &entry)
{
    return !entry.previous || entry.previous->contrastWord != entry.sub.contrastWord;
}

// The colour and contrast lines before an entry whenever they change, as the Scenarist and
// DVDMaestro read them; indexBase is what their colour numbers start from.
void colorContrastLines(const WriterContext &context, const Entry &entry, int preset, int indexBase, LineSink &sink)
{
    if (sourceOf(context).customColors(preset))
        return;
    if (colorChanged(entry))
        sink.add(QStringLiteral("Color") + kTab + kTab + nibbleList(entry.sub.colorWord, indexBase));
    if (contrastChanged(entry))
        sink.add(QStringLiteral("Contrast") + kTab + nibbleList(entry.sub.contrastWord));
}

QString tvType(const WriterContext &context)
{
    return context.options.frameRateIndex == 1 ? QStringLiteral("NTSC") : QStringLiteral("PAL");
}

// The first lines the Scenarist and DVDMaestro share.
void sonicHeaderStart(const WriterContext &context, LineSink &sink)
{
    sink.add(QStringLiteral("st_format") + kTab + QStringLiteral("2"));
    sink.add(QStringLiteral("Display_Start") + kTab + QStringLiteral("non_forced"));
    sink.add(QStringLiteral("TV_Type") + kTab + kTab + tvType(context));
    sink.add(QStringLiteral("Tape_Type") + kTab +
             (context.dropFrame() ? QStringLiteral("DROP") : QStringLiteral("NON_DROP")));
}

QString rightAligned3(int v)
{
    return QStringLiteral("%1").arg(v, 3);
}

// The palette as a comment, numbered from 4 - preset (Scenarist 01, DVDMaestro 00).
void paletteComment(const WriterContext &context, int preset, LineSink &sink)
{
    const PictureScriptSource &source = sourceOf(context);
    sink.add(QStringLiteral("#"));
    sink.add(QStringLiteral("# Palette entries:"));
    sink.add(QStringLiteral("#"));
    const bool custom = source.customColors(preset);
    const int count = custom ? 4 : 16;
    for (int i = 0; i < count; ++i) {
        const uint32_t c = custom ? source.presets[size_t(preset)].customColor[size_t(i)] : source.dvdColors[size_t(i)];
        sink.add(QStringLiteral("# ") + writers::padded(i + 4 - preset) + QStringLiteral(" : RGB(") +
                 rightAligned3(red(c)) + QLatin1Char(',') + rightAligned3(green(c)) + QLatin1Char(',') +
                 rightAligned3(blue(c)) + QLatin1Char(')'));
    }
    sink.add(QStringLiteral("#"));
    sink.add(QString());
}

void customColorHeaderLines(const WriterContext &context, int preset, LineSink &sink)
{
    const PictureScriptSource &source = sourceOf(context);
    if (!source.customColors(preset))
        return;
    sink.add(QStringLiteral("Color") + kTab + kTab + QStringLiteral("(0 1 2 3)"));
    sink.add(QStringLiteral("Contrast") + kTab + contrastList(source.presets[size_t(preset)].customContrast));
}

QString spuNumberLine()
{
    return QStringLiteral("SP_NUMBER") + kTab + QStringLiteral("START") + kTab + kTab + QStringLiteral("END") + kTab +
           kTab + QStringLiteral("FILE_NAME");
}

QString directoryLine(const WriterContext &context)
{
    return QStringLiteral("Directory") + kTab + sourceOf(context).bitmapFolder;
}

// I-Author times: seconds with two decimals, 100 ms later.
QString iAuthorTime(const core::TimeCode &t)
{
    const int64_t m = core::timeCodeToMilliseconds(t) + 100;
    return QString::number(m / 1000) + QLatin1Char('.') + writers::padded((m % 1000) / 10);
}

QString rgbTriple(uint32_t c)
{
    return QStringLiteral("%1, %2, %3").arg(red(c)).arg(green(c)).arg(blue(c));
}

bool philipsFourBits(const PictureScriptSource &source)
{
    return source.presets[core::PresetPhilipsSvcd].depth == core::BmpOutSettings::FourBits;
}

} // namespace

void iAuthorPage(const WriterContext &context, const Subtitle &sub, int number, LineSink &sink)
{
    if (sub.lines.isEmpty())
        return;
    const PictureScriptSource &source = sourceOf(context);
    const core::BmpOutSettings &preset = source.presets[core::PresetIAuthor];
    const bool custom = source.customColors(core::PresetIAuthor);
    const QString at = QStringLiteral("TIME: ") + iAuthorTime(sub.start) + QLatin1Char(' ');
    const auto line = [&](const QString &text) {
        sink.add(text);
        sink.add(QString());
    };
    line(QStringLiteral("BMPFILE: ") + nameOf(sub));
    line(QStringLiteral("STARTTIME: ") + iAuthorTime(sub.start));
    for (int i = 0; i < 4; ++i) {
        const uint32_t c = custom ? preset.customColor[size_t(i)] : source.dvdColors[size_t(nibble(sub.colorWord, i))];
        line(at + QStringLiteral("SETCOLOR Primary %1, ").arg(i) + rgbTriple(c));
    }
    line(at + QStringLiteral("SETCOLOR Highlight 0, 16, 128, 128"));
    line(at + QStringLiteral("SETCOLOR Highlight 1, 209, 146, 17"));
    line(at + QStringLiteral("SETCOLOR Highlight 2, 81, 239, 91"));
    line(at + QStringLiteral("SETCOLOR Highlight 3, 144, 35, 54"));
    line(at + QStringLiteral("region %1, %2 to %3, %4").arg(sub.rect.left).arg(sub.rect.top).arg(sub.rect.right).arg(sub.rect.bottom));
    std::array<int, 4> blend;
    for (int i = 0; i < 4; ++i)
        blend[size_t(i)] = custom ? preset.customContrast[size_t(i)] : nibble(sub.contrastWord, i);
    line(at + QStringLiteral("SETBLEND Primary %1, %2, %3, %4").arg(blend[0]).arg(blend[1]).arg(blend[2]).arg(blend[3]));
    // The authoring tool reads this keyword as it is spelt here.
    line(at + QStringLiteral("SETBLEND Hightlight 0, 15, 15, 15"));
    line(at + QStringLiteral("FIELDINDEX 0, 1"));
    line(at + QStringLiteral("ENABLE_OGT"));
    line(QStringLiteral("TIME: ") + iAuthorTime(sub.stop) + QStringLiteral(" DISABLE_OGT"));
    line(QStringLiteral("************ Page #%1 Finished ***************").arg(number));
}

namespace writers {

void iAuthorHeader(const WriterContext &context, LineSink &sink)
{
    sink.add(QStringLiteral("*******IAUTHOR OGT GENERATED BY GLYFEX ") + QLatin1String(kProgramVersion) +
             QStringLiteral(" on ") + context.generatedAt);
    sink.add(QString(72, QLatin1Char('*')));
    sink.add(QString());
}

void philips(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    const PictureScriptSource &source = sourceOf(context);
    const Subtitle &sub = entry.sub;
    if (!source.customColors(core::PresetPhilipsSvcd)) {
        if (philipsFourBits(source) && colorChanged(entry))
            sink.add(QStringLiteral("COLOR") + kTab + kTab + nibbleList(sub.colorWord));
        if (contrastChanged(entry))
            sink.add(QStringLiteral("CONTRAST") + kTab + nibbleList(sub.contrastWord));
    }
    QString line = nameOf(sub) + QLatin1Char(' ') + ftc(context, sub.start) + QLatin1Char(' ') + ftc(context, sub.stop);
    for (int v : {sub.rect.right - sub.rect.left + 1, sub.rect.bottom - sub.rect.top + 1, sub.rect.left, sub.rect.top}) {
        line += QLatin1Char(' ');
        appendPadded(line, v, 3);
    }
    sink.add(line);
}

void philipsHeader(const WriterContext &context, LineSink &sink)
{
    const PictureScriptSource &source = sourceOf(context);
    sink.add(QStringLiteral("# PHILIPS SVCD DESIGNER 1.5 - 2.0 SUBTITLES FILE"));
    sink.add(QStringLiteral("#"));
    sink.add(QStringLiteral("# GENERATED BY Glyfex ") + QLatin1String(kProgramVersion) + QStringLiteral(" on ") +
             context.generatedAt);
    sink.add(QStringLiteral("#"));
    sink.add(QStringLiteral("[HEADER]"));
    sink.add(QStringLiteral("TITLE") + kTab + kTab + context.options.philipsTitle);
    sink.add(QStringLiteral("FRAMERATE") + kTab + tvType(context));
    if (context.options.frameRateIndex == 1)
        sink.add(QStringLiteral("DROPFRAME") + kTab + (context.options.dropFrame ? QStringLiteral("YES") : QStringLiteral("NO")));
    const core::BmpOutSettings &preset = source.presets[core::PresetPhilipsSvcd];
    const auto palette = [&](int count, auto colorOf) {
        sink.add(QString());
        sink.add(QStringLiteral("[PALETTE]"));
        for (int i = 0; i < count; ++i) {
            const uint32_t c = colorOf(i);
            sink.add(QStringLiteral("%1 (%2)").arg(i).arg(rgbTriple(c)));
        }
    };
    if (!source.customColors(core::PresetPhilipsSvcd)) {
        if (philipsFourBits(source))
            palette(16, [&](int i) { return source.dvdColors[size_t(i)]; });
    } else {
        sink.add(QStringLiteral("CONTRAST") + kTab + contrastList(preset.customContrast));
        if (philipsFourBits(source)) {
            sink.add(QStringLiteral("COLOR") + kTab + kTab + QStringLiteral("(0 1 2 3)"));
            palette(4, [&](int i) { return preset.customColor[size_t(i)]; });
        }
    }
    sink.add(QString());
    sink.add(QStringLiteral("[LIST]"));
}

void sonicDvdCreator(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    const Subtitle &sub = entry.sub;
    sink.add(padded(entry.number, 4) + QStringLiteral("  ") + ftc(context, sub.start) + QStringLiteral("  ") +
             ftc(context, sub.stop) + QStringLiteral("  ") + nameOf(sub));
    for (qsizetype j = 1; j < sub.lines.size(); ++j)
        sink.add(sub.lines[j]);
    sink.add(QString());
}

void scenarist(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    colorContrastLines(context, entry, core::PresetSonicScenarist, 1, sink);
    sink.add(QString::number(entry.number) + kTab + kTab + ftc(context, entry.sub.start) + kTab +
             ftc(context, entry.sub.stop) + kTab + nameOf(entry.sub));
}

void scenaristHeader(const WriterContext &context, LineSink &sink)
{
    const int y = sourceOf(context).presets[core::PresetSonicScenarist].cropMinY;
    sonicHeaderStart(context, sink);
    if (context.options.frameRateIndex == 1) {
        sink.add(QStringLiteral("Pixel_Area") + kTab + QStringLiteral("(0 %1)").arg(y - 1));
        sink.add(QStringLiteral("Display_Area") + kTab + QStringLiteral("(0 2 719 479)"));
    } else {
        sink.add(QStringLiteral("Pixel_Area") + kTab + QStringLiteral("(0 %1)").arg(y));
        sink.add(QStringLiteral("Display_Area") + kTab + QStringLiteral("(0 2 719 %1)").arg(y));
    }
    customColorHeaderLines(context, core::PresetSonicScenarist, sink);
    sink.add(QStringLiteral("E2") + kTab + kTab + QStringLiteral("(255 0 0 ===)"));
    sink.add(QStringLiteral("E1") + kTab + kTab + QStringLiteral("(0 0 0 ===)"));
    sink.add(QStringLiteral("PA") + kTab + kTab + QStringLiteral("(0 0 255 ===)"));
    sink.add(QStringLiteral("BG") + kTab + kTab + QStringLiteral("(255 255 255 ===)"));
    sink.add(directoryLine(context));
    sink.add(QString());
    paletteComment(context, core::PresetSonicScenarist, sink);
    sink.add(QString(57, QLatin1Char('#')));
    sink.add(spuNumberLine());
}

void maestro(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    const Subtitle &sub = entry.sub;
    colorContrastLines(context, entry, core::PresetSpruceDvdMaestro, 0, sink);
    if (context.options.maestroExtended) {
        QString area = QStringLiteral("Display_Area") + kTab + QLatin1Char('(');
        appendPadded(area, sub.rect.left, 3);
        for (int v : {sub.rect.top, sub.rect.right, sub.rect.bottom}) {
            area += QLatin1Char(' ');
            appendPadded(area, v, 3);
        }
        sink.add(area + QLatin1Char(')'));
    }
    sink.add(padded(int64_t(context.options.maestroOffset) + entry.number, 4) + kTab + kTab + ftc(context, sub.start) +
             kTab + ftc(context, sub.stop) + kTab + nameOf(sub));
}

void maestroHeader(const WriterContext &context, LineSink &sink)
{
    sonicHeaderStart(context, sink);
    sink.add(QStringLiteral("Pixel_Area") + kTab +
             (context.options.frameRateIndex == 1 ? QStringLiteral("(0 479)") : QStringLiteral("(0 575)")));
    sink.add(directoryLine(context));
    sink.add(QString());
    paletteComment(context, core::PresetSpruceDvdMaestro, sink);
    sink.add(spuNumberLine());
    customColorHeaderLines(context, core::PresetSpruceDvdMaestro, sink);
}

void pinnacle(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    sink.add(ftc(context, entry.sub.start) + QLatin1Char(' ') + ftc(context, entry.sub.stop) + QLatin1Char(' ') +
             nameOf(entry.sub));
}

void pinnacleHeader(const WriterContext &, LineSink &sink)
{
    sink.add(QString(49, QLatin1Char('-')));
    sink.add(QStringLiteral("#INPOINT OUTPOINT PATH"));
    sink.add(QString(49, QLatin1Char('-')));
}

} // namespace writers

// A blank or a tab inside a bitmap's name would split it in the scripts that separate fields by them.
bool nameBreaksScript(OutputFormat format, const Subtitle &sub)
{
    if (!isPictureScript(format) || format == OutputFormat::IAuthor)
        return false;
    const QString name = nameOf(sub);
    return name.contains(QLatin1Char(' ')) || name.contains(QLatin1Char('\t'));
}

} // namespace glyfex::subtitles
