// Opening subtitle files in the Subtitles window: the Open command, dropped files, the code-page panel, failed opens.
#include "subtitles/ui/subtitles_window.h"

#include "core/text_codec.h"
#include "support/app_test.h"
#include "subtitles/qt_printers.h"
#include "subtitles/subtitle_builder.h"
#include "support/test_data.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <gtest/gtest.h>

namespace glyfex::subtitles::ui {
namespace {

using core::Answer;

class SubtitleOpenTest : public test::AppTest {
protected:
    void SetUp() override
    {
        test::AppTest::SetUp();
        window = qobject_cast<SubtitlesWindow *>(app.subtitlesWindow());
        ASSERT_NE(window, nullptr);
        window->setLoader([this](const QString &file, bool firstLoad) { window->loadSubtitleFile(file, firstLoad); });
    }

    QString write(const char *name, const QByteArray &bytes)
    {
        const QString file = dir.filePath(QString::fromLatin1(name));
        test::writeBytes(file, bytes);
        return file;
    }

    // Opens a file through the menu command as a user does.
    void open(const QString &file)
    {
        files.names.push_back(file);
        window->findChild<QAction *>(QStringLiteral("OpenGlyfexFormat1"))->trigger();
    }

    QString label(const char *name) const { return window->findChild<QLabel *>(QString::fromLatin1(name))->text(); }

    // Unsaved subtitles the user has in the window before opening.
    void haveUnsavedText()
    {
        window->store().subs.push_back(test::makeSubtitle({0, 0, 1, 0}, {0, 0, 2, 0}, {QStringLiteral("mine")}));
        window->renderSubtitle(1);
        ASSERT_TRUE(window->isModified());
    }

    SubtitlesWindow *window = nullptr;
    QTemporaryDir dir;
};

TEST_F(SubtitleOpenTest, OpeningAnAnsiFileOffersToReadItInAnotherCodePage)
{
    const QByteArray cyrillic = *core::TextCodec::encode(QStringLiteral("Привет"), 1251);
    const QString file = write("film.srt", "1\r\n00:00:01,000 --> 00:00:02,500\r\n" + cyrillic + "\r\n\r\n"
                                           "2\r\n00:00:03,000 --> 00:00:04,000\r\nzwei\r\n");
    haveUnsavedText();
    prompt.answers = {Answer::Yes}; // discard the unsaved text
    open(file);
    EXPECT_EQ(window->store().count(), 2);
    EXPECT_EQ(label("LabelNbSubTitle"), QStringLiteral("2"));
    EXPECT_FALSE(window->isModified());
    EXPECT_TRUE(window->loadedFromFile());
    EXPECT_EQ(window->fileName(), file);
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral("| film.gxt")));
    // Read in 1252, the text fits a code page: the load-mode panel asks which one it was.
    ASSERT_TRUE(window->conversionPanelShown());
    EXPECT_EQ(window->panelMode(), SubtitlesWindow::PanelMode::Load);
    EXPECT_EQ(window->store().at(1).lines[0], *core::TextCodec::decode(cyrillic, 1252));

    window->findChild<QComboBox *>(QStringLiteral("cbCodePage"))->setCurrentText(QStringLiteral("1251:ANSI - Cyrillic"));
    ASSERT_EQ(window->list()->count(), 7) << "the raw lines, times and numbers included";
    EXPECT_EQ(window->list()->item(2)->text(), QStringLiteral("Привет"));
    window->findChild<QPushButton *>(QStringLiteral("bbDone"))->click();
    EXPECT_FALSE(window->conversionPanelShown());
    EXPECT_EQ(window->store().at(1).lines[0], QStringLiteral("Привет"));
    EXPECT_EQ(label("SubFormat"), QStringLiteral("UNICODE"));
    EXPECT_EQ(window->codePage(), 1251) << "Done keeps the chosen page";
}

// Files as users meet them: without a mark the panel comes after every load, whatever the text read in
// the default page looks like, and the page picked there gives the exact text; a mark needs no choice.
TEST_F(SubtitleOpenTest, TheCodePagePanelReadsEveryFileWithoutAMarkInThePagePicked)
{
    const auto utf16le = [](const QString &text) {
        QByteArray bytes("\xFF\xFE", 2);
        bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        return bytes;
    };
    const auto srt = [](const QString &text) {
        return QStringLiteral("1\r\n00:00:01,000 --> 00:00:02,500\r\n%1\r\n\r\n"
                              "2\r\n00:00:03,000 --> 00:00:04,000\r\n-\r\n").arg(text);
    };
    const struct {
        const char *name;
        QByteArray bytes;
        const char *page; // the item picked on the panel; nullptr: no panel
        QString text;     // the first subtitle's line after Done
    } cases[] = {
        {"utf8_cyrillic.srt", srt(QStringLiteral("Привет, мир")).toUtf8(), "65001:Unicode UTF-8",
         QStringLiteral("Привет, мир")},
        {"utf8_polish.srt", srt(QStringLiteral("Zażółć gęślą jaźń")).toUtf8(), "65001:Unicode UTF-8",
         QStringLiteral("Zażółć gęślą jaźń")},
        // ś and ź are 0x9C and 0x9F in 1250, which 1252 reads as œ and Ÿ.
        {"cp1250.srt", *core::TextCodec::encode(srt(QStringLiteral("Część, źdźbło")), 1250),
         "1250:ANSI - Central European", QStringLiteral("Część, źdźbło")},
        {"cp1251.sub", *core::TextCodec::encode(QStringLiteral("{25}{50}Съешь же ещё\r\n{75}{100}-\r\n"), 1251),
         "1251:ANSI - Cyrillic", QStringLiteral("Съешь же ещё")},
        {"latin1.srt", *core::TextCodec::encode(srt(QStringLiteral("Ça coûte déjà ½")), 28591),
         "1252:ANSI - Latin I", QStringLiteral("Ça coûte déjà ½")},
        {"utf8_mark.srt", "\xEF\xBB\xBF" + srt(QStringLiteral("Zażółć")).toUtf8(), nullptr, QStringLiteral("Zażółć")},
        {"utf16_mark.srt", utf16le(srt(QStringLiteral("Съешь"))), nullptr, QStringLiteral("Съешь")},
        {"utf16_mark_latin.srt", utf16le(srt(QStringLiteral("déjà"))), nullptr, QStringLiteral("déjà")},
    };
    for (const auto &c : cases) {
        open(write(c.name, c.bytes));
        ASSERT_EQ(window->store().count(), 2) << c.name;
        ASSERT_EQ(window->conversionPanelShown(), c.page != nullptr) << c.name;
        if (c.page) {
            EXPECT_EQ(window->panelMode(), SubtitlesWindow::PanelMode::Load) << c.name;
            window->findChild<QComboBox *>(QStringLiteral("cbCodePage"))->setCurrentText(QLatin1String(c.page));
            ASSERT_EQ(window->findChild<QComboBox *>(QStringLiteral("cbCodePage"))->currentText(),
                      QLatin1String(c.page)) << c.name;
            window->findChild<QPushButton *>(QStringLiteral("bbDone"))->click();
            EXPECT_FALSE(window->conversionPanelShown()) << c.name;
        }
        ASSERT_EQ(window->store().count(), 2) << c.name;
        EXPECT_EQ(window->store().at(1).lines, QStringList{c.text}) << c.name;
        EXPECT_EQ(window->fileName(), dir.filePath(QString::fromLatin1(c.name))) << c.name;
    }
}

TEST_F(SubtitleOpenTest, AUtf16FileIsReadAsItsMarkSaysAndItsOverlapsAreReported)
{
    QByteArray bytes("\xFF\xFE", 2);
    const QString text = QStringLiteral("{1}{1}25.000\r\n{25}{100}\u010Cas\r\n{50}{75}Ano\r\n");
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    open(write("film.sub", bytes));
    ASSERT_EQ(window->store().count(), 2);
    EXPECT_EQ(window->store().at(1).lines[0], QStringLiteral("\u010Cas"));
    EXPECT_EQ(core::timeCodeToMilliseconds(window->store().at(1).start), 1000) << "timed at the file's 25 fps";
    EXPECT_EQ(window->findChild<QComboBox *>(QStringLiteral("ComboBoxFPS"))->currentText(), QStringLiteral("25.000"));
    EXPECT_FALSE(window->conversionPanelShown());
    ASSERT_FALSE(prompt.shown.isEmpty());
    EXPECT_TRUE(prompt.shown.last().contains(QStringLiteral("overlapping"))) << prompt.shown.last().toStdString();
}

TEST_F(SubtitleOpenTest, AFailedOrCancelledOpenKeepsTheSubtitlesAndTheirUnsavedState)
{
    QByteArray binary(4096, '\0');
    binary.replace(0, 4, "\x00\x00\x01\xBA");
    const struct {
        const char *name;
        QByteArray bytes;
        std::deque<Answer> answers; // after the discard question
        const char *told;
    } cases[] = {
        {"video.vob", binary, {}, "Not a subtitle file"},
        {"notes.txt", "Dear diary,\nnothing here.\n", {}, "Unrecognized file format."},
        {"broken.txt", "00:00:01:A\nxx:00:02:B\n00:00:03:C\n", {Answer::No}, "Error in file at Subtitle Nr. 2"},
        {"empty.zeg", "% Zero G 1.0\n\n", {}, "holds no subtitles"},
        {"cancelled dialog", {}, {}, nullptr},
    };
    haveUnsavedText();
    for (const auto &c : cases) {
        prompt.shown.clear();
        prompt.answers = {Answer::Yes};
        prompt.answers.insert(prompt.answers.end(), c.answers.begin(), c.answers.end());
        open(c.told ? write(c.name, c.bytes) : QString());
        EXPECT_EQ(window->store().count(), 1) << c.name;
        EXPECT_EQ(window->store().at(1).lines, QStringList{QStringLiteral("mine")}) << c.name;
        EXPECT_TRUE(window->isModified()) << c.name;
        EXPECT_EQ(window->fileName(), QStringLiteral("NewFile")) << c.name;
        EXPECT_FALSE(window->conversionPanelShown()) << c.name;
        if (c.told) {
            EXPECT_TRUE(prompt.shown.join(QLatin1Char('\n')).contains(QLatin1String(c.told)))
                << c.name << ": " << prompt.shown.join(QLatin1Char('\n')).toStdString();
        }
    }
}

TEST_F(SubtitleOpenTest, ADroppedFileIsOpenedThroughTheOpenDialog)
{
    const QString file = write("dropped.txt", "00:00:01:Hello\n00:00:05:World\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file), QUrl::fromLocalFile(dir.filePath(QStringLiteral("second.txt")))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    ASSERT_TRUE(enter.isAccepted());
    files.names.push_back(file); // the user confirms the file the dialog shows
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    ASSERT_EQ(files.starts.size(), 1);
    EXPECT_EQ(files.starts[0], file);
    ASSERT_EQ(window->store().count(), 2);
    EXPECT_EQ(window->store().at(2).lines, QStringList{QStringLiteral("World")});
}

} // namespace
} // namespace glyfex::subtitles::ui
