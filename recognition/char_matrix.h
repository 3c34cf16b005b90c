// The character matrix in memory: every glyph the user has named, with its text and style, by index.
#pragma once

#include "recognition/glyph.h"

#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace glyfex::recognition {

// Entries are numbered 1..count(); index 0 is an empty placeholder that is never matched, shown or
// saved. Deleting only flags an entry, so indexes stay valid while the program runs (the matrix editor
// and recognition refer to entries by index); a save drops the deleted entries and the next load
// renumbers the rest.
class CharMatrix {
public:
    static constexpr int kMaxEntries = 65535; // the file's count and entry indexes are 16-bit
    static constexpr int kMaxCommentLength = 255;

    enum class AddOutcome { Added, Full, OutOfMemory };

    CharMatrix();

    int count() const { return int(m_entries.size()) - 1; }
    const Glyph &entry(int index) const { return m_entries[size_t(index)]; }
    // Entries 1..count() (deleted ones included), as one span.
    std::span<const Glyph> entries() const { return std::span<const Glyph>(m_entries).subspan(1); }
    // Entries that are not deleted.
    int liveCount() const;

    // Appends a copy of the glyph (not deleted) as entry count() + 1 and marks the matrix modified.
    // Full when it already holds kMaxEntries; out of memory leaves the matrix as it was but modified.
    // A glyph larger than 80 x 45 is cut to that size.
    AddOutcome add(const Glyph &glyph);
    // Makes room for count entries in all, so that loading grows the tables once.
    void reserve(int count);
    // Flags entry index (1..count()) as deleted; other indexes are ignored.
    void markDeleted(int index);
    // Gives entry index (1..count()) another text and style and marks the matrix modified; other
    // indexes are ignored. The glyph stays as it was learnt.
    void setEntryText(int index, const core::CharText &text, uint8_t style);

    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }
    const QString &fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    // Free text describing the matrix (the characters of its language), at most 255 UTF-16 units.
    const QString &comment() const { return m_comment; }
    void setComment(const QString &comment);

    // Back to an empty matrix with no name, not modified.
    void clear();
    void swap(CharMatrix &other) noexcept;

    // Indexes of the live and deleted entries of one size, in increasing order: matching visits only
    // the sizes within its tolerances.
    std::span<const uint16_t> indexesOfSize(int width, int height) const;
    // Indexes of the entries whose width and height lie within dw and dh of the given size, in
    // increasing order. Lists are kept per size for the tolerances last asked and grow with each add,
    // so the matcher does not merge buckets for every glyph; the span is valid until the next add or
    // the next call with other tolerances. Not for use from several threads.
    std::span<const uint16_t> indexesNear(int width, int height, int dw, int dh) const;

    // What matching checks of every candidate before it compares bitmaps, kept apart from the bitmaps
    // so that skipping an entry touches little memory.
    struct MatchFacts {
        uint8_t dy = 0;
        bool deleted = false;
        bool takeWithNext = false;
        bool strictLetter = false;                // holds o I l i í: matched only by a perfect score
        bool strictCentralEuropeanLetter = false; // holds ě é ú ů: likewise under the Central European charset
        bool stemLetter = false;                  // holds I or l, two bare stems that may differ by a column
    };
    const MatchFacts &matchFacts(int index) const { return m_facts[size_t(index)]; }

private:

    bool m_modified = false;
    QString m_fileName;
    QString m_comment;
    std::vector<Glyph> m_entries;
    std::vector<MatchFacts> m_facts;
    // Buckets by exact size: (width, height) with width 0..80 and height 0..45; made at the first add.
    std::vector<std::vector<uint16_t>> m_bySize;
    struct NearLists {
        int dw = -1;
        int dh = -1;
        std::vector<std::vector<uint16_t>> lists; // by bucket of the asked size
        std::vector<bool> made;
    };
    mutable NearLists m_near;
    std::vector<uint16_t> &nearList(int width, int height, int dw, int dh) const;
    void addToNearLists(int index);
};

} // namespace glyfex::recognition
