// Time code fields.
#include "core/ui/time_code_fields.h"

#include <QBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

#include <algorithm>

namespace glyfex::core::ui {

namespace {
constexpr std::array<int, 4> kMaximum{24, 59, 59, 999};
}

TimeCodeFields::TimeCodeFields(const std::array<const char *, 4> &names, QWidget *parent)
{
    for (size_t i = 0; i < m_boxes.size(); ++i)
        m_boxes[i] = makeWordEdit(names[i], kMaximum[i], 0, parent);
}

TimeCode TimeCodeFields::timeCode() const
{
    return {int32_t(m_boxes[0]->value()), int32_t(m_boxes[1]->value()), int32_t(m_boxes[2]->value()),
            int32_t(m_boxes[3]->value())};
}

void TimeCodeFields::setTimeCode(const TimeCode &t)
{
    const std::array<int32_t, 4> fields{t.hour, t.minute, t.second, t.fraction};
    for (size_t i = 0; i < m_boxes.size(); ++i) {
        const QSignalBlocker block(m_boxes[i]);
        m_boxes[i]->setValue(std::clamp<int64_t>(fields[i], 0, kMaximum[i]));
    }
}

void TimeCodeFields::addTo(QBoxLayout *layout) const
{
    const char *separators[] = {":", ":", ","};
    for (size_t i = 0; i < m_boxes.size(); ++i) {
        layout->addWidget(m_boxes[i]);
        if (i < 3)
            layout->addWidget(new QLabel(QLatin1String(separators[i])));
    }
}

void TimeCodeFields::setPrompt(UserPrompt *prompt)
{
    for (WordEdit *box : m_boxes)
        box->setPrompt(prompt);
}

} // namespace glyfex::core::ui
