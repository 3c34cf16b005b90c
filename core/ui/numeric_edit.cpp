// The two numeric edit boxes: digits only, the range as tool tip, and the range check on leaving the field.
#include "core/ui/numeric_edit.h"

#include "core/ui/message_box_prompt.h"

#include <QKeyEvent>

namespace glyfex::core::ui {

NumericEdit::NumericEdit(RangeValue::Limits limits, int64_t minimum, int64_t maximum, bool signedKeys,
                         QWidget *parent)
    : QLineEdit(parent)
    , m_range(limits, minimum, maximum)
    , m_signedKeys(signedKeys)
{
    setText(QString::number(m_range.value()));
}

void NumericEdit::rangeChanged()
{
    setToolTip(m_range.hint());
    setMaxLength(allowedLength());
}

int64_t NumericEdit::value()
{
    return m_range.readText(text());
}

void NumericEdit::setValue(int64_t v)
{
    m_range.setValue(v);
    setText(QString::number(m_range.value()));
}

void NumericEdit::setMinimum(int64_t v)
{
    m_range.readText(text());
    m_range.setMinimum(v);
    rangeChanged();
}

void NumericEdit::setMaximum(int64_t v)
{
    m_range.readText(text());
    m_range.setMaximum(v);
    rangeChanged();
}

void NumericEdit::setRange(int64_t minimum, int64_t maximum)
{
    // Maximum first when the range moves up, so that the minimum is not held down by the old maximum.
    if (minimum > m_range.maximum()) {
        setMaximum(maximum);
        setMinimum(minimum);
    } else {
        setMinimum(minimum);
        setMaximum(maximum);
    }
}

void NumericEdit::warn()
{
    if (!m_errorMessage)
        return;
    if (m_prompt) {
        m_prompt->warn(m_range.rangeWarning());
    } else {
        MessageBoxPrompt prompt(this);
        prompt.warn(m_range.rangeWarning());
    }
}

bool NumericEdit::checkRange()
{
    if (m_checking)
        return true;
    m_checking = true;
    bool unchanged = true;
    switch (m_range.check(text())) {
    case RangeValue::Check::InRange:
        break;
    case RangeValue::Check::BelowMinimum:
        warn();
        setValue(m_range.minimum());
        unchanged = false;
        break;
    case RangeValue::Check::AboveMaximum:
        warn();
        setValue(m_range.maximum());
        unchanged = false;
        break;
    }
    m_checking = false;
    return unchanged;
}

void NumericEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!checkRange()) {
            // The entry was corrected: the user sees the new value before Enter may act again.
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString typed = event->text();
    for (const QChar c : typed) {
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7f;
        const bool allowed = control || (c.isDigit() && c.unicode() < 0x80) || (m_signedKeys && c == u'-');
        if (!allowed) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void NumericEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    checkRange();
}

WordEdit::WordEdit(QWidget *parent)
    : NumericEdit(RangeValue::WordLimits, 0, 65535, false, parent)
{
    rangeChanged();
}

WordEdit *makeWordEdit(const char *name, int64_t maximum, int64_t value, QWidget *parent)
{
    auto *box = new WordEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(0, maximum);
    box->setValue(value);
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QString::number(maximum)) + 16);
    return box;
}

IntegerEdit::IntegerEdit(QWidget *parent)
    : NumericEdit(RangeValue::IntegerLimits, -2147483647, 2147483647, true, parent)
{
    rangeChanged();
}

} // namespace glyfex::core::ui
