// An asker for window tests: the first question is answered in the real New Character(s) dialog by pressing one of its buttons, every later one by another asker.
#pragma once

#include "recognition/glyph_asker.h"
#include "recognition/ui/new_character_dialog.h"

#include <QPushButton>
#include <QString>
#include <QTest>
#include <QTimer>

namespace glyfex::test {

class FirstQuestionInDialog : public recognition::GlyphAsker {
public:
    FirstQuestionInDialog(recognition::ui::NewCharacterDialog &dialog, const char *button, recognition::GlyphAsker &rest)
        : m_dialog(dialog), m_button(QString::fromLatin1(button)), m_rest(rest)
    {
    }
    int asked = 0;

    recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &q) override
    {
        if (asked++ > 0)
            return m_rest.askGlyph(q);
        QTimer::singleShot(0, &m_dialog, [this] {
            QTest::mouseClick(m_dialog.findChild<QPushButton *>(m_button), Qt::LeftButton);
        });
        return m_dialog.askGlyph(q);
    }

private:
    recognition::ui::NewCharacterDialog &m_dialog;
    QString m_button;
    recognition::GlyphAsker &m_rest;
};

} // namespace glyfex::test
