// Progress texts: the remaining time extrapolates the elapsed time over the bytes still to read.
#include "ripping/read_progress.h"

#include <algorithm>

namespace glyfex::ripping {

QString clockText(int64_t ms)
{
    if (ms < 0)
        ms = 0;
    const int64_t seconds = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

ReadProgressText readProgressText(int64_t read, int64_t total, int64_t elapsedMs, const QLocale &userLocale)
{
    // The locale's decimal separator, but no thousands grouping: "3072,0", not "3.072,0".
    QLocale locale = userLocale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    ReadProgressText out;
    // Files can grow after Start counted them, so what is read may pass the total: the bar stops at 100.
    out.percent = total > 0 ? int(std::clamp<int64_t>(read * 100 / total, 0, 100)) : 0;
    const double mb = 1048576.0;
    out.position = QStringLiteral("%1 / %2 MB (%3 %)")
                       .arg(locale.toString(read / mb, 'f', 1), locale.toString(total / mb, 'f', 1))
                       .arg(out.percent);
    out.elapsed = clockText(elapsedMs);
    if (read > 0) {
        // elapsed x (total - read) / read can pass 64 bits for long runs over many gigabytes.
        const long double remaining = (long double)elapsedMs * (long double)(total - read) / (long double)read;
        const long double limit = 1e15L; // about 31,000 years: any estimate past it is shown as that
        out.remaining = clockText(int64_t(remaining < limit ? remaining : limit));
    }
    return out;
}

} // namespace glyfex::ripping
