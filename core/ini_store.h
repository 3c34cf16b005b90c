// The in-memory INI store through which every settings, profile, language and palette file is read and written.
#pragma once

#include "core/result.h"
#include "core/text_codec.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTime>

#include <vector>

namespace glyfex::core {

// A hash of text that equal texts under Unicode case folding share (as QStringView::compare with
// Qt::CaseInsensitive finds them equal).
size_t caseFoldedHash(QStringView text, size_t seed) noexcept;

// The whole file lives in memory as sections in file order, each a list of lines "name=value" (or bare
// text) in file order; duplicate sections and duplicate names are kept as separate entries, and lookups
// find the LAST of equal names. Sections and names compare without regard to case by Unicode case
// folding. Nothing reaches the disk until updateFile(), which writes the whole image as UTF-16LE with a
// byte-order mark and CR LF line ends.
//
// A value holding CR or LF is stored as "\:" followed by the value with "\" written "\\", CR "\r" and LF
// "\n" (a value that itself begins with "\:" is stored the same way, so the prefix always means that);
// readString() undoes it. Every other value is stored exactly as given.
class IniStore {
public:
    // An empty store that updateFile() writes to fileName.
    explicit IniStore(QString fileName = {});

    // Loads fileName. A file with a byte-order mark is read as UTF-16LE, UTF-16BE or UTF-8; one without
    // as ansiCodePage through the codec. An empty name or a missing file gives an empty store; a file
    // that exists but cannot be read or decoded gives an error.
    static Result<IniStore> open(const QString &fileName, CodePage ansiCodePage = 0);

    // The lines of a text file decoded as open() decodes a settings file, without parsing them (for files
    // read line by line, such as the credits). A missing file gives no lines.
    static Result<QStringList> readLines(const QString &fileName, CodePage ansiCodePage = 0);

    // Parses the text of a whole file (byte-order mark included) without touching the disk.
    static Result<IniStore> fromBytes(const QByteArray &bytes, const QString &fileName, CodePage ansiCodePage = 0);

    const QString &fileName() const { return m_fileName; }

    QString readString(const QString &section, const QString &ident, const QString &defaultValue = {}) const;
    // Replaces the value of the last line of that name, or appends the line (and the section) at the end.
    void writeString(const QString &section, const QString &ident, const QString &value);
    // What readString() gives for value once it has been written to a file and read again: blanks and
    // control characters at the ends of a stored value do not survive the reading.
    static QString valueAfterReload(const QString &value);

    // Decimal with an optional sign, or hexadecimal after "$", "0x" or "0X"; anything else gives the default.
    int readInteger(const QString &section, const QString &ident, int defaultValue) const;
    void writeInteger(const QString &section, const QString &ident, int value);
    // Any non-zero integer is true; written as "1" or "0".
    bool readBool(const QString &section, const QString &ident, bool defaultValue) const;
    void writeBool(const QString &section, const QString &ident, bool value);

    // Numbers are written with "." and 15 significant digits, dates and times in ISO 8601, so a file reads
    // the same under any locale; on reading, the system locale's form is accepted as well.
    double readFloat(const QString &section, const QString &ident, double defaultValue) const;
    void writeFloat(const QString &section, const QString &ident, double value);
    QDate readDate(const QString &section, const QString &ident, const QDate &defaultValue) const;
    void writeDate(const QString &section, const QString &ident, const QDate &value);
    QTime readTime(const QString &section, const QString &ident, const QTime &defaultValue) const;
    void writeTime(const QString &section, const QString &ident, const QTime &value);
    QDateTime readDateTime(const QString &section, const QString &ident, const QDateTime &defaultValue) const;
    void writeDateTime(const QString &section, const QString &ident, const QDateTime &value);

    // Bytes stored as hexadecimal text, two digits each; decoding stops at the first pair that is not hex.
    QByteArray readBinary(const QString &section, const QString &ident) const;
    void writeBinary(const QString &section, const QString &ident, const QByteArray &bytes);

    // Names of the section's lines in order ("" for a bare line); empty when the section is missing.
    QStringList readSection(const QString &section) const;
    // All section names in file order, duplicates included.
    QStringList readSections() const;
    // The section's lines as stored.
    QStringList readSectionValues(const QString &section) const;

    // Removes the last section of that name / the last line of that name in it.
    void eraseSection(const QString &section);
    void deleteKey(const QString &section, const QString &ident);
    bool valueExists(const QString &section, const QString &ident) const;

    // The file image: per section its "[name]" line, its lines, and one empty line.
    QStringList strings() const;
    // Replaces the whole store by the parse of these lines (comments, blanks and text before the first
    // section are dropped, names and values trimmed).
    void setStrings(const QStringList &lines);
    void clear();

    // The bytes updateFile() writes: UTF-16LE with FF FE, every line ended by CR LF.
    QByteArray fileBytes() const;
    // Lines as a file of the store's form: UTF-16LE with FF FE, every line ended by CR LF.
    static QByteArray bytesOf(const QStringList &lines);
    // Writes the image to fileName through a temporary file; on failure the old file stays as it was.
    Result<void> updateFile() const;

private:
    // A name as the indexes hold it: the first length units of text (a section name, a key, or a stored line
    // up to its "="), hashed and compared by Unicode case folding. It shares the string it was made from, so
    // neither building an index nor looking a name up copies or folds a string.
    struct FoldedName {
        QString text;
        qsizetype length = 0;
        explicit FoldedName(const QString &name) : text(name), length(name.size()) {}
        FoldedName(const QString &line, qsizetype nameLength) : text(line), length(nameLength) {}
        QStringView view() const { return QStringView(text).left(length); }
        friend bool operator==(const FoldedName &a, const FoldedName &b)
        {
            return a.view().compare(b.view(), Qt::CaseInsensitive) == 0;
        }
        friend size_t qHash(const FoldedName &name, size_t seed) noexcept { return caseFoldedHash(name.view(), seed); }
    };

    struct Section {
        QString name;
        QStringList lines;
        // Name -> index of the last line with that name; rebuilt lazily after a removal.
        mutable QHash<FoldedName, int> nameIndex;
        mutable bool indexed = false;
    };

    int findSection(const QString &name) const;
    int findLine(const Section &section, const QString &ident) const;
    Section &sectionForWriting(const QString &name);

    QString m_fileName;
    std::vector<Section> m_sections;
    // Section name -> index of the last section with that name.
    mutable QHash<FoldedName, int> m_sectionIndex;
    mutable bool m_sectionsIndexed = false;
};

} // namespace glyfex::core
