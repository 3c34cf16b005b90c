// The input dialog's reading step: which reader a chosen file needs, by its extension and the files beside it.
#include "ripping/ui/input_reading.h"

#include "core/file_read.h"
#include "core/messages.h"
#include "ripping/dvd_files.h"
#include "ripping/ifo_reader.h"
#include "ripping/vobsub_index.h"

#include <QDir>
#include <QFileInfo>

namespace glyfex::ripping::ui {

namespace {

QSize sizeOf(FrameSize f) { return QSize(f.width, f.height); }

core::Result<void> readIfoInto(const QString &ifo, core::UserPrompt &prompt, const core::MessageTable &messages,
                               ReadInput &out)
{
    core::Result<IfoInfo> read = readIfoFile(ifo);
    if (!read)
        return read.error();
    out.info.streamNames = read->streamNames;
    out.info.palette = read->palette;
    out.info.frameSize = sizeOf(read->frameSize);
    out.hint = inputHint(QFileInfo(ifo).fileName(), read->frameSize);
    announceClosedCaptions(read->closedCaptions, prompt, messages.text(core::Msg::Information),
                           messages.text(core::Msg::ClosedCaptionsDetected));
    return {};
}

// A damaged index costs what it tells, never the pair: the error is shown and the input holds no named
// streams (all 32 numbers are offered), and the .sub is still listed and read by its own clocks. A bad
// palette line costs the palette only.
core::Result<void> readIndexInto(const QString &idx, const QString &opened, core::UserPrompt &prompt,
                                 const core::MessageTable &messages, ReadInput &out)
{
    core::Result<VobSubIndex> read = readVobSubIndex(idx, opened);
    if (!read) {
        prompt.error(messages.text(core::Msg::Error) + QStringLiteral("\r\n") + read.error().message());
        out.hint = inputHint(QFileInfo(idx).fileName(), FrameSize{});
        return {};
    }
    if (read->paletteError) {
        const QString kept = read->paletteFromIfo ? QStringLiteral("The colours of the IFO beside it are used.")
                                                  : QStringLiteral("The colours in use are kept.");
        prompt.warn(messages.text(core::Msg::Warning) + QStringLiteral("\r\n") + read->paletteError->message()
                    + QStringLiteral(". ") + kept);
    }
    out.info.streamNames = read->streamNames;
    if (read->palette)
        out.info.palette = *read->palette;
    out.info.frameSize = sizeOf(read->frameSize);
    out.info.idxFileName = idx;
    out.hint = inputHint(QFileInfo(idx).fileName(), read->frameSize);
    return {};
}

} // namespace

core::Result<ReadInput> readInputFile(const QString &path, core::UserPrompt &prompt, const core::MessageTable &messages,
                                      const DvdPalette &palette)
{
    const QFileInfo info(path);
    // A device or pipe chosen as the input is refused with what it is; the files beside it are read by
    // the readers, which refuse such files themselves.
    if (const QString problem = core::plainFileProblem(path); !problem.isEmpty())
        return core::makeError(QStringLiteral("Cannot open the input"), QDir::toNativeSeparators(path), problem);
    ReadInput out;
    out.info.palette = palette; // an input that tells no palette keeps the one in use
    const QString ext = info.suffix().toLower();
    core::Result<void> read;
    if (ext == QLatin1String("ifo") || ext == QLatin1String("bup")) {
        // An IFO without its VOBs may sit beside a VobSub pair made from them: read the index then.
        const QString idx = firstFileLike(path, QStringLiteral(".idx"));
        if (findFilesLike(info.path(), QString(), QStringLiteral(".vob")).isEmpty()
            && !firstFileLike(path, QStringLiteral(".sub")).isEmpty() && !idx.isEmpty())
            read = readIndexInto(idx, path, prompt, messages, out);
        else
            read = readIfoInto(path, prompt, messages, out);
    } else if (ext == QLatin1String("vob")) {
        const QString ifo = titleSetIfoFile(path);
        if (!ifo.isEmpty())
            read = readIfoInto(ifo, prompt, messages, out);
    } else if (ext == QLatin1String("idx")) {
        read = readIndexInto(path, path, prompt, messages, out);
    } else if (ext == QLatin1String("sub")) {
        const QString idx = firstFileLike(path, QStringLiteral(".idx"));
        QString ifo = firstFileLike(path, QStringLiteral(".ifo"));
        if (ifo.isEmpty())
            ifo = firstFileLike(path, QStringLiteral(".bup"));
        if (!idx.isEmpty())
            read = readIndexInto(idx, path, prompt, messages, out);
        else if (!ifo.isEmpty())
            read = readIfoInto(ifo, prompt, messages, out);
    }
    if (!read)
        return read.error();

    out.files = titleSetVobFiles(path);
    const QString sub = firstFileLike(path, QStringLiteral(".sub"));
    if (!sub.isEmpty())
        out.files << sub;
    return out;
}

} // namespace glyfex::ripping::ui
