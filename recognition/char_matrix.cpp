// The character matrix: entries by index, with the size buckets and text facts that matching uses.
#include "recognition/char_matrix.h"

#include <algorithm>
#include <new>

namespace glyfex::recognition {

namespace {

constexpr int kBucketCount = (kGlyphMaxWidth + 1) * (kGlyphMaxHeight + 1);

int bucketOf(int width, int height)
{
    return width * (kGlyphMaxHeight + 1) + height;
}

CharMatrix::MatchFacts factsOf(const Glyph &g)
{
    const core::CharText &text = g.text;
    CharMatrix::MatchFacts f;
    f.dy = g.dy;
    f.deleted = g.deleted;
    f.takeWithNext = isTakeWithNext(text);
    for (int i = 0; i < text.length && i < core::CharText::kCapacity; ++i) {
        switch (text.text[i]) {
        case u'o': case u'I': case u'l': case u'i': case u'\u00ED':
            f.strictLetter = true;
            break;
        case u'\u011B': case u'\u00E9': case u'\u00FA': case u'\u016F':
            f.strictCentralEuropeanLetter = true;
            break;
        default:
            break;
        }
    }
    return f;
}

} // namespace

CharMatrix::CharMatrix() : m_entries(1), m_facts(1) {}

int CharMatrix::liveCount() const
{
    return int(std::count_if(m_entries.begin() + 1, m_entries.end(), [](const Glyph &g) { return !g.deleted; }));
}

CharMatrix::AddOutcome CharMatrix::add(const Glyph &glyph)
{
    if (count() >= kMaxEntries)
        return AddOutcome::Full;
    m_modified = true;
    try {
        m_entries.reserve(m_entries.size() + 1);
        m_facts.reserve(m_facts.size() + 1);
        Glyph copy = glyph;
        copy.deleted = false;
        copy.width = std::min<uint8_t>(copy.width, kGlyphMaxWidth);
        copy.height = std::min<uint8_t>(copy.height, kGlyphMaxHeight);
        if (m_bySize.empty())
            m_bySize.resize(kBucketCount);
        const int bucket = bucketOf(copy.width, copy.height);
        m_bySize[size_t(bucket)].reserve(m_bySize[size_t(bucket)].size() + 1);
        m_entries.push_back(copy);
        m_facts.push_back(factsOf(copy));
        m_bySize[size_t(bucket)].push_back(uint16_t(count()));
    } catch (const std::bad_alloc &) {
        // Every growth was reserved before the first push, so nothing is half-added here.
        return AddOutcome::OutOfMemory;
    }
    return AddOutcome::Added;
}

void CharMatrix::reserve(int count)
{
    m_entries.reserve(size_t(count) + 1);
    m_facts.reserve(size_t(count) + 1);
}

void CharMatrix::markDeleted(int index)
{
    if (index < 1 || index > count())
        return;
    m_modified = true;
    m_entries[size_t(index)].deleted = true;
    m_facts[size_t(index)].deleted = true;
}

void CharMatrix::setComment(const QString &comment)
{
    m_comment = comment.left(kMaxCommentLength);
}

void CharMatrix::clear()
{
    CharMatrix empty;
    swap(empty);
}

void CharMatrix::swap(CharMatrix &other) noexcept
{
    std::swap(m_modified, other.m_modified);
    m_fileName.swap(other.m_fileName);
    m_comment.swap(other.m_comment);
    m_entries.swap(other.m_entries);
    m_facts.swap(other.m_facts);
    m_bySize.swap(other.m_bySize);
}

std::span<const uint16_t> CharMatrix::indexesOfSize(int width, int height) const
{
    if (m_bySize.empty() || width < 0 || width > kGlyphMaxWidth || height < 0 || height > kGlyphMaxHeight)
        return {};
    return m_bySize[size_t(bucketOf(width, height))];
}

} // namespace glyfex::recognition
