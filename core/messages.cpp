// The built-in English message texts and their replacement from a language file.
#include "core/messages.h"

#include <array>

namespace glyfex::core {

namespace {

// Spacing and punctuation as the callers join them: several texts continue or precede others, hence
// leading or trailing words without a full stop.
constexpr std::array<const char16_t *, Msg::Count> kBuiltIn = {
    u"Maximum Number of Characters reached:",                                                   // 0
    u"You have to use a different char. matrix for each DVD.",                                  // 1
    u"The Character Matrix is Empty!",                                                          // 2
    u"File",                                                                                    // 3
    u"already exists! Replace?",                                                                // 4
    u"This is NOT valid Char Matrix File!",                                                     // 5
    u"Character Matrix",                                                                        // 6
    u"has been modified.",                                                                      // 7
    u"Do you want to save it?",                                                                 // 8
    u"Text NOT saved!",                                                                         // 9
    u"Do you really want to quit?",                                                             // 10
    u"Closed Captions detected",                                                                // 11
    u"subtitle streams found.",                                                                 // 12
    u"Subtitle timecodes are overlapping:",                                                     // 13
    u"Do you really want to open another file?",                                                // 14
    u"Error in file at Subtitle Nr.",                                                           // 15
    u"Ignore and Continue?",                                                                    // 16
    u"Cannot write to file",                                                                    // 17
    u"Do you really want to clear all text?",                                                   // 18
    u"Delete character \"",                                                                     // 19
    u"skipped - too small / short)",                                                            // 20
    u"Subtitles text file isn't empty.",                                                        // 21
    u"Add to the end of file?",                                                                 // 22
    u"Split Output File function is enabled.",                                                  // 23
    u"The new Subtitles might NOT appear until you disable it!",                                // 24
    u"No VOB/SUB selected!",                                                                    // 25
    u"Bad Packet Header at LBA:",                                                               // 26
    u"Do you want to continue?",                                                                // 27
    u"Can't open file",                                                                         // 28
    u", it might be encrypted.",                                                                // 29
    u"Encrypted discs have to be decrypted to a folder on disk before they can be read.",       // 30
    u"Time Code",                                                                               // 31
    u"will be reduced to 00:00:00,000.",                                                        // 32
    u"Do you want to continue? (No undo!)",                                                     // 33
    u"You can't make a minus time Stretch with a time",                                         // 34
    u"that is larger than the total file time!",                                                // 35
    u"It's not a good idea to convert between graphical and text based outputs.",               // 36
    u"The Stop time is smaller than the Start time!",                                           // 37
    u"Save BMPs: Enter beginning of File Name.",                                                // 38
    u"Save SUPs: Enter beginning of File Name.",                                                // 39
    u"Save as BMP (Subpicture Nr.",                                                             // 40
    u"Save as SUP (Subpicture Nr.",                                                             // 41
    u"), enter filename.",                                                                      // 42
    u"Save current BMP",                                                                        // 43
    u"Save current BMP Settings as a Profile file",                                             // 44
    u"Load BMP Settings from a Profile file",                                                   // 45
    u"Load a Background Image",                                                                 // 46
    u"Not enough memory to add this character to the Matrix!",                                  // 47
    u"Not enough memory to load this character Matrix!",                                        // 48
    u"Size of the Matrix in Bytes:",                                                            // 49
    u"File",                                                                                    // 50
    u"contain character",                                                                       // 51
    u"it seem to match with the current one.",                                                  // 52
    u"Do you want to open this Char Matrix File?",                                              // 53
    u"Can't find any (other) matching Char Matrix File.",                                       // 54
    u"Be sure to place all matrix files in",                                                    // 55
    u"You should try it again on the next character, if still not found then you must create new Matrix.", // 56
    u"&Pause  I I",                                                                             // 57
    u"&Continue  >",                                                                            // 58
    u"Symbol index:",                                                                           // 59
    u"Unrecognized file format.",                                                               // 60
    u"Error in AVI file.",                                                                      // 61
    u"The time read from AVI file is greater than time read from subtitle file.",               // 62
    u"Subtitle file splitted and saved as:",                                                    // 63
    u"Server is down or",                                                                       // 64
    u"you are not connected to Intenet.",                                                       // 65
    u"You have actual version.",                                                                // 66
    u"A new version of Glyfex is available for download!",                                      // 67
    u"Do you want to visit the Glyfex page?",                                                   // 68
    u"Text Formats",                                                                            // 69
    u"Graphical Formats",                                                                       // 70
    u"Warning",                                                                                 // 71
    u"Error",                                                                                   // 72
    u"Information",                                                                             // 73
    u"Confirm",                                                                                 // 74
    u"Processing skipped subtitle item",                                                        // 75
    u"Font color selection",                                                                    // 76
    u"You have to check 1 or 2 colors!",                                                        // 77
    u"Error opening video file.",                                                               // 78
    u"Cannot detect frame rate",                                                                // 79
    u"Input frame rate value",                                                                  // 80
    u"Subtitles should appear white, outlines red, filled zones gray, green, blue and magenta", // 81
    u"full",                                                                                    // 82
    u"accumulate",                                                                              // 83
    u"compare",                                                                                 // 84
    u"none",                                                                                    // 85
    u"Could not open video file using AviSynth.",                                               // 86
    u"Subtitle contains non-standard characters.",                                              // 87
    u"Save as UniCode instead of ANSI?",                                                        // 88
    u"UniCode file names not supported by AviSynth. Please rename your video file.",            // 89
    u"No suitable compressor could be found to give RGB32 images.",                             // 90
    u"If the video does not appear in the video window, recompress.",                           // 91
    u"Small",                                                                                   // 92
    u"Caps",                                                                                    // 93
    u"Punct",                                                                                   // 94
    u"Fill character matrix",                                                                   // 95
    u"Timings are negative, you may need to add a delay",                                       // 96
};

} // namespace

QString builtInMessage(int index)
{
    if (index < 0 || index >= Msg::Count)
        return {};
    return QString::fromUtf16(kBuiltIn[size_t(index)]);
}

MessageTable::MessageTable()
{
    resetToDefaults();
}

QString MessageTable::text(int index) const
{
    return index >= 0 && index < m_texts.size() ? m_texts[index] : QString();
}

void MessageTable::resetToDefaults()
{
    m_texts.clear();
    m_texts.reserve(Msg::Count);
    for (int i = 0; i < Msg::Count; ++i)
        m_texts.append(builtInMessage(i));
}

int MessageTable::replaceFrom(const Lookup &lookup)
{
    int k = 0;
    for (;; ++k) {
        const std::optional<QString> value = lookup(QString::number(k));
        if (!value || value->isEmpty())
            break;
        // k never passes the end by more than one: keys are read in order and reading stops at a gap.
        if (k < m_texts.size())
            m_texts[k] = *value;
        else
            m_texts.append(*value);
    }
    return k;
}

} // namespace glyfex::core
