// The user's questions as Qt message boxes, over the window the user works in.
#include "core/ui/message_box_prompt.h"

#include "core/ui/dialog_owner.h"

#include <QApplication>

namespace glyfex::core::ui {

QMessageBox::StandardButton MessageBoxPrompt::show(QMessageBox::Icon icon, const QString &text,
                                                   QMessageBox::StandardButtons buttons)
{
    QWidget *owner = m_owner ? m_owner : workingWindow(m_fallback ? m_fallback() : nullptr);
    QMessageBox box(icon, QApplication::applicationName(), text, buttons);
    prepareOver(box, owner);
    box.exec();
    return box.standardButton(box.clickedButton());
}

void MessageBoxPrompt::warn(const QString &text)
{
    show(QMessageBox::Warning, text, QMessageBox::Ok);
}

void MessageBoxPrompt::error(const QString &text)
{
    show(QMessageBox::Critical, text, QMessageBox::Ok);
}

void MessageBoxPrompt::inform(const QString &text)
{
    show(QMessageBox::Information, text, QMessageBox::Ok);
}

Answer MessageBoxPrompt::confirm(const QString &text)
{
    const auto b = show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return b == QMessageBox::Yes ? Answer::Yes : b == QMessageBox::No ? Answer::No : Answer::Cancel;
}

Answer MessageBoxPrompt::ask(const QString &text)
{
    const auto b = show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll);
    return b == QMessageBox::Yes ? Answer::Yes : b == QMessageBox::YesToAll ? Answer::YesToAll : Answer::No;
}

Answer MessageBoxPrompt::confirmYesNo(const QString &text)
{
    return show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes ? Answer::Yes
                                                                                                 : Answer::No;
}

Answer MessageBoxPrompt::askIgnore(const QString &text)
{
    const auto b = show(QMessageBox::Warning, text, QMessageBox::Cancel | QMessageBox::Ignore | QMessageBox::YesToAll);
    return b == QMessageBox::Ignore ? Answer::Ignore : b == QMessageBox::YesToAll ? Answer::YesToAll : Answer::Cancel;
}

} // namespace glyfex::core::ui
