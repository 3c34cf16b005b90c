// The message table: the texts of dialogs, prompts and a few captions, by index, translatable as a whole.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace glyfex::core {

// Indices into the message table. The index is a message's identity: language files key their
// Messages section by it ("0" to "96"), so these numbers never change.
namespace Msg {
enum Id : int {
    MaxCharactersReached = 0,
    UseOwnMatrixPerDvd = 1,
    MatrixEmpty = 2,
    File = 3,
    AlreadyExistsReplace = 4,
    NotValidMatrixFile = 5,
    CharacterMatrix = 6,
    HasBeenModified = 7,
    DoYouWantToSaveIt = 8,
    TextNotSaved = 9,
    ReallyQuit = 10,
    ClosedCaptionsDetected = 11,
    SubtitleStreamsFound = 12,
    TimeCodesOverlapping = 13,
    ReallyOpenAnotherFile = 14,
    ErrorInFileAtSubtitle = 15,
    IgnoreAndContinue = 16,
    CannotWriteToFile = 17,
    ReallyClearAllText = 18,
    DeleteCharacter = 19, // ends with an opening double quote: the caller adds the text and the closing one
    SkippedTooSmall = 20,
    SubtitlesFileNotEmpty = 21,
    AddToEndOfFile = 22,
    SplitOutputEnabled = 23,
    NewSubtitlesMightNotAppear = 24,
    NoVobSubSelected = 25,
    BadPacketHeaderAtLba = 26,
    DoYouWantToContinue = 27,
    CannotOpenFile = 28,        // kept for the numbering of language files; not shown
    MightBeEncrypted = 29,      // kept for the numbering of language files; not shown
    EncryptedDiscHint = 30,     // kept for the numbering of language files; not shown
    TimeCode = 31,
    WillBeReducedToZero = 32,
    ContinueNoUndo = 33,
    NoMinusStretch = 34,
    LargerThanTotalTime = 35,
    GraphicalTextConversion = 36,
    StopBeforeStart = 37,
    SaveBmpsFileName = 38,
    SaveSupsFileName = 39,
    SaveAsBmpNumber = 40,       // kept for the numbering of language files; not shown
    SaveAsSupNumber = 41,       // kept for the numbering of language files; not shown
    EnterFileName = 42,         // kept for the numbering of language files; not shown
    SaveCurrentBmp = 43,
    SaveBmpSettingsProfile = 44,
    LoadBmpSettingsProfile = 45,
    LoadBackgroundImage = 46,
    NoMemoryToAddCharacter = 47,
    NoMemoryToLoadMatrix = 48,
    MatrixSizeInBytes = 49,
    MatrixFile = 50,
    ContainCharacter = 51,
    SeemsToMatch = 52,
    OpenThisMatrixFile = 53,
    NoMatchingMatrixFile = 54,
    PlaceMatrixFilesIn = 55,
    TryNextCharacter = 56,
    Pause = 57,    // pause button while a run goes on or nothing runs
    Continue = 58, // pause button while paused
    SymbolIndex = 59,
    UnrecognizedFormat = 60,
    ErrorInAviFile = 61,
    AviTimeGreater = 62,
    SplitSavedAs = 63,
    ServerDown = 64,
    NotConnected = 65,
    ActualVersion = 66,
    NewVersionAvailable = 67,
    VisitHomePage = 68,
    TextFormats = 69,      // root of the output-format tree
    GraphicalFormats = 70, // root of the output-format tree
    Warning = 71,          // 71-74 head the text of most dialogs
    Error = 72,
    Information = 73,
    Confirm = 74,
    ProcessingSkippedItem = 75,
    FontColourSelection = 76,
    CheckOneOrTwoColours = 77,
    ErrorOpeningVideo = 78,
    CannotDetectFrameRate = 79,
    InputFrameRate = 80,
    MaskColoursLegend = 81,
    ModeFull = 82,
    ModeAccumulate = 83,
    ModeCompare = 84,
    ModeNone = 85,
    AviSynthOpenFailed = 86,
    NonStandardCharacters = 87,
    SaveAsUnicode = 88,
    AviSynthUnicodeNames = 89,
    NoRgb32Compressor = 90,
    RecompressHint = 91,
    Small = 92,
    Caps = 93,
    Punct = 94,
    FillMatrix = 95,
    NegativeTimings = 96,
};
// Number of built-in texts (indices 0 to 96).
inline constexpr int Count = 97;
} // namespace Msg

// The built-in English text of a message, or an empty string outside 0..Msg::Count - 1.
QString builtInMessage(int index);

// The table every window takes its dialog texts from. It starts with the built-in English texts; a
// language file replaces them entry by entry.
class MessageTable {
public:
    // Reads one value of the language file's Messages section; nullopt when the key is missing.
    using Lookup = std::function<std::optional<QString>(const QString &key)>;

    MessageTable();

    // Text of entry index; an empty string for an index the table does not hold.
    QString text(int index) const;
    int count() const { return int(m_texts.size()); }
    // Every entry in index order, for writing a language file.
    const QStringList &texts() const { return m_texts; }

    // Back to the 97 built-in English texts, dropping any appended entries.
    void resetToDefaults();

    // Reads keys "0", "1", ... and replaces entry k with each text read, appending when k is past the
    // last entry; stops at the first key that is missing or empty, so later entries keep the text they
    // had (built-in, or an earlier language's). Returns how many entries were read.
    int replaceFrom(const Lookup &lookup);

private:
    QStringList m_texts;
};

} // namespace glyfex::core
