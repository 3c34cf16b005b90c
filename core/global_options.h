// The program-wide options of the Global Options dialog, read by the reading pass, recognition and the subtitle readers.
#pragma once

#include <QString>

namespace glyfex::core {

// One plain record that the dialog edits and every user reads. Values at start are the dialog's
// designed state; the configuration overrides them (section GOPTIONS).
struct GlobalOptions {
    // Subpictures shown for less than this many milliseconds are skipped (0-9999); also the gap the
    // subtitle readers keep between a stop and the next start when they repair overlaps.
    int minSubDuration = 200;
    bool buildMap = true;          // build and follow the VOB's subtitle map
    bool useFileOffsets = false;   // seek to the VobSub index's file positions
    bool wakeMeUp = true;          // signal while the New Character(s) dialog waits
    bool forcedSubsOnly = false;   // keep only forced subpictures
    bool rightToLeft = false;      // right-to-left text in recognition
    int maxTmpDuration = 2500;     // ms given to a subtitle without end time (500-4000)
    int minTmpPause = 500;         // ms, kept in the configuration only (1-1000)
    // Instead of waiting for the user, the New Character(s) dialog answers after fillDelay seconds
    // (1-30) with the best guess between fillBefore and fillAfter, or fillNone without one.
    bool fillBestGuess = false;
    int fillDelay = 10;
    QString fillNone = QStringLiteral("*");
    QString fillBefore = QStringLiteral("[");
    QString fillAfter = QStringLiteral("]");
    bool addBestGuessToMatrix = false;

    // The ranges of the numeric options, shared by the dialog's boxes and the configuration's checks.
    static constexpr int MinSubDurationMax = 9999;
    static constexpr int MaxTmpLowest = 500, MaxTmpHighest = 4000;
    static constexpr int MinTmpLowest = 1, MinTmpHighest = 1000;
    static constexpr int FillDelayLowest = 1, FillDelayHighest = 30;

    bool operator==(const GlobalOptions &) const = default;
};

} // namespace glyfex::core
