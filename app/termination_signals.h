// Turns SIGTERM and SIGINT into a normal close of the main window, so a session's logout saves the settings.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace glyfex::app {

// A signal handler may do next to nothing, so it only writes a byte into a socket pair; the event
// loop reads it and asks for the close there, through the same path as the window's close button
// (questions, a running pass finishing first, the configuration saved). One instance per process.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void()> close, QObject *parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals &) = delete;
    TerminationSignals &operator=(const TerminationSignals &) = delete;

    // False when the handlers could not be installed; the signals then end the program as before.
    bool installed() const { return m_installed; }

private:
    void signalled();

    std::function<void()> m_close;
    QSocketNotifier *m_notifier = nullptr;
    bool m_installed = false;
};

} // namespace glyfex::app
