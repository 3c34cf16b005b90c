// Rendering the store into the output format's lines.
#include "subtitles/renderer.h"

#include "subtitles/format_writers.h"
#include "subtitles/time_forms.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <cstring>

namespace glyfex::subtitles {

class Renderer::Sink : public LineSink {
public:
    explicit Sink(Renderer &renderer) : m_renderer(renderer) {}
    void add(QString line) override { m_renderer.addLine(std::move(line)); }

private:
    Renderer &m_renderer;
};

Renderer::Renderer() = default;

Renderer::Renderer(const FormatOptions &home) : m_options(&home)
{
    followFrameRate();
}

core::Result<void> Renderer::setOutput(OutputFormat format, const FormatOptions &options)
{
    Q_ASSERT(m_options == &m_ownOptions); // a renderer with a home reads its options there
    const auto rate = parseFrameRateX1000(options.frameRateText);
    if (!rate)
        return rate.error();
    m_format = format;
    m_ownOptions = options;
    m_frameRateX1000 = *rate;
    return {};
}

uint32_t Renderer::frameRateX1000() const
{
    const auto rate = parseFrameRateX1000(m_options->frameRateText);
    return rate ? *rate : m_frameRateX1000;
}

uint32_t Renderer::followFrameRate()
{
    m_frameRateX1000 = frameRateX1000();
    return m_frameRateX1000;
}

void Renderer::setSplit(bool on, const SplitRange &range)
{
    m_splitMode = on;
    m_split = range;
}

void Renderer::addLine(QString line)
{
    if (!m_isUnicode) {
        // Any high byte set means a character above U+00FF; four characters are tested at a time.
        const char *p = reinterpret_cast<const char *>(line.constData());
        const qsizetype units = line.size();
        uint64_t high = 0;
        qsizetype i = 0;
        for (; i + 4 <= units; i += 4) {
            uint64_t four;
            std::memcpy(&four, p + i * 2, sizeof four);
            high |= four;
        }
        high &= 0xFF00FF00FF00FF00ull;
        for (; i < units; ++i)
            high |= line[i].unicode() & 0xFF00;
        m_isUnicode = high != 0;
    }
    m_lines.append(std::move(line));
}

void Renderer::renderSubtitle(const SubtitleStore &store, int index)
{
    if (index < 1 || index > store.count())
        return;
    followFrameRate();
    renderOne(store, index);
}

void Renderer::renderOne(const SubtitleStore &store, int index)
{
    m_modified = true;
    const Subtitle &stored = store.at(index);
    const qsizetype linesBefore = m_lines.size();
    m_lastAddedViewerEntry = false;

    if (m_viewerTiming.enabled) {
        const auto frameOf = [this](const core::TimeCode &t) {
            if (m_viewerTiming.frameAtTime) {
                if (const auto frame = m_viewerTiming.frameAtTime(t))
                    return *frame;
            }
            return frameNumber(t, m_viewerTiming.fpsX1000);
        };
        m_viewerEntries.append(QStringLiteral("%1,%2,%3,%4,%5")
                                   .arg(index - 1)
                                   .arg(frameOf(stored.start))
                                   .arg(frameOf(stored.stop))
                                   .arg(stored.rect.left)
                                   .arg(stored.rect.top));
        m_lastAddedViewerEntry = true;
    }

    Subtitle clipped;
    const Subtitle *sub = &stored;
    if (m_splitMode) {
        if (!overlapsSplitRange(stored, m_split)) {
            m_splitFirstIndex = index;
            m_lastIndex = index;
            m_lastLineCount = 0;
            return;
        }
        clipped = clipToSplitRange(stored, m_split);
        sub = &clipped;
    }

    // Entries carry no date; only the header does.
    const WriterContext context{*m_options, m_format, m_frameRateX1000, m_codePage, QString(), &m_scripts};
    // The previous subtitle as this file shows it: in split mode clipped the same way, and none
    // when the filter left it out, so that Subviewer's stop entry and the scripts' colour changes
    // refer to what stands in the file.
    Subtitle previousClipped;
    const Subtitle *previous = index > 1 ? &store.at(index - 1) : nullptr;
    if (previous && m_splitMode) {
        if (overlapsSplitRange(*previous, m_split)) {
            previousClipped = clipToSplitRange(*previous, m_split);
            previous = &previousClipped;
        } else {
            previous = nullptr;
        }
    }
    const Entry entry{*sub, previous, index, index - m_splitFirstIndex};
    Sink sink(*this);
    writeEntry(context, entry, sink);
    m_lastIndex = index;
    m_lastLineCount = m_lines.size() - linesBefore;
}

void Renderer::rebuild(const SubtitleStore &store)
{
    m_isUnicode = false;
    m_lines.clear();
    // Most formats write one to five lines per subtitle.
    m_lines.reserve(qsizetype(store.count()) * 3 + 64);
    m_lastIndex = 0;
    m_lastLineCount = 0;
    followFrameRate();
    const WriterContext context{*m_options, m_format, m_frameRateX1000, m_codePage,
                                m_generatedAt.isEmpty() ? generatedAtText() : m_generatedAt, &m_scripts};
    Sink sink(*this);
    writeHeader(context, sink);
    if (m_viewerTiming.enabled)
        m_viewerEntries.clear();
    for (int index = 1; index <= store.count(); ++index)
        renderOne(store, index);
    m_splitFirstIndex = 0;
}

void Renderer::removeLastSubtitleLines(const SubtitleStore &store)
{
    if (m_lines.isEmpty() || m_lastIndex == 0 || m_lastIndex != store.count())
        return;
    const qsizetype n = std::min(m_lastLineCount, m_lines.size());
    m_lines.remove(m_lines.size() - n, n);
    if (m_lastAddedViewerEntry && !m_viewerEntries.isEmpty())
        m_viewerEntries.removeLast();
    m_lastIndex = 0;
    m_lastLineCount = 0;
    m_lastAddedViewerEntry = false;
}

QStringList Renderer::iAuthorFile(const SubtitleStore &store) const
{
    class ListSink : public LineSink {
    public:
        void add(QString line) override { lines.append(std::move(line)); }
        QStringList lines;
    } sink;
    const WriterContext context{*m_options, OutputFormat::IAuthor, frameRateX1000(), m_codePage,
                                m_generatedAt.isEmpty() ? generatedAtText() : m_generatedAt, &m_scripts};
    writers::iAuthorHeader(context, sink);
    for (int i = 1; i <= store.count(); ++i) {
        Subtitle sub = store.at(i);
        if (m_splitMode) {
            if (!overlapsSplitRange(sub, m_split))
                continue;
            sub = clipToSplitRange(sub, m_split);
        }
        if (i < store.count()) {
            // The next start in the same time base as this stop: clipped times count from the range's start.
            const Subtitle &next = store.at(i + 1);
            const core::TimeCode nextStart = m_splitMode ? clipToSplitRange(next, m_split).start : next.start;
            sub.stop = keepMinimumGap(sub.stop, nextStart, m_options->minimumInterval);
        }
        iAuthorPage(context, sub, i, sink);
    }
    return sink.lines;
}

QString generatedAtText()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), QLocale::LongFormat);
}

} // namespace glyfex::subtitles
