// Tests of the run-length BMP writers: the encoded rows byte for byte against golden files, and round
// trips through FFmpeg's BMP decoder, ImageMagick and Pillow.
#include "core/bmp_rle_writer.h"
#include "core/bmp_writer.h"

#include "support/av_bmp_decoder.h"
#include "support/test_data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace glyfex::core {
namespace {

uint32_t le32(const QByteArray &b, int at)
{
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16
        | uint32_t(uint8_t(b[at + 3])) << 24;
}

// Pixel indices from hex digits: one digit per pixel at 4 bits ("123" is 1, 2, 3), two at 8; blanks
// only make the rows readable.
std::vector<uint8_t> pixelsOf(const char *hex, int bits)
{
    QByteArray digits(hex);
    digits.replace(' ', QByteArray());
    std::vector<uint8_t> px;
    if (bits == 4) {
        for (char c : digits)
            px.push_back(uint8_t(QByteArray(1, c).toInt(nullptr, 16)));
    } else {
        for (char c : QByteArray::fromHex(digits))
            px.push_back(uint8_t(c));
    }
    return px;
}

// Distinct colours, so a decoder that gives colours instead of indices can be mapped back.
std::vector<uint32_t> distinctPalette(int bits)
{
    std::vector<uint32_t> p;
    for (uint32_t i = 0; i < (1u << bits); ++i)
        p.push_back(i | (255 - i) << 8 | ((i * 37) & 255) << 16);
    return p;
}

QByteArray plainImage(int width, int height, const std::vector<uint8_t> &pixels, int bits)
{
    const std::vector<uint32_t> palette = distinctPalette(bits);
    auto image = encodeBmp({width, height, pixels, palette, bits});
    EXPECT_TRUE(image.ok()) << image.error().message().toStdString();
    return image.ok() ? *image : QByteArray();
}

struct GoldenRle {
    const char *file;   // tests/data/bmp/rle/<file>.bmp
    int bits;
    int width;
    const char *rows;   // the pixels as hex (see pixelsOf), rows top down one after another
    const char *encoded; // the bits after the palette, as hex
};
void PrintTo(const GoldenRle &c, std::ostream *os) { *os << c.file; }

class GoldenRleFiles : public testing::TestWithParam<GoldenRle> {};

TEST_P(GoldenRleFiles, EncodeByteForByte)
{
    const GoldenRle &c = GetParam();
    const std::vector<uint8_t> px = pixelsOf(c.rows, c.bits);
    const int height = c.width > 0 ? int(px.size()) / c.width : 0;
    QByteArray plain = plainImage(c.width, std::max(height, 1), px.empty() ? std::vector<uint8_t>(size_t(c.width)) : px, c.bits);
    if (height == 0) {
        // No rows: the file image of a picture of height 0.
        plain.truncate(int(le32(plain, 10)));
        for (int i = 0; i < 4; ++i)
            plain[22 + i] = 0;
    }
    auto rle = compressBmp(plain);
    ASSERT_TRUE(rle.ok()) << rle.error().message().toStdString();
    const int offBits = int(le32(*rle, 10));
    EXPECT_EQ(rle->mid(offBits).toHex(' ').toStdString(), QByteArray::fromHex(c.encoded).toHex(' ').toStdString());
    EXPECT_EQ(le32(*rle, 2), uint32_t(rle->size())) << "bfSize is the file length";
    EXPECT_EQ(le32(*rle, 30), c.bits == 4 ? 2u : 1u) << "biCompression";
    EXPECT_EQ(le32(*rle, 34), uint32_t(rle->size() - offBits)) << "biSizeImage";
    EXPECT_TRUE(rle->endsWith(QByteArray("\0\1", 2)));
    EXPECT_EQ(rle->left(offBits).mid(54), plain.left(offBits).mid(54)) << "the palette is kept";

    const QString golden = test::dataPath(QStringLiteral("bmp/rle/%1.bmp").arg(QLatin1String(c.file)));
    if (qEnvironmentVariableIsSet("GLYFEX_WRITE_GOLDEN")) {
        QFile out(golden);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(*rle);
    }
    QFile in(golden);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << golden.toStdString();
    EXPECT_TRUE(*rle == in.readAll()) << "differs from " << golden.toStdString();
}

std::string runOf(int bytes, const char *byte)
{
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += byte;
    return s;
}
const std::string k300 = runOf(300, "ab");

INSTANTIATE_TEST_SUITE_P(
    , GoldenRleFiles,
    testing::Values(
        // One run of 16 pixels of colour 1.
        GoldenRle{"rle4_one_run", 4, 16, "1111111111111111", "10 11 00 01"},
        // No repeats: absolute mode.
        GoldenRle{"rle4_no_repeats", 4, 8, "12345678", "00 08 12 34 56 78 00 01"},
        // A run of 2 bytes with 2 bytes waiting before it stays in the absolute stretch, padded to a word.
        GoldenRle{"rle4_short_run_kept_literal", 4, 10, "1234565678", "00 0a 12 34 56 56 78 00 00 01"},
        // A run of 2 with one byte waiting: the lone byte as a pair, then the run.
        GoldenRle{"rle4_short_run_encoded", 4, 8, "12343456", "02 12 04 34 02 56 00 01"},
        // A run of 2 at the start, then absolute mode.
        GoldenRle{"rle4_run_at_start", 4, 10, "343456789a", "04 34 00 06 56 78 9a 00 00 01"},
        // 300 equal bytes: pairs of at most 254 pixels.
        GoldenRle{"rle4_long_run", 4, 600, k300.c_str(), "fe ab fe ab 5c ab 00 01"},
        // Odd width: the counts stop at the last pixel, not at the padding nibble.
        // Odd width: the counts stop at the last pixel, never in the padding nibble, and that pixel
        // goes as a pair of its own (decoders disagree on odd absolute stretches).
        GoldenRle{"rle4_odd_width", 4, 5, "12345", "00 04 12 34 01 50 00 01"},
        GoldenRle{"rle4_odd_width_run", 4, 7, "0000000", "07 00 00 01"},
        // Two rows, bottom row first: the first row end stays (0, 0).
        GoldenRle{"rle4_two_rows", 4, 4, "1111" "2222", "04 22 00 00 04 11 00 01"},
        // No rows at all: the end mark alone.
        GoldenRle{"rle4_no_rows", 4, 3, "", "00 01"},
        // 8 bits: the shortest row of runs as pairs and absolute stretches; on a tie the pairs.
        GoldenRle{"rle8_mixed", 8, 12, "050505 0102 0909 030405 0606", "03 05 00 06 01 02 09 09 03 04 01 05 02 06 00 01"},
        GoldenRle{"rle8_short_runs", 8, 5, "0101 07 0202", "02 01 01 07 02 02 00 01"},
        GoldenRle{"rle8_two_alone_between_runs", 8, 8, "050505 0708 030303", "03 05 01 07 01 08 03 03 00 01"},
        GoldenRle{"rle8_three_alone_as_pairs", 8, 3, "010203", "01 01 01 02 01 03 00 01"},
        // An odd absolute stretch ties with one a pixel shorter and a pair: the pair wins, so no padding.
        GoldenRle{"rle8_odd_stretch_ends_in_a_pair", 8, 5, "0102030405", "00 04 01 02 03 04 01 05 00 01"},
        GoldenRle{"rle8_long_run", 8, 300, k300.c_str(), "ff ab 2d ab 00 01"}),
    [](const auto &info) { return std::string(info.param.file); });

TEST(BmpRleWriter, RefusesWhatIsNoPlainBottomUpBitmap)
{
    const QByteArray good = plainImage(4, 2, std::vector<uint8_t>(8, 1), 8);
    QByteArray topDown = good;
    for (int i = 0; i < 4; ++i)
        topDown[22 + i] = char(0xFF); // height -1
    QByteArray compressed = good;
    compressed[30] = 1;
    QByteArray truncated = good.left(good.size() - 1);
    QByteArray twentyFour = good;
    twentyFour[28] = 24;
    const struct {
        const char *name;
        QByteArray image;
    } cases[] = {{"empty", {}}, {"top_down", topDown}, {"already_compressed", compressed},
                 {"rows_cut_short", truncated}, {"24_bits", twentyFour}, {"not_bm", QByteArray(60, 'x')}};
    for (const auto &c : cases) {
        auto r = compressBmp(c.image);
        ASSERT_FALSE(r.ok()) << c.name;
        EXPECT_EQ(r.error().what, QStringLiteral("Bitmap could not be compressed")) << c.name;
    }
    EXPECT_FALSE(encodeBmpRle4(good).ok()) << "an 8-bit image is no RLE4 input";
}

// Patterns of pixel indices for a row of width w, row y; n is the number of colours.
struct Pattern {
    const char *name;
    uint8_t (*pixel)(int x, int y, int n);
};
const Pattern kPatterns[] = {
    {"flat", [](int, int, int) { return uint8_t(3); }},
    {"ramp", [](int x, int y, int n) { return uint8_t((x + y) % n); }},
    {"pairs", [](int x, int y, int n) { return uint8_t((x / 2 + y) % n); }},
    {"runs_of_five", [](int x, int y, int n) { return uint8_t((x / 5 * 7 + y) % n); }},
    {"edges_differ", [](int x, int, int n) { return uint8_t(x == 0 ? 1 : x % 7 == 6 ? n - 1 : 2); }},
    {"noise", [](int x, int y, int n) { return uint8_t(((x * 131 + y * 71) ^ (x * y)) % n); }},
};

struct RoundTrip {
    QString name;
    int bits;
    int width;
    int height;
    std::vector<uint8_t> pixels;
    QByteArray file;
};

std::vector<RoundTrip> roundTrips()
{
    std::vector<RoundTrip> all;
    for (int bits : {4, 8})
        for (int width = 1; width <= 17; ++width)
            for (const Pattern &p : kPatterns) {
                RoundTrip t{QStringLiteral("rle%1_w%2_%3").arg(bits).arg(width).arg(QLatin1String(p.name)), bits, width, 3, {}, {}};
                for (int y = 0; y < t.height; ++y)
                    for (int x = 0; x < width; ++x)
                        t.pixels.push_back(p.pixel(x, y, bits == 4 ? 16 : 256));
                auto rle = compressBmp(plainImage(width, t.height, t.pixels, bits));
                EXPECT_TRUE(rle.ok()) << t.name.toStdString();
                if (rle.ok())
                    t.file = *rle;
                all.push_back(std::move(t));
            }
    return all;
}

// Index of a colour of distinctPalette: its red byte.
uint8_t indexOfRgb(uint8_t r) { return r; }

TEST(BmpRleDecoders, FfmpegDecodesTheIndices)
{
    for (const RoundTrip &t : roundTrips()) {
        auto decoded = test::decodeBmpWithFfmpeg(t.file);
        ASSERT_TRUE(decoded.ok()) << t.name.toStdString() << ": " << decoded.error().message().toStdString();
        EXPECT_EQ(decoded->width, t.width) << t.name.toStdString();
        EXPECT_EQ(decoded->indices, t.pixels) << t.name.toStdString();
    }
}

// Writes every round trip's file into dir and returns their paths.
QStringList writeAll(const QTemporaryDir &dir, const std::vector<RoundTrip> &all)
{
    QStringList paths;
    for (const RoundTrip &t : all) {
        const QString path = dir.filePath(t.name + QStringLiteral(".bmp"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(t.file) == t.file.size());
        paths << path;
    }
    return paths;
}

TEST(BmpRleDecoders, ImageMagickDecodesTheIndices)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    ASSERT_FALSE(convert.isEmpty()) << "ImageMagick's convert (scripts/setup.sh installs it)";
    QTemporaryDir dir;
    const std::vector<RoundTrip> all = roundTrips();
    const QStringList paths = writeAll(dir, all);
    for (size_t i = 0; i < all.size(); ++i) {
        QProcess p;
        p.start(convert, {paths[int(i)], QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("rgb:-")});
        ASSERT_TRUE(p.waitForFinished(30000));
        const QByteArray rgb = p.readAllStandardOutput();
        ASSERT_EQ(p.exitCode(), 0) << all[i].name.toStdString() << p.readAllStandardError().toStdString();
        ASSERT_EQ(size_t(rgb.size()), 3 * all[i].pixels.size()) << all[i].name.toStdString();
        std::vector<uint8_t> indices;
        for (qsizetype k = 0; k < rgb.size(); k += 3)
            indices.push_back(indexOfRgb(uint8_t(rgb[k])));
        EXPECT_EQ(indices, all[i].pixels) << all[i].name.toStdString();
    }
}

TEST(BmpRleDecoders, PillowDecodesTheIndices)
{
    // Debian's own Python, where python3-pil installs Pillow.
    QString python = QStringLiteral("/usr/bin/python3");
    if (!QFileInfo::exists(python))
        python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    QTemporaryDir dir;
    const std::vector<RoundTrip> all = roundTrips();
    const QStringList paths = writeAll(dir, all);
    // One process for all files: each file's mode, size and indices as hex on one line.
    const QString script = QStringLiteral(
        "import sys\nfrom PIL import Image\n"
        "for path in sys.argv[1:]:\n"
        "    try:\n"
        "        im = Image.open(path); im.load()\n"
        "        print(im.mode, im.size[0], im.size[1], im.tobytes().hex())\n"
        "    except Exception as e:\n"
        "        print('error', repr(e).replace(' ', '_'))\n");
    QProcess p;
    p.start(python, QStringList{QStringLiteral("-c"), script} + paths);
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << "python3-pil (scripts/setup.sh installs it): " << p.readAllStandardError().toStdString();
    const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
    ASSERT_GE(size_t(lines.size()), all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        const QList<QByteArray> f = lines[qsizetype(i)].split(' ');
        ASSERT_EQ(f.size(), 4) << all[i].name.toStdString() << ": " << lines[qsizetype(i)].toStdString();
        EXPECT_EQ(f[0], QByteArray("P")) << all[i].name.toStdString();
        const QByteArray indices = QByteArray::fromHex(f[3]);
        EXPECT_EQ(std::vector<uint8_t>(indices.begin(), indices.end()), all[i].pixels) << all[i].name.toStdString();
    }
}

TEST(BmpFileWriter, WritesPlainOrCompressedThroughTheSaveHelper)
{
    QTemporaryDir dir;
    const std::vector<uint8_t> px{1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 1, 2};
    const std::vector<uint32_t> palette = distinctPalette(4);
    for (bool compress : {false, true}) {
        const QString path = dir.filePath(QStringLiteral("p%1.bmp").arg(compress));
        ASSERT_TRUE(writeBitmapFile(path, {6, 2, px, palette, 4}, {compress}).ok());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(le32(bytes, 30), compress ? 2u : 0u);
        auto decoded = test::decodeBmpWithFfmpeg(bytes);
        ASSERT_TRUE(decoded.ok());
        EXPECT_EQ(decoded->indices, px);
    }
    // A picture that cannot be encoded writes nothing and says so.
    const QString refused = dir.filePath(QStringLiteral("refused.bmp"));
    const std::vector<uint8_t> sixteen{16, 0};
    EXPECT_FALSE(writeBitmapFile(refused, {2, 1, sixteen, palette, 4}, {true}).ok());
    EXPECT_FALSE(QFileInfo::exists(refused));
}

} // namespace
} // namespace glyfex::core
