// The user's questions as Qt message boxes, over the window the user works in.
#pragma once

#include "core/user_prompt.h"

#include <QMessageBox>

#include <functional>

class QWidget;

namespace glyfex::core::ui {

class MessageBoxPrompt : public UserPrompt {
public:
    // owner: the window the boxes open over. Without one they open over the window the user works in
    // (the modal dialog in front, else the active window), or over fallback's answer when no window of
    // the program is active.
    explicit MessageBoxPrompt(QWidget *owner = nullptr) : m_owner(owner) {}
    explicit MessageBoxPrompt(std::function<QWidget *()> fallback) : m_fallback(std::move(fallback)) {}
    void warn(const QString &text) override;
    void error(const QString &text) override;
    void inform(const QString &text) override;
    Answer confirm(const QString &text) override;
    Answer ask(const QString &text) override;
    Answer confirmYesNo(const QString &text) override;
    Answer askIgnore(const QString &text) override;

private:
    QMessageBox::StandardButton show(QMessageBox::Icon icon, const QString &text, QMessageBox::StandardButtons buttons);

    QWidget *m_owner = nullptr;
    std::function<QWidget *()> m_fallback;
};

} // namespace glyfex::core::ui
