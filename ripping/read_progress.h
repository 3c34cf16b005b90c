// The progress texts of a run: percentage, position in MB, elapsed and estimated remaining time.
#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>

namespace glyfex::ripping {

struct ReadProgressText {
    int percent = 0;
    QString position;  // "12.3 / 3072.0 MB (0 %)"
    QString elapsed;   // "hh:mm:ss"
    QString remaining; // "hh:mm:ss"; empty while nothing has been read
};

// read and total in bytes over all files of the run, elapsed in milliseconds since Start.
ReadProgressText readProgressText(int64_t read, int64_t total, int64_t elapsedMs,
                                  const QLocale &locale = QLocale());

// "hh:mm:ss" of a millisecond count; hours keep counting past 99.
QString clockText(int64_t ms);

} // namespace glyfex::ripping
