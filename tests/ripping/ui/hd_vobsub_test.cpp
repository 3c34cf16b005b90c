// HD VobSub input: a 1920x1080 pair made here with FFmpeg's encoder, decoded as FFmpeg decodes it and read to text.
#include "recognition/scripted_answerer.h"
#include "ripping/preview_geometry.h"
#include "ripping/spu_decoder.h"
#include "support/app_test.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/preview_screen.h"
#include "app/run_wiring.h"
#include "subtitles/ui/subtitles_window.h"
#include "support/av_spu_demuxer.h"
#include "support/qt_print.h"
#include "support/vob_builder.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace glyfex {
namespace {

struct HdLine {
    uint32_t startMs;
    int left; // on the 1920-pixel frame
    const char *text;
};

// Both lines are wider than a DVD line; the second lies wholly right of column 720.
constexpr HdLine kLines[] = {
    {1000, 200, "WIDE HD LINE OVER 720 COLUMNS"},
    {4000, 900, "SECOND LINE RIGHT OF COLUMN 720"},
};
constexpr int kFrameWidth = 1920;
constexpr int kFrameHeight = 1080;

// The line drawn white on black without smoothing, as code 1 on transparent code 0, cut to its text
// plus a margin and placed near the bottom of the frame.
test::AvSpuSource drawLine(const HdLine &line)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(44);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    QImage canvas(kFrameWidth, 120, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QRect drawn;
    {
        QPainter p(&canvas);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(8, 0, kFrameWidth - 16, canvas.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(line.text), &drawn);
    }
    const QRect box = drawn.adjusted(-4, -2, 4, 2).intersected(canvas.rect());
    test::AvSpuSource s;
    s.frameWidth = kFrameWidth;
    s.frameHeight = kFrameHeight;
    s.x = line.left;
    s.y = 900;
    s.width = box.width();
    s.height = box.height();
    s.codes.resize(size_t(s.width) * size_t(s.height));
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            s.codes[size_t(y) * size_t(s.width) + size_t(x)] = (canvas.pixel(box.left() + x, box.top() + y) & 0xFF) > 127;
    s.paletteIndex = {0, 15, 0, 0};
    s.contrast = {0, 15, 0, 0};
    return s;
}

class HdVobSubTest : public test::AppTest {
protected:
    void SetUp() override
    {
        test::AppTest::SetUp();
        ASSERT_TRUE(scratch.isValid());
        std::vector<test::VobSubEntry> entries;
        for (const HdLine &line : kLines) {
            const test::AvSpuSource source = drawLine(line);
            ASSERT_GT(source.width, 720) << line.text;
            auto unit = test::encodeSpuUnit(source);
            ASSERT_TRUE(unit) << unit.error().message().toStdString();
            entries.push_back({line.startMs, QByteArray(reinterpret_cast<const char *>(unit->data()), qsizetype(unit->size()))});
        }
        // The grey palette of FFmpeg's side: index k is k x 0x111111.
        std::array<uint32_t, 16> palette{};
        for (uint32_t k = 0; k < 16; ++k)
            palette[k] = test::avspu::paletteColour(int(k));
        const QString written = test::writeVobSubPair(sub(), idx(), kFrameWidth, kFrameHeight, palette, entries);
        ASSERT_TRUE(written.isEmpty()) << written.toStdString();
    }

    QString sub() const { return scratch.filePath(QStringLiteral("hd.sub")); }
    QString idx() const { return scratch.filePath(QStringLiteral("hd.idx")); }

    QTemporaryDir scratch;
};

// Pixels agree when both decoders show the same palette entry with the same contrast.
TEST_F(HdVobSubTest, EveryUnitDecodesAsFfmpegDecodesIt)
{
    auto units = test::demuxSpuUnits(sub());
    ASSERT_TRUE(units) << units.error().message().toStdString();
    ASSERT_EQ(units->size(), std::size(kLines));
    auto reference = test::AvSpuDecoder::open();
    ASSERT_TRUE(reference) << reference.error().message().toStdString();
    picture::DecodedPicture ours;
    for (size_t n = 0; n < units->size(); ++n) {
        SCOPED_TRACE("unit " + std::to_string(n + 1));
        const std::vector<uint8_t> &bytes = (*units)[n].bytes;
        ripping::decodeSubpicture(bytes, kFrameWidth, kFrameHeight, ours);
        const test::AvSpuPicture theirs = (*reference)->decode(bytes);
        ASSERT_TRUE(theirs.hasPicture);
        ASSERT_GT(theirs.width, 720);
        const picture::SpuControlSequence &s = ours.first();
        EXPECT_EQ((std::array{s.x1, s.y1, s.x2, s.y2}),
                  (std::array{theirs.x, theirs.y, theirs.x + theirs.width - 1, theirs.y + theirs.height - 1}));
        ASSERT_EQ(ours.codes.width, theirs.width);
        ASSERT_EQ(ours.codes.height, theirs.height);
        int mismatches = 0;
        for (size_t i = 0; i < theirs.pixels.size(); ++i) {
            const int code = ours.codes.bytes[i];
            const int entry = theirs.pixels[i];
            mismatches += ours.colourMap[code] != theirs.paletteIndex[entry] || ours.contrastMap[code] != theirs.contrast[entry];
        }
        EXPECT_EQ(mismatches, 0);
    }
}

// A whole run over the pair from the input dialog: every picture becomes its text, none is skipped.
TEST_F(HdVobSubTest, ARunStoresEverySubtitleAsText)
{
    app::RunWiring &wiring = app.run();
    std::vector<recognition::TruthEntry> truth;
    for (const HdLine &line : kLines)
        truth.push_back({core::millisecondsToTimeCode(line.startMs), {QString::fromLatin1(line.text)}});
    recognition::GroundTruthAnswerer answerer(truth);
    wiring.setGlyphAsker(&answerer);
    // The drawn words stand 14 pixels or more apart, their letters less; recognition reads the 1080-row
    // frame at half size, where the tuning applies.
    app.ocr.spaceWidth = 7;

    ripping::ui::InputDialog *input = app.inputDialog();
    ASSERT_TRUE(input->openInputFile(idx())) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(app.input.frameSize, QSize(kFrameWidth, kFrameHeight));
    input->selectStream(0);
    input->setAction(picture::ActionMode::RecogniseText);
    ASSERT_TRUE(input->start()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    EXPECT_EQ(answerer.unanswerable(), 0);

    const subtitles::SubtitleStore &store = wiring.subtitlesWindow().store();
    ASSERT_EQ(store.count(), int(std::size(kLines))) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    for (int i = 1; i <= store.count(); ++i) {
        EXPECT_EQ(store.at(i).lines, truth[size_t(i - 1)].lines) << "subtitle " << i;
        EXPECT_GE(store.at(i).rect.right, 720) << "subtitle " << i << " keeps its place on the HD frame";
    }
}

std::string text(const QRect &r)
{
    return std::to_string(r.width()) + "x" + std::to_string(r.height()) + "+" + std::to_string(r.x()) + "+"
         + std::to_string(r.y());
}

// With 1080-row material the preview is shown smaller so that the main window and the Subtitles window
// stay on the screen the main window opens on: on every screen there is, at a chosen and at an
// automatic zoom.
TEST_F(HdVobSubTest, WindowsStayOnTheScreenTheyOpenOn)
{
    ripping::ui::MainWindow *main = app.mainWindow();
    QWidget *subtitles = app.subtitlesWindow();
    ASSERT_NE(subtitles, nullptr);
    auto *showSubtitles = main->findChild<QPushButton *>(QStringLiteral("TntBitButtonShowSubtitleText"));
    ASSERT_NE(showSubtitles, nullptr);
    for (QScreen *screen : QGuiApplication::screens()) {
        for (const bool autoZoom : {false, true}) {
            SCOPED_TRACE(screen->name().toStdString() + (autoZoom ? ", automatic zoom" : ", zoom 100 %"));
            const QRect available = screen->availableGeometry();
            subtitles->hide();
            main->hide();
            app.input.frameSize = QSize(720, 576);
            app.preview.zoom = 1000;
            app.preview.autoZoom = autoZoom;
            main->applyPreviewSettings();
            main->move(available.topLeft() + QPoint(30, 30));
            main->show();
            ASSERT_TRUE(app.inputDialog()->openInputFile(idx())) << prompt.shown.join(QLatin1Char('\n')).toStdString();
            QTest::mouseClick(showSubtitles, Qt::LeftButton);
            QCoreApplication::processEvents();

            EXPECT_EQ(ripping::ui::screenOf(*main), screen);
            EXPECT_TRUE(available.contains(main->frameGeometry())) << text(main->frameGeometry());
            // Not only the frame: what the window holds fits as well, the preview screen whole.
            const QSize needed = main->minimumSizeHint() + (main->frameGeometry().size() - main->size());
            EXPECT_TRUE(needed.width() <= available.width() && needed.height() <= available.height())
                << needed.width() << "x" << needed.height();
            const QRect preview(main->previewScreen()->mapToGlobal(QPoint(0, 0)), main->previewScreen()->size());
            EXPECT_TRUE(available.contains(preview)) << text(preview);
            ASSERT_TRUE(subtitles->isVisible());
            EXPECT_TRUE(available.contains(subtitles->frameGeometry())) << text(subtitles->frameGeometry());
            EXPECT_EQ(subtitles->frameGeometry().left(), main->frameGeometry().left());
            EXPECT_LT(main->screenZoom(), 1000);
            EXPECT_EQ(main->previewScreen()->size(), ripping::previewScreenSize(main->screenZoom(), kFrameHeight, kFrameWidth));
            if (!autoZoom) {
                EXPECT_EQ(app.preview.zoom, 1000) << "the chosen zoom stays the setting";
            }
        }
    }
    subtitles->hide();
}

} // namespace
} // namespace glyfex
