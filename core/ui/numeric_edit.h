// The two numeric edit boxes: digits only, the range as tool tip, and the range check on leaving the field.
#pragma once

#include "core/range_value.h"

#include <QLineEdit>

namespace glyfex::core {
class UserPrompt;
}

namespace glyfex::core::ui {

// A one-line edit for a whole number between a minimum and a maximum. Keys other than digits (and
// the minus sign in the signed box) type nothing; pasted text is not filtered. Leaving the field
// with an empty or out-of-range entry warns "< min ; max >" (when errorMessage() is on) and puts
// the nearer bound in; Enter does the same check first, and when it had to correct the entry the
// key stops there, so a dialog's default button never takes an unchecked number.
class NumericEdit : public QLineEdit {
    Q_OBJECT
public:
    // The value as read from the text, always within [minimum(), maximum()].
    int64_t value();
    void setValue(int64_t v);
    int64_t minimum() const { return m_range.minimum(); }
    int64_t maximum() const { return m_range.maximum(); }
    void setMinimum(int64_t v);
    void setMaximum(int64_t v);
    void setRange(int64_t minimum, int64_t maximum);

    bool errorMessage() const { return m_errorMessage; }
    void setErrorMessage(bool on) { m_errorMessage = on; }
    // Where the range warning goes; without one it is a message box over this box.
    void setPrompt(UserPrompt *prompt) { m_prompt = prompt; }

    // The check made on leaving the field; false when it had to change the entry.
    bool checkRange();

protected:
    NumericEdit(RangeValue::Limits limits, int64_t minimum, int64_t maximum, bool signedKeys,
                QWidget *parent);
    // How many characters the box takes for its current range.
    virtual int allowedLength() const = 0;
    const RangeValue &range() const { return m_range; }
    // Tool tip and text length follow the range.
    void rangeChanged();

    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void warn();

    RangeValue m_range;
    bool m_signedKeys;
    bool m_errorMessage = true;
    bool m_checking = false; // the warning dialog takes the focus: no second check meanwhile
    UserPrompt *m_prompt = nullptr;
};

// Unsigned 16-bit box, 0 to 65535 unless set otherwise; its text is as long as its maximum.
class WordEdit : public NumericEdit {
    Q_OBJECT
public:
    explicit WordEdit(QWidget *parent = nullptr);

protected:
    int allowedLength() const override { return range().maximumLength(); }
};

// A right-aligned box named name for 0..maximum holding value, as wide as its maximum's digits.
WordEdit *makeWordEdit(const char *name, int64_t maximum, int64_t value, QWidget *parent);

// Signed 32-bit box, -2147483647 to 2147483647 unless set otherwise; its text is as long as the
// longer bound, minus sign included. Accepts a minus sign anywhere in the text.
class IntegerEdit : public NumericEdit {
    Q_OBJECT
public:
    explicit IntegerEdit(QWidget *parent = nullptr);

protected:
    int allowedLength() const override { return range().textLength(); }
};

} // namespace glyfex::core::ui
