// aeidon (python3-aeidon) as an independent reader and writer of subtitle files, run through the system Python.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace glyfex::test {

struct AeidonSub {
    double start = 0;
    double end = 0;
    int64_t startFrame = 0;
    // Lines joined with '\n', markup as aeidon keeps it.
    QString text;
};

// The Python interpreter that has aeidon (the Debian package installs it for the system Python); empty when none.
QString aeidonPython();

// The subtitles aeidon reads from a file, which it must take for the format named (aeidon.formats.<format>).
std::vector<AeidonSub> readWithAeidon(const QString &path, const char *format, const char *encoding = "utf_8");

// Has aeidon write subtitles (start, end and text; frames are not used) in a format and encoding.
void writeWithAeidon(const QString &path, const char *format, const char *encoding, const std::vector<AeidonSub> &subs);

} // namespace glyfex::test
