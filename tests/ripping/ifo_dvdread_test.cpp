// The IFO reader against libdvdread: on every title set in the test data both read the same streams,
// language codes, control words, palette and video attributes.
#include "ripping/ifo_reader.h"

#include "support/qt_print.h"
#include "support/test_data.h"

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

#include <gtest/gtest.h>

using namespace glyfex::ripping;
using glyfex::test::dataPath;

namespace {

class IfoAgainstDvdread : public ::testing::TestWithParam<const char *> {};

TEST_P(IfoAgainstDvdread, SameFieldsAsIfoOpen)
{
    const QString folder = dataPath(QString::fromLatin1(GetParam()));
    auto ours = readIfoFile(folder + QStringLiteral("/VIDEO_TS/VTS_01_0.IFO"));
    ASSERT_TRUE(ours.ok()) << ours.error().message().toStdString();

    dvd_reader_t *dvd = DVDOpen(folder.toLocal8Bit().constData());
    ASSERT_NE(dvd, nullptr);
    ifo_handle_t *ifo = ifoOpen(dvd, 1);
    ASSERT_NE(ifo, nullptr);
    const vtsi_mat_t &mat = *ifo->vtsi_mat;

    EXPECT_EQ(ours->subpictureCount, mat.nr_of_vts_subp_streams);
    for (int i = 0; i < 32; ++i) {
        const uint16_t code = mat.vts_subp_attr[i].lang_code;
        const QString expected = code ? QString(QChar(code >> 8)) + QChar(code & 0xFF) : QString();
        EXPECT_EQ(ours->languageCodes[i], expected) << "attribute " << i;
    }
    const pgc_t &pgc = *ifo->vts_pgcit->pgci_srp[0].pgc;
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(ours->controlWords[i], pgc.subp_control[i]) << "control word " << i;
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(ours->paletteYCrCb[k], pgc.palette[k]) << "colour " << k;

    const video_attr_t &video = mat.vts_video_attr;
    EXPECT_EQ(ours->frameSize.height, video.video_format == 0 ? 480 : video.video_format == 1 ? 576 : 0);
    static constexpr int kWidths[4] = {720, 704, 352, 352};
    EXPECT_EQ(ours->frameSize.width, kWidths[video.picture_size]);
    const int fields = video.line21_cc_1 + video.line21_cc_2;
    EXPECT_EQ(ours->closedCaptions, fields == 0   ? ClosedCaptions::None
                                    : fields == 1 ? ClosedCaptions::OneField
                                                  : ClosedCaptions::TwoFields);
    ifoClose(ifo);
    DVDClose(dvd);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, IfoAgainstDvdread,
                         ::testing::Values("dvd-pal-sans/dvd", "dvd-pal-sans-outline/dvd", "dvd-ntsc-two-streams/dvd"),
                         [](const auto &info) {
                             std::string name = info.param;
                             name = name.substr(0, name.find('/'));
                             std::erase(name, '-');
                             return name;
                         });

TEST(IfoAgainstDvdread, TwoLanguageTitleSetNamesBothStreams)
{
    auto info = readIfoFile(dataPath(QStringLiteral("dvd-ntsc-two-streams/dvd/VIDEO_TS/VTS_01_0.IFO")));
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info->frameSize, (FrameSize{720, 480}));
    EXPECT_EQ(info->languageCodes[0], QStringLiteral("en"));
    EXPECT_EQ(info->languageCodes[1], QStringLiteral("fr"));
    // dvdauthor numbers the second stream in the 4:3 mode only, which puts that mode in use.
    EXPECT_EQ(info->streamNames[0], QStringLiteral("English 0, 4:3"));
    EXPECT_EQ(info->streamNames[1], QStringLiteral("Francais 1, 4:3"));
    EXPECT_TRUE(info->streamNames[2].isEmpty());
}

} // namespace
