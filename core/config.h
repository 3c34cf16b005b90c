// The configuration file Glyfex.ini: every setting with its default and its allowed range, read and written as a whole.
#pragma once

#include "core/global_options.h"
#include "core/ini_store.h"
#include "core/result.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdint>

namespace glyfex::core {

// The settings kept between runs, as plain values. Loading stores a number as its target does (the low
// byte of a byte field, a spin box's nearer bound), then checks it against the range of what it feeds
// and takes the key's default when it is still outside, so a damaged file can never hand an index, a
// divisor or a size the code cannot use. The windows copy these in and out (config_binding).
struct Config {
    // Section CONFIG: dialog folders and window choices.
    struct Main {
        QString openDialogCharMatrix;  // initial folders of the file dialogs
        QString saveDialogCharMatrix;
        QString saveDialogBmpSup;
        QString openDialogVob;
        bool rememberStyles = true;
        QString openDialogGlyfexText;
        QString saveDialogText;
        QString openAvi;
        // The interface language (a language-file name without ".lng"); empty is the built-in English;
        // FirstRunLanguage until the first run has chosen one.
        QString languageName;
        bool autoScrollDown = true;
        bool fancyFormat = true;
        int actionMode = 0; // item of the input dialog's action choice, 0-3
        bool avoidTimeRestart = false;
        bool showAllLangStreams = false;
        bool selectAllVobs = true;
        int priority = 1;        // 0 idle, 1 normal, 2 high, 3 real time
        int subtWndHeight = 188; // pixels, kept below the main window's screen height when applied
        int activePage = 11;     // output format 0-24 (11 = .gxt)
        bool operator==(const Main &) const = default;
    };

    // Section PREVIEW CFG: the preview's display options.
    struct Preview {
        bool atTruePos = true;
        bool transparentBackground = false;
        int zoom = 1000; // per mille, 100-2000
        bool autoZoom = false;
        int borderColour = 0x6D6F8B; // 0x00BBGGRR
        int innerColour = 0xC7BABB;
        int backMode = 0;        // 0 none, 1 preset ratio, 2 free bars, 3 image
        int aspectRatioMode = 0; // 0 16:9, 1 1.85:1, 2 2.35:1
        int freeAspectRatio = 30; // bar height in rows, 0-288
        QString backImageName;
        bool operator==(const Preview &) const = default;
    };

    // Section OCR SETTING: the recognition tuning; pixel sizes of a text line at most 45 high.
    struct Ocr {
        int minLineHeight = 8;     // 0-45
        int maxLineHeight = 45;    // 0-45
        int minInterLine = 2;      // 1-50
        int minCharWidth = 2;      // 1-45
        int minCharHeight = 2;     // 1-45
        int spaceWidth = 7;        // -10..45
        bool checkDetachedChar = true;
        int sensibility = 980;     // per mille, 0-1000
        int maxCharDiffWidth = 2;  // 0-45
        int maxCharDiffHeight = 2; // 0-45
        int maxCharDiffTop = 6;    // 0-45
        bool operator==(const Ocr &) const = default;
    };

    // The options of the output formats kept in the file (sections GLYFEX OUTPUT ... DVDMAESTRO OUTPUT).
    struct OutputFormats {
        bool gxtExtended = false;
        bool gxtColourTags = false;
        QString frameRate = QStringLiteral("23.976"); // frame-number formats, as typed
        bool microDvdRateLine = true;
        int tmPlayerVariant = 1; // 1-5
        bool sv2PreserveStyles = false;
        QString sv2Font = QStringLiteral("Arial,18,0,Bold"); // name,size,charset,styles
        std::array<int, 4> stlColours{0x808080, 0, 0xFFFFFF, 0};
        std::array<int, 4> stlContrasts{15, 15, 15, 0}; // 0-15
        int stlHorzAlign = 1; // 0 left, 1 centre, 2 right
        int stlXOffset = 0;   // 0-719
        int stlVertAlign = 2; // 0 top, 1 centre, 2 bottom
        int stlYOffset = 2;   // 0-575
        QString stlFont = QStringLiteral("Arial,36,0,Bold");
        std::array<int, 4> ssaColours{0x80FFFF, 0x80FFFF, 0x80FFFF, 0};
        int ssaMargin = 30;  // 0-720
        int ssaMarginV = 25; // 0-576
        int ssaBorder = 2;   // 0-50
        int ssaShadow = 2;   // 0-50
        QString ssaFont = QStringLiteral("Arial,28,0");
        int minimumInterval = 10; // I-Author, ms, 0-999
        bool maestroExtended = true;
        bool operator==(const OutputFormats &) const = default;
    };

    // Section OCRCORRECTION: the post-OCR correction choices.
    struct OcrCorrection {
        bool twiceApostrophe = true;
        bool il = true;
        int ilLanguage = 0; // 0-6
        bool punctuation = true;
        bool orthography = false;
        QString orthographyDictionary;
        bool capitalLetters = true;
        bool lowerCaseBefore = false;
        bool removeSpaceBetweenNumbers = true;
        bool operator==(const OcrCorrection &) const = default;
    };

    Main main;
    GlobalOptions options;                                      // section GOPTIONS
    QString subtitleFontName = QStringLiteral("Arial Unicode MS"); // GOPTIONS: the Subtitles window's list
    int subtitleFontSize = 8;                                   // points, 1-1000
    Preview preview;
    Ocr ocr;
    bool pictureTiming = true; // section BMP OUT TC & RES: saved pictures also become subtitles
    bool dropFrame = true;     // ... and their NTSC times count drop frames
    OutputFormats output;
    int inputType = 7; // section INPUT: filter of the Subtitles window's open dialog, 1-13
    OcrCorrection correction;

    bool operator==(const Config &) const = default;

    // The file's value of languageName before a first run has chosen a language.
    static constexpr QLatin1String FirstRunLanguage{"1stRun"};

    // Where the folder defaults point: the character matrices, and the folder for everything else.
    struct Folders {
        QString chMatrixDir;
        QString startDir;
    };
    // Every key's default.
    static Config defaults(const Folders &folders);

    // Reads every key from the store over the defaults (OCR SETTING over the ocr values given,
    // as the recognition's current values are its defaults). A first run (languageName 1stRun)
    // takes the interface language from locale when it is one of languages (those with a file).
    static Config load(const IniStore &store, const Folders &folders, const Ocr &currentOcr,
                       const QLocale &locale, const QStringList &languages);
    // Writes every key except OCR SETTING into the store, in the order of a new file.
    void save(IniStore &store) const;

    // Reads the configuration file; a missing file gives the defaults, an unreadable one an error.
    static Result<Config> loadFile(const QString &path, const Folders &folders, const Ocr &currentOcr,
                                   const QLocale &locale, const QStringList &languages);
    // Writes the configuration into the file, keeping its other sections (presets, OCR SETTING).
    Result<void> saveFile(const QString &path) const;
};

// Writes OCR SETTING into the configuration file at once (the Advanced OCR Setup's Save).
Result<void> saveOcrSettings(const QString &path, const Config::Ocr &ocr);

// The font the Subtitles window's list uses for the configured name: that font when installed
// (letter case aside), else Tahoma, else Arial, else the name as it is.
QString resolveSubtitleFont(const QString &wanted, const QStringList &installedFamilies);

// The language file named after the system's language, or empty when no file is made for it.
QString firstRunLanguage(const QLocale &locale);
// What a first run leaves in languageName: the locale's language when its file is among languages,
// else the first-run marker, which shows the built-in English and is saved as it is, so that a language
// file installed later is still picked at a later start.
QString firstRunChoice(const QLocale &locale, const QStringList &languages);

// What a number read outside its range becomes before the range is checked: the stored target's width
// keeps the low 8 or 16 bits (a byte field given 300 holds 44), a spin box brings it to its nearer
// bound. Whatever is then still outside the range takes the key's default.
enum class StoredAs {
    Whole,     // a 32-bit target: the number as read
    Low8Bits,  // an 8-bit target
    Low16Bits, // a 16-bit target
    SpinBox,   // a spin box's value: clamped to the range
};

// The width of a field's own type: the bitmap presets keep their targets' widths in their types.
template <class T>
constexpr StoredAs storedAsOf()
{
    if constexpr (sizeof(T) == 1)
        return StoredAs::Low8Bits;
    else if constexpr (sizeof(T) == 2)
        return StoredAs::Low16Bits;
    else
        return StoredAs::Whole;
}

// How a settings block meets the INI store: one walk over its keys (section, key, field, default and
// range) is run with a reader or a writer, so reading and writing can never disagree about a key.
struct IniKeyReader {
    const IniStore &store;
    void text(const QString &section, const QString &key, QString &field, const QString &def) const
    {
        field = store.readString(section, key, def);
    }
    void boolean(const QString &section, const QString &key, bool &field, bool def) const
    {
        field = store.readBool(section, key, def);
    }
    // A malformed number takes the default; one outside [lowest, highest] is first stored as its
    // target stores it, and takes the default when that is still outside.
    template <class T>
    void integer(const QString &section, const QString &key, T &field, T def, int lowest, int highest,
                 StoredAs stored = storedAsOf<T>()) const
    {
        int v = store.readInteger(section, key, int(def));
        switch (stored) {
        case StoredAs::Whole: break;
        case StoredAs::Low8Bits: v = uint8_t(v); break;
        case StoredAs::Low16Bits: v = uint16_t(v); break;
        case StoredAs::SpinBox: v = std::clamp(v, lowest, highest); break;
        }
        field = v >= lowest && v <= highest ? T(v) : def;
    }
};

struct IniKeyWriter {
    IniStore &store;
    void text(const QString &section, const QString &key, const QString &field, const QString &) const
    {
        store.writeString(section, key, field);
    }
    void boolean(const QString &section, const QString &key, bool field, bool) const
    {
        store.writeBool(section, key, field);
    }
    template <class T>
    void integer(const QString &section, const QString &key, T field, T, int, int, StoredAs = StoredAs::Whole) const
    {
        store.writeInteger(section, key, int(field));
    }
};

} // namespace glyfex::core
