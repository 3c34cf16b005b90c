// Bounded reader over a byte span: every read checks the remaining length and can never pass the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace glyfex::core {

// A read past the end returns 0 and sets a sticky failure flag; callers check failed() once after a
// group of reads instead of before each one. Offsets are relative to the start of the span.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data) : m_data(data) {}

    size_t size() const { return m_data.size(); }
    size_t pos() const { return m_pos; }
    size_t remaining() const { return m_pos < m_data.size() ? m_data.size() - m_pos : 0; }
    bool atEnd() const { return remaining() == 0; }
    bool failed() const { return m_failed; }
    bool has(size_t n) const { return n <= remaining(); }

    // Moves to an absolute offset; an offset past the end fails and leaves the position at the end.
    bool seek(size_t offset)
    {
        if (offset > m_data.size()) {
            m_failed = true;
            m_pos = m_data.size();
            return false;
        }
        m_pos = offset;
        return true;
    }

    bool skip(size_t n)
    {
        if (!has(n)) {
            m_failed = true;
            m_pos = m_data.size();
            return false;
        }
        m_pos += n;
        return true;
    }

    uint8_t u8()
    {
        if (!has(1)) return fail();
        return m_data[m_pos++];
    }
    uint16_t be16()
    {
        if (!has(2)) return fail();
        uint16_t v = uint16_t(m_data[m_pos] << 8 | m_data[m_pos + 1]);
        m_pos += 2;
        return v;
    }
    uint32_t be32()
    {
        if (!has(4)) return fail();
        uint32_t v = uint32_t(m_data[m_pos]) << 24 | uint32_t(m_data[m_pos + 1]) << 16
                   | uint32_t(m_data[m_pos + 2]) << 8 | uint32_t(m_data[m_pos + 3]);
        m_pos += 4;
        return v;
    }
    uint16_t le16()
    {
        if (!has(2)) return fail();
        uint16_t v = uint16_t(m_data[m_pos] | m_data[m_pos + 1] << 8);
        m_pos += 2;
        return v;
    }
    uint32_t le32()
    {
        if (!has(4)) return fail();
        uint32_t v = uint32_t(m_data[m_pos]) | uint32_t(m_data[m_pos + 1]) << 8
                   | uint32_t(m_data[m_pos + 2]) << 16 | uint32_t(m_data[m_pos + 3]) << 24;
        m_pos += 4;
        return v;
    }

    // The next n bytes as a span, or an empty span (and failure) when fewer remain.
    std::span<const uint8_t> bytes(size_t n)
    {
        if (!has(n)) {
            fail();
            return {};
        }
        auto s = m_data.subspan(m_pos, n);
        m_pos += n;
        return s;
    }

    // Byte at an absolute offset without moving; 0 (and failure) outside the span.
    uint8_t peekAt(size_t offset)
    {
        if (offset >= m_data.size()) return fail();
        return m_data[offset];
    }

private:
    uint8_t fail()
    {
        m_failed = true;
        m_pos = m_data.size();
        return 0;
    }

    std::span<const uint8_t> m_data;
    size_t m_pos = 0;
    bool m_failed = false;
};

} // namespace glyfex::core
