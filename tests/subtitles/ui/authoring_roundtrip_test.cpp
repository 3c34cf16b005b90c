// End to end through an authoring tool: the bitmaps and script a run saves (Scenarist and DVDMaestro layouts) are
// turned into spumux's XML and PNG pictures, muxed into a PAL DVD stream, and FFmpeg's decoding of the result
// must show every subtitle's pixels and times where the source DVD had them.
#include "subtitles/ui/bitmap_adjust_dialog.h"

#include "core/ini_store.h"
#include "support/app_test.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "sources/image_seq_script.h"
#include "sources/image_sequence.h"
#include "sources/sequence_picture.h"
#include "subtitles/ui/subtitles_window.h"
#include "support/av_bmp_decoder.h"
#include "support/av_spu_demuxer.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace glyfex::subtitles {
// Listings show a format by its caption rather than as a byte.
static void PrintTo(OutputFormat format, std::ostream *os) { *os << outputFormatInfo(format).caption; }
} // namespace glyfex::subtitles

namespace glyfex::subtitles::ui {
namespace {

const QString kDvd = QStringLiteral(GLYFEX_TEST_DATA_DIR "/dvd-pal-sans/dvd/VIDEO_TS");

// One picture as the script places it.
struct ScriptEntry {
    QString file;
    int startMs = 0;
    int stopMs = 0;
    int x = 0;
    int y = 0;
    std::array<int, 4> contrast{};
};

// "hh:mm:ss:ff" at 25 frames a second.
int ftcMs(const QString &text)
{
    const QStringList p = text.split(QLatin1Char(':'));
    if (p.size() != 4)
        return -1;
    return ((p[0].toInt() * 60 + p[1].toInt()) * 60 + p[2].toInt()) * 1000 + p[3].toInt() * 40;
}

std::array<int, 4> fourNumbers(const QString &list)
{
    std::array<int, 4> v{};
    const QStringList p = list.mid(1, list.size() - 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i < 4 && i < p.size(); ++i)
        v[size_t(i)] = p[i].toInt();
    return v;
}

// Reads a Scenarist or DVDMaestro script the way their tools do: tab-separated keys, colour and contrast
// changes that hold for the entries after them, the display area of the header or of each entry.
std::vector<ScriptEntry> readScript(const QString &path, QString &folder)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<ScriptEntry> entries;
    ScriptEntry next;
    for (const QString &line : QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"))) {
        const QStringList f = line.split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        if (f.size() < 2 || line.startsWith(QLatin1Char('#')))
            continue;
        if (f[0] == QLatin1String("Directory"))
            folder = f[1];
        else if (f[0] == QLatin1String("Contrast"))
            next.contrast = fourNumbers(f[1]);
        else if (f[0] == QLatin1String("Display_Area")) {
            const auto area = fourNumbers(f[1]);
            next.x = area[0];
            next.y = area[1];
        } else if (f.size() == 4 && f[0].toInt() > 0) {
            next.startMs = ftcMs(f[1]);
            next.stopMs = ftcMs(f[2]);
            next.file = f[3];
            entries.push_back(next);
        }
    }
    return entries;
}

// The frame positions of the visible pixels of a decoded subpicture.
std::set<std::pair<int, int>> visiblePixels(const test::AvSpuPicture &p)
{
    std::set<std::pair<int, int>> set;
    for (int row = 0; row < p.height; ++row)
        for (int col = 0; col < p.width; ++col)
            if (p.contrast[p.pixels[size_t(row * p.width + col)] & 3] > 0)
                set.insert({p.x + col, p.y + row});
    return set;
}

struct Shown {
    std::set<std::pair<int, int>> pixels;
    int startMs = 0;
    int stopMs = 0;
};

// ffprobe's start time of the first video stream, ms: subpicture times count from there.
int videoStartMs(const QString &path)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream=start_time",
                                             "-of", "csv=p=0", path});
    EXPECT_TRUE(probe.waitForFinished(60000));
    const QString first = QString::fromLatin1(probe.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0);
    return qRound(first.section(QLatin1Char(','), 0, 0).trimmed().toDouble() * 1000);
}

// Every subpicture of stream 0 with its times on the stream's clock, less fromMs.
std::vector<Shown> shownSubtitles(const QString &path, int fromMs)
{
    std::vector<Shown> shown;
    auto units = test::demuxSpuUnits(path);
    EXPECT_TRUE(units.ok()) << (units.ok() ? "" : units.error().message().toStdString());
    auto decoder = test::AvSpuDecoder::open();
    EXPECT_TRUE(decoder.ok());
    if (!units || !decoder)
        return shown;
    for (const test::AvSpuUnit &u : *units) {
        if (u.substream != 0)
            continue;
        const test::AvSpuPicture p = (*decoder)->decode(u.bytes);
        if (!p.hasPicture)
            continue;
        const int at = int(u.pts90k / 90) - fromMs;
        shown.push_back({visiblePixels(p), at + int(p.startMs), at + int(p.endMs)});
    }
    return shown;
}

QString spumuxTime(int ms)
{
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

class SavingBitmaps : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        ASSERT_TRUE(work.isValid());
        for (const char *name : {"VTS_01_0.IFO", "VTS_01_1.VOB"})
            ASSERT_TRUE(QFile::copy(kDvd + QLatin1Char('/') + QLatin1String(name), work.filePath(QLatin1String(name))));
        // Each tool's presets as a first start reads them (the test's app loads no configuration).
        app.presets = core::readBmpOutPresets(core::IniStore(), core::DefaultBmpOutPreset);
        app.mainWindow()->show();
        ASSERT_TRUE(app.inputDialog()->openInputFile(work.filePath(QStringLiteral("VTS_01_0.IFO"))));
    }

    void runToEnd()
    {
        for (int tick = 0; tick < 50 && !app.batch.finished() && !app.batch.paused; ++tick)
            app.mainWindow()->batchTick();
    }

    QString run(const QString &program, const QStringList &args, const QString &in = {}, const QString &out = {})
    {
        QProcess p;
        if (!in.isEmpty())
            p.setStandardInputFile(in);
        if (!out.isEmpty())
            p.setStandardOutputFile(out);
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(120000)) << program.toStdString();
        EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << p.readAllStandardError().toStdString();
        return QString::fromLatin1(p.readAllStandardError());
    }

    // Starts saving the DVD's bitmaps with their subtitles into out/movie*.
    void startSaving(const QDir &out)
    {
        ASSERT_TRUE(QDir().mkpath(out.path()));
        app.inputDialog()->setAction(picture::ActionMode::SaveBitmaps);
        // Each saved bitmap becomes a subtitle with its times and rectangle.
        auto *timing = app.inputDialog()->findChild<QCheckBox *>(QStringLiteral("CheckBoxPictTiming"));
        ASSERT_NE(timing, nullptr);
        timing->setChecked(true);
        files.names = {out.filePath(QStringLiteral("movie"))};
        ASSERT_TRUE(app.inputDialog()->start());
        runToEnd();
    }

    QTemporaryDir work;
};

class AuthoringRoundTrip : public SavingBitmaps, public testing::WithParamInterface<OutputFormat> {
protected:
    // The run for the tool: its preset and script become current as the command line makes them, the
    // DVD's ten bitmaps are saved into out, and the tool's script next to them, read back as the tool reads it.
    void saveForTool(const QDir &out, std::vector<ScriptEntry> &entries, QString &folder)
    {
        const OutputFormat format = GetParam();
        auto *dialog = qobject_cast<BitmapAdjustDialog *>(app.window(QStringLiteral("Form18")));
        ASSERT_NE(dialog, nullptr);
        dialog->session().runUnattended(format);
        auto *subtitles = qobject_cast<SubtitlesWindow *>(app.subtitlesWindow());
        ASSERT_EQ(subtitles->outputFormat(), format);

        startSaving(out);
        ASSERT_EQ(app.subtitles.count(), 10);
        EXPECT_EQ(bitmapAdjust.shown, 1) << "the Bitmap adjustment dialog comes before the first picture only";

        const QString script = out.filePath(QStringLiteral("script.") + defaultExtension(format));
        subtitles->saveAs();
        files.names = {script};
        subtitles->saveAnsi();
        entries = readScript(script, folder);
        ASSERT_EQ(entries.size(), 10u);
        EXPECT_EQ(QDir(folder), out) << "the script names the folder of the bitmaps";
    }
};

TEST_P(AuthoringRoundTrip, SubtitlesLandWhereTheSourceHadThem)
{
    const QDir out(work.filePath(QStringLiteral("out")));
    std::vector<ScriptEntry> entries;
    QString folder;
    ASSERT_NO_FATAL_FAILURE(saveForTool(out, entries, folder));

    // spumux reads PNG only: the bitmaps become PNG pictures, transparent where the contrast is 0.
    QString xml = QStringLiteral("<subpictures format=\"PAL\">\n <stream>\n");
    for (size_t i = 0; i < entries.size(); ++i) {
        const ScriptEntry &e = entries[i];
        QFile bmp(QDir(folder).filePath(e.file));
        ASSERT_TRUE(bmp.open(QIODevice::ReadOnly)) << bmp.fileName().toStdString();
        auto decoded = test::decodeBmpWithFfmpeg(bmp.readAll());
        ASSERT_TRUE(decoded.ok()) << e.file.toStdString();
        QImage png(decoded->width, decoded->height, QImage::Format_ARGB32);
        static const QRgb kShade[4] = {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(255, 0, 0)};
        for (int y = 0; y < decoded->height; ++y)
            for (int x = 0; x < decoded->width; ++x) {
                const int code = decoded->indices[size_t(y * decoded->width + x)] & 3;
                png.setPixel(x, y, e.contrast[size_t(code)] > 0 ? kShade[code] : qRgba(0, 0, 0, 0));
            }
        const QString pngName = out.filePath(QStringLiteral("%1.png").arg(i));
        ASSERT_TRUE(png.save(pngName, "PNG"));
        xml += QStringLiteral("  <spu start=\"%1\" end=\"%2\" image=\"%3\" xoffset=\"%4\" yoffset=\"%5\"/>\n")
                   .arg(spumuxTime(e.startMs), spumuxTime(e.stopMs), pngName)
                   .arg(e.x)
                   .arg(e.y);
    }
    xml += QStringLiteral(" </stream>\n</subpictures>\n");
    QFile xmlFile(out.filePath(QStringLiteral("subpictures.xml")));
    ASSERT_TRUE(xmlFile.open(QIODevice::WriteOnly));
    xmlFile.write(xml.toUtf8());
    xmlFile.close();

    const QString video = out.filePath(QStringLiteral("video.mpg"));
    const QString seconds = QString::number(entries.back().stopMs / 1000 + 2);
    run(QStringLiteral("ffmpeg"), {"-loglevel", "error", "-y", "-f", "lavfi", "-i", "color=black:s=720x576:r=25:d=" + seconds,
                                   "-f", "lavfi", "-i", "anullsrc=r=48000:cl=stereo", "-t", seconds, "-target", "pal-dvd", video});
    const QString muxed = out.filePath(QStringLiteral("muxed.mpg"));
    const QString log = run(QStringLiteral("spumux"), {"-m", "dvd", "-s", "0", "-P", xmlFile.fileName()}, video, muxed);
    // spumux skips a picture it cannot use and still exits 0: only its count tells.
    EXPECT_TRUE(log.contains(QStringLiteral("10 subtitles added, 0 subtitles skipped"))) << log.right(400).toStdString();

    // The run keeps the times of the source's stream clock; an authoring tool counts script times from
    // the first frame of the video it is given.
    const std::vector<Shown> source = shownSubtitles(work.filePath(QStringLiteral("VTS_01_1.VOB")), 0);
    const std::vector<Shown> authored = shownSubtitles(muxed, videoStartMs(muxed));
    ASSERT_EQ(source.size(), 10u);
    ASSERT_EQ(authored.size(), source.size());
    for (size_t i = 0; i < source.size(); ++i) {
        EXPECT_EQ(authored[i].pixels, source[i].pixels) << "subtitle " << i + 1;
        // Frame time codes hold a time to the nearest frame (40 ms).
        EXPECT_NEAR(authored[i].startMs, source[i].startMs, 40) << "subtitle " << i + 1;
        EXPECT_NEAR(authored[i].stopMs, source[i].stopMs, 40) << "subtitle " << i + 1;
    }
}

int timeMs(const core::TimeCode &t)
{
    return ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.fraction;
}

// The sequence input's script numbers pictures in frames ("{start}{stop}file"), which neither authoring
// layout writes: each line of the saved script becomes one such line with the same frames at 25 a second.
// Read back through the sequence input, the bitmaps must come with the times the run stored, to the frame,
// and as the palette pictures they were written as.
TEST_P(AuthoringRoundTrip, SavedBitmapsReadBackAsASequenceWithTheirTimes)
{
    const QDir out(work.filePath(QStringLiteral("out")));
    std::vector<ScriptEntry> entries;
    QString folder;
    ASSERT_NO_FATAL_FAILURE(saveForTool(out, entries, folder));

    QByteArray frames("FrameRate=25\r\n");
    for (const ScriptEntry &e : entries) {
        ASSERT_EQ(e.startMs % 40, 0);
        frames += QStringLiteral("{%1}{%2}%3\r\n").arg(e.startMs / 40).arg(e.stopMs / 40).arg(e.file).toLatin1();
    }
    const QString sequenceScript = QDir(folder).filePath(QStringLiteral("sequence.txt"));
    QFile file(sequenceScript);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(frames);
    file.close();

    auto plan = sources::planSequence(sequenceScript);
    ASSERT_TRUE(plan.ok()) << plan.error().message().toStdString();
    ASSERT_TRUE(plan->script);
    ASSERT_EQ(plan->entries.size(), 10);
    const uint32_t fps = sources::sequenceFrameRateX1000(*plan->frameRateText);
    for (int i = 0; i < plan->entries.size(); ++i) {
        const Subtitle &stored = app.subtitles.subs[size_t(i)];
        auto times = sources::sequenceTimes(*plan, i, fps);
        ASSERT_TRUE(times.ok()) << i;
        // A frame time code holds a time to the nearest frame (40 ms).
        EXPECT_NEAR(timeMs(times->start), timeMs(stored.start), 20) << "subtitle " << i + 1;
        EXPECT_NEAR(timeMs(times->stop), timeMs(stored.stop), 20) << "subtitle " << i + 1;

        const QString path = sources::resolveScriptEntry(plan->folder, plan->entries[i]);
        auto image = sources::loadSequencePicture(path);
        ASSERT_TRUE(image.ok()) << image.error().message().toStdString();
        EXPECT_EQ(image->format(), QImage::Format_Indexed8) << path.toStdString();
        QFile bmp(path);
        ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
        auto decoded = test::decodeBmpWithFfmpeg(bmp.readAll());
        ASSERT_TRUE(decoded.ok());
        const picture::CodeImage codes = sources::toCodeImage(*image);
        ASSERT_EQ(codes.width, decoded->width);
        ASSERT_EQ(codes.height, decoded->height);
        // Every index must arrive as its own code, in the sequence tools' order (3 text, 2 and 1 the edges,
        // 0 background). The run writes the DVD's own codes, so the DVD's text (index 1) arrives as code 3.
        static const uint8_t kCode[4] = {0, 3, 2, 1};
        int ink = 0;
        for (int p = 0; p < codes.width * codes.height; ++p) {
            const uint8_t index = decoded->indices[size_t(p)];
            ASSERT_LT(index, 4) << "pixel " << p;
            EXPECT_EQ(codes.bytes[size_t(p)], kCode[index]) << "pixel " << p;
            ink += index != 0;
        }
        EXPECT_GT(ink, 0) << "subtitle " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, AuthoringRoundTrip,
                         testing::Values(OutputFormat::SonicScenarist, OutputFormat::SpruceDvdMaestro),
                         [](const auto &info) {
                             return info.param == OutputFormat::SonicScenarist ? std::string("Scenarist")
                                                                               : std::string("DvdMaestro");
                         });

// Skip this Picture: no file and no subtitle for the picture the dialog came up for; OK for the
// next one keeps the rest coming without the dialog.
TEST_F(SavingBitmaps, ASkippedPictureGetsNoFileAndNoSubtitle)
{
    bitmapAdjust.enabled = false;
    auto *dialog = qobject_cast<BitmapAdjustDialog *>(app.window(QStringLiteral("Form18")));
    ASSERT_NE(dialog, nullptr);
    struct SkipOnce : QObject {
        BitmapAdjustDialog *dialog = nullptr;
        int times = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Show) {
                const bool skip = times++ == 0;
                QTimer::singleShot(0, dialog, [this, skip] { skip ? dialog->skipPicture() : dialog->accept(); });
            }
            return false;
        }
    } answer;
    answer.dialog = dialog;
    dialog->installEventFilter(&answer);
    const QDir out(work.filePath(QStringLiteral("out")));
    startSaving(out);
    EXPECT_EQ(answer.times, 2) << "a skip leaves the dialog to come before the next picture";
    EXPECT_EQ(app.subtitles.count(), 9);
    EXPECT_EQ(out.entryList({QStringLiteral("*.bmp")}, QDir::Files).size(), 9);
    EXPECT_EQ(app.batch.skippedCount, 0) << "a skipped picture is not a picture too short";
}

// The command line shows no dialog: the preset of the output format becomes current before the first picture.
TEST_F(SavingBitmaps, CommandLineRunsTheDialogsStepsUnseen)
{
    app.commandLineMode = true;
    app.config.main.activePage = int(OutputFormat::PinnacleImpression);
    const QDir out(work.filePath(QStringLiteral("out")));
    // The command line names the pictures; nobody is asked for the name.
    app.batch.pictureBaseName = out.filePath(QStringLiteral("movie"));
    startSaving(out);
    EXPECT_EQ(bitmapAdjust.shown, 0);
    EXPECT_EQ(app.presets.current, core::PresetPinnacleImpression);
    EXPECT_EQ(out.entryList({QStringLiteral("*.bmp")}, QDir::Files).size(), 10);
}

} // namespace
} // namespace glyfex::subtitles::ui
