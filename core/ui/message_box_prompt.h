// The user's questions as Qt message boxes.
#pragma once

#include "core/user_prompt.h"

class QWidget;

namespace glyfex::core::ui {

class MessageBoxPrompt : public UserPrompt {
public:
    explicit MessageBoxPrompt(QWidget *parent = nullptr) : m_parent(parent) {}
    void warn(const QString &text) override;
    void error(const QString &text) override;
    void inform(const QString &text) override;
    Answer confirm(const QString &text) override;
    Answer ask(const QString &text) override;

private:
    QWidget *m_parent;
};

} // namespace glyfex::core::ui
