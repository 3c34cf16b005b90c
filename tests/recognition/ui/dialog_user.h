// Window tests: a user who acts on a modal dialog each time it is on screen, and finding a dialog's widgets by name.
#pragma once

#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace glyfex::test {

// Runs one action each time the dialog is on screen, as a user would.
class User {
public:
    explicit User(QDialog &dialog) : m_dialog(dialog)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (!m_dialog.isVisible() || m_actions.empty() || m_busy)
                return;
            m_busy = true;
            auto action = std::move(m_actions.front());
            m_actions.pop_front();
            action();
            m_busy = false;
        });
        m_timer.start();
    }
    void then(std::function<void()> action) { m_actions.push_back(std::move(action)); }
    bool done() const { return m_actions.empty(); }

private:
    QDialog &m_dialog;
    QTimer m_timer;
    std::deque<std::function<void()>> m_actions;
    bool m_busy = false;
};

// The widget named name inside w; a failure when there is none.
template <class T>
T *child(QWidget &w, const char *name)
{
    T *c = w.findChild<T *>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

} // namespace glyfex::test
