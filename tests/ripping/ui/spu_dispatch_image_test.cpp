// The bitmaps the save-bitmaps action writes from real DVD material, as QImage reads them back.
#include "ripping/spu_dispatch.h"

#include "support/dispatch_fakes.h"
#include "support/test_data.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyfex::ripping {
namespace {

// Keeps a copy of every exported picture the dispatcher shows.
class KeepingHost : public test::ScriptedDispatchHost {
public:
    void showPicture(const picture::DecodedPicture &, const picture::ExportedPicture *exported) override
    {
        if (exported)
            pictures.push_back(*exported);
    }
    std::vector<picture::ExportedPicture> pictures;
};


TEST(SavedBitmaps, OpenInQImageWithTheDecodedSizeAndPixels)
{
    const struct {
        const char *file;
        int stream;
    } cases[] = {{"dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB", 0x20}, {"dvd-ntsc-two-streams/dvd/VIDEO_TS/VTS_01_1.VOB", 0x21}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        QTemporaryDir dir;
        DispatchOptions o;
        o.action = picture::ActionMode::SaveBitmaps;
        o.showPictures = true;
        o.pictureBase = dir.filePath(QStringLiteral("pic"));
        for (int i = 0; i < 16; ++i)
            o.dvdPalette[size_t(i)] = uint32_t(i) * 0x0F0D0Bu; // distinct colours, red in the low byte
        RunState run;
        run.vobList = {test::dataPath(QString::fromLatin1(c.file))};
        run.vobSizes = {QFileInfo(run.vobList[0]).size()};
        run.streamId = uint8_t(c.stream);
        run.useMap = false;
        test::FakeSubtitles subs;
        test::RecordingRecognition recognition(subs);
        PlainExport exporter;
        KeepingHost host;
        SpuDispatcher dispatcher(o, run, subs, recognition, exporter, host);
        SilentVobPassHost passHost;
        VobPass pass(run, passHost, dispatcher);
        while (!run.finished() && !run.stopped)
            (void)pass.readCurrentFile();

        const QStringList files = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        ASSERT_FALSE(files.isEmpty());
        ASSERT_EQ(size_t(files.size()), host.pictures.size());
        for (int i = 0; i < files.size(); ++i) {
            const picture::ExportedPicture &p = host.pictures[size_t(i)];
            QImage image(dir.filePath(files[i]));
            ASSERT_FALSE(image.isNull()) << files[i].toStdString();
            EXPECT_EQ(image.size(), QSize(p.width, p.height));
            EXPECT_EQ(image.format(), QImage::Format_Indexed8);
            int wrong = 0;
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x) {
                    const uint32_t v = p.palette[p.pixels[size_t(y * p.width + x)]];
                    wrong += image.pixel(x, y) != qRgb(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
                }
            EXPECT_EQ(wrong, 0) << files[i].toStdString();
        }
    }
}

} // namespace
} // namespace glyfex::ripping
