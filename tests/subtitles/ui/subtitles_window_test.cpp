// The Subtitles window on the offscreen platform: caption and file name, list drawing, frame-rate boxes, clear, save and the code-page panel.
#include "subtitles/ui/subtitles_window.h"

#include "subtitles/code_pages.h"

#include "core/text_codec.h"
#include "support/app_test.h"
#include "subtitles/subtitle_builder.h"
#include "subtitles/ui/subtitle_line_delegate.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace glyfex::subtitles::ui {
namespace {

using core::Answer;
using core::TimeCode;

class NoSkippedItems : public SkippedItemAsker {
public:
    Answer askSkippedItem() override { return {}; }
};

class SubtitlesWindowTest : public test::AppTest {
protected:
    void SetUp() override
    {
        test::AppTest::SetUp();
        window = qobject_cast<SubtitlesWindow *>(app.subtitlesWindow());
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(dir.isValid());
    }

    template <typename T> T *child(const char *name) const
    {
        T *w = window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void addSubtitle(int startMs, int stopMs, QStringList lines)
    {
        window->store().subs.push_back(test::makeSubtitle(core::millisecondsToTimeCode(startMs),
                                                          core::millisecondsToTimeCode(stopMs), std::move(lines)));
        window->renderSubtitle(window->store().count());
    }

    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    static QByteArray readAll(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    SubtitlesWindow *window = nullptr;
    QTemporaryDir dir;
};

TEST_F(SubtitlesWindowTest, HasItsFormAndComponentNames)
{
    EXPECT_EQ(window->objectName(), QStringLiteral("Form3"));
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window->acceptDrops());
    for (const char *name : {"pConversion", "LabelFont", "bbSetFont", "ComboBoxFont", "LabelCharSet", "ComboBoxCharSet",
                             "LabelCodePage", "cbCodePage", "bbDone", "bbSave", "Panel1", "Label1", "LabelNbSubTitle",
                             "LabelSkip", "ComboBoxFPS", "TntBitButtonSpellingCorrection",
                             "TntBitButtonTimeCorrection", "TntBitButtonOutputFormat", "TntBitButtonSplitText",
                             "TntBitButtonSaveAs", "bbConversion", "TntBitButtonClearSub", "SubFormat",
                             "CheckBoxFormat", "CheckBoxScrollDown", "UpDown1", "ListBoxSubtitle"})
        EXPECT_NE(window->findChild<QWidget *>(QString::fromLatin1(name)), nullptr) << name;
    for (const char *name : {"Saveas1", "OpenGlyfexFormat1", "Clear1", "PostOCRCorrection1", "TimeCorrection1",
                             "SetOutputFormat1", "Splitoutputfile1"})
        EXPECT_NE(window->findChild<QAction *>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(child<QComboBox>("cbCodePage")->count(), int(codePageItems().size())) << "every page offered converts";
    EXPECT_EQ(child<QComboBox>("cbCodePage")->currentText(), QStringLiteral("1252:ANSI - Latin I"));
    EXPECT_EQ(child<QComboBox>("ComboBoxFPS")->currentText(), QStringLiteral("23.976"));
}

TEST_F(SubtitlesWindowTest, CaptionShowsTheNameWithTheFormatsExtension)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Subtitles | NewFile.gxt"));
    struct Case {
        OutputFormat format;
        const char *given;
        const char *caption;
    } cases[] = {
        {OutputFormat::Glyfex, "C:\\x\\new.sub", "Subtitles | new.gxt"},
        {OutputFormat::MicroDvd, "/films/a.b.gxt", "Subtitles | a.b.sub"},
        {OutputFormat::SubStationAlpha, "plain", "Subtitles | plain.ssa"},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(window->setOutputFormat(c.format));
        window->setSubtitleFileName(QString::fromLatin1(c.given));
        EXPECT_EQ(window->windowTitle(), QString::fromLatin1(c.caption)) << c.given;
        EXPECT_EQ(window->fileName(), QString::fromLatin1(c.given));
    }
}

TEST_F(SubtitlesWindowTest, AddedSubtitlesAreListedAndCounted)
{
    NoSkippedItems asker;
    NewSubtitle added;
    added.lines = {QStringLiteral("Привет"), QStringLiteral("<i>second</i>")};
    added.fromPicture = true;
    added.start = core::millisecondsToTimeCode(1000);
    added.stop = core::millisecondsToTimeCode(2500);
    auto report = glyfex::subtitles::addSubtitle(window->store(), added, {}, asker);
    ASSERT_TRUE(report);
    window->subtitleAdded(*report);

    EXPECT_EQ(child<QLabel>("LabelNbSubTitle")->text(), QStringLiteral("1"));
    QStringList listed;
    for (int i = 0; i < window->list()->count(); ++i)
        listed << window->list()->item(i)->text();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("1"), QStringLiteral("00:00:01,000 --> 00:00:02,500"),
                                   QStringLiteral("Привет"), QStringLiteral("<i>second</i>"), QString()}));
    EXPECT_EQ(child<QLabel>("SubFormat")->text(), QStringLiteral("UNICODE"));
    EXPECT_TRUE(window->isModified());
}

// The encoding label is green for ANSI text and red once a line needs Unicode, and goes back to green
// when the text is cleared, whatever came in between.
TEST_F(SubtitlesWindowTest, EncodingLabelColourFollowsTheText)
{
    auto *label = child<QLabel>("SubFormat");
    const auto shown = [&] { return std::make_pair(label->text(), label->palette().color(QPalette::WindowText)); };
    const QColor green(0x00, 0x80, 0x00);
    const QColor red(0xFF, 0x00, 0x00);
    EXPECT_EQ(shown(), std::make_pair(QStringLiteral("ANSI"), green));
    addSubtitle(1000, 2000, {QStringLiteral("plain")});
    EXPECT_EQ(shown(), std::make_pair(QStringLiteral("ANSI"), green));
    addSubtitle(3000, 4000, {QStringLiteral("Привет")});
    EXPECT_EQ(shown(), std::make_pair(QStringLiteral("UNICODE"), red));
    addSubtitle(5000, 6000, {QStringLiteral("plain again")});
    EXPECT_EQ(shown(), std::make_pair(QStringLiteral("UNICODE"), red));
    window->clearWithoutQuestion();
    EXPECT_EQ(shown(), std::make_pair(QStringLiteral("ANSI"), green));
    addSubtitle(1000, 2000, {QStringLiteral("plain")});
    EXPECT_EQ(shown(), std::make_pair(QStringLiteral("ANSI"), green));
}

// What the list draws for one line: the colours found in the painted picture.
struct Painted {
    bool red = false;
    bool white = false;
};

Painted paintLine(SubtitlesWindow *window, const QString &text)
{
    window->list()->clear();
    window->list()->addItem(text);
    auto *delegate = window->list()->itemDelegate();
    QStyleOptionViewItem option;
    option.font = window->list()->font();
    option.rect = QRect(0, 0, 400, SubtitleLineDelegate::lineHeight(option.font));
    option.palette = window->list()->palette();
    QImage image(option.rect.size(), QImage::Format_RGB32);
    image.fill(Qt::gray);
    {
        QPainter painter(&image);
        delegate->paint(&painter, option, window->list()->model()->index(0, 0));
    }
    Painted p;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            p.red |= c.red() > 200 && c.green() < 60 && c.blue() < 60;
            p.white |= c.red() > 200 && c.green() > 200 && c.blue() > 200;
        }
    }
    return p;
}

TEST_F(SubtitlesWindowTest, FontColourTagsAreDrawnOnlyForGlyfexWithFormatting)
{
    const QString line = QStringLiteral("<font color=\"#ff0000\">AAAA</font>BBBB");
    Painted formatted = paintLine(window, line);
    EXPECT_TRUE(formatted.red);
    EXPECT_TRUE(formatted.white) << "after </font> the text is white again";

    child<QCheckBox>("CheckBoxFormat")->setChecked(false);
    EXPECT_FALSE(paintLine(window, line).red);
    child<QCheckBox>("CheckBoxFormat")->setChecked(true);

    ASSERT_TRUE(window->setOutputFormat(OutputFormat::MicroDvd));
    EXPECT_FALSE(child<QCheckBox>("CheckBoxFormat")->isEnabled());
    EXPECT_FALSE(paintLine(window, line).red) << "other formats show the tags as text";
}

TEST_F(SubtitlesWindowTest, NonLatinTextIsDrawn)
{
    for (const char *text : {"Привет", "Καλημέρα", "日本語"}) {
        const Painted p = paintLine(window, QString::fromUtf8(text));
        EXPECT_TRUE(p.white) << text;
    }
}

TEST_F(SubtitlesWindowTest, FrameRateBoxesFollowEachOther)
{
    QWidget host;
    QList<QComboBox *> boxes;
    for (int i = 0; i < 4; ++i) {
        auto *box = new QComboBox(&host);
        box->setEditable(true);
        box->addItems({QStringLiteral("23.976"), QStringLiteral("25.000"), QStringLiteral("29.970")});
        boxes << box;
    }
    window->linkFrameRateBoxes(boxes);
    auto *fps = child<QComboBox>("ComboBoxFPS");

    boxes[3]->setCurrentText(QStringLiteral("29.970")); // the Phoenix box
    EXPECT_EQ(fps->currentText(), QStringLiteral("29.970"));
    for (QComboBox *box : boxes)
        EXPECT_EQ(box->currentText(), QStringLiteral("29.970"));

    fps->setCurrentText(QStringLiteral("25.000"));
    for (QComboBox *box : boxes)
        EXPECT_EQ(box->currentText(), QStringLiteral("25.000"));
    EXPECT_EQ(window->renderer().frameRateX1000(), 25000u);
}

TEST_F(SubtitlesWindowTest, ClearAsksWhileTheTextIsNotSaved)
{
    addSubtitle(1000, 2000, {QStringLiteral("one")});
    window->setSubtitleFileName(QStringLiteral("/x/film.gxt"));

    prompt.answers = {Answer::No};
    EXPECT_FALSE(window->clearSubtitles());
    EXPECT_EQ(window->store().count(), 1);
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0],
              QStringLiteral("confirm: Confirm\r\nText NOT saved!\r\nDo you really want to clear all text?"));

    prompt.answers = {Answer::Yes};
    EXPECT_TRUE(window->clearSubtitles());
    EXPECT_EQ(window->store().count(), 0);
    EXPECT_EQ(child<QLabel>("LabelNbSubTitle")->text(), QStringLiteral("0"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Subtitles | NewFile.gxt"));
    EXPECT_FALSE(window->isModified());

    prompt.shown.clear();
    EXPECT_TRUE(window->clearSubtitles());
    EXPECT_TRUE(prompt.shown.isEmpty()) << "nothing unsaved, nothing asked";
}

TEST_F(SubtitlesWindowTest, SkippedPicturesAreCountedBesideTheIndex)
{
    auto *skip = child<QLabel>("LabelSkip");
    EXPECT_TRUE(skip->isHidden());
    window->showSkippedCount(3);
    EXPECT_FALSE(skip->isHidden());
    EXPECT_EQ(skip->text(), QStringLiteral("(+3 skipped - too small / short)"));
    prompt.answers = {Answer::Yes};
    window->clearSubtitles();
    EXPECT_TRUE(skip->isHidden());
}

TEST_F(SubtitlesWindowTest, UpDownGoesToTheFirstOrLastLine)
{
    addSubtitle(1000, 2000, {QStringLiteral("one")});
    addSubtitle(3000, 4000, {QStringLiteral("two")});
    EXPECT_EQ(child<QLabel>("LabelNbSubTitle")->text(), QStringLiteral("2"));
    QTest::mouseClick(child<QToolButton>("UpDown1Down"), Qt::LeftButton);
    EXPECT_EQ(window->list()->currentRow(), window->list()->count() - 1);
    QTest::mouseClick(child<QToolButton>("UpDown1Up"), Qt::LeftButton);
    EXPECT_EQ(window->list()->currentRow(), 0);
}

// Auto scroll keeps the newest subtitle in sight, also for subtitles added while the window was hidden
// (a command-line run adds them all unseen) once it is shown.
TEST_F(SubtitlesWindowTest, AutoScrollShowsTheNewestSubtitleAlsoAfterAHiddenRun)
{
    ASSERT_TRUE(child<QCheckBox>("CheckBoxScrollDown")->isChecked());
    window->hide();
    for (int i = 0; i < 60; ++i)
        addSubtitle(1000 * i, 1000 * i + 500, {QStringLiteral("line %1").arg(i)});
    window->resize(600, 300);
    window->show();
    QCoreApplication::processEvents();
    QScrollBar *bar = window->list()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the list must be longer than the window";
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(0);
    addSubtitle(100000, 100500, {QStringLiteral("shown")});
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(SubtitlesWindowTest, UnicodeTextSavedAsUtf16AfterYes)
{
    addSubtitle(1000, 2000, {QStringLiteral("Ωμέγα")});
    prompt.answers = {Answer::Yes};
    files.names = {path("greek.gxt")};
    window->saveAs();
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0],
              QStringLiteral("confirm: Subtitle contains non-standard characters.\r\nSave as UniCode instead of ANSI?"));
    const QByteArray bytes = readAll(path("greek.gxt"));
    ASSERT_TRUE(bytes.startsWith("\xFF\xFE"));
    EXPECT_TRUE(bytes.endsWith(QByteArray("\r\0\n\0", 4)));
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData() + 2),
                                            (bytes.size() - 2) / 2);
    EXPECT_TRUE(text.contains(QStringLiteral("Ωμέγα")));
    EXPECT_FALSE(window->isModified());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Subtitles | greek.gxt"));
    EXPECT_FALSE(window->conversionPanelShown());
}

TEST_F(SubtitlesWindowTest, ShowingOrReformattingSavedTextKeepsItSaved)
{
    addSubtitle(1000, 2000, {QStringLiteral("Ωμέγα")});
    prompt.answers = {Answer::Yes};
    files.names = {path("saved.gxt")};
    window->saveAs();
    ASSERT_FALSE(window->isModified());
    window->show();
    window->hide();
    ASSERT_TRUE(window->setOutputFormat(OutputFormat::SubStationAlpha));
    EXPECT_FALSE(window->isModified()) << "no subtitle changed";
    addSubtitle(3000, 4000, {QStringLiteral("new")});
    EXPECT_TRUE(window->isModified());
}

TEST_F(SubtitlesWindowTest, LatinTextOpensTheSavePanelWithoutAQuestion)
{
    addSubtitle(1000, 2000, {QStringLiteral("Où est-il ?")});
    window->saveAs();
    EXPECT_TRUE(prompt.shown.isEmpty());
    ASSERT_TRUE(window->conversionPanelShown());
    EXPECT_EQ(window->panelMode(), SubtitlesWindow::PanelMode::Save);
    EXPECT_TRUE(child<QPushButton>("bbSave")->isVisibleTo(window));
    EXPECT_FALSE(child<QPushButton>("bbDone")->isVisibleTo(window));
    EXPECT_FALSE(child<QComboBox>("ComboBoxFont")->isEnabled());
    EXPECT_TRUE(child<QWidget>("Panel1")->isHidden());
    EXPECT_FALSE(window->findChild<QAction *>(QStringLiteral("Saveas1"))->isEnabled());
    EXPECT_GE(window->height(), 190);

    files.names = {path("latin.gxt")};
    QTest::mouseClick(child<QPushButton>("bbSave"), Qt::LeftButton);
    const QByteArray bytes = readAll(path("latin.gxt"));
    EXPECT_FALSE(bytes.startsWith("\xFF\xFE"));
    EXPECT_TRUE(bytes.contains("O\xF9 est-il ?\r\n")) << "1252 bytes with CR LF";
    EXPECT_FALSE(window->conversionPanelShown());
    EXPECT_FALSE(child<QWidget>("Panel1")->isHidden());
    EXPECT_TRUE(child<QComboBox>("ComboBoxFont")->isEnabled());
    EXPECT_TRUE(window->findChild<QAction *>(QStringLiteral("Saveas1"))->isEnabled());
}

TEST_F(SubtitlesWindowTest, AnsiSaveCountsWhatTheCodePageCannotHold)
{
    addSubtitle(1000, 2000, {QStringLiteral("Ωμέγα and €")});
    prompt.answers = {Answer::No};
    window->saveAs();
    ASSERT_TRUE(window->conversionPanelShown());
    EXPECT_FALSE(window->isUnicode());

    files.names = {path("ansi.gxt")};
    prompt.shown.clear();
    window->saveAnsi();
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("warn: Warning\r\n5 characters cannot be written in code page 1252")))
        << prompt.shown[0].toStdString();
    const QByteArray bytes = readAll(path("ansi.gxt"));
    EXPECT_TRUE(bytes.contains("????? and \x80\r\n"));
    EXPECT_TRUE(window->isUnicode()) << "the flag is as Save As found it";
}

TEST_F(SubtitlesWindowTest, AnsiSaveNamesTheFileAfterTheSourceAndLanguage)
{
    addSubtitle(1000, 2000, {QStringLiteral("x")});
    window->setSourceFileName(QStringLiteral("/dvd/VIDEO_TS/VTS_01_1.VOB"));
    window->saveAs();
    files.names = {QString()}; // cancelled
    window->saveAnsi();
    ASSERT_FALSE(files.starts.isEmpty());
    EXPECT_TRUE(files.starts.last().endsWith(QStringLiteral("VTS_01_1.gxt"))) << files.starts.last().toStdString();
    EXPECT_TRUE(window->isModified()) << "a cancelled save keeps the text unsaved";
}

// The save dialog starts beside the run's source, in Unicode and ANSI alike; after a save it starts where
// the user saved, until the next run names another source.
TEST_F(SubtitlesWindowTest, SaveAsStartsInTheSourcesFolder)
{
    addSubtitle(1000, 2000, {QStringLiteral("Ωμέγα")});
    const QString disc = path("disc/VIDEO_TS");
    window->setSourceFileName(disc + QStringLiteral("/VTS_01_1.VOB"));
    prompt.answers = {Answer::Yes};
    files.names = {QString()}; // cancelled
    window->saveAs();
    ASSERT_EQ(files.starts.size(), 1);
    // The dialog starts at the folder itself or at a file name in it.
    auto startsIn = [&](const QString &folder) {
        const QString start = files.starts.last();
        return start == folder || QFileInfo(start).absolutePath() == folder;
    };
    EXPECT_TRUE(startsIn(disc)) << files.starts.last().toStdString();

    prompt.answers = {Answer::No};
    window->saveAs();
    files.names = {QString()};
    window->saveAnsi();
    ASSERT_EQ(files.starts.size(), 2);
    EXPECT_EQ(files.starts.last(), disc + QStringLiteral("/VTS_01_1.gxt"));

    QDir().mkpath(path("elsewhere"));
    prompt.answers = {Answer::Yes, Answer::Yes};
    files.names = {path("elsewhere/film.gxt"), QString()};
    window->saveAs();
    ASSERT_TRUE(QFile::exists(path("elsewhere/film.gxt")));
    window->saveAs();
    EXPECT_TRUE(startsIn(path("elsewhere"))) << files.starts.last().toStdString();

    window->setSourceFileName(path("second/VTS_02_1.VOB"));
    prompt.answers = {Answer::Yes};
    window->saveAs();
    EXPECT_TRUE(startsIn(path("second"))) << files.starts.last().toStdString();
}

// Save As onto a file that is there asks the program's own question about the name that will be
// written: a name typed without an extension gets the format's first. Only Yes replaces the file.
TEST_F(SubtitlesWindowTest, SaveAsOverAnExistingFileAsksFirst)
{
    const struct {
        const char *name;
        const char *typed;
        Answer answer;
        bool replaced;
    } cases[] = {
        {"with_extension_yes", "film.gxt", Answer::Yes, true},
        {"with_extension_no", "film.gxt", Answer::No, false},
        {"without_extension_yes", "film", Answer::Yes, true},
        {"without_extension_no", "film", Answer::No, false},
    };
    addSubtitle(1000, 2000, {QStringLiteral("Ωμέγα")});
    const QString existing = path("film.gxt");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        {
            QFile f(existing);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("the user's earlier file");
        }
        window->setSubtitleFileName(QStringLiteral("NewFile"));
        addSubtitle(3000, 4000, {QStringLiteral("more")}); // unsaved again
        prompt.shown.clear();
        prompt.answers = {Answer::Yes, c.answer}; // Unicode, then the file
        files.names = {path(c.typed)};
        window->saveAs();
        ASSERT_EQ(prompt.shown.size(), 2);
        EXPECT_EQ(prompt.shown[1], QStringLiteral("confirm: Warning\r\nFile film.gxt already exists! Replace?"));
        const QByteArray bytes = readAll(existing);
        EXPECT_EQ(bytes.startsWith("\xFF\xFE"), c.replaced);
        EXPECT_EQ(bytes == "the user's earlier file", !c.replaced);
        EXPECT_EQ(window->isModified(), !c.replaced);
        EXPECT_EQ(window->windowTitle(), c.replaced ? QStringLiteral("Subtitles | film.gxt") : QStringLiteral("Subtitles | NewFile.gxt"));
        EXPECT_FALSE(QFile::exists(path("film"))) << "nothing is written under the name as typed";
    }

    // A new name typed without an extension is saved with the format's.
    prompt.answers = {Answer::Yes};
    files.names = {path("fresh")};
    window->saveAs();
    EXPECT_TRUE(readAll(path("fresh.gxt")).startsWith("\xFF\xFE"));
    EXPECT_FALSE(QFile::exists(path("fresh")));
}

TEST_F(SubtitlesWindowTest, CommandLineSaveAsksNothing)
{
    addSubtitle(1000, 2000, {QStringLiteral("plain")});
    app.commandLineMode = true;
    window->setCommandLineOutput(path("out"));
    window->saveAs();
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_TRUE(files.titles.isEmpty());
    EXPECT_TRUE(readAll(path("out.gxt")).contains("plain\r\n"));
}

TEST_F(SubtitlesWindowTest, AFailedSaveIsReportedAndTheTextStaysUnsaved)
{
    addSubtitle(1000, 2000, {QStringLiteral("plain")});
    prompt.answers = {};
    window->saveAs();
    files.names = {path("missing-folder/out.gxt")};
    window->saveAnsi();
    ASSERT_FALSE(prompt.shown.isEmpty());
    EXPECT_TRUE(prompt.shown.last().startsWith(QStringLiteral("error: Error\r\nText NOT saved!")))
        << prompt.shown.last().toStdString();
    EXPECT_TRUE(window->isModified());
}

TEST_F(SubtitlesWindowTest, CharsetChoosesItsCodePage)
{
    window->chooseFontName(QStringLiteral("DejaVu Sans"));
    auto *charsets = child<QComboBox>("ComboBoxCharSet");
    EXPECT_EQ(charsets->itemText(charsets->count() - 1), QStringLiteral("DEFAULT_CHARSET"));
    ASSERT_GE(charsets->findText(QStringLiteral("RUSSIAN_CHARSET")), 0);
    window->chooseCharsetName(QStringLiteral("RUSSIAN_CHARSET"));
    EXPECT_EQ(child<QComboBox>("cbCodePage")->currentText(), QStringLiteral("1251:ANSI - Cyrillic"));
    EXPECT_EQ(window->textCharset(), 204);
    EXPECT_EQ(window->codePage(), 1251);

    child<QComboBox>("cbCodePage")->setCurrentText(QStringLiteral("1253:ANSI - Greek"));
    EXPECT_EQ(window->codePage(), 1253);
}

TEST_F(SubtitlesWindowTest, LoadModePreviewsTheRawLinesInTheChosenPage)
{
    addSubtitle(1000, 2000, {QStringLiteral("kept")});
    const QByteArray cyrillic = *core::TextCodec::encode(QStringLiteral("Привет"), 1251);
    window->setRawLines({QByteArray("1"), QByteArray("00:00:01,000 --> 00:00:02,000"), cyrillic});
    window->showConversionPanel(SubtitlesWindow::PanelMode::Load);
    EXPECT_TRUE(child<QPushButton>("bbDone")->isVisibleTo(window));
    EXPECT_TRUE(child<QComboBox>("ComboBoxFont")->isEnabled());

    child<QComboBox>("cbCodePage")->setCurrentText(QStringLiteral("1251:ANSI - Cyrillic"));
    ASSERT_EQ(window->list()->count(), 3);
    EXPECT_EQ(window->list()->item(0)->text(), QStringLiteral("1"));
    EXPECT_EQ(window->list()->item(2)->text(), QStringLiteral("Привет"));

    QString reread;
    bool first = false;
    window->setLoader([&](const QString &file, bool firstLoad) {
        reread = file;
        first = firstLoad;
    });
    files.names = {path("film.gxt")};
    prompt.answers = {Answer::Yes};
    window->openFile(); // names the file the panel reads again
    EXPECT_TRUE(first);
    reread.clear();
    QTest::mouseClick(child<QPushButton>("bbDone"), Qt::LeftButton);
    EXPECT_EQ(reread, path("film.gxt"));
    EXPECT_FALSE(first) << "Done reads the same file again";
    EXPECT_FALSE(window->conversionPanelShown());
}

TEST_F(SubtitlesWindowTest, DroppedFileOpensTheOpenDialogOnIt)
{
    window->setLoader(nullptr); // the window on its own, before the application's run gives it its reader
    addSubtitle(1000, 2000, {QStringLiteral("unsaved")});
    auto drop = [&](const QList<QUrl> &urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &event);
        return enter.isAccepted();
    };
    EXPECT_FALSE(drop({QUrl::fromLocalFile(path("dropped.srt"))})) << "nothing reads subtitle files yet";
    EXPECT_FALSE(window->findChild<QAction *>(QStringLiteral("OpenGlyfexFormat1"))->isEnabled());
    window->setLoader([](const QString &, bool) {});
    EXPECT_TRUE(window->findChild<QAction *>(QStringLiteral("OpenGlyfexFormat1"))->isEnabled());
    EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.org/x.gxt"))}));
    EXPECT_TRUE(prompt.shown.isEmpty()) << "links that are not local files are ignored";

    prompt.answers = {Answer::Yes};
    EXPECT_TRUE(drop({QUrl::fromLocalFile(path("dropped.srt")), QUrl::fromLocalFile(path("second.srt"))}));
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].contains(QStringLiteral("Do you really want to open another file?")));
    ASSERT_EQ(files.starts.size(), 1);
    EXPECT_EQ(files.starts[0], path("dropped.srt"));
    EXPECT_EQ(files.filterIndexes[0], 7) << "the Glyfex filter";
}

TEST_F(SubtitlesWindowTest, ShowingPlacesItUnderTheMainWindow)
{
    QWidget *main = window->parentWidget();
    ASSERT_NE(main, nullptr);
    main->setGeometry(60, 60, 640, 440); // wholly on the test screen, which is 800 x 600
    main->show();
    window->show();
    const QRect mainFrame = main->frameGeometry();
    EXPECT_EQ(window->frameGeometry().left(), mainFrame.left());
    EXPECT_EQ(window->frameGeometry().bottom(), mainFrame.bottom());
    window->hide();
    main->hide();
}

} // namespace
} // namespace glyfex::subtitles::ui
