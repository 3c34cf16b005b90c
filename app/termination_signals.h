// Turns SIGTERM and SIGINT into a call on the event loop: a normal close of the main window, so a session's logout saves the settings, or the end of an unattended job.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace glyfex::app {

// A signal handler may do next to nothing, so it only writes the signal's number into a socket pair;
// the event loop reads it and hands it to the callback there, which closes the way the window's close
// button does (questions, a running pass finishing first, the configuration saved). One instance per
// process.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void(int signal)> close, QObject *parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals &) = delete;
    TerminationSignals &operator=(const TerminationSignals &) = delete;

    // False when the handlers could not be installed; the signals then end the program as before.
    bool installed() const { return m_installed; }

private:
    void signalled();

    std::function<void(int signal)> m_close;
    QSocketNotifier *m_notifier = nullptr;
    bool m_installed = false;
};

} // namespace glyfex::app
