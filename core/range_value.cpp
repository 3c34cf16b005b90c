// A whole number kept between a lowest and a highest allowed value: the logic of the numeric edit boxes.
#include "core/range_value.h"

#include <algorithm>

namespace glyfex::core {

RangeValue::RangeValue(Limits limits, int64_t minimum, int64_t maximum)
    : m_limits(limits)
    , m_min(clampToLimits(minimum))
    , m_max(std::max(m_min, clampToLimits(maximum)))
{
    m_value = std::clamp<int64_t>(0, m_min, m_max);
}

int64_t RangeValue::clampToLimits(int64_t v) const
{
    return std::clamp(v, m_limits.lowest, m_limits.highest);
}

void RangeValue::setValue(int64_t v)
{
    if (v > m_max)
        v = m_max;
    if (v < m_min)
        v = m_min;
    m_value = v;
}

void RangeValue::setMinimum(int64_t v)
{
    v = std::min(clampToLimits(v), m_max);
    m_min = std::min(v, m_value);
}

void RangeValue::setMaximum(int64_t v)
{
    v = std::max(clampToLimits(v), m_min);
    m_max = std::max(v, m_value);
}

QString RangeValue::hint() const
{
    return QString::number(m_min) + QStringLiteral("  -  ") + QString::number(m_max);
}

QString RangeValue::rangeWarning() const
{
    return QStringLiteral("< ") + QString::number(m_min) + QStringLiteral(" ; ") + QString::number(m_max)
        + QStringLiteral(" >");
}

int RangeValue::textLength() const
{
    return int(std::max(QString::number(m_min).size(), QString::number(m_max).size()));
}

int RangeValue::maximumLength() const
{
    return int(QString::number(m_max).size());
}

std::optional<int64_t> RangeValue::parse(const QString &text)
{
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return int64_t(v);
}

int64_t RangeValue::readText(const QString &text)
{
    const auto number = parse(text);
    m_value = number ? std::clamp(*number, m_min, m_max) : m_min;
    return m_value;
}

RangeValue::Check RangeValue::check(const QString &text) const
{
    if (text.isEmpty())
        return Check::BelowMinimum;
    const auto number = parse(text);
    if (!number)
        return Check::InRange;
    if (*number < m_min)
        return Check::BelowMinimum;
    if (*number > m_max)
        return Check::AboveMaximum;
    return Check::InRange;
}

} // namespace glyfex::core
