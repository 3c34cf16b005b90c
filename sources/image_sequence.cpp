// Planning an image sequence from a script or a folder, the times of its pictures, and its loop.
#include "sources/image_sequence.h"

#include "picture/crop_to_text.h"
#include "picture/decoded_picture.h"
#include "sources/image_seq_script.h"
#include "sources/sequence_picture.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace glyfex::sources {

namespace {

// Folder numbers past this give times past any video (over 30 years at 1000 frames a second).
constexpr int64_t kMaxPictureNumber = 999'999'999'999;

// A DVD frame, and the tallest text line read on one as it is.
constexpr int kDvdFrameRows = 576;
constexpr int kDvdFrameColumns = 720;
constexpr int kDvdTallestLine = 45;
// The HD frames a cropped picture is read on: a line twice the DVD's tallest still fits a 1080-row
// frame's half size.
constexpr int kHdFrameRows = 1080;
constexpr int kUhdFrameRows = 2160;

} // namespace

int tallestTextRun(const picture::CodeImage &codes)
{
    int tallest = 0;
    int run = 0;
    for (int y = 0; y < codes.height; ++y) {
        const uint8_t *p = codes.row(y);
        const bool text = std::any_of(p, p + codes.width, [](uint8_t c) { return c != 0; });
        run = text ? run + 1 : 0;
        tallest = std::max(tallest, run);
    }
    return tallest;
}

int sequenceFrameRows(const std::vector<SequencePictureShape> &pictures)
{
    int tallest = 0;
    bool wide = false;
    for (const SequencePictureShape &p : pictures) {
        if (p.height > kDvdFrameRows)
            return p.height;
        if (p.width == kDvdFrameColumns)
            return 0;
        tallest = std::max(tallest, p.tallestText);
        wide = wide || p.width > kDvdFrameColumns;
    }
    if (tallest <= kDvdTallestLine && !wide)
        return 0;
    return tallest <= 2 * kDvdTallestLine ? kHdFrameRows : kUhdFrameRows;
}

int sequenceFrameRows(const SequencePlan &plan)
{
    std::vector<SequencePictureShape> shapes;
    for (int i = std::max(0, plan.first); i < int(plan.entries.size()) && int(shapes.size()) < kFrameLookAhead; ++i) {
        const QString &entry = plan.entries[i];
        if (entry.isEmpty())
            break;
        // A picture that cannot be read ends the run when it comes; the frame is chosen from those before it.
        auto image = loadSequencePicture(plan.script ? resolveScriptEntry(plan.folder, entry) : plan.folder + entry);
        if (!image)
            break;
        const SequencePictureShape shape{image->width(), image->height(), tallestTextRun(toCodeImage(*image))};
        shapes.push_back(shape);
        // Settled: a whole frame, a DVD picture, or a line that only the tallest frame reads.
        if (shape.height > kDvdFrameRows || shape.width == kDvdFrameColumns || shape.tallestText > 2 * kDvdTallestLine)
            break;
    }
    return sequenceFrameRows(shapes);
}

core::Result<SequencePlan> planSequence(const QString &chosenFile)
{
    const QFileInfo chosen(chosenFile);
    SequencePlan plan;
    plan.folder = chosen.absolutePath();
    if (!plan.folder.endsWith(QLatin1Char('/')))
        plan.folder += QLatin1Char('/');
    if (chosen.suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0) {
        auto script = readImageSeqScript(chosenFile);
        if (!script)
            return script.error();
        plan.script = true;
        plan.frameRateText = script->frameRateText;
        for (const ScriptPicture &p : script->pictures) {
            plan.entries.append(p.file);
            plan.startFrames.push_back(p.startFrame);
            plan.stopFrames.push_back(p.stopFrame);
        }
        return plan;
    }
    // Only files like the chosen one: a folder or another kind of file in between would end the run.
    const QString suffix = chosen.suffix();
    const QDir dir(plan.folder);
    const QFileInfoList infos = dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &info : infos) {
        if (info.suffix().compare(suffix, Qt::CaseInsensitive) == 0)
            plan.entries.append(info.fileName());
    }
    for (int i = 0; i < plan.entries.size(); ++i) {
        if (plan.entries[i].compare(chosen.fileName(), Qt::CaseInsensitive) == 0) {
            plan.first = i;
            break;
        }
    }
    return plan;
}

QString resolveScriptEntry(const QString &folder, const QString &entry)
{
    QString relative = entry;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString written = QDir::isAbsolutePath(relative) ? relative : folder + relative;
    if (relative.isEmpty() || QFileInfo::exists(written))
        return written;
    // Scripts made on Windows name files in any letter case.
    QString path = QDir::isAbsolutePath(relative) ? QStringLiteral("/") : folder;
    const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        if (part == QLatin1String(".") || part == QLatin1String("..") || QFileInfo::exists(path + part)) {
            path += part;
            continue;
        }
        const QStringList names = QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                                      QDir::Name);
        QString match;
        for (const QString &name : names) {
            if (name.compare(part, Qt::CaseInsensitive) == 0) {
                match = name;
                break;
            }
        }
        if (match.isEmpty())
            return written;
        path += match;
    }
    return path;
}

std::optional<int64_t> trailingNumber(const QString &entry)
{
    const QString base = QFileInfo(entry).completeBaseName();
    qsizetype begin = base.size();
    while (begin > 0 && base[begin - 1].isDigit() && base[begin - 1].unicode() < 128)
        --begin;
    if (begin == base.size())
        return int64_t(0);
    // Leading zeros may be many; the value must stay within any time.
    QStringView digits = QStringView(base).mid(begin);
    while (digits.size() > 1 && digits.front() == QLatin1Char('0'))
        digits = digits.mid(1);
    if (digits.size() > 12)
        return std::nullopt;
    const int64_t n = digits.toLongLong();
    if (n > kMaxPictureNumber)
        return std::nullopt;
    return n;
}

core::Result<picture::DisplayTimes> sequenceTimes(const SequencePlan &plan, int index, uint32_t fpsX1000)
{
    if (fpsX1000 == 0)
        fpsX1000 = 25000;
    const QString &entry = plan.entries[index];
    if (plan.script && size_t(index) < plan.startFrames.size()) {
        auto start = core::frameNumberToTimeCode(std::max<int64_t>(0, plan.startFrames[size_t(index)]), fpsX1000);
        auto stop = core::frameNumberToTimeCode(std::max<int64_t>(0, plan.stopFrames[size_t(index)]), fpsX1000);
        if (!start)
            return core::makeError(QStringLiteral("Picture not timed"), entry, start.error().why);
        if (!stop)
            return core::makeError(QStringLiteral("Picture not timed"), entry, stop.error().why);
        return picture::DisplayTimes{*start, *stop};
    }
    const std::optional<int64_t> n = trailingNumber(entry);
    if (!n)
        return core::makeError(QStringLiteral("Picture not timed"), entry,
                               QStringLiteral("the number in its name is beyond any time"));
    // Whole milliseconds per frame, as the pictures' numbers were counted.
    const int64_t frameMs = 1000000 / int64_t(fpsX1000);
    const int64_t ms = *n * frameMs;
    return picture::DisplayTimes{core::millisecondsToTimeCode(ms), core::millisecondsToTimeCode(ms + frameMs)};
}

core::Result<int> runSequence(const SequencePlan &plan, uint32_t fpsX1000, picture::PictureSink &sink, SequenceHost &host)
{
    int done = 0;
    const int count = int(plan.entries.size());
    // One frame for the whole run, so that a shape taught on one picture reads on the next.
    const int frameRows = sequenceFrameRows(plan);
    for (int i = std::max(0, plan.first); i < count;) {
        if (!host.pump())
            break;
        const QString &entry = plan.entries[i];
        if (entry.isEmpty())
            break;
        host.showEntry(entry, i, count);
        const QString path = plan.script ? resolveScriptEntry(plan.folder, entry) : plan.folder + entry;
        auto image = loadSequencePicture(path);
        if (!image)
            return core::makeError(image.error().what, entry, image.error().why);
        auto times = sequenceTimes(plan, i, fpsX1000);
        if (!times)
            return times.error();

        picture::DecodedPicture decoded;
        decoded.codes = toCodeImage(*image);
        image = QImage(); // the codes are all the loop needs from here
        decoded.width = uint16_t(decoded.codes.width);
        decoded.height = uint16_t(decoded.codes.height);
        decoded.frameHeight = uint16_t(frameRows > 0 ? frameRows : decoded.height);
        // Code 0 is the black background, code 1 the text drawn in any other colour.
        decoded.colourMap = {0, 1, 2, 3};
        if (picture::cropToText(decoded.codes, 0)) {
            auto recognised = sink.recognise(decoded, *times, picture::Rect{});
            if (!recognised)
                return recognised.error();
            ++done;
        }
        // A picture given up by a question is done again once the run goes on; one that reached the
        // store is not, even when the main window's Pause was pressed meanwhile (it would be stored twice).
        if (!host.takeRewind())
            ++i;
    }
    return done;
}

} // namespace glyfex::sources
