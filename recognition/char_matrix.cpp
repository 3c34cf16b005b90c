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
        case u'I': case u'l':
            f.stemLetter = true;
            f.strictLetter = true;
            break;
        case u'o': case u'i': case u'\u00ED':
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

// Appends to an empty list the indexes of the size buckets within dw and dh of the size, in increasing
// order, as matching must visit them.
void appendIndexesNear(const CharMatrix &matrix, int width, int height, int dw, int dh, std::vector<uint16_t> &list)
{
    for (int w = std::max(0, width - dw); w <= std::min(kGlyphMaxWidth, width + dw); ++w)
        for (int h = std::max(0, height - dh); h <= std::min(kGlyphMaxHeight, height + dh); ++h) {
            const auto bucket = matrix.indexesOfSize(w, h);
            list.insert(list.end(), bucket.begin(), bucket.end());
        }
    std::sort(list.begin(), list.end());
}

// Makes room for one more element without giving up the growth by factor that keeps appends linear.
template <class T>
void growForOneMore(std::vector<T> &v)
{
    if (v.size() == v.capacity())
        v.reserve(std::max<size_t>(16, v.capacity() + v.capacity() / 2));
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
        // Room grows by half at a time: reserving one more each time copied the whole table on every
        // add, which made learning a large range of characters quadratic.
        growForOneMore(m_entries);
        growForOneMore(m_facts);
        Glyph copy = glyph;
        copy.deleted = false;
        copy.width = std::min<uint8_t>(copy.width, kGlyphMaxWidth);
        copy.height = std::min<uint8_t>(copy.height, kGlyphMaxHeight);
        if (m_bySize.empty())
            m_bySize.resize(kBucketCount);
        const int bucket = bucketOf(copy.width, copy.height);
        growForOneMore(m_bySize[size_t(bucket)]);
        m_entries.push_back(copy);
        m_facts.push_back(factsOf(copy));
        m_bySize[size_t(bucket)].push_back(uint16_t(count()));
    } catch (const std::bad_alloc &) {
        // Every growth was reserved before the first push, so nothing is half-added here.
        return AddOutcome::OutOfMemory;
    }
    addToNearLists(count());
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

void CharMatrix::setEntryText(int index, const core::CharText &text, uint8_t style)
{
    if (index < 1 || index > count())
        return;
    m_modified = true;
    Glyph &g = m_entries[size_t(index)];
    g.text = text;
    g.style = style;
    // What matching checks first depends on the text (strict letters, "take with next").
    m_facts[size_t(index)] = factsOf(g);
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
    std::swap(m_near, other.m_near);
}

std::span<const uint16_t> CharMatrix::indexesOfSize(int width, int height) const
{
    if (m_bySize.empty() || width < 0 || width > kGlyphMaxWidth || height < 0 || height > kGlyphMaxHeight)
        return {};
    return m_bySize[size_t(bucketOf(width, height))];
}

void CharMatrix::addToNearLists(int index)
{
    if (m_near.dw < 0)
        return;
    const Glyph &g = m_entries[size_t(index)];
    try {
        // The new index is the largest, so appending keeps each list in order.
        for (int w = std::max(0, g.width - m_near.dw); w <= std::min(kGlyphMaxWidth, g.width + m_near.dw); ++w)
            for (int h = std::max(0, g.height - m_near.dh); h <= std::min(kGlyphMaxHeight, g.height + m_near.dh); ++h)
                if (m_near.made[size_t(bucketOf(w, h))])
                    m_near.lists[size_t(bucketOf(w, h))].push_back(uint16_t(index));
    } catch (const std::bad_alloc &) {
        m_near = NearLists{}; // only a cache: made again when next asked
    }
}

std::span<const uint16_t> CharMatrix::indexesNear(int width, int height, int dw, int dh) const
{
    if (width < 0 || width > kGlyphMaxWidth || height < 0 || height > kGlyphMaxHeight) {
        // A size no entry can have (a box taller than 45 rows): merged on the spot, not kept.
        thread_local std::vector<uint16_t> once;
        once.clear();
        appendIndexesNear(*this, width, height, dw, dh, once);
        return once;
    }
    return nearList(width, height, dw, dh);
}

std::vector<uint16_t> &CharMatrix::nearList(int width, int height, int dw, int dh) const
{
    if (m_near.dw != dw || m_near.dh != dh) {
        m_near.dw = dw;
        m_near.dh = dh;
        m_near.lists.assign(kBucketCount, {});
        m_near.made.assign(kBucketCount, false);
    }
    const size_t key = size_t(bucketOf(width, height));
    std::vector<uint16_t> &list = m_near.lists[key];
    if (!m_near.made[key]) {
        appendIndexesNear(*this, width, height, dw, dh, list);
        m_near.made[key] = true;
    }
    return list;
}

} // namespace glyfex::recognition
