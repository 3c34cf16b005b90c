// The post-OCR correction: the passes that repair typical recognition faults in every line of the subtitle store.
#pragma once

#include "core/pass_host.h"
#include "core/result.h"
#include "subtitles/correction_dictionary.h"
#include "subtitles/il_correction.h"
#include "subtitles/subtitle_store.h"

#include <QString>

#include <cstdint>

namespace glyfex::subtitles {

// Which passes run, and what they need. The passes always run in the order of the fields.
struct PostOcrOptions {
    bool apostrophes = true;
    bool il = true;
    IlLanguage ilLanguage = IlLanguage::English;
    bool punctuation = true;
    bool orthography = false;
    bool capitalLetters = true;
    bool lowerCaseBefore = false; // for closed captions in capitals only: the capitals pass lower-cases first
    bool spacesBetweenNumbers = true;
    bool wholeWords = true;
    uint8_t textCharset = 1; // the subtitle font's charset: 0 and 238 widen the I/l letter sets
    core::CodePage codePage = 0; // the subtitle text's ANSI page: that of dictionaries without a mark that are no UTF-8

    int passCount() const;
};

// The dictionaries of the passes that need one, loaded before any pass runs.
struct PostOcrDictionaries {
    CorrectionDictionary punctuation; // punct.dic as it stands (the pass adds its own pairs)
    CorrectionDictionary orthography;
};

// The dictionaries the passes of options need, loaded and cleaned: punctuationPath (punct.dic) for the
// punctuation pass, orthographyPath for the orthography pass. Both load before any pass runs, so a
// file that is missing or cannot be read (the error names it) leaves the store untouched.
core::Result<PostOcrDictionaries> loadPostOcrDictionaries(const PostOcrOptions &options,
                                                          const QString &punctuationPath,
                                                          const QString &orthographyPath);

// --- the passes on one line ---------------------------------------------------------------------------

// Typewriter apostrophes and accents become "'", doubled ' and doubled " one ".
QString correctApostrophes(QString line);
// Every pair of the dictionary replaced once over the line, in file order.
QString correctOrthography(QString line, const CorrectionDictionary &pairs);
// The capital-letters pass over one line; sentenceStart carries from line to line (true before the
// first line of all) and is updated for the next.
QString correctCapitalLetters(QString line, bool lowerCaseFirst, bool &sentenceStart);
// A blank between digits that recognition put apart ("12 000", "10 :30", "45.9 9") taken out.
QString removeSpacesBetweenNumbers(QString line);

// --- the whole run --------------------------------------------------------------------------------------

// Runs the chosen passes in order over a copy of the store's lines, then puts the copy back. The host
// hears progress after each subtitle of each pass (done out of count() x passCount()); when its pump
// answers Cancel the store stays exactly as it was and false is returned. Times, colours and
// rectangles are never touched. Subtitles added while the passes ran are left alone, and so is a subtitle
// whose text changed meanwhile; a store that lost subtitles meanwhile is not written at all (false).
bool correctStore(SubtitleStore &store, const PostOcrOptions &options, const PostOcrDictionaries &dictionaries,
                  core::PassHost &host);

} // namespace glyfex::subtitles
