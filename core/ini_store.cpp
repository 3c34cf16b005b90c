// Loading, looking up, changing and writing back the in-memory INI store.
#include "core/ini_store.h"

#include "core/file_read.h"
#include "core/save_file.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cstdint>

namespace glyfex::core {

namespace {

// Settings and language files are a few hundred kilobytes; anything far larger is not one of ours and
// would only be read into memory whole.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

const QString kEscapeMarker = QStringLiteral("\\:");

// Blanks and control characters (everything up to U+0020) at either end are not part of a name or value.
QString trimControls(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20) ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20) --end;
    return begin == 0 && end == text.size() ? text : text.mid(begin, end - begin);
}

// The name of a stored line: its text before the first "=", or "" for a bare line.
QString lineName(const QString &line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : line.left(eq);
}

QString escapeValue(const QString &value)
{
    if (!value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')) && !value.startsWith(kEscapeMarker))
        return value;
    QString out = kEscapeMarker;
    out.reserve(value.size() + 8);
    for (QChar c : value) {
        if (c == QLatin1Char('\\')) out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\r')) out += QLatin1String("\\r");
        else if (c == QLatin1Char('\n')) out += QLatin1String("\\n");
        else out += c;
    }
    return out;
}

QString unescapeValue(const QString &stored)
{
    if (!stored.startsWith(kEscapeMarker)) return stored;
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = kEscapeMarker.size(); i < stored.size(); ++i) {
        const QChar c = stored.at(i);
        if (c != QLatin1Char('\\') || i + 1 == stored.size()) {
            out += c;
            continue;
        }
        const QChar next = stored.at(i + 1);
        if (next == QLatin1Char('\\')) out += QLatin1Char('\\');
        else if (next == QLatin1Char('r')) out += QLatin1Char('\r');
        else if (next == QLatin1Char('n')) out += QLatin1Char('\n');
        else { // not one of ours: keep both characters
            out += c;
            out += next;
        }
        ++i;
    }
    return out;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

// A signed 32-bit number: optional leading blanks and sign, then decimal digits or "$" and hex digits.
// Hexadecimal takes up to 32 bits and wraps into the signed range ($FFFFFFFF is -1); decimal must fit.
bool parseInteger(const QString &text, int &value)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' ')) ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        negative = text.at(i++) == QLatin1Char('-');
    const bool hexadecimal = i < text.size() && text.at(i) == QLatin1Char('$');
    if (hexadecimal) ++i;
    if (i == text.size()) return false;
    uint64_t magnitude = 0;
    const uint64_t limit = hexadecimal ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    for (; i < text.size(); ++i) {
        const int digit = hexDigit(text.at(i));
        if (digit < 0 || (!hexadecimal && digit > 9)) return false;
        magnitude = magnitude * (hexadecimal ? 16 : 10) + uint64_t(digit);
        if (magnitude > limit) return false;
    }
    const auto bits = uint32_t(magnitude);
    value = int(negative ? uint32_t(0) - bits : bits);
    return true;
}

// A date or time as this program writes it (ISO 8601), else in the system locale's form, else the default.
template <class T, class FromIso, class FromLocale>
T parseIsoOrLocal(const QString &text, const T &defaultValue, FromIso fromIso, FromLocale fromLocale)
{
    if (text.isEmpty()) return defaultValue;
    T value = fromIso(text);
    if (!value.isValid()) value = fromLocale(text);
    return value.isValid() ? value : defaultValue;
}

// The lines of a whole text; CR LF, LF and CR each end a line.
QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.append(text.mid(start));
    return lines;
}

// UTF-16 read unit by unit, so that no unit, paired or not, is altered; an odd last byte is U+FFFD.
QString decodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    QString text;
    text.resize(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto b0 = uint8_t(bytes[i]);
        const auto b1 = uint8_t(bytes[i + 1]);
        text[i / 2] = QChar(char16_t(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0)));
    }
    if (bytes.size() % 2) text += QChar(u'\uFFFD');
    return text;
}

Result<QString> decodeFileText(const QByteArray &bytes, CodePage ansiCodePage, const QString &fileName)
{
    const QByteArrayView view(bytes);
    if (view.startsWith("\xFF\xFE")) return decodeUtf16(view.sliced(2), false);
    if (view.startsWith("\xFE\xFF")) return decodeUtf16(view.sliced(2), true);
    Result<QString> text = view.startsWith("\xEF\xBB\xBF") ? TextCodec::decode(view.sliced(3), 65001)
                                                           : TextCodec::decode(view, ansiCodePage);
    if (!text) return makeError(QStringLiteral("Cannot read settings file"), fileName, text.error().message());
    return text;
}

} // namespace

IniStore::IniStore(QString fileName) : m_fileName(std::move(fileName)) {}

size_t caseFoldedHash(QStringView text, size_t seed) noexcept
{
    // Over the folded code points, as the case-insensitive comparison compares them.
    size_t h = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        h = h * 31 + (c < 0x80 ? (c >= U'A' && c <= U'Z' ? c + 0x20 : c) : QChar::toCaseFolded(c));
    }
    return qHash(h, seed);
}

namespace {

// The whole file, or an error when it cannot be read, is no plain file or is too large to be a settings or
// text file.
Result<QByteArray> readWholeFile(const QString &fileName)
{
    const QString what = QStringLiteral("Cannot read settings file");
    return readPlainFile(fileName, kMaxFileSize, what, [&](qint64 size) {
        return makeError(what, QDir::toNativeSeparators(fileName),
                         QStringLiteral("%1 bytes is too large for a settings file").arg(size));
    });
}

} // namespace

Result<IniStore> IniStore::open(const QString &fileName, CodePage ansiCodePage)
{
    if (fileName.isEmpty() || !QFileInfo::exists(fileName)) return IniStore(fileName);
    const Result<QByteArray> bytes = readWholeFile(fileName);
    if (!bytes) return bytes.error();
    return fromBytes(*bytes, fileName, ansiCodePage);
}

Result<QStringList> IniStore::readLines(const QString &fileName, CodePage ansiCodePage)
{
    if (fileName.isEmpty() || !QFileInfo::exists(fileName)) return QStringList();
    const Result<QByteArray> bytes = readWholeFile(fileName);
    if (!bytes) return bytes.error();
    auto text = decodeFileText(*bytes, ansiCodePage, fileName);
    if (!text) return text.error();
    return splitLines(*text);
}

Result<IniStore> IniStore::fromBytes(const QByteArray &bytes, const QString &fileName, CodePage ansiCodePage)
{
    auto text = decodeFileText(bytes, ansiCodePage, fileName);
    if (!text) return text.error();
    IniStore store(fileName);
    store.setStrings(splitLines(*text));
    return store;
}

void IniStore::setStrings(const QStringList &lines)
{
    clear();
    Section *current = nullptr;
    for (const QString &raw : lines) {
        const QString line = trimControls(raw);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')) && line.size() >= 2) {
            m_sections.push_back(Section{trimControls(line.mid(1, line.size() - 2)), {}, {}, false});
            current = &m_sections.back();
            continue;
        }
        if (!current) continue; // text before the first section belongs to nothing
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        // Most lines have nothing to trim around their "=": they are kept as read, without a copy.
        const auto blank = [&](qsizetype i) { return line.at(i).unicode() <= 0x20; };
        if (eq < 0 || ((eq == 0 || !blank(eq - 1)) && (eq + 1 == line.size() || !blank(eq + 1))))
            current->lines.append(line);
        else current->lines.append(trimControls(line.left(eq)) + QLatin1Char('=') + trimControls(line.mid(eq + 1)));
    }
}

void IniStore::clear()
{
    m_sections.clear();
    m_sectionIndex.clear();
    m_sectionsIndexed = false;
}

int IniStore::findSection(const QString &name) const
{
    if (!m_sectionsIndexed) {
        m_sectionIndex.clear();
        for (size_t i = 0; i < m_sections.size(); ++i) m_sectionIndex.insert(FoldedName(m_sections[i].name), int(i));
        m_sectionsIndexed = true;
    }
    return m_sectionIndex.value(FoldedName(name), -1);
}

int IniStore::findLine(const Section &section, const QString &ident) const
{
    if (!section.indexed) {
        section.nameIndex.clear();
        for (int i = 0; i < section.lines.size(); ++i) {
            const QString &line = section.lines.at(i);
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq >= 0) section.nameIndex.insert(FoldedName(line, eq), i);
        }
        section.indexed = true;
    }
    return section.nameIndex.value(FoldedName(ident), -1);
}

IniStore::Section &IniStore::sectionForWriting(const QString &name)
{
    const int found = findSection(name);
    if (found >= 0) return m_sections[size_t(found)];
    m_sections.push_back(Section{name, {}, {}, true});
    // The new section is the last of its name, so the index stays valid with it added.
    m_sectionIndex.insert(FoldedName(name), int(m_sections.size() - 1));
    return m_sections.back();
}

QString IniStore::readString(const QString &section, const QString &ident, const QString &defaultValue) const
{
    const int s = findSection(section);
    if (s < 0) return defaultValue;
    const Section &sec = m_sections[size_t(s)];
    const int line = findLine(sec, ident);
    if (line < 0) return defaultValue;
    // The value starts after the line's own "=": the stored name may differ from ident in case and,
    // under case folding, even in length.
    const QString &text = sec.lines.at(line);
    return unescapeValue(text.mid(text.indexOf(QLatin1Char('=')) + 1));
}

void IniStore::writeString(const QString &section, const QString &ident, const QString &value)
{
    Section &sec = sectionForWriting(section);
    const QString line = ident + QLatin1Char('=') + escapeValue(value);
    const int found = findLine(sec, ident);
    if (found >= 0) {
        sec.lines[found] = line; // same name, so the index still holds
        return;
    }
    sec.lines.append(line);
    if (sec.indexed)
        sec.nameIndex.insert(FoldedName(sec.lines.last(), sec.lines.last().indexOf(QLatin1Char('='))),
                             int(sec.lines.size() - 1));
}

QString IniStore::valueAfterReload(const QString &value)
{
    return unescapeValue(trimControls(escapeValue(value)));
}

int IniStore::readInteger(const QString &section, const QString &ident, int defaultValue) const
{
    QString text = readString(section, ident);
    if (text.size() > 2 && text.at(0) == QLatin1Char('0') && (text.at(1) == QLatin1Char('x') || text.at(1) == QLatin1Char('X')))
        text.replace(0, 2, QLatin1Char('$'));
    int value = 0;
    return parseInteger(text, value) ? value : defaultValue;
}

void IniStore::writeInteger(const QString &section, const QString &ident, int value)
{
    writeString(section, ident, QString::number(value));
}

bool IniStore::readBool(const QString &section, const QString &ident, bool defaultValue) const
{
    return readInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void IniStore::writeBool(const QString &section, const QString &ident, bool value)
{
    writeString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

double IniStore::readFloat(const QString &section, const QString &ident, double defaultValue) const
{
    const QString text = readString(section, ident);
    if (text.isEmpty()) return defaultValue;
    bool ok = false;
    double value = QLocale::c().toDouble(text, &ok);
    if (!ok) value = QLocale::system().toDouble(text, &ok);
    return ok ? value : defaultValue;
}

void IniStore::writeFloat(const QString &section, const QString &ident, double value)
{
    writeString(section, ident, QString::number(value, 'g', 15));
}

QDate IniStore::readDate(const QString &section, const QString &ident, const QDate &defaultValue) const
{
    return parseIsoOrLocal(
        readString(section, ident), defaultValue, [](const QString &t) { return QDate::fromString(t, Qt::ISODate); },
        [](const QString &t) { return QLocale::system().toDate(t, QLocale::ShortFormat); });
}

void IniStore::writeDate(const QString &section, const QString &ident, const QDate &value)
{
    writeString(section, ident, value.toString(Qt::ISODate));
}

QTime IniStore::readTime(const QString &section, const QString &ident, const QTime &defaultValue) const
{
    return parseIsoOrLocal(
        readString(section, ident), defaultValue, [](const QString &t) { return QTime::fromString(t, Qt::ISODateWithMs); },
        [](const QString &t) { return QLocale::system().toTime(t, QLocale::LongFormat); });
}

void IniStore::writeTime(const QString &section, const QString &ident, const QTime &value)
{
    writeString(section, ident, value.toString(Qt::ISODate));
}

QDateTime IniStore::readDateTime(const QString &section, const QString &ident, const QDateTime &defaultValue) const
{
    return parseIsoOrLocal(
        readString(section, ident), defaultValue,
        [](const QString &t) { return QDateTime::fromString(t, Qt::ISODateWithMs); },
        [](const QString &t) { return QLocale::system().toDateTime(t, QLocale::ShortFormat); });
}

void IniStore::writeDateTime(const QString &section, const QString &ident, const QDateTime &value)
{
    writeString(section, ident, value.toString(Qt::ISODate));
}

QByteArray IniStore::readBinary(const QString &section, const QString &ident) const
{
    const QString text = readString(section, ident);
    QByteArray bytes;
    bytes.reserve(text.size() / 2);
    for (qsizetype i = 0; i + 1 < text.size(); i += 2) {
        const int high = hexDigit(text.at(i));
        const int low = hexDigit(text.at(i + 1));
        if (high < 0 || low < 0) break;
        bytes.append(char(high << 4 | low));
    }
    return bytes;
}

void IniStore::writeBinary(const QString &section, const QString &ident, const QByteArray &bytes)
{
    writeString(section, ident, QString::fromLatin1(bytes.toHex().toUpper()));
}

QStringList IniStore::readSection(const QString &section) const
{
    QStringList names;
    const int s = findSection(section);
    if (s < 0) return names;
    for (const QString &line : m_sections[size_t(s)].lines) names.append(lineName(line));
    return names;
}

QStringList IniStore::readSections() const
{
    QStringList names;
    names.reserve(qsizetype(m_sections.size()));
    for (const Section &sec : m_sections) names.append(sec.name);
    return names;
}

QStringList IniStore::readSectionValues(const QString &section) const
{
    const int s = findSection(section);
    return s < 0 ? QStringList() : m_sections[size_t(s)].lines;
}

void IniStore::eraseSection(const QString &section)
{
    const int s = findSection(section);
    if (s < 0) return;
    m_sections.erase(m_sections.begin() + s);
    m_sectionsIndexed = false;
}

void IniStore::deleteKey(const QString &section, const QString &ident)
{
    const int s = findSection(section);
    if (s < 0) return;
    Section &sec = m_sections[size_t(s)];
    const int line = findLine(sec, ident);
    if (line < 0) return;
    sec.lines.removeAt(line);
    sec.indexed = false;
}

bool IniStore::valueExists(const QString &section, const QString &ident) const
{
    const int s = findSection(section);
    if (s < 0) return false;
    const Section &sec = m_sections[size_t(s)];
    if (findLine(sec, ident) >= 0) return true;
    // A bare line (no "=") has the empty name.
    if (!ident.isEmpty()) return false;
    for (const QString &line : sec.lines)
        if (!line.contains(QLatin1Char('='))) return true;
    return false;
}

QStringList IniStore::strings() const
{
    QStringList image;
    for (const Section &sec : m_sections) {
        image.append(QLatin1Char('[') + sec.name + QLatin1Char(']'));
        image.append(sec.lines);
        image.append(QString());
    }
    return image;
}

QByteArray IniStore::fileBytes() const
{
    return bytesOf(strings());
}

QByteArray IniStore::bytesOf(const QStringList &image)
{
    qsizetype units = 1;
    for (const QString &line : image) units += line.size() + 2;
    QByteArray bytes;
    bytes.reserve(units * 2);
    bytes.append("\xFF\xFE", 2);
    // Every unit as it is, paired or not: the file holds exactly the text the store holds.
    auto put = [&bytes](char16_t u) {
        bytes.append(char(u & 0xFF));
        bytes.append(char(u >> 8));
    };
    for (const QString &line : image) {
        for (QChar c : line) put(c.unicode());
        put(u'\r');
        put(u'\n');
    }
    return bytes;
}

Result<void> IniStore::updateFile() const
{
    const QString what = QStringLiteral("Cannot write settings file");
    if (m_fileName.isEmpty()) return makeError(what, QString(), QStringLiteral("no file name"));
    return saveFile(m_fileName, fileBytes(), what);
}

} // namespace glyfex::core
