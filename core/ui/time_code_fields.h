// Four numeric boxes (hours, minutes, seconds, milliseconds) that together edit one time code.
#pragma once

#include "core/time_code.h"
#include "core/ui/numeric_edit.h"

#include <QObject>

#include <array>

class QBoxLayout;

namespace glyfex::core {
class UserPrompt;
}

namespace glyfex::core::ui {

class TimeCodeFields {
public:
    // The boxes are named by names (hours first), with ranges 0-24, 0-59, 0-59 and 0-999, all 0.
    TimeCodeFields(const std::array<const char *, 4> &names, QWidget *parent);

    TimeCode timeCode() const;
    // Sets the four boxes without reporting edits; fields beyond a box's range are clamped into it.
    void setTimeCode(const TimeCode &t);
    int64_t milliseconds() const { return timeCodeToMilliseconds(timeCode()); }

    // Hours, ':', minutes, ':', seconds, ',', milliseconds, side by side.
    void addTo(QBoxLayout *layout) const;
    void setPrompt(UserPrompt *prompt);
    // Calls slot after every edit of any box.
    template <class Slot>
    void onEdited(QObject *context, Slot slot) const
    {
        for (WordEdit *box : m_boxes)
            QObject::connect(box, &QLineEdit::textChanged, context, slot);
    }
    const std::array<WordEdit *, 4> &boxes() const { return m_boxes; }

private:
    std::array<WordEdit *, 4> m_boxes{};
};

} // namespace glyfex::core::ui
