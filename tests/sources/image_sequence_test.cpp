// Image sequences from the files up: the folder and script plans, picture times and codes, and whole runs recognised against their known text.
#include "sources/image_sequence.h"

#include "recognition/recognition_driver.h"
#include "recognition/scripted_answerer.h"
#include "sources/image_seq_script.h"
#include "sources/sequence_picture.h"
#include "subtitles/subtitle_store.h"
#include "support/sequence_pictures.h"
#include "support/sequence_road.h"
#include "support/test_data.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace glyfex;
using namespace glyfex::sources;

namespace {

QString ms(const core::TimeCode &t)
{
    return core::formatTimeCode(t);
}

void touch(const QString &path)
{
    test::writeBytes(path, QByteArray("x"));
}

TEST(SequencePlan, FolderTakesFilesOfTheExtensionFromTheChosenOne)
{
    QTemporaryDir dir;
    for (const char *name : {"b2.bmp", "A1.bmp", "c3.BMP", "d4.bmp", "e5.bmp", "notes.txt", "c3x.png"})
        touch(dir.filePath(QString::fromLatin1(name)));
    // A folder named like a picture would end the run if it were taken.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("c4.bmp")));
    auto plan = planSequence(dir.filePath(QStringLiteral("c3.BMP")));
    ASSERT_TRUE(plan.ok()) << plan.error().message().toStdString();
    EXPECT_FALSE(plan->script);
    EXPECT_EQ(plan->entries, (QStringList{"A1.bmp", "b2.bmp", "c3.BMP", "d4.bmp", "e5.bmp"}));
    EXPECT_EQ(plan->first, 2) << "starts at the third of five: three pictures are done";
    EXPECT_EQ(plan->folder, QDir(dir.path()).absolutePath() + QLatin1Char('/'));
}

TEST(SequencePlan, ScriptResolvesBackslashesAndLetterCase)
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("Subs/Line0001.bmp")));
    test::writeBytes(dir.filePath(QStringLiteral("Script.TXT")), "FrameRate=25\r\n{10}{20}subs\\LINE0001.BMP\r\n{30}{40}gone.bmp");
    auto plan = planSequence(dir.filePath(QStringLiteral("Script.TXT")));
    ASSERT_TRUE(plan.ok()) << plan.error().message().toStdString();
    ASSERT_TRUE(plan->script);
    ASSERT_EQ(plan->entries.size(), 2);
    EXPECT_EQ(plan->frameRateText, QStringLiteral("25"));
    EXPECT_EQ(resolveScriptEntry(plan->folder, plan->entries[0]), plan->folder + QStringLiteral("Subs/Line0001.bmp"));
    EXPECT_EQ(resolveScriptEntry(plan->folder, plan->entries[1]), plan->folder + QStringLiteral("gone.bmp"));
}

TEST(SequenceTimes, FolderNumbersAndScriptFrames)
{
    SequencePlan folder;
    folder.entries = {QStringLiteral("pic0007.bmp"), QStringLiteral("nonumber.bmp"), QStringLiteral("x1234567890123456789.bmp"),
                      QStringLiteral("line0042.v2.bmp")};
    const struct {
        int index;
        uint32_t fps;
        const char *start;
        const char *stop;
    } cases[] = {{0, 25000, "00:00:00,280", "00:00:00,320"},
                 {1, 25000, "00:00:00,000", "00:00:00,040"},
                 {0, 23976, "00:00:00,287", "00:00:00,328"}, // 41 whole milliseconds a frame
                 {0, 0, "00:00:00,280", "00:00:00,320"}};
    for (const auto &c : cases) {
        auto t = sequenceTimes(folder, c.index, c.fps);
        ASSERT_TRUE(t.ok());
        EXPECT_EQ(ms(t->start), QString::fromLatin1(c.start)) << c.index << " " << c.fps;
        EXPECT_EQ(ms(t->stop), QString::fromLatin1(c.stop)) << c.index << " " << c.fps;
    }
    EXPECT_FALSE(sequenceTimes(folder, 2, 25000).ok()) << "a number beyond any time";
    EXPECT_EQ(trailingNumber(QStringLiteral("line0042.bmp")), 42);
    EXPECT_EQ(trailingNumber(QStringLiteral("line0042.v2.bmp")), 2) << "the digits just before the extension";

    SequencePlan script;
    script.script = true;
    script.entries = {QStringLiteral("a.bmp"), QStringLiteral("b.bmp")};
    script.startFrames = {110, -30};
    script.stopFrames = {160, 5};
    auto a = sequenceTimes(script, 0, 25000);
    ASSERT_TRUE(a.ok());
    EXPECT_EQ(ms(a->start), QStringLiteral("00:00:04,400"));
    EXPECT_EQ(ms(a->stop), QStringLiteral("00:00:06,400"));
    auto b = sequenceTimes(script, 1, 25000);
    ASSERT_TRUE(b.ok());
    EXPECT_EQ(ms(b->start), QStringLiteral("00:00:00,000")) << "a negative delay starts at the video's start";
}

TEST(SequencePictureCodes, PaletteIndicesAndColours)
{
    QImage indexed(6, 1, QImage::Format_Indexed8);
    indexed.setColorCount(8);
    for (int i = 0; i < 8; ++i)
        indexed.setColor(i, qRgb(i * 30, i * 30, i * 30));
    const uchar indices[] = {0, 1, 2, 3, 4, 7};
    std::copy(std::begin(indices), std::end(indices), indexed.scanLine(0));
    EXPECT_EQ(toCodeImage(indexed).bytes, (std::vector<uint8_t>{0, 3, 2, 1, 0, 0}))
        << "3 is text, above 3 background";

    QImage colour(4, 1, QImage::Format_RGB888);
    const QRgb pixels[] = {qRgb(0, 0, 0), qRgb(1, 0, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
    for (int x = 0; x < 4; ++x)
        colour.setPixel(x, 0, pixels[x]);
    EXPECT_EQ(toCodeImage(colour).bytes, (std::vector<uint8_t>{0, 1, 1, 1}));
    QImage withAlpha(1, 1, QImage::Format_ARGB32);
    withAlpha.setPixel(0, 0, qRgba(0, 0, 0, 255));
    EXPECT_EQ(toCodeImage(withAlpha).bytes, (std::vector<uint8_t>{0})) << "black with any alpha is background";
}

TEST(SequencePictureCodes, UnreadablePicturesNameTheirFile)
{
    QTemporaryDir dir;
    test::writeBytes(dir.filePath(QStringLiteral("text.bmp")), "not a picture");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.bmp")));
    for (const char *name : {"text.bmp", "folder.bmp", "missing.bmp"}) {
        auto image = loadSequencePicture(dir.filePath(QString::fromLatin1(name)));
        ASSERT_FALSE(image.ok()) << name;
        EXPECT_EQ(image.error().where, QString::fromLatin1(name));
        EXPECT_FALSE(image.error().why.isEmpty()) << name;
    }
}

// A picture's bytes read as the file would be: the same picture, and the same refusal of a damaged header.
// A header that claims more than the file holds is refused before any decoding, with the reason; pictures
// whose pixels are legitimately short are still read.
TEST(SequencePictureCodes, BytesReadAsTheFileWouldBe)
{
    QTemporaryDir dir;
    QImage picture(5, 3, QImage::Format_RGB32);
    picture.fill(Qt::black);
    picture.setPixel(2, 1, qRgb(255, 255, 255));
    const auto saved = [&](const char *format) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        EXPECT_TRUE(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, format)) << format;
        return bytes;
    };
    const QByteArray png = saved("PNG");
    const QByteArray bmp = saved("BMP");
    QByteArray beyondTheCap = bmp;
    beyondTheCap.replace(18, 4, QByteArray("\x00\x00\x01\x00", 4)); // width 65536 in the header
    QByteArray pixelsPastTheEnd = bmp;
    pixelsPastTheEnd.replace(10, 4, QByteArray("\xA0\x86\x01\x00", 4)); // pixels at byte 100000
    QByteArray hugeChunk = test::pngWithChunkBeyondItsEnd();
    hugeChunk.replace(33, 4, QByteArray("\xFF\xFF\xFF\xF0", 4)); // beyond PNG's own limit of 2^31 - 1
    QImage grayPicture = picture.convertToFormat(QImage::Format_Grayscale8);
    QByteArray gray;
    QBuffer grayBuffer(&gray);
    ASSERT_TRUE(grayBuffer.open(QIODevice::WriteOnly) && grayPicture.save(&grayBuffer, "PGM"));
    ASSERT_TRUE(gray.startsWith("P5"));
    ASSERT_TRUE(test::writePaletteCopy(picture, dir.filePath(QStringLiteral("rle.bmp")), 3, 0, true).ok());
    QFile rleFile(dir.filePath(QStringLiteral("rle.bmp")));
    ASSERT_TRUE(rleFile.open(QIODevice::ReadOnly));
    const QByteArray runLength = rleFile.readAll();
    const struct {
        const char *name;
        QByteArray bytes;
        const char *refusal; // nullptr: read
    } cases[] = {
        {"line0001.png", png, nullptr},
        {"line0002.bmp", bmp, nullptr},
        {"named_as_bmp.bmp", png, nullptr}, // the content decides, as for a file
        {"wide.bmp", beyondTheCap, "larger than any subtitle picture"},
        {"cut.png", png.left(40), ""},
        {"chunk_beyond_the_end.png", test::pngWithChunkBeyondItsEnd(), "tEXt chunk at byte 33 claims 2030043136 bytes"},
        {"chunk_beyond_the_format.png", hugeChunk, "claims 4294967280 bytes"},
        {"header_cut.bmp", bmp.left(30), "header of 54 bytes does not fit"},
        {"pixels_past_the_end.bmp", pixelsPastTheEnd, "pixels start at byte 100000"},
        {"pixels_cut.bmp", bmp.left(bmp.size() - 17), "5 x 3 pixels need 48 bytes, the file holds 31"}, // rows of 15 + 1
        {"last_row_unpadded.bmp", bmp.left(bmp.size() - 1), "need 48 bytes, the file holds 47"},
        {"pixels_cut.pgm", gray.left(gray.size() - 1), "need 15 bytes, the file holds 14"},
        {"plain_pixels_cut.pbm", QByteArray("P1\n# a comment\n8 8\n0101"), "need 64 bytes"},
        // Run-length pixels are shorter than the picture.
        {"run_length.bmp", runLength, nullptr},
        {"line0003.pgm", gray, nullptr},
    };
    for (const auto &c : cases) {
        const QString name = QString::fromLatin1(c.name);
        test::writeBytes(dir.filePath(name), c.bytes);
        auto fromFile = loadSequencePicture(dir.filePath(name));
        auto fromBytes = decodeSequencePicture(c.bytes, name);
        ASSERT_EQ(fromBytes.ok(), c.refusal == nullptr) << c.name << (fromBytes ? "" : ": " + fromBytes.error().message().toStdString());
        ASSERT_EQ(fromFile.ok(), fromBytes.ok()) << c.name;
        if (c.refusal) {
            EXPECT_EQ(fromBytes.error().where, name);
            EXPECT_TRUE(fromBytes.error().why.contains(QLatin1String(c.refusal))) << fromBytes.error().message().toStdString();
            EXPECT_EQ(fromBytes.error().why, fromFile.error().why) << c.name;
            continue;
        }
        EXPECT_EQ(toCodeImage(*fromBytes).bytes, toCodeImage(*fromFile).bytes) << c.name;
        EXPECT_EQ(toCodeImage(*fromBytes).bytes, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0})) << c.name;
    }
}

// One frame for the whole sequence, from what its first pictures show: a whole frame by its height, a
// DVD picture by its width, a picture cropped from an HD frame by a line no DVD frame holds or a width
// beyond a DVD frame's. Cropped DVD pictures stay as they are.
TEST(SequenceFrame, ChosenOnceFromWhatThePicturesShow)
{
    const struct {
        const char *name;
        std::vector<SequencePictureShape> pictures; // width, height, tallest text run
        int frameRows;
    } cases[] = {
        {"no_picture", {}, 0},
        {"dvd_frames", {{720, 576, 30}, {720, 576, 24}}, 0},
        {"cropped_dvd_pictures", {{280, 48, 20}, {360, 60, 28}, {500, 100, 45}}, 0},
        {"dvd_wide_picture_with_a_line_too_tall", {{720, 160, 53}}, 0},
        {"whole_1080_frames", {{1920, 1080, 50}}, 1080},
        {"whole_720_frame", {{1280, 720, 40}}, 720},
        {"cropped_hd_lines", {{1500, 137, 56}}, 1080},
        {"cropped_hd_line_of_90_rows", {{900, 94, 90}}, 1080},
        {"cropped_hd_wide_short_line", {{1200, 60, 44}}, 1080},
        {"cropped_hd_narrow_short_line_then_a_tall_one", {{300, 50, 44}, {600, 120, 56}}, 1080},
        {"cropped_hd_line_taller_than_90_rows", {{1100, 60, 56}, {1800, 150, 128}}, 2160},
        {"first_settling_picture_decides", {{1920, 1080, 50}, {720, 576, 30}}, 1080},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sequenceFrameRows(c.pictures), c.frameRows);
    }
}

// A 10 x 5 PNG whose text chunk claims 2 GB: the reader refuses it without the decoder taking that memory
// (its peak grows by a few MB at most), as a file of a sequence and as bytes.
TEST(SequencePictureCodes, ChunkClaimingGigabytesCostsNoMemory)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("line0001.png"));
    test::writeBytes(path, test::pngWithChunkBeyondItsEnd());
    const int64_t before = test::peakMemoryKb();
    auto fromFile = loadSequencePicture(path);
    auto fromBytes = decodeSequencePicture(test::pngWithChunkBeyondItsEnd(), QStringLiteral("line0001.png"));
    const int64_t grown = test::peakMemoryKb() - before;
    EXPECT_FALSE(fromFile.ok());
    EXPECT_FALSE(fromBytes.ok());
    EXPECT_LT(grown, 32 * 1024) << "KB more at the peak";
}

using test::SequenceRoad;

std::vector<recognition::TruthEntry> truthOf(const SequencePlan &plan, uint32_t fps, const QStringList &texts)
{
    std::vector<recognition::TruthEntry> truth;
    // Pictures after the texts have none (a picture without text).
    for (int i = plan.first; i < plan.entries.size() && i - plan.first < texts.size(); ++i) {
        auto t = sequenceTimes(plan, i, fps);
        EXPECT_TRUE(t.ok());
        truth.push_back({t->start, {texts[i - plan.first]}});
    }
    return truth;
}

// Teaches a matrix on the run, then runs again with it: the second run must ask nothing.
void recogniseTwice(const SequencePlan &plan, uint32_t fps, const QStringList &texts)
{
    recognition::CharMatrix matrix;
    recognition::GroundTruthAnswerer teacher(truthOf(plan, fps, texts));
    SequenceRoad first(matrix, &teacher);
    auto done = runSequence(plan, fps, first.driver, first);
    ASSERT_TRUE(done.ok()) << done.error().message().toStdString();
    EXPECT_EQ(first.texts(), texts);
    EXPECT_EQ(teacher.unanswerable(), 0);
    EXPECT_GT(first.driver.glyphsAsked(), 0);

    recognition::ScriptedAnswerer nobody(first.control);
    SequenceRoad second(matrix, &nobody);
    done = runSequence(plan, fps, second.driver, second);
    ASSERT_TRUE(done.ok()) << done.error().message().toStdString();
    EXPECT_EQ(second.texts(), texts);
    EXPECT_EQ(second.driver.questionsAsked(), 0);
    EXPECT_TRUE(nobody.violations().isEmpty());
    for (int i = 0; i < second.store.count(); ++i) {
        auto t = sequenceTimes(plan, plan.first + i, fps);
        EXPECT_EQ(second.store.subs[size_t(i)].start, t->start) << i;
        EXPECT_EQ(second.store.subs[size_t(i)].stop, t->stop) << i;
    }
}

const QStringList kTexts{QStringLiteral("Hello world"), QStringLiteral("Quiet night"), QStringLiteral("Bring the map")};

TEST(SequenceRecognition, FfmpegColourPicturesInAFolder)
{
    QTemporaryDir dir;
    // A picture before the chosen one is not read.
    ASSERT_TRUE(test::drawTextBmp24(dir.filePath(QStringLiteral("line0001.bmp")), QStringLiteral("Skipped")).ok());
    for (int i = 0; i < kTexts.size(); ++i) {
        auto made = test::drawTextBmp24(dir.filePath(QStringLiteral("line%1.bmp").arg(i * 25 + 10, 4, 10, QLatin1Char('0'))),
                                        kTexts[i]);
        ASSERT_TRUE(made.ok()) << made.error().message().toStdString();
    }
    // A picture without text adds nothing.
    ASSERT_TRUE(test::drawTextBmp24(dir.filePath(QStringLiteral("line0090.bmp")), QString()).ok());
    auto plan = planSequence(dir.filePath(QStringLiteral("line0010.bmp")));
    ASSERT_TRUE(plan.ok());
    EXPECT_EQ(plan->first, 1);
    recogniseTwice(*plan, 25000, kTexts);
}

TEST(SequenceRecognition, PalettePicturesThroughAScript)
{
    QTemporaryDir colours;
    QTemporaryDir dir;
    QByteArray script("FrameRate=29.970\r\nPalette=0,1,2,3\r\nDelay=100\r\n");
    for (int i = 0; i < kTexts.size(); ++i) {
        const QString source = colours.filePath(QStringLiteral("c%1.bmp").arg(i));
        ASSERT_TRUE(test::drawTextBmp24(source, kTexts[i]).ok());
        // Index 3 is the text; index 7 specks on the top row are no text and must not become any. Every
        // other picture is run-length compressed.
        const QString name = QStringLiteral("Pics/Sub_%1.bmp").arg(i);
        QDir(dir.path()).mkpath(QStringLiteral("Pics"));
        auto written = test::writePaletteCopy(QImage(source), dir.filePath(name), 3, 7, i % 2 == 1);
        ASSERT_TRUE(written.ok()) << written.error().message().toStdString();
        const std::vector<uint8_t> bytes = test::readBytes(dir.filePath(name));
        ASSERT_GT(bytes.size(), 34u);
        EXPECT_EQ(bytes[30], i % 2 == 1 ? 1 : 0) << "biCompression: BI_RLE8 or none";
        script += QStringLiteral("{%1}{%2}pics\\SUB_%3.BMP\r\n").arg(i * 60).arg(i * 60 + 45).arg(i).toUtf8();
    }
    test::writeBytes(dir.filePath(QStringLiteral("seq.txt")), script);
    auto plan = planSequence(dir.filePath(QStringLiteral("seq.txt")));
    ASSERT_TRUE(plan.ok());
    const uint32_t fps = sequenceFrameRateX1000(*plan->frameRateText);
    EXPECT_EQ(fps, 29970u);
    EXPECT_EQ(plan->startFrames[1], 160);
    recogniseTwice(*plan, fps, kTexts);
}

TEST(SequenceRun, EndsAtAnEmptyEntryOrAPictureThatCannotBeRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(test::drawTextBmp24(dir.filePath(QStringLiteral("a.bmp")), QStringLiteral("Hello")).ok());
    test::writeBytes(dir.filePath(QStringLiteral("s.txt")), "{1}{2}a.bmp\n{3}{4}\n{5}{6}a.bmp\n");
    test::writeBytes(dir.filePath(QStringLiteral("t.txt")), "{1}{2}a.bmp\n{3}{4}missing.bmp\n{5}{6}a.bmp\n");
    recognition::CharMatrix matrix;
    recognition::GroundTruthAnswerer teacher({{core::TimeCode{}, {QStringLiteral("Hello")}}});

    auto quiet = planSequence(dir.filePath(QStringLiteral("s.txt")));
    ASSERT_TRUE(quiet.ok());
    SequenceRoad road(matrix, &teacher);
    auto done = runSequence(*quiet, 25000, road.driver, road);
    ASSERT_TRUE(done.ok());
    EXPECT_EQ(*done, 1) << "an empty entry ends the sequence quietly";

    auto broken = planSequence(dir.filePath(QStringLiteral("t.txt")));
    ASSERT_TRUE(broken.ok());
    SequenceRoad second(matrix, &teacher);
    done = runSequence(*broken, 25000, second.driver, second);
    ASSERT_FALSE(done.ok());
    EXPECT_EQ(done.error().where, QStringLiteral("missing.bmp"));
    EXPECT_EQ(second.store.count(), 1) << "what came before the fault stays";
}

TEST(SequenceRun, APictureGivenUpByAQuestionIsDoneAgain)
{
    QTemporaryDir dir;
    ASSERT_TRUE(test::drawTextBmp24(dir.filePath(QStringLiteral("p0001.bmp")), QStringLiteral("Hi")).ok());
    ASSERT_TRUE(test::drawTextBmp24(dir.filePath(QStringLiteral("p0002.bmp")), QStringLiteral("Hi")).ok());
    auto plan = planSequence(dir.filePath(QStringLiteral("p0001.bmp")));
    ASSERT_TRUE(plan.ok());
    recognition::CharMatrix matrix;
    SequenceRoad run(matrix);
    recognition::ScriptedAnswerer pausing(run.control);
    run.forward.to = &pausing;
    pausing.push({recognition::AnswerCode::Pause, {}});
    for (const char *c : {"H", "i"})
        pausing.push({recognition::AnswerCode::Ok, QString::fromLatin1(c)});
    auto done = runSequence(*plan, 25000, run.driver, run);
    ASSERT_TRUE(done.ok());
    EXPECT_EQ(run.rewinds, 1);
    EXPECT_EQ(run.shown, (QStringList{"p0001.bmp", "p0001.bmp", "p0002.bmp"}));
    EXPECT_EQ(run.texts(), (QStringList{"Hi", "Hi"}));
    EXPECT_TRUE(pausing.violations().isEmpty()) << pausing.violations().join(QLatin1Char(';')).toStdString();
}

} // namespace
