// The user's questions as Qt message boxes.
#include "core/ui/message_box_prompt.h"

#include <QApplication>
#include <QMessageBox>

namespace glyfex::core::ui {

void MessageBoxPrompt::warn(const QString &text)
{
    QMessageBox::warning(m_parent, QApplication::applicationName(), text);
}

void MessageBoxPrompt::error(const QString &text)
{
    QMessageBox::critical(m_parent, QApplication::applicationName(), text);
}

void MessageBoxPrompt::inform(const QString &text)
{
    QMessageBox::information(m_parent, QApplication::applicationName(), text);
}

Answer MessageBoxPrompt::confirm(const QString &text)
{
    auto b = QMessageBox::question(m_parent, QApplication::applicationName(), text,
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return b == QMessageBox::Yes ? Answer::Yes : b == QMessageBox::No ? Answer::No : Answer::Cancel;
}

Answer MessageBoxPrompt::ask(const QString &text)
{
    auto b = QMessageBox::question(m_parent, QApplication::applicationName(), text,
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll);
    return b == QMessageBox::Yes ? Answer::Yes : b == QMessageBox::YesToAll ? Answer::YesToAll : Answer::No;
}

} // namespace glyfex::core::ui
