// The input dialog: opening the fixture DVD, the file rows, the stream list, Start and its abandonment.
#include "app/app.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/stream_scan_window.h"

#include "subtitles/ui/subtitles_window.h"
#include "support/app_test.h"
#include "support/test_data.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

using namespace glyfex;
using namespace glyfex::ripping;
using namespace glyfex::ripping::ui;

namespace {

class InputDialogTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        dialog = app.inputDialog();
    }

    InputDialog *dialog = nullptr;
};

TEST_F(InputDialogTest, StartWithoutATickedFileWarnsAndChangesNothing)
{
    app.batch.vobList = {QStringLiteral("/earlier/run.vob")};
    app.batch.currentFile = 1;
    EXPECT_FALSE(dialog->start());
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0], QStringLiteral("warn: Warning\r\nNo VOB/SUB selected!"));
    EXPECT_EQ(app.batch.vobList, QStringList({QStringLiteral("/earlier/run.vob")}));
    EXPECT_EQ(app.batch.currentFile, 1);
    EXPECT_TRUE(app.batch.paused);
}

TEST_F(InputDialogTest, ADroppedFileOpensTheOpenDialogOnIt)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/media/dvd/VIDEO_TS/VTS_01_0.IFO"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog, &drop);
    ASSERT_EQ(files.starts.size(), 1);
    EXPECT_EQ(files.starts[0], QStringLiteral("/media/dvd/VIDEO_TS/VTS_01_0.IFO"));
    EXPECT_EQ(files.filterIndexes[0], 1);

    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.invalid/VTS_01_0.IFO"))});
    QDragEnterEvent remoteEnter(QPoint(10, 10), Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog, &remoteEnter);
    EXPECT_FALSE(remoteEnter.isAccepted());
    QDropEvent remoteDrop(QPointF(10, 10), Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog, &remoteDrop);
    EXPECT_EQ(files.starts.size(), 1) << "only local files are taken";
}

} // namespace

namespace {

const QString kDvd = QStringLiteral(GLYFEX_TEST_DATA_DIR "/dvd-pal-sans/dvd/VIDEO_TS");
const QString kVobSub = QStringLiteral(GLYFEX_TEST_DATA_DIR "/dvd-pal-sans");

class FixtureInputTest : public InputDialogTest {
protected:
    void SetUp() override
    {
        InputDialogTest::SetUp();
        ASSERT_TRUE(dialog->openInputFile(kDvd + QStringLiteral("/VTS_01_0.IFO")));
    }

    // What an abandoned Start must leave exactly as it was.
    struct Snapshot {
        QStringList vobList;
        int currentFile;
        int64_t resumePos;
        bool paused;
        uint8_t streamId;
        picture::ActionMode action;
        QString base;
        bool operator==(const Snapshot &) const = default;
    };
    void setSubtitles(int n)
    {
        app.subtitles.clear();
        for (int i = 0; i < n; ++i)
            (void)app.subtitleSink.addPictureSubtitle(QStringLiteral("earlier%1.bmp").arg(i), {}, {}, 0, 0);
    }
    Snapshot snapshot() const
    {
        const BatchState &b = app.batch;
        return {b.vobList, b.currentFile, b.resumePos, b.paused, b.streamId, b.actionMode, b.pictureBaseName};
    }
};

TEST_F(FixtureInputTest, OpeningTheIfoListsStreamPaletteAndVobs)
{
    EXPECT_EQ(dialog->streamItemTexts(), QStringList({QStringLiteral("00 - English 0, ???")}));
    EXPECT_EQ(app.input.palette[0], 0xFFFFFFu);
    EXPECT_EQ(app.input.palette[1], 0x000000u);
    EXPECT_EQ(app.input.frameSize, QSize(720, 576));
    ASSERT_EQ(dialog->rows().size(), 1u);
    EXPECT_EQ(dialog->rows()[0].path, kDvd + QStringLiteral("/VTS_01_1.VOB"));
    EXPECT_TRUE(dialog->rows()[0].ticked);
    EXPECT_EQ(dialog->rows()[0].size, QFileInfo(kDvd + QStringLiteral("/VTS_01_1.VOB")).size());
    auto *fps = app.mainWindow()->findChild<QLabel *>(QStringLiteral("LabelFPS"));
    EXPECT_EQ(fps->text(), QStringLiteral("PAL 25 fps (720x576)"));
    auto *square = dialog->findChild<QLabel *>(QStringLiteral("ShapeColor00"));
    EXPECT_EQ(square->palette().color(QPalette::Window), QColor(Qt::white));
}

// Each row shows whole, its size column included ("[    2564 kB]"), at the dialog's own size.
TEST_F(FixtureInputTest, VobRowsAreShownWhole)
{
    dialog->show();
    auto *list = dialog->findChild<QListWidget *>(QStringLiteral("CheckListBoxVob"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 1);
    ASSERT_TRUE(list->item(0)->text().endsWith(QStringLiteral(" kB]")));
    EXPECT_LE(list->sizeHintForColumn(0), list->viewport()->width());
    dialog->hide();
}

TEST_F(FixtureInputTest, OpeningTheIndexListsBareNamesAndTheSubFile)
{
    ASSERT_TRUE(dialog->openInputFile(kVobSub + QStringLiteral("/vobsub.idx")));
    EXPECT_EQ(app.input.idxFileName, kVobSub + QStringLiteral("/vobsub.idx"));
    EXPECT_EQ(dialog->streamItemTexts(), QStringList({QStringLiteral("00 - English")}));
    ASSERT_EQ(dialog->rows().size(), 1u);
    EXPECT_EQ(dialog->rows()[0].path, kVobSub + QStringLiteral("/vobsub.sub"));
    EXPECT_TRUE(dialog->rows()[0].ticked);
}

TEST_F(FixtureInputTest, AnUnreadableIfoIsReportedAndChangesNothing)
{
    QTemporaryDir dir;
    QFile ifo(dir.filePath(QStringLiteral("VTS_01_0.IFO")));
    ASSERT_TRUE(ifo.open(QIODevice::WriteOnly));
    ifo.write(QByteArray("DVDVIDEO-VTS", 12)); // cut off after the identifier
    ifo.close();
    QFile vob(dir.filePath(QStringLiteral("VTS_01_1.VOB")));
    ASSERT_TRUE(vob.open(QIODevice::WriteOnly));
    vob.close();

    EXPECT_FALSE(dialog->openInputFile(ifo.fileName()));
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("error: Error\r\n"))) << prompt.shown[0].toStdString();
    EXPECT_EQ(dialog->streamItemTexts(), QStringList({QStringLiteral("00 - English 0, ???")}));
    ASSERT_EQ(dialog->rows().size(), 1u);
    EXPECT_EQ(dialog->rows()[0].path, kDvd + QStringLiteral("/VTS_01_1.VOB"));
    EXPECT_EQ(app.input.palette[0], 0xFFFFFFu);
    // Only the tick of the rows before goes: Start must not read the title set before as if chosen now.
    EXPECT_FALSE(dialog->rows()[0].ticked);
}

// A VobSub index another tool damaged still opens its pair: what is wrong is said, the .sub is listed in
// place of the title set before, a first line that is no header costs the stream names (all 32 numbers are
// offered and the .sub is read by its own clocks), a bad palette line costs the palette only.
TEST_F(FixtureInputTest, ADamagedIndexStillOpensItsPair)
{
    struct Row {
        const char *name;
        std::function<QByteArray(QByteArray)> damage;
        const char *said;     // what the one message begins with, "" for none
        const char *saidToo;  // and what it holds
        int streams;          // items the stream combo offers
        bool indexUsed;       // the index's names, positions and times are used
        uint32_t colour0;     // the palette's colour 0 afterwards
    };
    constexpr uint32_t kInUse = 0x123456;
    const Row rows[] = {
        {"NoHeader", [](QByteArray t) { return t.replace("# VobSub index file, v7", "# subtitle index"); },
         "error: Error\r\nUnrecognized file format.", "line 1", 32, false, kInUse},
        {"FifteenColours", [](QByteArray t) { return t.replace("101010, 101010\r\n", "101010\r\n"); },
         "warn: Warning\r\nBad palette in the VobSub index", "line 12): 16 colours expected, 15 found. The colours in use are kept.",
         1, true, kInUse},
        {"BadStreamNumber", [](QByteArray t) { return t.replace("id: en, index: 0", "id: en, index: zero"); },
         "error: Error\r\nBad stream number in the VobSub index", "line 18", 32, false, kInUse},
        {"ByteOrderMark", [](QByteArray t) { return "\xEF\xBB\xBF" + t; }, "", "", 1, true, 0xEBEBEB},
    };
    QFile fixture(kVobSub + QStringLiteral("/vobsub.idx"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QByteArray sound = fixture.readAll();
    auto *showAll = dialog->findChild<QCheckBox *>(QStringLiteral("CheckBoxShowAll"));
    ASSERT_NE(showAll, nullptr);
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        showAll->setChecked(false); // an input without names ticks it, for the next input too
        ASSERT_TRUE(dialog->openInputFile(kDvd + QStringLiteral("/VTS_01_0.IFO")));
        ASSERT_TRUE(dialog->rows().at(0).ticked);
        QTemporaryDir dir;
        const QString idx = dir.filePath(QStringLiteral("movie.idx"));
        const QString sub = dir.filePath(QStringLiteral("movie.sub"));
        test::writeBytes(idx, r.damage(sound));
        ASSERT_TRUE(QFile::copy(kVobSub + QStringLiteral("/vobsub.sub"), sub));
        app.input.palette[0] = kInUse;
        prompt.shown.clear();

        ASSERT_TRUE(dialog->openInputFile(idx));
        if (*r.said == 0) {
            EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(QLatin1Char('|')).toStdString();
        } else {
            ASSERT_EQ(prompt.shown.size(), 1);
            EXPECT_TRUE(prompt.shown[0].startsWith(QLatin1String(r.said))) << prompt.shown[0].toStdString();
            EXPECT_TRUE(prompt.shown[0].contains(QLatin1String(r.saidToo))) << prompt.shown[0].toStdString();
        }
        ASSERT_EQ(dialog->rows().size(), 1u);
        EXPECT_EQ(dialog->rows()[0].path, sub);
        EXPECT_TRUE(dialog->rows()[0].ticked);
        EXPECT_EQ(dialog->streamItemTexts().size(), r.streams);
        EXPECT_EQ(app.input.palette[0], r.colour0);
        EXPECT_EQ(app.input.idxFileName, r.indexUsed ? idx : QString());

        dialog->setAction(picture::ActionMode::OnlyShow);
        ASSERT_TRUE(dialog->start());
        EXPECT_EQ(app.batch.vobList, QStringList({sub}));
        EXPECT_EQ(app.batch.vobSubMode(), r.indexUsed);
        EXPECT_EQ(app.batch.vobSubUnits.size(), r.indexUsed ? 10u : 0u);
    }
}

TEST_F(FixtureInputTest, AnAbandonedStartChangesNothing)
{
    app.batch.vobList = {QStringLiteral("/earlier/run.vob")};
    app.batch.currentFile = 1;
    app.batch.resumePos = 4096;
    app.batch.pictureBaseName = QStringLiteral("/earlier/pictures");
    const Snapshot before = snapshot();

    struct Row { const char *name; picture::ActionMode action; bool timing; int subtitles; std::deque<core::Answer> answers; std::deque<QString> names; };
    const Row rows[] = {
        {"Cancel at the keep-text question", picture::ActionMode::RecogniseText, false, 3, {core::Answer::Cancel}, {}},
        {"save dialog cancelled (bitmaps)", picture::ActionMode::SaveBitmaps, false, 0, {}, {QString()}},
        {"save dialog cancelled (raw)", picture::ActionMode::SaveRawSubpictures, false, 0, {}, {QString()}},
        {"No at the question, then the save dialog cancelled", picture::ActionMode::SaveRawSubpictures, true, 3,
         {core::Answer::No}, {QString()}},
    };
    for (const Row &r : rows) {
        setSubtitles(r.subtitles);
        prompt.answers = r.answers;
        files.names = r.names;
        dialog->setAction(r.action);
        dialog->setWithTiming(r.timing);
        EXPECT_FALSE(dialog->start()) << r.name;
        EXPECT_TRUE(snapshot() == before) << r.name;
        EXPECT_EQ(app.subtitles.count(), r.subtitles) << r.name << ": the store is only cleared by a Start that goes through";
    }
}

TEST_F(FixtureInputTest, AnIndexWhoseTimesCannotBeReadAbandonsTheStart)
{
    QTemporaryDir dir;
    QFile idx(kVobSub + QStringLiteral("/vobsub.idx"));
    ASSERT_TRUE(idx.open(QIODevice::ReadOnly));
    QByteArray text = idx.readAll();
    text.replace("timestamp: 00:00:07:540", "timestamp: 00:0x:07:540"); // a time that is no number
    QFile damaged(dir.filePath(QStringLiteral("bad_timestamp.idx")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(text);
    damaged.close();
    ASSERT_TRUE(QFile::copy(kVobSub + QStringLiteral("/vobsub.sub"), dir.filePath(QStringLiteral("bad_timestamp.sub"))));

    ASSERT_TRUE(dialog->openInputFile(damaged.fileName())); // the header lines are sound
    app.batch.vobList = {QStringLiteral("/earlier/run.vob")};
    const Snapshot before = snapshot();
    dialog->setAction(picture::ActionMode::OnlyShow);
    EXPECT_FALSE(dialog->start());
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("error: "))) << prompt.shown[0].toStdString();
    EXPECT_TRUE(snapshot() == before);
}

TEST_F(FixtureInputTest, RecognisingIntoAPictureScriptFormatSwitchesToText)
{
    app.config.main.activePage = 22;
    dialog->setAction(picture::ActionMode::RecogniseText);
    QTimer::singleShot(0, app.window(QStringLiteral("Form13")), [this] {
        qobject_cast<QDialog *>(app.window(QStringLiteral("Form13")))->reject(); // left as it was
    });
    ASSERT_TRUE(dialog->start());
    EXPECT_EQ(app.config.main.activePage, 11);
    EXPECT_EQ(app.batch.characterLocation, QStringLiteral("English"));
}

TEST_F(FixtureInputTest, ClearingTheTextAsksFirst)
{
    setSubtitles(2);
    dialog->show();
    auto *clear = dialog->findChild<QPushButton *>(QStringLiteral("ButtonClearText"));
    ASSERT_TRUE(clear->isEnabled());
    prompt.answers = {core::Answer::No};
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(app.subtitles.count(), 2);
    prompt.answers = {core::Answer::Yes};
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(app.subtitles.count(), 0);
    EXPECT_FALSE(clear->isEnabled());
    dialog->hide();
}

TEST_F(FixtureInputTest, StartHandsOverTheRun)
{
    setSubtitles(2);
    prompt.answers = {core::Answer::No, core::Answer::Yes}; // start a new text file, letting the unsaved one go
    files.names = {QStringLiteral("/tmp/out/pictures")};
    dialog->setAction(picture::ActionMode::SaveRawSubpictures);
    dialog->setWithTiming(true);
    ASSERT_TRUE(dialog->start());
    const BatchState &b = app.batch;
    EXPECT_EQ(b.vobList, QStringList({kDvd + QStringLiteral("/VTS_01_1.VOB")}));
    EXPECT_EQ(b.totalBytes, QFileInfo(kDvd + QStringLiteral("/VTS_01_1.VOB")).size());
    EXPECT_EQ(b.streamId, 0x20);
    EXPECT_EQ(b.actionMode, picture::ActionMode::SaveRawSubpictures);
    EXPECT_TRUE(b.withTiming);
    EXPECT_EQ(b.pictureBaseName, QStringLiteral("/tmp/out/pictures"));
    EXPECT_EQ(app.subtitles.count(), 0);
    EXPECT_FALSE(b.paused) << "Start releases the pause";
    EXPECT_EQ(app.mainWindow()->findChild<QPushButton *>(QStringLiteral("ButtonPause"))->text(),
              QStringLiteral("&Pause  I I"));
    EXPECT_TRUE(app.subtitlesWindow()->isVisible()) << "timed pictures become subtitles";
}

} // namespace

namespace {

TEST_F(InputDialogTest, RowsMoveWithTheirFileAndTick)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(kDvd + QStringLiteral("/VTS_01_0.IFO"), dir.filePath(QStringLiteral("VTS_01_0.IFO"))));
    for (int i = 0; i < 4; ++i) {
        QFile vob(dir.filePath(QStringLiteral("VTS_01_%1.VOB").arg(i)));
        ASSERT_TRUE(vob.open(QIODevice::WriteOnly));
        vob.write(QByteArray(2048 * (i + 1), '\0'));
    }
    ASSERT_TRUE(dialog->openInputFile(dir.filePath(QStringLiteral("VTS_01_0.IFO"))));
    ASSERT_EQ(dialog->rows().size(), 4u);
    EXPECT_FALSE(dialog->rows()[0].ticked) << "the menu VOB is left out";
    auto *list = dialog->findChild<QListWidget *>(QStringLiteral("CheckListBoxVob"));
    list->setCurrentRow(3);
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(list->currentRow(), 3) << "Ctrl+Down on the last row changes nothing";
    QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(list->currentRow(), 2);
    dialog->setRowTicked(1, false);
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(list->currentRow(), 0) << "Ctrl+Up on the first row changes nothing";

    dialog->setAction(picture::ActionMode::OnlyShow);
    ASSERT_TRUE(dialog->start());
    EXPECT_EQ(app.batch.vobList, QStringList({dir.filePath(QStringLiteral("VTS_01_3.VOB")),
                                             dir.filePath(QStringLiteral("VTS_01_2.VOB"))}));
    EXPECT_EQ(app.batch.vobSizes, (std::vector<int64_t>{8192, 6144}));
    EXPECT_EQ(app.batch.totalBytes, 8192 + 6144);
    EXPECT_TRUE(list->item(2)->text().startsWith(QStringLiteral("VTS_01_3.VOB"))) << "rows show their own files";
}

TEST_F(FixtureInputTest, VerifyMarksTheStreamsTheFilesCarry)
{
    auto *verify = dialog->findChild<QPushButton *>(QStringLiteral("ButtonVerify"));
    QTest::mouseClick(verify, Qt::LeftButton);
    EXPECT_EQ(dialog->streamItemTexts(), QStringList({QStringLiteral("00 - ~English 0, ???")}));
    EXPECT_TRUE(prompt.shown.isEmpty());

    dialog->setRowTicked(0, false);
    QTest::mouseClick(verify, Qt::LeftButton);
    EXPECT_EQ(prompt.shown, QStringList({QStringLiteral("warn: Warning\r\nNo VOB/SUB selected!")}));
}

TEST_F(FixtureInputTest, ACancelledScanStopsAndKeepsTheNamesItDidNotReach)
{
    app.input.streamNames[5] = QStringLiteral("Francais 5, wide"); // named by the IFO, not in these files
    dialog->fillStreamList();
    auto *scan = app.streamScanWindow();
    // Cancel as soon as the scan reports its first step.
    QObject::connect(scan, &QWidget::windowTitleChanged, scan, [scan](const QString &title) {
        if (!title.isEmpty())
            QTest::mouseClick(scan->findChild<QPushButton *>(QStringLiteral("BitBtnCancel")), Qt::LeftButton);
    });
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("ButtonVerify")), Qt::LeftButton);
    EXPECT_FALSE(scan->isVisible());
    EXPECT_TRUE(scan->aborted());
    EXPECT_TRUE(dialog->streamItemTexts().contains(QStringLiteral("05 - Francais 5, wide")))
        << dialog->streamItemTexts().join(QLatin1Char('|')).toStdString();
}

} // namespace
