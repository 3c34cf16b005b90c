// The scripts a timed rip leaves in the Subtitles window, in the program as main() builds it: their TV type, frame
// areas and frame codes follow the title set just ripped, and a run appended to a loaded file writes the disc's colours.
#include "app/app.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "subtitles/output_format.h"
#include "subtitles/ui/subtitles_window.h"
#include "subtitles/ui/output_format_dialog.h"
#include "support/app_test.h"
#include "support/hd_vobsub.h"
#include "support/test_data.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace glyfex {
namespace {

using subtitles::OutputFormat;

const QString kPalDvd = QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS");
const QString kNtscDvd = QStringLiteral("dvd-ntsc-two-streams/dvd/VIDEO_TS");

// The application after a start whose configuration chose the output format in an earlier session.
class PictureScriptRun : public test::AppTest {
protected:
    void startWithFormat(OutputFormat format)
    {
        ASSERT_TRUE(scratch.isValid());
        QDir().mkpath(QFileInfo(app.paths.configFile()).absolutePath());
        test::writeBytes(app.paths.configFile(), QStringLiteral("[CONFIG]\r\nActivePage=%1\r\n").arg(int(format)).toLatin1());
        app.loadSettings();
        ASSERT_EQ(app.subtitlesWindow()->outputFormat(), format);
        app.mainWindow()->show();
    }

    // A copy of a fixture title set (the pass writes its subtitle map beside it), opened in the input dialog.
    void open(const QString &fixture)
    {
        const QString folder = scratch.filePath(QString::number(++m_copies));
        ASSERT_NO_FATAL_FAILURE(test::copyTitleSet(test::dataPath(fixture), folder));
        ASSERT_TRUE(app.inputDialog()->openInputFile(folder + QStringLiteral("/VIDEO_TS/VTS_01_0.IFO")))
            << prompt.shown.join(QLatin1Char('\n')).toStdString();
    }

    // A timed rip of the first stream: bitmaps for a picture script (the Bitmap adjustment dialog is
    // confirmed before the first one), raw subpictures for a text format, whose timing needs no bitmap.
    // answers: to the questions of the Start (whether the text already there stays).
    void rip(bool bitmaps, std::deque<core::Answer> answers = {})
    {
        ripping::ui::InputDialog *input = app.inputDialog();
        // A new disc: its times start from 0 rather than continuing the previous disc's (which the dialog
        // proposes as it is shown).
        input->show();
        if (auto *reset = input->findChild<QPushButton *>(QStringLiteral("ButtonResetTC")); reset->isEnabled())
            reset->click();
        input->selectStream(0);
        input->setAction(bitmaps ? picture::ActionMode::SaveBitmaps : picture::ActionMode::SaveRawSubpictures);
        input->setWithTiming(true);
        files.names = {scratch.filePath(QStringLiteral("pictures-%1").arg(++m_runs))};
        prompt.answers = std::move(answers);
        ASSERT_TRUE(input->start()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
        input->hide();
        ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
        ASSERT_GT(app.subtitles.count(), 0);
    }

    QStringList lines() const { return app.subtitlesWindow()->renderer().lines(); }

    // The Output Format dialog shown and confirmed as it stands, as a user checking the settings does.
    void confirmOutputFormat()
    {
        auto *formats = qobject_cast<subtitles::ui::OutputFormatDialog *>(app.window(QStringLiteral("Form13")));
        ASSERT_NE(formats, nullptr);
        formats->show();
        ASSERT_TRUE(formats->convert()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    }

    QTemporaryDir scratch;
    int m_copies = 0;
    int m_runs = 0;
};

// --- the video standard of the title set ripped -----------------------------------------------------

struct StandardRow {
    const char *name;
    // The title sets ripped one after another; the last one's script counts. Before each earlier rip the
    // Output Format dialog is confirmed after the title set opened (which took that title set's rate).
    std::vector<const QString *> opened;
};

struct FormatColumn {
    const char *name;
    OutputFormat format;
};

void PrintTo(const StandardRow &r, std::ostream *os) { *os << r.name; }
void PrintTo(const FormatColumn &c, std::ostream *os) { *os << c.name; }

// The lines the script's standard decides, as its header and first entry write them.
struct StandardLines {
    QString tvType;      // "TV_Type\t\tNTSC"; empty where the format has no header
    QString pixelArea;   // the header's Pixel_Area line
    QString displayArea; // the Scenarist header's Display_Area line
    QStringList codes;   // the first two entries' starts as frame time codes
};

// The NTSC title set's second subtitle starts about 0.54 s past a second: 16 frames of 30 a second, 13 or 14
// of 25. The PAL one's first two start 0.56 s past: 14 frames of 25, 17 of 30.
StandardLines expected(OutputFormat format, bool ntsc)
{
    StandardLines e;
    e.codes = ntsc ? QStringList{QStringLiteral("00:00:01:01"), QStringLiteral("00:00:02:16")}
                   : QStringList{QStringLiteral("00:00:01:14"), QStringLiteral("00:00:04:14")};
    if (format == OutputFormat::SonicScenarist || format == OutputFormat::SpruceDvdMaestro)
        e.tvType = QStringLiteral("TV_Type\t\t") + (ntsc ? QStringLiteral("NTSC") : QStringLiteral("PAL"));
    if (format == OutputFormat::SonicScenarist) {
        e.pixelArea = ntsc ? QStringLiteral("Pixel_Area\t(0 477)") : QStringLiteral("Pixel_Area\t(0 574)");
        e.displayArea = ntsc ? QStringLiteral("Display_Area\t(0 2 719 479)") : QStringLiteral("Display_Area\t(0 2 719 574)");
    } else if (format == OutputFormat::SpruceDvdMaestro) {
        e.pixelArea = ntsc ? QStringLiteral("Pixel_Area\t(0 479)") : QStringLiteral("Pixel_Area\t(0 575)");
    }
    return e;
}

StandardLines found(const QStringList &lines)
{
    static const QRegularExpression code(QStringLiteral("\\b\\d\\d:\\d\\d:\\d\\d:\\d\\d\\b"));
    StandardLines f;
    for (const QString &line : lines) {
        if (line.startsWith(QStringLiteral("TV_Type")) && f.tvType.isEmpty())
            f.tvType = line;
        else if (line.startsWith(QStringLiteral("Pixel_Area")) && f.pixelArea.isEmpty())
            f.pixelArea = line;
        else if (line.startsWith(QStringLiteral("Display_Area")) && f.displayArea.isEmpty() && f.codes.isEmpty())
            f.displayArea = line; // the header's, not DVDMaestro's per entry
        else if (const auto m = code.match(line); m.hasMatch() && f.codes.size() < 2)
            f.codes << m.captured();
    }
    return f;
}

class ScriptStandard : public PictureScriptRun,
                       public ::testing::WithParamInterface<std::tuple<FormatColumn, StandardRow>> {};

TEST_P(ScriptStandard, FollowsTheTitleSetRipped)
{
    const auto &[column, row] = GetParam();
    ASSERT_NO_FATAL_FAILURE(startWithFormat(column.format));
    const bool bitmaps = subtitles::isPictureScript(column.format);
    for (size_t i = 0; i < row.opened.size(); ++i) {
        ASSERT_NO_FATAL_FAILURE(open(*row.opened[i]));
        if (i + 1 < row.opened.size())
            ASSERT_NO_FATAL_FAILURE(confirmOutputFormat());
        // After the first run: a new text (No), whose unsaved lines may go (Yes).
        ASSERT_NO_FATAL_FAILURE(
            rip(bitmaps, i == 0 ? std::deque<core::Answer>{} : std::deque<core::Answer>{core::Answer::No, core::Answer::Yes}));
    }
    ASSERT_EQ(app.subtitlesWindow()->outputFormat(), column.format) << "the preset of the format is the one used";
    const bool ntsc = row.opened.back() == &kNtscDvd;
    const StandardLines e = expected(column.format, ntsc);
    const StandardLines f = found(lines());
    const std::string text = lines().mid(0, 12).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(f.tvType, e.tvType) << text;
    EXPECT_EQ(f.pixelArea, e.pixelArea) << text;
    if (column.format != OutputFormat::SpruceDvdMaestro)
        EXPECT_EQ(f.displayArea, e.displayArea) << text;
    EXPECT_EQ(f.codes, e.codes) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScriptStandard,
    ::testing::Combine(::testing::Values(FormatColumn{"SonicDvdCreator", OutputFormat::SonicDvdCreator},
                                         FormatColumn{"SonicScenarist", OutputFormat::SonicScenarist},
                                         FormatColumn{"SpruceDvdMaestro", OutputFormat::SpruceDvdMaestro},
                                         FormatColumn{"FabSubtitler", OutputFormat::FabSubtitler}),
                       ::testing::Values(StandardRow{"NtscAfterTheFormat", {&kNtscDvd}},
                                         StandardRow{"PalAfterNtsc", {&kNtscDvd, &kPalDvd}},
                                         StandardRow{"NtscAfterPalAfterNtsc", {&kNtscDvd, &kPalDvd, &kNtscDvd}})),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

// The Bitmap adjustment dialog, shown before the first picture, makes a text format its preset's script:
// every picture of the run, the first included, is named as that script names its pictures.
TEST_F(PictureScriptRun, PicturesAreNamedForTheScriptTheAdjustmentDialogChose)
{
    ASSERT_NO_FATAL_FAILURE(startWithFormat(OutputFormat::Glyfex));
    ASSERT_NO_FATAL_FAILURE(open(kPalDvd));
    ASSERT_NO_FATAL_FAILURE(rip(true));
    ASSERT_EQ(app.subtitlesWindow()->outputFormat(), OutputFormat::SonicScenarist);
    const QString base = QFileInfo(app.batch.pictureBaseName).fileName();
    const QStringList pictures = QDir(scratch.path()).entryList({QStringLiteral("*.bmp")}, QDir::Files, QDir::Name);
    ASSERT_EQ(pictures.size(), qsizetype(app.subtitles.count()));
    for (int i = 1; i <= app.subtitles.count(); ++i) {
        const QString name = base + QStringLiteral(".%1.bmp").arg(i);
        EXPECT_TRUE(pictures.contains(name)) << name.toStdString() << " not in " << pictures.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(lines().filter(QRegularExpression(QStringLiteral("\\t") + QRegularExpression::escape(name) + QStringLiteral("$"))).size() == 1)
            << name.toStdString();
    }
}

// --- a run appended to a loaded file ----------------------------------------------------------------

struct LoadedRow {
    const char *name;
    OutputFormat format;
    bool loadedFile; // a subtitle file was opened before the run, which is added to its end
};

void PrintTo(const LoadedRow &r, std::ostream *os) { *os << r.name; }

class AppendedRun : public PictureScriptRun, public ::testing::WithParamInterface<LoadedRow> {};

TEST_P(AppendedRun, WritesTheDiscsColours)
{
    const LoadedRow &row = GetParam();
    ASSERT_NO_FATAL_FAILURE(startWithFormat(row.format));
    subtitles::ui::SubtitlesWindow *window = app.subtitlesWindow();
    if (row.loadedFile) {
        const QString srt = scratch.filePath(QStringLiteral("film.srt"));
        test::writeBytes(srt, "1\r\n00:00:00,100 --> 00:00:00,400\r\nHello\r\n\r\n");
        files.names = {srt};
        window->findChild<QAction *>(QStringLiteral("OpenGlyfexFormat1"))->trigger();
        ASSERT_EQ(window->store().count(), 1) << prompt.shown.join(QLatin1Char('\n')).toStdString();
        ASSERT_TRUE(window->loadedFromFile());
    }
    ASSERT_NO_FATAL_FAILURE(open(kPalDvd));
    // Yes: the run's subtitles go after the file's.
    ASSERT_NO_FATAL_FAILURE(rip(true, row.loadedFile ? std::deque<core::Answer>{core::Answer::Yes} : std::deque<core::Answer>{}));
    ASSERT_EQ(window->outputFormat(), row.format);

    const QStringList all = lines();
    const std::string text = all.join(QLatin1Char('\n')).left(3000).toStdString();
    // The first DVD entry (its bitmap's name ends the line) and the lines since the entry before it.
    qsizetype first = -1;
    for (qsizetype i = 0; i < all.size() && first < 0; ++i)
        if (all[i].endsWith(QStringLiteral(".bmp")))
            first = i;
    ASSERT_GE(first, 0) << text;
    qsizetype from = first - 1;
    while (from >= 0 && (all[from].startsWith(QStringLiteral("Color")) || all[from].startsWith(QStringLiteral("Contrast"))
                         || all[from].startsWith(QStringLiteral("Display_Area"))))
        --from;
    const QStringList before = all.mid(from + 1, first - from - 1);
    const auto colour = [&](int code) {
        const uint32_t c = app.input.palette[size_t(code)];
        return QStringLiteral("RGB(%1,%2,%3)")
            .arg(int(c & 0xFF), 3)
            .arg(int((c >> 8) & 0xFF), 3)
            .arg(int((c >> 16) & 0xFF), 3);
    };
    EXPECT_TRUE(before.filter(QRegularExpression(QStringLiteral("^Color\t\t\\(\\d+ \\d+ \\d+ \\d+\\)$"))).size() == 1) << text;
    EXPECT_TRUE(before.filter(QRegularExpression(QStringLiteral("^Contrast\t\\(\\d+ \\d+ \\d+ \\d+\\)$"))).size() == 1) << text;

    // The palette comment holds the title set's 16 colours, numbered as the tool counts them.
    const QStringList palette = all.filter(QRegularExpression(QStringLiteral("^# \\d\\d : RGB\\(")));
    ASSERT_EQ(palette.size(), 16) << text;
    const int base = row.format == OutputFormat::SonicScenarist ? 1 : 0;
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(palette[i], QStringLiteral("# %1 : ").arg(i + base, 2, 10, QLatin1Char('0')) + colour(i)) << i;
}

INSTANTIATE_TEST_SUITE_P(Table, AppendedRun,
                         ::testing::Values(LoadedRow{"ScenaristNoFile", OutputFormat::SonicScenarist, false},
                                           LoadedRow{"ScenaristAfterAFile", OutputFormat::SonicScenarist, true},
                                           LoadedRow{"MaestroNoFile", OutputFormat::SpruceDvdMaestro, false},
                                           LoadedRow{"MaestroAfterAFile", OutputFormat::SpruceDvdMaestro, true}),
                         [](const auto &info) { return std::string(info.param.name); });

// --- an HD VobSub, whose frame tells no rate ------------------------------------------------------------

struct HdRow {
    const char *name;
    bool chooseNtsc; // the Output Format dialog is set to NTSC after the VobSub was opened
    const char *tvType;
    const char *pixelArea;
    int bitmapRows;
};

void PrintTo(const HdRow &r, std::ostream *os) { *os << r.name; }

class HdVobSubRun : public PictureScriptRun, public ::testing::WithParamInterface<HdRow> {};

TEST_P(HdVobSubRun, IsPalUnlessTheOutputFormatDialogSaysNtsc)
{
    const HdRow &row = GetParam();
    ASSERT_NO_FATAL_FAILURE(startWithFormat(OutputFormat::SonicScenarist));
    const QString folder = scratch.filePath(QStringLiteral("hd"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(test::writeHdVobSub(folder, QStringLiteral("film"), test::sampleHdSubtitles(2), test::HdTextStyle{}), QString());
    ASSERT_TRUE(app.inputDialog()->openInputFile(folder + QStringLiteral("/film.idx")))
        << prompt.shown.join(QLatin1Char('\n')).toStdString();
    auto *formats = qobject_cast<subtitles::ui::OutputFormatDialog *>(app.window(QStringLiteral("Form13")));
    ASSERT_NE(formats, nullptr);
    formats->show();
    auto *rate = formats->findChild<QComboBox *>(QStringLiteral("ComboBoxSSTFrameRate"));
    ASSERT_NE(rate, nullptr);
    EXPECT_TRUE(rate->isEnabled()) << "an HD frame leaves the rate to the user";
    EXPECT_EQ(rate->currentIndex(), 0) << "PAL until the user says otherwise";
    if (row.chooseNtsc)
        QTest::keyClick(rate, Qt::Key_Down);
    ASSERT_TRUE(formats->convert());
    ASSERT_NO_FATAL_FAILURE(rip(true));

    const QStringList all = lines();
    const std::string text = all.mid(0, 12).join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(all.contains(QLatin1String(row.tvType))) << text;
    EXPECT_TRUE(all.contains(QLatin1String(row.pixelArea))) << text;
    const QImage first(app.batch.pictureBaseName + QStringLiteral(".1.bmp"));
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.size(), QSize(720, row.bitmapRows));
}

INSTANTIATE_TEST_SUITE_P(Table, HdVobSubRun,
                         ::testing::Values(HdRow{"Pal", false, "TV_Type\t\tPAL", "Pixel_Area\t(0 574)", 574},
                                           HdRow{"NtscChosen", true, "TV_Type\t\tNTSC", "Pixel_Area\t(0 477)", 478}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace glyfex
