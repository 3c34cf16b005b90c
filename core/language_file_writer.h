// Composes a language file for translators: the Info header, the kept note block and the image of the windows.
#pragma once

#include "core/result.h"

#include <QString>
#include <QStringList>

namespace glyfex::core {

// What a language file is made of. The image is the one of an INI store holding every translated
// window and the message table (a "[section]" line, its lines, an empty line, per section).
struct LanguageFileParts {
    QString language;        // "English", "Deutsch", ...
    QString version;         // the program's version, written in the Info section
    QStringList image;
    QStringList credits;     // the lines of Credits.txt; none when it is missing
    QStringList existing;    // the lines of the language's current file; none when it is missing
};

// The translator named for a language in Credits.txt: from every line naming "<language>.lng", the text
// after its first ": " (or the line without its first character when it has no ":"), followed by the
// next one or two lines trimmed when they are neither empty nor a new "  * " entry; the last such line
// wins. "see Credits.txt" when no line names it.
QString translatorText(const QStringList &credits, const QString &language);

// The translators' notes of a language file: from the first line of exactly 80 "/" up to, not including,
// the next empty line (or the end of the file). Empty when there is no such line.
QStringList noteBlock(const QStringList &lines);

// Whether a line of a window's image is a text the program sets itself (the pause button's caption, the
// file and counter labels, the generated language items), which a written file leaves out. section is
// the section's header line ("[Form1]").
bool isProgramsOwnLine(const QString &section, const QString &line);

// The whole file as lines: the Info header, the note block, an empty line, then the image without the
// texts the program sets itself (counters, file names, generated language items), with the program's
// version in the Output Format's header texts turned back into "${VERSION}".
QStringList composeLanguageFile(const LanguageFileParts &parts);

} // namespace glyfex::core
