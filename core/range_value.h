// A whole number kept between a lowest and a highest allowed value: the logic of the numeric edit boxes.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace glyfex::core {

// The rules of a numeric edit box without the widget: the range, the value, the hint, the warning
// text and the check made when the user leaves the field. Values are 64-bit here so that one class
// serves the unsigned 16-bit and the signed 32-bit boxes; the type's own limits bound everything.
class RangeValue {
public:
    // The limits of the value's type.
    struct Limits {
        int64_t lowest;
        int64_t highest;
    };
    static constexpr Limits WordLimits{0, 65535};
    static constexpr Limits IntegerLimits{INT32_MIN, INT32_MAX};

    // Starts at value 0 (or the nearer bound) with the range [minimum, maximum].
    RangeValue(Limits limits, int64_t minimum, int64_t maximum);

    int64_t minimum() const { return m_min; }
    int64_t maximum() const { return m_max; }
    int64_t value() const { return m_value; }

    // Stores v, lowered to the maximum and then raised to the minimum.
    void setValue(int64_t v);
    // A bound never moves the value: a minimum above the value gives way to it (and so does a
    // maximum below it), and a minimum is never above the maximum nor a maximum below the minimum.
    void setMinimum(int64_t v);
    void setMaximum(int64_t v);

    // "min  -  max", shown as the box's tool tip.
    QString hint() const;
    // "< min ; max >", the warning when a value left in the box is out of range.
    QString rangeWarning() const;
    // Number of characters of the longer bound, a minus sign counted.
    int textLength() const;
    // Number of characters of the maximum only (the unsigned box limits its text by the maximum).
    int maximumLength() const;

    // The whole number a text holds (decimal, blanks around it allowed); nullopt when it holds none.
    static std::optional<int64_t> parse(const QString &text);

    // The value a text stands for, stored and returned: its number brought into the range by the
    // nearer bound, or the minimum when it holds no number. So whoever reads the box gets a value in
    // range even while the user is still typing, or pressed Enter before leaving the field.
    int64_t readText(const QString &text);

    enum class Check {
        InRange,      // nothing to correct (also a text that holds no number: it reads as the minimum)
        BelowMinimum, // empty, or a number below the minimum: the minimum goes in
        AboveMaximum, // a number above the maximum: the maximum goes in
    };
    // The check made when the user leaves the field.
    Check check(const QString &text) const;

private:
    int64_t clampToLimits(int64_t v) const;

    Limits m_limits;
    int64_t m_min;
    int64_t m_max;
    int64_t m_value = 0;
};

} // namespace glyfex::core
