// The lines of a subtitle text file: its encoding found from the byte-order mark, lines split by the file's own rules.
#pragma once

#include "core/text_codec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace glyfex::subtitles {

// Reads a whole file's bytes once and hands out its lines. A file beginning with FF FE (and at least one
// byte more) is UTF-16LE; one beginning with EF BB BF is UTF-8 (the mark says what the file is, whatever
// code page is chosen); any other file is text in the given code page. A line ends at LF (the byte 0A, or
// the code unit U+000A); every CR is dropped, so a CR alone does not end a line. A last line without LF
// is a line; the end of the file is not.
class SubtitleLineReader {
public:
    enum class Encoding { CodePage, Utf16Le, Utf8 };

    // An error only when the code page cannot be decoded on this system.
    static core::Result<SubtitleLineReader> fromBytes(const QByteArray &bytes, core::CodePage codePage);

    Encoding encoding() const { return m_encoding; }
    bool hasByteOrderMark() const { return m_encoding != Encoding::CodePage; }

    // Back to the first line (every reader starts the file again).
    void rewind() { m_next = 0; }
    bool atEnd() const { return m_next >= m_lines.size(); }
    // The next line, or an empty text at the end of the file.
    QString readLine() { return atEnd() ? QString() : m_lines[m_next++]; }
    // Gives the line last read back, so that the next readLine returns it again.
    void unread()
    {
        if (m_next > 0)
            --m_next;
    }
    // Number (1-based) of the line last read; 0 before the first.
    int lineNumber() const { return int(m_next); }
    // Lines read after rewind() until the next non-blank one (its text trimmed); empty at the end.
    QString readNonBlankLine();

    const QStringList &lines() const { return m_lines; }
    // The lines of a file without a byte-order mark as its bytes, split by the same rules.
    static QList<QByteArray> rawLines(const QByteArray &bytes);
    // Some line holds the character U+0000: the file is no text file.
    bool holdsNul() const { return m_holdsNul; }

private:
    SubtitleLineReader() = default;

    Encoding m_encoding = Encoding::CodePage;
    QStringList m_lines;
    qsizetype m_next = 0;
    bool m_holdsNul = false;
};

} // namespace glyfex::subtitles
